// Packing the tables into 512-byte blocks and writing the COD file.
#include <cstdio>
#include <cstring>
#include <ostream>

#include "byte_order.h"
#include "cod.h"
#include "diagnostics.h"
#include "file_stream_buffer.h"
#include "output_set.h"
#include "qassert.h"
#include "replacement_file.h"

namespace {

// Fills blocks with records that never straddle two blocks: a record that
// does not fit in the rest of the buffer starts a new block. The buffer is
// appended once more at the end when at least one record went in.
class BlockPacker {
 public:
  explicit BlockPacker(std::list<Block>& out) : cOut(out) { cOut.clear(); }

  // Room for the next record of `size` bytes, zero-filled.
  uint8_t* reserve(std::size_t size) {
    QOR_ASSERT(size <= COD_BLOCK_SIZE);
    if (cUsed + size > COD_BLOCK_SIZE) {
      cOut.push_back(cBuffer);
      cBuffer = Block();
      cUsed = 0;
    }
    uint8_t* place = cBuffer.data() + cUsed;
    cUsed += size;
    cAny = true;
    return place;
  }

  void finish() {
    if (cAny) cOut.push_back(cBuffer);
  }

 private:
  std::list<Block>& cOut;
  Block cBuffer;
  std::size_t cUsed = 0;
  bool cAny = false;
};

}  // namespace

void Cod::writeCodeBlocks(const std::map<uint16_t, Block>& blocks, std::list<Block>& out) {
  out.clear();
  for (const auto& [key, block] : blocks) out.push_back(block);
}

template <class Record>
void Cod::writeRecords(const std::list<Record>& records, std::list<Block>& out) {
  BlockPacker packer(out);
  for (const Record& record : records) record.pack(packer.reserve(Record::SIZE));
  packer.finish();
}

template void Cod::writeRecords<Symbol>(const std::list<Symbol>&, std::list<Block>&);
template void Cod::writeRecords<SourceName>(const std::list<SourceName>&, std::list<Block>&);
template void Cod::writeRecords<LineInfo>(const std::list<LineInfo>&, std::list<Block>&);
template void Cod::writeRecords<MemoryMap>(const std::list<MemoryMap>&, std::list<Block>&);

void Cod::writeLocalGroups(const std::list<LocalGroup>& groups, std::list<Block>& out) {
  BlockPacker packer(out);
  for (const LocalGroup& group : groups) {
    group.packHeader(packer.reserve(LocalGroup::RECORD_SIZE));
    for (const Symbol& symbol : group.Symbols) symbol.pack(packer.reserve(LocalGroup::RECORD_SIZE));
  }
  packer.finish();
}

void Cod::writeLongSymbols(const std::list<LongSymbol>& symbols, std::list<Block>& out) {
  BlockPacker packer(out);
  for (const LongSymbol& symbol : symbols) {
    std::size_t nameLength = symbol.size() - LongSymbol::FIXED_SIZE;
    uint8_t* record = packer.reserve(symbol.size());
    record[0] = static_cast<uint8_t>(nameLength);
    std::memcpy(record + 1, symbol.Name.data(), nameLength);
    writeLe16(record + 1 + nameLength, symbol.Type);
    writeBe32(record + 3 + nameLength, symbol.Value);
  }
  packer.finish();
}

void Cod::writeDebugMsgs(const std::list<DebugMsg>& messages, std::list<Block>& out) {
  BlockPacker packer(out);
  for (const DebugMsg& message : messages) {
    std::size_t textLength = message.size() - DebugMsg::FIXED_SIZE;
    uint8_t* record = packer.reserve(message.size());
    writeBe32(record, message.Address);
    record[4] = static_cast<uint8_t>(message.Type);
    record[5] = static_cast<uint8_t>(textLength);
    std::memcpy(record + 6, message.Message.data(), textLength);
  }
  packer.finish();
}

