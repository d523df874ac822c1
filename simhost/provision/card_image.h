// A new card's flash taken from a unified ROM image, as an upgrade would
// leave it: the picture of the matching product, the board's own data
// carried in, and an MD5 table over the result, so that the flash verifies.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "simhost/provision/provision.h"

namespace simhost {

// *flash holds the board's factory flash on the way in (its MAC slots,
// serial number and board type word are what is carried) and the picture on
// the way out. The product is the first flashable row for the card's board
// type, subsystem and chip revision.
bool flashFromImage(const std::string& imageFile, const CardOrder& order, std::vector<uint8_t>* flash,
                    std::string* error);

}  // namespace simhost
