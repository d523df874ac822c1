// Names compared as Windows compares them: ASCII letters without regard to
// case (portable: no strcasecmp).
#pragma once

#include <algorithm>
#include <cctype>
#include <string>

namespace simhost {

inline bool sameTextIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

}  // namespace simhost
