#include "wrapper/state/version_triple.h"

namespace keelson {

std::string versionText(const VersionTriple& v) {
  return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.build);
}

}  // namespace keelson
