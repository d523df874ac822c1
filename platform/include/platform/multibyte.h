// Multi-byte character sets that texts arrive in apart from the ANSI code
// page (MultiByteToWideChar with an explicit code page on Windows).
#pragma once

#include <cstdint>

namespace platform {

// One two-byte Shift-JIS (code page 932) character as a Unicode character,
// or -1 when the pair is not a character of that code page.
int32_t shiftJisPairToUnicode(uint8_t lead, uint8_t trail);

}  // namespace platform
