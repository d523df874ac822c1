// Shift-JIS through the system's own code page 932.
#include <windows.h>

#include "platform/multibyte.h"

namespace platform {

int32_t shiftJisPairToUnicode(uint8_t lead, uint8_t trail) {
  const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  wchar_t out[2] = {};
  // Exactly one character from exactly both bytes; every character of the
  // code page is a single UTF-16 unit.
  const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, in, 2, out, 2);
  if (n != 1) return -1;
  return static_cast<int32_t>(static_cast<uint16_t>(out[0]));
}

}  // namespace platform
