// Device properties. Every answer is a pure function of the processor code
// (or of the processor type word): one constant device list per code and one
// constant row of geometry per core family, no state.
#include "mgproc.h"

#include <cctype>

#include "qassert.h"

namespace {

// Properties shared by every device of one core family.
struct FamilyRow {
  uint32_t romWidthBits;  // program word width
  uint32_t ramWidthBits;  // data width
  uint32_t pageSize;      // program addresses per page
  uint32_t bankSize;      // data bytes per bank
  uint32_t bankShift;     // data address >> bankShift = bank number
  uint32_t maxProgramAddress;
  uint32_t maxDataAddress;
};

// Indexed by CoreFamily; row 0 names no family. The Ostra program memory is
// addressed in bytes (its 16-bit instructions take two addresses), hence
// its 8-bit program width and its single huge page.
// clang-format off
constexpr FamilyRow FAMILIES[] = {
    /* none  */ {0, 0, 0, 0, 0, 0, 0},
    /* Vesk  */ {14, 8, 2048, 128, 7, 0x1FFF, 0x1FF},
    /* Mirel */ {16, 8, 8192, 256, 8, 0xFFFF, 0xFFF},
    /* Zarn  */ {12, 8, 512, 32, 5, 0x7FF, 0x7F},
    /* Ostra */ {8, 8, 0x200000, 256, 8, 0x1FFFFF, 0xFFF},
};
// clang-format on

// One device model.
struct DeviceRow {
  CoreFamily family;
  const char* name;      // model name, 5 to 8 characters
  uint16_t coffType;     // processor type word in COFF files
  uint32_t programSize;  // program addresses (bytes for Ostra)
  uint32_t pageCount;    // smallest page count that holds programSize
  uint32_t bankCount;
  uint32_t dataSize;  // bankCount * bank size, except code 16 (80)
  uint32_t firstGpr;  // offset of the first general-purpose register in a bank
};

// The device list, indexed by ProcessorCode; row 0 names no device.
//
// Naming scheme. A model name is the family's name in capitals followed by
// the processor code in three decimal digits: "VESK079", "MIREL116",
// "ZARN017", "OSTRA127". The family shows at a glance, the code can be read
// back from the name, and names are distinct (also without regard to case)
// because codes are.
//
// Processor type words. 0xC000 | (family << 8) | code: the high nibble 0xC
// marks a word of this suite, the next nibble is the core family (1 Vesk,
// 2 Mirel, 3 Zarn, 4 Ostra) and the low byte the processor code; so the
// words are distinct because codes are, e.g. 0xC14F is Vesk code 79.
//
// Every program of the suite uses this one table: the linker writes the
// words into its output and the converters read them back, so a changed
// name or word here changes the file formats.
// clang-format off
constexpr DeviceRow DEVICES[] = {
    /*   0 */ {0, "", 0, 0, 0, 0, 0, 0},
    //        family      name       word    prog   pg bk data  first GPR
    /*   1 */ {CORE_ZARN,  "ZARN001",  0xC301, 1024,  2, 4, 128,  8},
    /*   2 */ {CORE_ZARN,  "ZARN002",  0xC302, 1024,  2, 4, 128,  8},
    /*   3 */ {CORE_ZARN,  "ZARN003",  0xC303, 512,   1, 1, 32,   7},
    /*   4 */ {CORE_ZARN,  "ZARN004",  0xC304, 512,   1, 1, 32,   7},
    /*   5 */ {CORE_ZARN,  "ZARN005",  0xC305, 1024,  2, 2, 64,   7},
    /*   6 */ {CORE_ZARN,  "ZARN006",  0xC306, 1024,  2, 2, 64,   7},
    /*   7 */ {CORE_VESK,  "VESK007",  0xC107, 1024,  1, 2, 256,  0x20},
    /*   8 */ {CORE_VESK,  "VESK008",  0xC108, 2048,  1, 2, 256,  0x20},
    /*   9 */ {CORE_ZARN,  "ZARN009",  0xC309, 512,   1, 1, 32,   7},
    /*  10 */ {CORE_ZARN,  "ZARN010",  0xC30A, 1024,  2, 2, 64,   7},
    /*  11 */ {CORE_VESK,  "VESK011",  0xC10B, 1024,  1, 2, 256,  0x20},
    /*  12 */ {CORE_VESK,  "VESK012",  0xC10C, 2048,  1, 2, 256,  0x20},
    /*  13 */ {CORE_ZARN,  "ZARN013",  0xC30D, 1024,  2, 2, 64,   7},
    /*  14 */ {CORE_VESK,  "VESK014",  0xC10E, 4096,  2, 2, 256,  0x20},
    /*  15 */ {CORE_VESK,  "VESK015",  0xC10F, 1024,  1, 2, 256,  0x20},
    /*  16 */ {CORE_ZARN,  "ZARN016",  0xC310, 1024,  2, 3, 80,   8},
    /*  17 */ {CORE_ZARN,  "ZARN017",  0xC311, 384,   1, 1, 32,   8},
    /*  18 */ {CORE_ZARN,  "ZARN018",  0xC312, 512,   1, 1, 32,   8},
    /*  19 */ {CORE_ZARN,  "ZARN019",  0xC313, 512,   1, 1, 32,   8},
    /*  20 */ {CORE_ZARN,  "ZARN020",  0xC314, 512,   1, 1, 32,   8},
    /*  21 */ {CORE_ZARN,  "ZARN021",  0xC315, 512,   1, 1, 32,   8},
    /*  22 */ {CORE_ZARN,  "ZARN022",  0xC316, 512,   1, 1, 32,   8},
    /*  23 */ {CORE_VESK,  "VESK023",  0xC117, 512,   1, 2, 256,  0x20},
    /*  24 */ {CORE_VESK,  "VESK024",  0xC118, 1024,  1, 2, 256,  0x20},
    /*  25 */ {CORE_VESK,  "VESK025",  0xC119, 2048,  1, 2, 256,  0x20},
    /*  26 */ {CORE_ZARN,  "ZARN026",  0xC31A, 512,   1, 1, 32,   8},
    /*  27 */ {CORE_ZARN,  "ZARN027",  0xC31B, 1024,  2, 1, 32,   8},
    /*  28 */ {CORE_ZARN,  "ZARN028",  0xC31C, 1024,  2, 1, 32,   8},
    /*  29 */ {CORE_ZARN,  "ZARN029",  0xC31D, 2048,  4, 4, 128,  8},
    /*  30 */ {CORE_ZARN,  "ZARN030",  0xC31E, 2048,  4, 4, 128,  8},
    /*  31 */ {CORE_ZARN,  "ZARN031",  0xC31F, 2048,  4, 4, 128,  7},
    /*  32 */ {CORE_ZARN,  "ZARN032",  0xC320, 2048,  4, 4, 128,  7},
    /*  33 */ {CORE_VESK,  "VESK033",  0xC121, 1024,  1, 2, 256,  0x20},
    /*  34 */ {CORE_VESK,  "VESK034",  0xC122, 2048,  1, 2, 256,  0x20},
    /*  35 */ {CORE_VESK,  "VESK035",  0xC123, 512,   1, 2, 256,  0x20},
    /*  36 */ {CORE_VESK,  "VESK036",  0xC124, 512,   1, 2, 256,  0x20},
    /*  37 */ {CORE_VESK,  "VESK037",  0xC125, 1024,  1, 2, 256,  0x20},
    /*  38 */ {CORE_VESK,  "VESK038",  0xC126, 1024,  1, 2, 256,  0x20},
    /*  39 */ {CORE_VESK,  "VESK039",  0xC127, 2048,  1, 2, 256,  0x20},
    /*  40 */ {CORE_VESK,  "VESK040",  0xC128, 2048,  1, 2, 256,  0x20},
    /*  41 */ {CORE_VESK,  "VESK041",  0xC129, 2048,  1, 2, 256,  0x20},
    /*  42 */ {CORE_VESK,  "VESK042",  0xC12A, 2048,  1, 2, 256,  0x20},
    /*  43 */ {CORE_VESK,  "VESK043",  0xC12B, 4096,  2, 2, 256,  0x20},
    /*  44 */ {CORE_VESK,  "VESK044",  0xC12C, 4096,  2, 2, 256,  0x20},
    /*  45 */ {CORE_VESK,  "VESK045",  0xC12D, 2048,  1, 2, 256,  0x20},
    /*  46 */ {CORE_VESK,  "VESK046",  0xC12E, 2048,  1, 2, 256,  0x20},
    /*  47 */ {CORE_VESK,  "VESK047",  0xC12F, 4096,  2, 2, 256,  0x20},
    /*  48 */ {CORE_VESK,  "VESK048",  0xC130, 2048,  1, 2, 256,  0x20},
    /*  49 */ {CORE_VESK,  "VESK049",  0xC131, 4096,  2, 2, 256,  0x20},
    /*  50 */ {CORE_VESK,  "VESK050",  0xC132, 4096,  2, 2, 256,  0x20},
    /*  51 */ {CORE_VESK,  "VESK051",  0xC133, 4096,  2, 2, 256,  0x20},
    /*  52 */ {CORE_VESK,  "VESK052",  0xC134, 8192,  4, 4, 512,  0x20},
    /*  53 */ {CORE_VESK,  "VESK053",  0xC135, 2048,  1, 2, 256,  0x20},
    /*  54 */ {CORE_VESK,  "VESK054",  0xC136, 4096,  2, 2, 256,  0x20},
    /*  55 */ {CORE_VESK,  "VESK055",  0xC137, 8192,  4, 4, 512,  0x20},
    /*  56 */ {CORE_VESK,  "VESK056",  0xC138, 1024,  1, 2, 256,  0x20},
    /*  57 */ {CORE_VESK,  "VESK057",  0xC139, 512,   1, 2, 256,  0x20},
    /*  58 */ {CORE_VESK,  "VESK058",  0xC13A, 1024,  1, 2, 256,  0x20},
    /*  59 */ {CORE_VESK,  "VESK059",  0xC13B, 1024,  1, 2, 256,  0x20},
    /*  60 */ {CORE_VESK,  "VESK060",  0xC13C, 2048,  1, 2, 256,  0x20},
    /*  61 */ {CORE_VESK,  "VESK061",  0xC13D, 2048,  1, 2, 256,  0x20},
    /*  62 */ {CORE_VESK,  "VESK062",  0xC13E, 2048,  1, 4, 512,  0x20},
    /*  63 */ {CORE_VESK,  "VESK063",  0xC13F, 2048,  1, 2, 256,  0x20},
    /*  64 */ {CORE_VESK,  "VESK064",  0xC140, 2048,  1, 2, 256,  0x20},
    /*  65 */ {CORE_VESK,  "VESK065",  0xC141, 4096,  2, 2, 256,  0x20},
    /*  66 */ {CORE_VESK,  "VESK066",  0xC142, 4096,  2, 2, 256,  0x20},
    /*  67 */ {CORE_VESK,  "VESK067",  0xC143, 4096,  2, 2, 256,  0x20},
    /*  68 */ {CORE_VESK,  "VESK068",  0xC144, 4096,  2, 2, 256,  0x20},
    /*  69 */ {CORE_VESK,  "VESK069",  0xC145, 6144,  3, 4, 512,  0x20},
    /*  70 */ {CORE_VESK,  "VESK070",  0xC146, 4096,  2, 2, 256,  0x20},
    /*  71 */ {CORE_VESK,  "VESK071",  0xC147, 4096,  2, 2, 256,  0x20},
    /*  72 */ {CORE_VESK,  "VESK072",  0xC148, 8192,  4, 4, 512,  0x20},
    /*  73 */ {CORE_VESK,  "VESK073",  0xC149, 6144,  3, 4, 512,  0x20},
    /*  74 */ {CORE_VESK,  "VESK074",  0xC14A, 8192,  4, 4, 512,  0x20},
    /*  75 */ {CORE_VESK,  "VESK075",  0xC14B, 2048,  1, 4, 512,  0x20},
    /*  76 */ {CORE_VESK,  "VESK076",  0xC14C, 4096,  2, 4, 512,  0x20},
    /*  77 */ {CORE_VESK,  "VESK077",  0xC14D, 4096,  2, 4, 512,  0x20},
    /*  78 */ {CORE_VESK,  "VESK078",  0xC14E, 4096,  2, 4, 512,  0x20},
    /*  79 */ {CORE_VESK,  "VESK079",  0xC14F, 1024,  1, 2, 256,  0x0C},
    /*  80 */ {CORE_VESK,  "VESK080",  0xC150, 4096,  2, 4, 512,  0x20},
    /*  81 */ {CORE_VESK,  "VESK081",  0xC151, 4096,  2, 4, 512,  0x20},
    /*  82 */ {CORE_VESK,  "VESK082",  0xC152, 512,   1, 2, 256,  0x20},
    /*  83 */ {CORE_VESK,  "VESK083",  0xC153, 1024,  1, 2, 256,  0x20},
    /*  84 */ {CORE_VESK,  "VESK084",  0xC154, 2048,  1, 2, 256,  0x20},
    /*  85 */ {CORE_ZARN,  "ZARN085",  0xC355, 512,   1, 1, 32,   8},
    /*  86 */ {CORE_ZARN,  "ZARN086",  0xC356, 512,   1, 1, 32,   8},
    /*  87 */ {CORE_ZARN,  "ZARN087",  0xC357, 512,   1, 1, 32,   8},
    /*  88 */ {CORE_ZARN,  "ZARN088",  0xC358, 512,   1, 1, 32,   8},
    /*  89 */ {CORE_ZARN,  "ZARN089",  0xC359, 1024,  2, 1, 32,   8},
    /*  90 */ {CORE_ZARN,  "ZARN090",  0xC35A, 2048,  4, 4, 128,  8},
    /*  91 */ {CORE_ZARN,  "ZARN091",  0xC35B, 2048,  4, 4, 128,  8},
    /*  92 */ {CORE_ZARN,  "ZARN092",  0xC35C, 2048,  4, 4, 128,  8},
    /*  93 */ {CORE_ZARN,  "ZARN093",  0xC35D, 2048,  4, 4, 128,  7},
    /*  94 */ {CORE_ZARN,  "ZARN094",  0xC35E, 2048,  4, 4, 128,  7},
    /*  95 */ {CORE_VESK,  "VESK095",  0xC15F, 2048,  1, 2, 256,  0x20},
    /*  96 */ {CORE_VESK,  "VESK096",  0xC160, 512,   1, 2, 256,  0x20},
    /*  97 */ {CORE_VESK,  "VESK097",  0xC161, 4096,  2, 2, 256,  0x20},
    /*  98 */ {CORE_VESK,  "VESK098",  0xC162, 2048,  1, 2, 256,  0x20},
    /*  99 */ {CORE_VESK,  "VESK099",  0xC163, 4096,  2, 2, 256,  0x20},
    /* 100 */ {CORE_VESK,  "VESK100",  0xC164, 2048,  1, 2, 256,  0x20},
    /* 101 */ {CORE_VESK,  "VESK101",  0xC165, 512,   1, 2, 256,  0x0C},
    /* 102 */ {CORE_VESK,  "VESK102",  0xC166, 1024,  1, 2, 256,  0x0C},
    /* 103 */ {CORE_VESK,  "VESK103",  0xC167, 1024,  1, 4, 512,  0x20},
    /* 104 */ {CORE_VESK,  "VESK104",  0xC168, 2048,  1, 4, 512,  0x20},
    /* 105 */ {CORE_VESK,  "VESK105",  0xC169, 512,   1, 2, 256,  0x0C},
    /* 106 */ {CORE_VESK,  "VESK106",  0xC16A, 1024,  1, 2, 256,  0x0C},
    /* 107 */ {CORE_VESK,  "VESK107",  0xC16B, 1024,  1, 2, 256,  0x0C},
    /* 108 */ {CORE_VESK,  "VESK108",  0xC16C, 2048,  1, 4, 512,  0x20},
    /* 109 */ {CORE_VESK,  "VESK109",  0xC16D, 2048,  1, 4, 512,  0x20},
    /* 110 */ {CORE_VESK,  "VESK110",  0xC16E, 2048,  1, 4, 512,  0x20},
    /* 111 */ {CORE_VESK,  "VESK111",  0xC16F, 4096,  2, 4, 512,  0x20},
    /* 112 */ {CORE_VESK,  "VESK112",  0xC170, 4096,  2, 4, 512,  0x20},
    /* 113 */ {CORE_VESK,  "VESK113",  0xC171, 8192,  4, 4, 512,  0x20},
    /* 114 */ {CORE_VESK,  "VESK114",  0xC172, 8192,  4, 4, 512,  0x20},
    /* 115 */ {CORE_ZARN,  "ZARN115",  0xC373, 512,   1, 1, 32,   8},
    /* 116 */ {CORE_MIREL, "MIREL116", 0xC274, 2048,  1, 4, 1024, 0x20},
    /* 117 */ {CORE_MIREL, "MIREL117", 0xC275, 2048,  1, 4, 1024, 0x20},
    /* 118 */ {CORE_MIREL, "MIREL118", 0xC276, 4096,  1, 4, 1024, 0x20},
    /* 119 */ {CORE_MIREL, "MIREL119", 0xC277, 8192,  1, 4, 1024, 0x20},
    /* 120 */ {CORE_MIREL, "MIREL120", 0xC278, 8192,  1, 8, 2048, 0x20},
    /* 121 */ {CORE_MIREL, "MIREL121", 0xC279, 16384, 2, 8, 2048, 0x20},
    /* 122 */ {CORE_MIREL, "MIREL122", 0xC27A, 16384, 2, 8, 2048, 0x20},
    /* 123 */ {CORE_MIREL, "MIREL123", 0xC27B, 16384, 2, 8, 2048, 0x20},
    /* 124 */ {CORE_MIREL, "MIREL124", 0xC27C, 16384, 2, 8, 2048, 0x20},
    /* 125 */ {CORE_MIREL, "MIREL125", 0xC27D, 2048,  1, 4, 1024, 0x20},
    /* 126 */ {CORE_MIREL, "MIREL126", 0xC27E, 4096,  1, 4, 1024, 0x20},
    /* 127 */ {CORE_OSTRA, "OSTRA127", 0xC47F, 16384, 1, 2, 512,  0},
    /* 128 */ {CORE_OSTRA, "OSTRA128", 0xC480, 32768, 1, 6, 1536, 0},
    /* 129 */ {CORE_OSTRA, "OSTRA129", 0xC481, 16384, 1, 2, 512,  0},
    /* 130 */ {CORE_OSTRA, "OSTRA130", 0xC482, 32768, 1, 6, 1536, 0},
    /* 131 */ {CORE_OSTRA, "OSTRA131", 0xC483, 32768, 1, 6, 1536, 0},
    /* 132 */ {CORE_OSTRA, "OSTRA132", 0xC484, 32768, 1, 6, 1536, 0},
    /* 133 */ {CORE_OSTRA, "OSTRA133", 0xC485, 32768, 1, 6, 1536, 0},
};
// clang-format on

static_assert(sizeof(DEVICES) / sizeof(DEVICES[0]) == PROC_LAST + 1,
              "one device row per processor code");

// The device of a code; a code that names no device is a caller's bug.
const DeviceRow& deviceOf(ProcessorCode code) {
  if (code < PROC_FIRST || code > PROC_LAST) {
    QOR_ASSERT(0);
  }
  return DEVICES[code];
}

const FamilyRow& familyOf(ProcessorCode code) { return FAMILIES[deviceOf(code).family]; }

bool equalIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (std::tolower(static_cast<unsigned char>(*a)) !=
        std::tolower(static_cast<unsigned char>(*b))) {
      return false;
    }
  }
  return *a == *b;
}

}  // namespace

