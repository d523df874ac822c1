#include "plugin/Source/basecomp/device_ids.h"

namespace brightwell {

std::u16string identifierFromHex(std::u16string_view hex) {
  auto part = [&](size_t from) { return std::u16string(hex.substr(from, 4)); };
  switch (hex.size()) {
    case 8: return u"PCI\\VEN_" + part(0) + u"&DEV_" + part(4);
    case 16: return u"PCI\\VEN_" + part(0) + u"&DEV_" + part(4) + u"&SUBSYS_" + part(12) + part(8);
    case 7: return u"*" + std::u16string(hex);
    default: return u"";
  }
}

bool countsAsPresentIdentifier(std::u16string_view identifier) {
  return identifier.find(u"&REV") == std::u16string_view::npos && identifier.find(u"&CC") == std::u16string_view::npos;
}

}  // namespace brightwell
