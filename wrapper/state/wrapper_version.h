// The wrapper's own file version, as its version resource carries it: the
// banner and the version report print it as major.minor.build.revision.
#pragma once

#include <string>

namespace keelson {

inline constexpr unsigned kWrapperVersionMajor = 4;
inline constexpr unsigned kWrapperVersionMinor = 0;
inline constexpr unsigned kWrapperVersionBuild = 593;
inline constexpr unsigned kWrapperVersionRevision = 0;

inline std::string wrapperFileVersion() {
  return std::to_string(kWrapperVersionMajor) + "." + std::to_string(kWrapperVersionMinor) + "." +
         std::to_string(kWrapperVersionBuild) + "." + std::to_string(kWrapperVersionRevision);
}

}  // namespace keelson