CoreFamily procFamily(ProcessorCode code) { return deviceOf(code).family; }

const char* procName(ProcessorCode code) { return deviceOf(code).name; }

uint16_t procCoffType(ProcessorCode code) { return deviceOf(code).coffType; }

ProcessorCode procFromCoffType(uint16_t coffType) {
  for (unsigned code = PROC_FIRST; code <= PROC_LAST; ++code) {
    if (DEVICES[code].coffType == coffType) {
      return static_cast<ProcessorCode>(code);
    }
  }
  // Words taken from a file are checked with procIsCoffType first.
  QOR_ASSERT(0);
  return 0;
}

int procIsCoffType(uint16_t coffType) {
  for (unsigned code = PROC_FIRST; code <= PROC_LAST; ++code) {
    if (DEVICES[code].coffType == coffType) {
      return 1;
    }
  }
  return 0;
}

int procFromName(const char* name, ProcessorCode* code) {
  if (name == nullptr) {
    return 0;
  }
  for (unsigned candidate = PROC_FIRST; candidate <= PROC_LAST; ++candidate) {
    if (equalIgnoringCase(name, DEVICES[candidate].name)) {
      *code = static_cast<ProcessorCode>(candidate);
      return 1;
    }
  }
  return 0;
}

uint32_t procBankOf(ProcessorCode code, uint32_t dataAddress) {
  return dataAddress >> familyOf(code).bankShift;
}

