// The file-name patterns of FindFirstFile: '*' any run of characters, '?'
// one character, letters without regard to case (ASCII). Every backend
// filters names with this one rule, so that a listing matches the same names
// on every host.
#pragma once

#include <string>

namespace platform {

bool matchesFilePattern(const std::string& pattern, const std::string& name);

}  // namespace platform
