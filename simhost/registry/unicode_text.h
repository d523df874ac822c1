// Text conversions the registry store needs: the export file is UTF-8 (or
// UTF-16LE), while the registry itself holds names and texts as UTF-16.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace simhost {

// False when the input is not well-formed UTF-8 (truncated or overlong
// sequences, encoded surrogates, code points past U+10FFFF).
bool utf8ToUtf16(std::string_view text, std::u16string* out);

// Unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);

// True when every surrogate is part of a pair.
bool isWellFormedUtf16(std::u16string_view text);

// Code units from little-endian bytes; an odd last byte is dropped.
std::u16string utf16FromLeBytes(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> utf16ToLeBytes(std::u16string_view text);

}  // namespace simhost
