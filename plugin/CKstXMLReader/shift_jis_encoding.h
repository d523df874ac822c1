// Expat's unknown-encoding handler for "SHIFT_JIS": single bytes through a
// fixed map (half-width katakana included), two-byte characters converted
// as code page 932.
#pragma once

#include <expat.h>

namespace brightwell {

// The handler; refuses every other encoding name.
int XMLCALL shiftJisEncodingHandler(void* data, const XML_Char* name, XML_Encoding* info);

// The single-byte map: -1 invalid, -2 the first byte of a two-byte
// character, else the character.
int shiftJisByteMap(unsigned char byte);

}  // namespace brightwell
