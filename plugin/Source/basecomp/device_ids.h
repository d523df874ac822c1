// Hardware identifiers: the package's supported devices as the setup
// interface spells them, and which identifiers of a present device count.
#pragma once

#include <string>
#include <string_view>

namespace brightwell {

// The identifier for a run of hexadecimal digits, by its length: 8 gives
// "PCI\VEN_vvvv&DEV_dddd", 16 (vendor, device, subvendor, subdevice) gives
// "PCI\VEN_vvvv&DEV_dddd&SUBSYS_ssssuuuu" with the subdevice first, 7 gives
// "*" and the text; any other length the empty identifier.
std::u16string identifierFromHex(std::u16string_view hex);

// A present device's identifier counts unless it names a revision or a
// class code.
bool countsAsPresentIdentifier(std::u16string_view identifier);

}  // namespace brightwell
