// Names of the symbol type codes, shown by the debugging dump.
#include <array>

#include "cod.h"

namespace {

// The fifteen function-shape names "<prefix><result>_<argument>", results
// in the outer order, arguments in the inner order.
#define COD_FUNCTION_SHAPES(prefix)                                                    \
  prefix "void_none", prefix "void_byte", prefix "void_twobyte", prefix "void_long",   \
      prefix "void_undef", prefix "int_none", prefix "int_byte", prefix "int_twobyte", \
      prefix "int_long", prefix "int_undef", prefix "long_none", prefix "long_byte",   \
      prefix "long_twobyte", prefix "long_long", prefix "long_undef"

constexpr std::array<const char*, COD_SYMBOL_TYPE_COUNT> SYMBOL_TYPE_NAMES = {
    // 0-15
    "a_reg", "x_reg", "c_short", "c_long", "c_ushort", "c_ulong", "c_pointer", "c_upointer",
    "table", "m_byte", "m_boolean", "m_index", "byte_array", "u_byte_array", "word_array",
    "u_word_array",
    // 16-30, 31-45
    COD_FUNCTION_SHAPES("func_"), COD_FUNCTION_SHAPES("pfun_"),
    // 46-60
    "address", "constant", "bad_und", "br_und", "upper_und", "byte_und", "add_und", "m_keyword",
    "add_mi_und", "c_vector", "port_w", "port_r", "port_rw", "port_rmw", "endif",
    // 61-78
    "exundef", "macro_s", "macro_a", "macro_c", "c_keyword", "c_void", "c_enum", "c_typedef1",
    "c_utypedef1", "c_typedef2", "c_utypedef2", "cp_typedef1", "cp_utypedef1", "cp_typedef2",
    "cp_utypedef2", "c_struct", "i_struct", "l_const",
    // 79-93
    "s_short", "s_ushort", "s_long", "s_ulong", "sa_short", "sa_ushort", "sa_long", "sa_ulong",
    "sp_short", "sp_ushort", "sp_long", "sp_ulong", "FixedPointer", "PointerFunction", "cc_reg",
    // 94-108, 109-123
    COD_FUNCTION_SHAPES("PtrF_"), COD_FUNCTION_SHAPES("PfAR_"),
    // 124-130
    "FWDlit", "PFunc", "mgoto", "mcgoto", "mcgoto2", "mcgoto3", "mcgoto4",
    // 131-133: spare codes without a meaning of their own
    "reserved_131", "reserved_132", "reserved_133",
    // 134-143
    "mcall", "mc_call", "res_word", "local", "unknown", "varlabel", "c_extern", "global", "segment",
    "Bankaddr",
    // 144-151
    "bit_0", "bit_1", "bit_2", "bit_3", "bit_4", "bit_5", "bit_6", "bit_7"};

#undef COD_FUNCTION_SHAPES

// A missing name would leave a null entry at the end.
static_assert(SYMBOL_TYPE_NAMES[COD_SYMBOL_TYPE_COUNT - 1] != nullptr);

}  // namespace

const char* codSymbolTypeName(uint32_t code) {
  return code < SYMBOL_TYPE_NAMES.size() ? SYMBOL_TYPE_NAMES[code] : nullptr;
}

std::string codSymbolTypeText(uint32_t code) {
  const char* name = codSymbolTypeName(code);
  return name != nullptr ? std::string(", <") + name + ">" : std::string(", <bad type>");
}
