// printf-style formatting of UTF-16 format texts, as the framework's wide
// printf does it: %s, %ls and %ws take a UTF-16 text, %S and %hs an 8-bit
// one, %c a UTF-16 character; numbers as in C. The result has no length
// limit. %n is refused (written as nothing).
#pragma once

#include <cstdarg>
#include <string>

namespace brightwell {

std::u16string formatWide(const char16_t* format, va_list args);
std::u16string formatWideText(const char16_t* format, ...);

}  // namespace brightwell
