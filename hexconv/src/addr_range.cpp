#include "addr_range.h"

#include "text_helpers.h"

void AddrRange::dump(std::ostream& out) const {
  out << "AddrRange:  cStart=" << formatHex(cStart, 4) << "cEnd=" << formatHex(cEnd, 4)
      << std::endl;
}
