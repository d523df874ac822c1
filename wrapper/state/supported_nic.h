// One adapter of the discovery that the configuration knows.
#pragma once

#include <cstdint>
#include <string>

#include "wrapper/state/version_triple.h"

namespace keelson {

inline constexpr uint8_t kNicSupported = 0x01;  // set when added to the list
inline constexpr uint8_t kNicChosen = 0x02;     // chosen for upgrade

struct SupportedNic {
  std::string name;      // "device_id", trimmed
  std::string location;  // bus:device.function, decimal
  std::string pciId;     // "%04X-%04X-%04X-%04X" of venid, devid, subvenid, subdevid
  std::string macAddress;
  VersionTriple installed;
  VersionTriple package;
  std::string productId;
  uint8_t flags = 0;
  std::string installedText;  // "active_version" as written
  std::string action;         // "action", trimmed; "skip" keeps it from being upgraded
};

}  // namespace keelson
