#include "hex.h"

#include <algorithm>
#include <cstdio>

#include "diagnostics.h"
#include "output_set.h"
#include "qassert.h"
#include "replacement_file.h"
#include "same_file.h"
#include "text_helpers.h"
#include "word_stretch.h"

namespace {

const uint32_t kRecordSpan = 16;  // a record never crosses a 16-unit boundary
const uint32_t kSixteenBitLimit = 0x10000;

// Units that fit into the record starting at `address`.
uint32_t recordCount(uint32_t address, uint32_t unitsLeft) {
  return std::min(kRecordSpan - address % kRecordSpan, unitsLeft);
}

void appendEndRecord(HexText& file) { file.add(HEX_RECORD_END, 0, nullptr, 0); }

int reportFileFailure(const char* lead, const std::string& name, const char* tail) {
  reportError("Hex::write()", lead, name, tail);
  return 0;
}

int reportOpenFailure(const std::string& name) {
  return reportFileFailure("Could not open hex file '", name, "' for writing.");
}

// A full disk or a failed rename: the old file, if any, is still whole.
int reportWriteFailure(const std::string& name) {
  return reportFileFailure("Could not write hex file '", name, "'.");
}

// The object read is never replaced by what it was converted to, nor one
// hex file written over the other (the split layout's two names may be links
// to one file): 1 when every output is a file of its own.
int outputsStandAlone(const std::vector<HexFileText>& files, const std::string& input) {
  std::vector<std::string> names;
  for (const HexFileText& file : files) names.push_back(file.name);
  const std::string refusal = sameFileRefusal(names, {input});
  if (refusal.empty()) return 1;
  reportError("Hex::write()", refusal);
  return 0;
}

}  // namespace

void HexRange::dump(std::ostream& out) const {
  out << "HexRange: cStart=" << formatHex(cStart, 2) << ", cData=" << std::endl;
  cData.dump(out);
}

void Hex::sortRanges() { std::stable_sort(cRanges.begin(), cRanges.end()); }

std::vector<HexFileText> Hex::render(HexFormat format) {
  QOR_ASSERT(format == HEX_INHX8M || format == HEX_INHX8S || format == HEX_INHX32);
  sortRanges();
  // Each walk runs twice: once counting the text, once writing it. The
  // texts are moved into the list (a braced list would copy them).
  std::vector<HexFileText> files;
  if (format == HEX_INHX8S) {
    const std::vector<WordStretch> stretches = wordStretches(cRanges);
    HexText low;
    HexText high;
    renderWordAddressed(stretches, low, high);
    low.startWriting();
    high.startWriting();
    renderWordAddressed(stretches, low, high);
    files.push_back({cFileBaseName + ".hxl", low.take()});
    files.push_back({cFileBaseName + ".hxh", high.take()});
    return files;
  }
  HexText file;
  renderByteAddressed(format, file);
  file.startWriting();
  renderByteAddressed(format, file);
  files.push_back({cFileBaseName + ".hex", file.take()});
  return files;
}

void Hex::renderByteAddressed(HexFormat format, HexText& file) {
  int first = 1;
  for (const HexRange& range : cRanges) {
    uint32_t address = range.cStart;
    const uint32_t size = range.cData.size();
    for (uint32_t done = 0; done < size;) {
      doLinearAddressRecord(file, address, format, first);
      first = 0;
      const uint32_t count = recordCount(address, size - done);
      file.add(HEX_RECORD_DATA, static_cast<uint16_t>(address), range.cData.data() + done,
               static_cast<uint8_t>(count));
      address += count;
      done += count;
    }
  }
  appendEndRecord(file);
}

// Program words split into a file of low bytes and a file of high bytes at
// word addresses. A byte no range gives (the other half of a word at either
// end of a stretch on a byte-addressed memory) is 0x00: this layout holds
// whole words only.
void Hex::renderWordAddressed(const std::vector<WordStretch>& stretches, HexText& lowFile,
                              HexText& highFile) {
  int first = 1;
  for (const WordStretch& stretch : stretches) {
    StretchBytes bytes(stretch);
    uint32_t word = stretch.firstWord;
    for (uint32_t done = 0; done < stretch.words;) {
      doLinearAddressRecord(lowFile, word, HEX_INHX8S, first);
      doLinearAddressRecord(highFile, word, HEX_INHX8S, first);
      first = 0;
      const uint32_t count = recordCount(word, stretch.words - done);
      uint8_t low[kRecordSpan];
      uint8_t high[kRecordSpan];
      for (uint32_t k = 0; k < count; ++k) {
        low[k] = bytes.next();
        high[k] = bytes.next();
      }
      lowFile.add(HEX_RECORD_DATA, static_cast<uint16_t>(word), low, static_cast<uint8_t>(count));
      highFile.add(HEX_RECORD_DATA, static_cast<uint16_t>(word), high, static_cast<uint8_t>(count));
      word += count;
      done += count;
    }
  }
  appendEndRecord(lowFile);
  appendEndRecord(highFile);
}

void Hex::doLinearAddressRecord(HexText& file, uint32_t address, HexFormat format, int first) {
  if (first) cLastAddress = address;
  if (format == HEX_INHX8M || format == HEX_INHX8S) {
    if (address >= kSixteenBitLimit) {
      reportMessage(
          SEVERITY_ERROR, "Hex::doLinearAddressRecord()",
          "Selected hex format does not support byte addresses above 64kb; use INHX32 format!", 1);
    }
    return;
  }
  if (first || (address >> 16) != (cLastAddress >> 16)) {
    cLastAddress = address;
    const uint8_t upper[2] = {static_cast<uint8_t>(address >> 24),
                              static_cast<uint8_t>(address >> 16)};
    file.add(HEX_RECORD_LINEAR_ADDRESS, 0, upper, 2);
  }
}

// Every record is composed before any file is opened, so an address the
// layout cannot hold ends the run with no hex file written, and the files
// replace their old versions only once all of them are complete.
int Hex::write(HexFormat format) {
  const std::vector<HexFileText> files = render(format);
  if (!outputsStandAlone(files, cInputName)) return 0;
  OutputSet outputs;
  for (const HexFileText& file : files) {
    const std::string name = file.name;
    ReplacementFile& output = outputs.add([name] { reportWriteFailure(name); });
    if (!output.open(name, true)) return reportOpenFailure(name);
    // Flushed here, so that a failed write shows before any file is replaced.
    if (!output.writeText(file.text) || std::fflush(output.file()) != 0)
      return reportWriteFailure(name);
  }
  return outputs.commitAll();
}

void Hex::dump(std::ostream& out) const {
  out << "Hex: cFileBaseName=" << cFileBaseName << ", cRanges:" << std::endl;
  for (const HexRange& range : cRanges) range.dump(out);
}
