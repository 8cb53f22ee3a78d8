// Coff::dump and the record printers: a developer's view of an object, used
// in trace output only.
#include <ctime>

#include "coff.h"
#include "text_helpers.h"

namespace {

std::string calendarText(uint32_t seconds) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  char text[64] = "";
  if (const std::tm* local = std::localtime(&time))
    std::strftime(text, sizeof text, "%a %b %e %H:%M:%S %Y", local);
  return text;
}

// The name field as stored: the inline text, or the string table offset.
void dumpNameField(std::ostream& out, const NameField& field, const char* nameLabel,
                   const char* offsetLabel) {
  if (field.inStringTable()) {
    out << offsetLabel << field.offset();
    return;
  }
  std::string name;
  for (uint8_t byte : field.bytes) {
    if (byte == 0) break;
    name += static_cast<char>(byte);
  }
  out << nameLabel << name;
}

void dumpAux(std::ostream& out, const SymbolEntry& slot, int kind) {
  switch (kind) {
    case AUX_FILE: {
      const AuxFile aux = AuxFile::from(slot);
      out << "Aux File: x_offset=" << aux.x_offset << ", x_incline=" << aux.x_incline;
      break;
    }
    case AUX_SCN: {
      const AuxScn aux = AuxScn::from(slot);
      out << "Aux Scn: x_scnlen=" << aux.x_scnlen << ", x_nreloc=" << aux.x_nreloc
          << ", x_nlinno=" << aux.x_nlinno;
      break;
    }
    case AUX_TAG: {
      const AuxTag aux = AuxTag::from(slot);
      out << "Aux Tag: x_size=" << aux.x_size << ", x_endndx=" << aux.x_endndx;
      break;
    }
    case AUX_EOS: {
      const AuxEos aux = AuxEos::from(slot);
      out << "Aux Eos: x_tagndx=" << aux.x_tagndx << ", x_size=" << aux.x_size;
      break;
    }
    case AUX_FCN: {
      const AuxFcn aux = AuxFcn::from(slot);
      out << "Aux Fcn: x_tagndx=" << aux.x_tagndx << " (unused?), x_size=" << aux.x_size
          << " (unused?), x_lnnoptr=" << formatHex(aux.x_lnnoptr, 4)
          << ", x_edndx=" << aux.x_endndx;
      break;
    }
    case AUX_ARR: {
      const AuxArr aux = AuxArr::from(slot);
      out << "Aux Arr: x_tagndx=" << aux.x_tagndx << " (unused?), x_lnno=" << aux.x_lnno
          << " (unused?), x_size=" << aux.x_size;
      for (int i = 0; i < 4; ++i) out << ", x_dimen[" << i << "]=" << aux.x_dimen[i];
      break;
    }
    case AUX_EOBF: out << "Aux Eobf: x_lnno=" << AuxEobf::from(slot).x_lnno; break;
    case AUX_BOBF: {
      const AuxBobf aux = AuxBobf::from(slot);
      out << "Aux Bobf: x_lnno=" << aux.x_lnno << ", x_endndx=" << aux.x_endndx;
      break;
    }
    case AUX_VAR: {
      const AuxVar aux = AuxVar::from(slot);
      out << "Aux Var: x_tagndx=" << aux.x_tagndx << ", x_size=" << aux.x_size;
      break;
    }
    default: break;
  }
}

}  // namespace

void Coff::dumpFileHeader(std::ostream& out, const FileHeader& header) {
  out << "File Header: " << std::endl
      << "  f_magic=" << formatHex(header.f_magic, 2) << std::endl
      << "  f_nscns=" << header.f_nscns << std::endl
      << "  f_timdat=" << header.f_timdat << " (" << calendarText(header.f_timdat) << ")"
      << std::endl
      << "  f_symptr=" << formatHex(header.f_symptr, 4) << std::endl
      << "  f_nsyms=" << header.f_nsyms << std::endl
      << "  f_opthdr=" << header.f_opthdr << std::endl
      << "  f_flags=" << formatHex(header.f_flags, 2) << std::endl;
}

