// Coff::write: the image in the writer's block order, one record at a time.
#include <climits>
#include <cstdio>
#include <string>

#include "byte_sink.h"
#include "coff_layout.h"
#include "diagnostics.h"
#include "output_set.h"
#include "replacement_file.h"

namespace {

const char* const WRITE_CONTEXT = "Coff::write()";

int reportWriteFault(const std::string& name, const char* ending) {
  reportError(WRITE_CONTEXT, "Coff file '", name, ending);
  return 0;
}

class CoffWriter {
 public:
  CoffWriter(const Coff& coff, ByteSink& sink) : cCoff(coff), cSink(sink) {}

  int run() {
    const std::vector<std::string> sections = sectionsInWriteOrder(cCoff);
    if (!writeHeaders(sections) || !writeRawData(sections) ||
        !writeLists(sections, cCoff.cScnReloc, "' could not write reloc.") ||
        !writeLists(sections, cCoff.cScnLineno, "' could not write lineinfo.") || !writeSymbols() ||
        !writeStrings())
      return 0;
    return 1;
  }

 private:
  int fail(const char* ending) { return reportWriteFault(cCoff.cName, ending); }

  bool put(const uint8_t* bytes, size_t length) { return cSink.put(bytes, length); }

  template <class Record>
  bool putRecord(const Record& record) {
    uint8_t bytes[Record::SIZE];
    record.encode(bytes);
    return put(bytes, Record::SIZE);
  }

  bool writeHeaders(const std::vector<std::string>& sections) {
    if (!putRecord(cCoff.cFileHdr)) return fail("' could not write file header.");
    if (!putRecord(cCoff.cOptHdr)) return fail("' could not write optional file header.");
    for (const std::string& name : sections)
      if (!putRecord(cCoff.cScnHdr.at(name))) return fail("' could not write section header.");
    return true;
  }

  bool writeRawData(const std::vector<std::string>& sections) {
    for (const std::string& name : sections) {
      const auto data = cCoff.cRawData.find(name);
      if (Coff::isUdata(cCoff.cScnHdr.at(name)) || data == cCoff.cRawData.end() ||
          data->second.size() == 0)
        continue;
      if (!put(data->second.data(), data->second.size()))
        return fail("' could not write raw data.");
    }
    return true;
  }

  // Each section's list of records (relocations or line entries) in turn.
  template <class Record>
  bool writeLists(const std::vector<std::string>& sections,
                  const std::map<std::string, std::list<Record>>& lists, const char* failure) {
    for (const std::string& name : sections) {
      const auto list = lists.find(name);
      if (list == lists.end()) continue;
      for (const Record& record : list->second)
        if (!putRecord(record)) return fail(failure);
    }
    return true;
  }

  bool writeSymbols() {
    for (const SymbolEntry& entry : cCoff.cSymTbl)
      if (!putRecord(entry)) return fail("' could not write symbol.");
    return true;
  }

  bool writeStrings() {
    uint8_t length[4];
    writeLe32(length, stringTableLength(cCoff.cStrTbl));
    if (!put(length, sizeof length)) return fail("' could not write string table length.");
    for (const auto& [offset, text] : cCoff.cStrTbl) {
      // The string and its terminating NUL in one write.
      if (!put(reinterpret_cast<const uint8_t*>(text.c_str()), text.size() + 1))
        return fail("' could not write string.");
    }
    return true;
  }

  const Coff& cCoff;
  ByteSink& cSink;
};

// A count or a file offset past its field would be written wrapped, and
// the file would read back as another object: such an image is refused
// before any byte of it is written.
bool fitsFormat(const Coff& coff) {
  const std::string fault = layoutLimitFault(coff);
  if (fault.empty()) return true;
  reportError(WRITE_CONTEXT, "Coff file '", coff.cName, fault);
  return false;
}

void reportOpenFailure(const std::string& name) {
  reportError(WRITE_CONTEXT, "Could not open Coff file '", name, "' for writing.");
}

}  // namespace

int Coff::write(std::FILE* file, uint64_t baseOffset) {
  cFileHdr.f_opthdr = OptionalHeader::SIZE;
  if (baseOffset > static_cast<uint64_t>(LONG_MAX) ||
      std::fseek(file, static_cast<long>(baseOffset), SEEK_SET) != 0)
    return reportWriteFault(cName, "' could not write file header.");
  FileSink sink(file);
  if (!write(sink)) return 0;
  if (std::fflush(file) != 0) return reportWriteFault(cName, "' could not write string.");
  return 1;
}

int Coff::write(ByteSink& sink) {
  // The writer always emits the 16-byte optional header, so the file header
  // must announce it, also for an object read in the older layout.
  cFileHdr.f_opthdr = OptionalHeader::SIZE;
  if (!fitsFormat(*this)) return 0;
  return CoffWriter(*this, sink).run();
}

// The image goes to a temporary beside the target and replaces it only when
// complete, so a failed write never destroys an existing file of that name.
int Coff::write() {
  OutputSet outputs;
  return write(outputs) && outputs.commitAll();
}

int Coff::write(OutputSet& outputs) {
  const std::string name = cName;
  ReplacementFile& output = outputs.add([name] { reportOpenFailure(name); });
  if (!output.open(cName)) {
    reportOpenFailure(cName);
    return 0;
  }
  const int written = write(output.file(), 0);
  // Bytes still buffered must reach the file before it replaces the old one.
  if (written && std::fflush(output.file()) != 0)
    return reportWriteFault(cName, "' could not write string.");
  return written;  // on failure the old file stays as it was
}
