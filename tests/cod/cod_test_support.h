// Helpers of the COD file tests: capturing the diagnostics, building tables
// of a given shape and looking at the written bytes.
#pragma once

#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>

#include "captured_output.h"
#include "cod.h"
#include "diagnostics.h"

namespace codtest {

using qortest::CapturedOutput;

inline uint16_t word(const std::string& bytes, std::size_t offset) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes.at(offset)) |
                               (static_cast<uint8_t>(bytes.at(offset + 1)) << 8));
}

inline uint8_t byteAt(const std::string& bytes, std::size_t offset) {
  return static_cast<uint8_t>(bytes.at(offset));
}

// A Cod with `directories` windows and nothing else, shaped as the converter
// leaves it: one entry per window in the per-window tables.
inline Cod codWithWindows(std::size_t directories) {
  Cod cod;
  for (std::size_t k = 0; k < directories; ++k) {
    Directory directory;
    directory.HighAddr = static_cast<uint16_t>(k);
    cod.cDirectory.push_back(directory);
  }
  cod.cCode.resize(directories);
  cod.cLineInfo.resize(directories);
  cod.cMemoryMap.resize(directories);
  return cod;
}

inline std::string nameOf(char letter, std::size_t length) { return std::string(length, letter); }

// Every table filled, over three windows (the middle one without code,
// lines or memory map), with the shapes that sit on block edges: 33
// symbols, 86 line records in window 0, 85 in window 2, long symbols that
// end exactly at a block end, a local group of exactly 32 records and debug
// messages of several lengths.
inline Cod fullCod() {
  Cod cod = codWithWindows(3);
  Directory& first = cod.cDirectory[0];
  first.setSource("program.cod");
  first.setVersion("v2.10.01");
  first.setNotice("notice text");
  first.setProcessor("dev77");
  for (uint16_t key : {0, 1, 64, 127}) {
    Block block;
    for (std::size_t i = 0; i < COD_BLOCK_SIZE; ++i)
      block.bytes[i] = static_cast<uint8_t>(i * 7 + key);
    cod.cCode[0][key] = block;
  }
  Block high;
  high.bytes[511] = 0x5a;
  cod.cCode[2][3] = high;
  for (int i = 0; i < 33; ++i) {
    cod.cSymbol.emplace_back("symbol_" + std::to_string(i),
                             i % 2 ? COD_SYMBOL_TYPE_ADDRESS : COD_SYMBOL_TYPE_CONSTANT,
                             static_cast<uint16_t>(i * 0x101));
  }
  for (int i = 0; i < 9; ++i) cod.cSourceName.emplace_back("dir/file" + std::to_string(i) + ".asm");
  for (int i = 0; i < 86; ++i) cod.cLineInfo[0].emplace_back(i % 9, i % 3 ? 0 : 0x80, i + 1, i * 2);
  for (int i = 0; i < 85; ++i) cod.cLineInfo[2].emplace_back(1, 0x90, i + 1, 0);
  cod.cMemoryMap[0].emplace_back(0, 0x3ff);
  cod.cMemoryMap[0].emplace_back(0x8000, 0xffff);
  cod.cMemoryMap[2].emplace_back(0x600, 0x7ff);
  cod.cLongSymbol.emplace_back(nameOf('a', 249), COD_SYMBOL_TYPE_ADDRESS, 1);
  cod.cLongSymbol.emplace_back(nameOf('b', 249), COD_SYMBOL_TYPE_CONSTANT, 0x12345678);
  cod.cLongSymbol.emplace_back(nameOf('c', 255), COD_SYMBOL_TYPE_ADDRESS, 0xfffffffe);
  cod.cLongSymbol.emplace_back("d", COD_SYMBOL_TYPE_ADDRESS, 0);
  LocalGroup group;
  group.StartAddr = 0x100;
  group.EndAddr = 0x1ff;
  for (int i = 0; i < 31; ++i) group.Symbols.emplace_back("loc" + std::to_string(i), 137, i);
  cod.cLocalGroup.push_back(group);
  LocalGroup second;
  second.StartAddr = 0x12345;
  second.EndAddr = 0x23456;
  second.Symbols.emplace_back("x", 137, 9);
  cod.cLocalGroup.push_back(second);
  cod.cDebugMsg.emplace_back(0x10, 'a', "break here");
  cod.cDebugMsg.emplace_back(0x01020304, 'e', nameOf('m', 255));
  cod.cDebugMsg.emplace_back(0x20, 'l', nameOf('n', 240));
  return cod;
}

}  // namespace codtest
