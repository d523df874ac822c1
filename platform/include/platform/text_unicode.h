// IsTextUnicode with every test: whether a buffer probably holds UTF-16
// (little-endian) text. A byte-order mark decides at once; otherwise the
// buffer's 16-bit units are judged by the characters they would be.
#pragma once

#include <cstddef>

namespace platform {

bool isTextUnicode(const void* data, size_t size);

}  // namespace platform
