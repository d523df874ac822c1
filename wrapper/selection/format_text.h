// printf-style formatting into a string of the size the text needs.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace keelson {

template <typename... Args>
std::string formatText(const char* format, Args... args) {
  const int size = std::snprintf(nullptr, 0, format, args...);
  if (size <= 0) return std::string();
  std::vector<char> text(static_cast<size_t>(size) + 1);
  std::snprintf(text.data(), text.size(), format, args...);
  return std::string(text.data(), static_cast<size_t>(size));
}

}  // namespace keelson