int Cod::writeBlockList(std::ostream& file, const std::string& fileName,
                        const std::list<Block>& blocks, const std::string& kind) {
  for (const Block& block : blocks) {
    file.write(reinterpret_cast<const char*>(block.data()), COD_BLOCK_SIZE);
    // Flushing each block lets a full disk show up under the kind of block
    // that did not fit.
    file.flush();
    if (!file) {
      reportMessage(SEVERITY_ERROR, "Cod::writeBlockList()",
                    "Could not write " + kind + " block in Cod file '" + fileName + "'.", 0);
      return 0;
    }
  }
  return 1;
}

std::string Cod::codFileName() const {
  if (!cFileName.empty() || cDirectory.empty()) return cFileName;
  return cDirectory[0].source();
}

int Cod::write() { return write(codFileName()); }

int Cod::write(const std::string& fileName) {
  OutputSet outputs;
  return write(outputs, fileName) && outputs.commitAll();
}

int Cod::write(OutputSet& outputs, const std::string& fileName) {
  const auto reportOpenFailure = [fileName] {
    reportMessage(SEVERITY_ERROR, "Cod::write()",
                  "Could not open Cod file '" + fileName + "' for writing.", 0);
  };
  // Messages name the file as given; the bytes go to the file behind a link.
  ReplacementFile& output = outputs.add(reportOpenFailure);
  if (!output.open(fileName)) {
    reportOpenFailure();
    return 0;
  }
  FileStreamBuffer buffer(output.file());
  std::ostream file(&buffer);
  const int written = writeAllBlocks(file, fileName);
  // Bytes still buffered must reach the file before it replaces the old one.
  if (written && !file.flush()) {
    reportMessage(SEVERITY_ERROR, "Cod::writeBlockList()",
                  "Could not write debug msg block in Cod file '" + fileName + "'.", 0);
    return 0;
  }
  return written;
}

int Cod::writeAllBlocks(std::ostream& file, const std::string& fileName) const {
  // Block numbers are 16-bit: a file of more blocks cannot be addressed.
  if (blockCounts().total() > COD_MAX_BLOCKS) {
    reportMessage(SEVERITY_ERROR, "Cod::write()",
                  "Cod file '" + fileName + "' would need more than 65536 blocks.", 0);
    return 0;
  }
  for (const Directory& directory : cDirectory) {
    Block block;
    directory.pack(block.data());
    file.write(reinterpret_cast<const char*>(block.data()), COD_BLOCK_SIZE);
  }
  file.flush();
  if (!file) {
    reportMessage(SEVERITY_ERROR, "Cod::write()",
                  "Could not write directory in Cod file '" + fileName + "'.", 0);
    return 0;
  }

  std::list<Block> blocks;
  for (const auto& code : cCode) {
    writeCodeBlocks(code, blocks);
    if (!writeBlockList(file, fileName, blocks, "code")) return 0;
  }
  writeRecords(cSymbol, blocks);
  if (!writeBlockList(file, fileName, blocks, "symbol")) return 0;
  writeRecords(cSourceName, blocks);
  if (!writeBlockList(file, fileName, blocks, "source name")) return 0;
  for (const auto& lines : cLineInfo) {
    writeRecords(lines, blocks);
    if (!writeBlockList(file, fileName, blocks, "line info")) return 0;
  }
  writeLocalGroups(cLocalGroup, blocks);
  if (!writeBlockList(file, fileName, blocks, "local group")) return 0;
  for (const auto& map : cMemoryMap) {
    writeRecords(map, blocks);
    if (!writeBlockList(file, fileName, blocks, "memory map")) return 0;
  }
  writeLongSymbols(cLongSymbol, blocks);
  if (!writeBlockList(file, fileName, blocks, "long symbol")) return 0;
  writeDebugMsgs(cDebugMsg, blocks);
  return writeBlockList(file, fileName, blocks, "debug msg");
}
