#include "platform/common/file_pattern.h"

#include <cctype>

namespace platform {

namespace {

char lowerAscii(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

}  // namespace

// Greedy with one step back to the last '*': linear in practice, and never
// worse than the product of the two lengths.
bool matchesFilePattern(const std::string& pattern, const std::string& name) {
  size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || lowerAscii(pattern[p]) == lowerAscii(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace platform
