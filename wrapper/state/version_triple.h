// A firmware version as major, minor and build, compared in that order.
#pragma once

#include <compare>
#include <cstdint>
#include <string>

namespace keelson {

struct VersionTriple {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;

  auto operator<=>(const VersionTriple&) const = default;
};

// "major.minor.build" in decimal.
std::string versionText(const VersionTriple& v);

}  // namespace keelson
