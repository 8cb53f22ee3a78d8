#include "addr_range.h"

#include "text_helpers.h"

void AddrRange::dump(std::ostream& out) const {
  out << "AddrRange:  cStart=" << formatHex(cStart, 4) << "cEnd=" << formatHex(cEnd, 4)
      << std::endl;
}

std::string AddrRange::text() const { return formatHex(cStart, 4) + "-" + formatHex(cEnd, 4); }

std::string rangesText(const std::vector<AddrRange>& ranges) {
  std::string text;
  for (const AddrRange& range : ranges) text += (text.empty() ? "" : ", ") + range.text();
  return text;
}
