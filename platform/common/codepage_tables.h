// The upper halves (bytes 0x80-0xFF) of the single-byte code pages; the lower
// halves are ASCII.
#pragma once

#include <array>

namespace platform {

using UpperHalf = std::array<char16_t, 128>;

extern const UpperHalf kCp1252Upper;
extern const UpperHalf kCp437Upper;

}  // namespace platform
