// Version texts such as "4.0.593" to the packed form major << 24 |
// minor << 16 | build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace burnkit {

// Takes the first length + 1 characters of text (fewer when text ends or
// holds a zero byte first). The first "." ends the major text, the second
// the minor text; the build text ends at its first non-digit. Each part is
// converted as C does with base 0 (0x... hexadecimal, 0... octal, else
// decimal), so "08" is 0. Returns 0 and *version, or 1 when a dot is missing.
int string2version(std::string_view text, size_t length, uint32_t* version);

}  // namespace burnkit