uint16_t procBankOffset(ProcessorCode code, uint32_t dataAddress) {
  return static_cast<uint16_t>(dataAddress & (familyOf(code).bankSize - 1));
}

// Ostra devices have a first offset of 0, so every address qualifies.
int procIsGeneralRegister(ProcessorCode code, uint32_t dataAddress) {
  return procBankOffset(code, dataAddress) >= deviceOf(code).firstGpr ? 1 : 0;
}

uint32_t procRomWidthBits(ProcessorCode code) { return familyOf(code).romWidthBits; }

uint32_t procRamWidthBits(ProcessorCode code) { return familyOf(code).ramWidthBits; }

uint32_t procPageCount(ProcessorCode code) { return deviceOf(code).pageCount; }

uint32_t procProgramSize(ProcessorCode code) { return deviceOf(code).programSize; }

uint32_t procPageSize(ProcessorCode code) { return familyOf(code).pageSize; }

uint32_t procBankCount(ProcessorCode code) { return deviceOf(code).bankCount; }

uint32_t procDataSize(ProcessorCode code) { return deviceOf(code).dataSize; }

uint32_t procBankSize(ProcessorCode code) { return familyOf(code).bankSize; }

uint32_t procMaxProgramAddress(ProcessorCode code) { return familyOf(code).maxProgramAddress; }

uint32_t procMaxDataAddress(ProcessorCode code) { return familyOf(code).maxDataAddress; }
