#include "plugin/CStr/cstr.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace brightwell {

std::u16string_view textOf(const char16_t* text) { return text ? std::u16string_view(text) : std::u16string_view(); }

char16_t foldCase(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
  if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<char16_t>(c + 32);  // full-width Latin
  return c;
}

bool equalsNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (foldCase(a[i]) != foldCase(b[i])) return false;
  return true;
}

size_t findNoCase(std::u16string_view text, std::u16string_view needle) {
  if (needle.size() > text.size()) return std::u16string_view::npos;
  for (size_t i = 0; i + needle.size() <= text.size(); ++i)
    if (equalsNoCase(text.substr(i, needle.size()), needle)) return i;
  return std::u16string_view::npos;
}

std::u16string lowerCase(std::u16string_view text) {
  std::u16string out(text);
  std::transform(out.begin(), out.end(), out.begin(), foldCase);
  return out;
}

bool isWideSpace(char16_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

void copyBounded(char16_t* buffer, size_t capacity, std::u16string_view text) {
  if (buffer == nullptr || capacity == 0) return;
  size_t n = std::min(text.size(), capacity - 1);
  std::copy_n(text.data(), n, buffer);
  buffer[n] = u'\0';
}

void appendBounded(char16_t* buffer, size_t capacity, std::u16string_view text) {
  if (buffer == nullptr || capacity == 0) return;
  size_t used = 0;
  while (used < capacity && buffer[used] != u'\0') ++used;
  if (used == capacity) return;  // no terminator within the buffer: leave it as it is
  copyBounded(buffer + used, capacity - used, text);
}

int32_t decimalOf(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && isWideSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + (text[i] - u'0');
    if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) value = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  }
  if (negative) value = -value;
  value = std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
  return static_cast<int32_t>(value);
}

std::u16string widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace brightwell
