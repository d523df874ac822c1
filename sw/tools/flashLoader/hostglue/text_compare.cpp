#include "sw/tools/flashLoader/hostglue/text_compare.h"

namespace {

char fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (fold(a[i]) != fold(b[i])) return false;
  return true;
}

std::string folded_case(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) c = fold(c);
  return folded;
}
