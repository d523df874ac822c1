// What the simulated host says about the boards it provisions: the device
// description Windows shows for each board type.
#pragma once

#include <cstdint>
#include <string>

namespace simhost {

std::string boardDescription(uint32_t boardType);

}  // namespace simhost
