// Reading numbers and names out of configuration and report texts: strict
// conversions that say when a text does not hold a value of its type.
#pragma once

#include <cstdint>
#include <string>

namespace keelson {

// A hexadecimal id as a 32-bit signed long reads it: optional blanks, sign
// and "0x", then hexadecimal digits to the end of the text. False for an
// empty text, any other character, and a value outside the type (the two
// limits 0x7FFFFFFF and -0x80000000 included, as the overflow results).
bool parseHexId(const std::string& text, uint32_t* value);

// A decimal bus, device or function number: optional blanks around
// decimal digits, a value that fits a 32-bit signed int.
bool parseDecimalNumber(const std::string& text, int32_t* value);

// Without leading and trailing blanks (spaces and tabs).
std::string trimmed(const std::string& text);

}  // namespace keelson
