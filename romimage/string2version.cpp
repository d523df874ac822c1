#include "romimage/string2version.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace burnkit {

namespace {

unsigned long convert(const std::string& part) { return std::strtoul(part.c_str(), nullptr, 0); }

}  // namespace

int string2version(std::string_view text, size_t length, uint32_t* version) {
  std::string_view copied = text.substr(0, length < text.size() ? length + 1 : text.size());
  copied = copied.substr(0, copied.find('\0'));

  size_t firstDot = copied.find('.');
  if (firstDot == std::string_view::npos) return 1;
  size_t secondDot = copied.find('.', firstDot + 1);
  if (secondDot == std::string_view::npos) return 1;

  std::string major(copied.substr(0, firstDot));
  std::string minor(copied.substr(firstDot + 1, secondDot - firstDot - 1));
  std::string_view rest = copied.substr(secondDot + 1);
  size_t digits = 0;
  while (digits < rest.size() && std::isdigit(static_cast<unsigned char>(rest[digits]))) ++digits;
  std::string build(rest.substr(0, digits));

  *version =
      static_cast<uint32_t>((convert(major) & 0xFF) << 24 | (convert(minor) & 0xFF) << 16 | (convert(build) & 0xFFFF));
  return 0;
}

}  // namespace burnkit
