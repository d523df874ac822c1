// The files of one card inside its directory DIR/cards/NAME.
#pragma once

#include <string>

namespace simhost {

inline std::string cardJsonPath(const std::string& cardDir) { return cardDir + "/card.json"; }
inline std::string flashPath(const std::string& cardDir) { return cardDir + "/flash.bin"; }
inline std::string chipPath(const std::string& cardDir) { return cardDir + "/chip.bin"; }
inline std::string faultsPath(const std::string& cardDir) { return cardDir + "/faults.json"; }
inline std::string faultsLockPath(const std::string& cardDir) { return cardDir + "/.faults.lock"; }
inline std::string violationsPath(const std::string& cardDir) { return cardDir + "/violations.log"; }

}  // namespace simhost