void Coff::dumpOptionalHeader(std::ostream& out, const OptionalHeader& header) {
  out << "Optional Header: " << std::endl
      << "  magic=" << formatHex(header.magic, 2) << std::endl
      << "  vstamp=" << formatHex(header.vstamp, 2) << std::endl
      << "  proc_type=" << formatHex(header.proc_type, 4) << std::endl
      << "  rom_width_bits=" << header.rom_width_bits << std::endl
      << "  ram_width_bits=" << header.ram_width_bits << std::endl;
}

void Coff::dumpSectionHeader(std::ostream& out, const SectionHeader& header) {
  out << "Section Header: " << std::endl << "  ";
  dumpNameField(out, header._s_name, "_s_name=", "_s_offset=");
  out << std::endl
      << "  s_paddr=" << formatHex(header.s_paddr, 4) << std::endl
      << "  s_vaddr=" << formatHex(header.s_vaddr, 4) << std::endl
      << "  s_size=" << header.s_size << std::endl
      << "  s_scnptr=" << formatHex(header.s_scnptr, 4) << std::endl
      << "  s_relptr=" << formatHex(header.s_relptr, 4) << std::endl
      << "  s_lnnoptr=" << formatHex(header.s_lnnoptr, 4) << std::endl
      << "  s_nreloc=" << header.s_nreloc << std::endl
      << "  s_nlnno=" << header.s_nlnno << std::endl
      << "  s_flags=" << formatHex(header.s_flags, 4) << std::endl;
}

void Coff::dumpLineno(std::ostream& out, const coff_lineno& line) {
  out << "Line Number: l_srcndx=" << line.l_srcndx << ", l_lnno=" << line.l_lnno
      << ", l_paddr=" << formatHex(line.l_paddr, 4) << ", l_flags=" << formatHex(line.l_flags, 2)
      << ", l_fcnndx=" << line.l_fcnndx << std::endl;
}

void Coff::dumpGnuLineno(std::ostream& out, const GnuLineno& line) {
  out << "Gnu Line Number: ";
  if (line.l_lnno == 0)
    out << "l_symndx=" << line.l_symndx();
  else
    out << "l_paddr=" << formatHex(line.l_paddr, 4);
  out << ", l_lnno=" << line.l_lnno << std::endl;
}

void Coff::dumpReloc(std::ostream& out, const reloc& entry) {
  out << "Relocation: r_vaddr=" << formatHex(entry.r_vaddr, 4) << ", r_symndx=" << entry.r_symndx
      << ", r_offset=" << entry.r_offset << ", r_type=" << entry.r_type << std::endl;
}

void Coff::dumpSymbol(std::ostream& out, const SymbolEntry& entry, int kind) {
  if (kind != AUX_NONE) {
    dumpAux(out, entry, kind);
    out << std::endl;
    return;
  }
  out << "Symbol: ";
  dumpNameField(out, entry._n_name, "_n_name=", "_n_offset=");
  out << ", n_value=" << formatHex(entry.n_value, 4) << ", n_scnum=" << entry.n_scnum
      << ", n_type=" << formatHex(entry.n_type, 2) << ", n_sclass=" << int{entry.n_sclass}
      << ", n_numaux=" << int{entry.n_numaux} << std::endl;
}

void Coff::dump(std::ostream& out) const {
  out << "CoffFile: " << cName << std::endl;
  dumpFileHeader(out, cFileHdr);
  dumpOptionalHeader(out, cOptHdr);
  for (const auto& [number, name] : cScnNum) {
    if (const auto header = cScnHdr.find(name); header != cScnHdr.end())
      dumpSectionHeader(out, header->second);
    if (const auto lines = cScnLineno.find(name); lines != cScnLineno.end())
      for (const coff_lineno& line : lines->second) dumpLineno(out, line);
    if (const auto relocs = cScnReloc.find(name); relocs != cScnReloc.end())
      for (const reloc& entry : relocs->second) dumpReloc(out, entry);
  }
  for (const auto& [name, data] : cRawData) {
    out << "Raw Data: " << name << std::endl;
    data.dump(out);
  }
  out << "Symbol Table: " << std::endl;
  for (size_t i = 0; i < cSymTbl.size(); ++i) {
    out << "Index[" << i << "]= ";
    dumpSymbol(out, cSymTbl[i], i < cAuxType.size() ? cAuxType[i] : AUX_NONE);
  }
  out << "String Table: " << std::endl;
  for (const auto& [offset, text] : cStrTbl)
    out << "Offset[" << offset << "]= " << text << std::endl;
}
