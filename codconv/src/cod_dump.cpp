// Debugging dump of the COD tables, and the comparison of two Cods.
#include <iomanip>
#include <sstream>

#include "cod.h"

namespace {

// Hex number without changing the stream's settings for the caller.
std::string hex(uint32_t value, int width) {
  std::ostringstream text;
  text << "0x" << std::hex << std::setw(width) << std::setfill('0') << value;
  return text.str();
}

}  // namespace

void Directory::dump(std::ostream& out) const {
  out << "Directory: HighAddr=" << HighAddr << " NextDir=" << NextDir << " CodType=" << CodType
      << " AddrSize=" << static_cast<int>(AddrSize) << "\n"
      << "  Source='" << source() << "' Date='" << date() << "' Time=" << Time << "\n"
      << "  Version='" << version() << "' Compiler='" << compiler() << "' Processor='"
      << processor() << "'\n"
      << "  Notice='" << notice() << "'\n"
      << "  SymTab=" << SymTab << "-" << SymEnd << " NamTab=" << NamTab << "-" << NamEnd
      << " LineTab=" << LineTab << "-" << LineEnd << " MemMap=" << MemMapOfs << "-" << MemMapEnd
      << " LocalVars=" << LocalVars << "-" << LocalEnd << " LSymTab=" << LSymTab << "-" << LSymEnd
      << " MessTab=" << MessTab << "-" << MessEnd << "\n  Index:";
  for (std::size_t i = 0; i < COD_INDEX_ENTRIES; ++i) {
    if (Index[i] != 0) out << " [" << i << "]=" << Index[i];
  }
  out << "\n";
}

void Symbol::dump(std::ostream& out) const {
  out << "Symbol: '" << name() << "' value=" << hex(SymbolValue, 4) << codSymbolTypeText(SymbolType)
      << "\n";
}

void SourceName::dump(std::ostream& out) const { out << "SourceName: '" << fileName() << "'\n"; }

void LineInfo::dump(std::ostream& out) const {
  out << "LineInfo: file=" << static_cast<int>(FileNum) << " flags=" << hex(Flags, 2)
      << " line=" << Line << " address=" << hex(CodeAddress, 4) << "\n";
}

void MemoryMap::dump(std::ostream& out) const {
  out << "MemoryMap: " << hex(Start, 4) << "-" << hex(Last, 4) << "\n";
}

void LongSymbol::dump(std::ostream& out) const {
  out << "LongSymbol: '" << Name << "' value=" << hex(Value, 8) << codSymbolTypeText(Type) << "\n";
}

void LocalGroup::dump(std::ostream& out) const {
  out << "LocalGroup----{ " << hex(StartAddr, 8) << "-" << hex(EndAddr, 8) << "\n";
  for (const Symbol& symbol : Symbols) {
    out << "  ";
    symbol.dump(out);
  }
  out << "}\n";
}

void DebugMsg::dump(std::ostream& out) const {
  out << "DebugMsg: address=" << hex(Address, 8) << " type='" << Type << "' '" << Message << "'\n";
}

void Cod::dump(std::ostream& out) const {
  for (std::size_t k = 0; k < cDirectory.size(); ++k) {
    out << "---- window " << k << "\n";
    cDirectory[k].dump(out);
    if (k < cCode.size()) {
      for (const auto& [key, block] : cCode[k]) out << "Block: key=" << key << "\n";
    }
    if (k < cLineInfo.size()) {
      for (const LineInfo& line : cLineInfo[k]) line.dump(out);
    }
    if (k < cMemoryMap.size()) {
      for (const MemoryMap& map : cMemoryMap[k]) map.dump(out);
    }
  }
  for (const Symbol& symbol : cSymbol) symbol.dump(out);
  for (const SourceName& name : cSourceName) name.dump(out);
  for (const LongSymbol& symbol : cLongSymbol) symbol.dump(out);
  for (const LocalGroup& group : cLocalGroup) group.dump(out);
  for (const DebugMsg& message : cDebugMsg) message.dump(out);
}

bool Cod::operator==(const Cod& other) const {
  return cDirectory == other.cDirectory && cSymbol == other.cSymbol &&
         cSourceName == other.cSourceName && cLineInfo == other.cLineInfo &&
         cMemoryMap == other.cMemoryMap && cLongSymbol == other.cLongSymbol &&
         cLocalGroup == other.cLocalGroup && cDebugMsg == other.cDebugMsg && cCode == other.cCode;
}
