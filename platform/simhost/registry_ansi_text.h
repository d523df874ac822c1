// Registry text as the registry's "A" functions pass it: the registry holds
// UTF-16, the programs see the machine's ANSI code page. Code pages 1252 and
// 65001 are converted fully; under any other, ASCII passes and every other
// character becomes '?'.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// A character the code page lacks becomes '?'; for 65001 an unpaired
// surrogate becomes U+FFFD. NULs pass through, so whole value data converts.
std::string registryTextToAnsi(std::u16string_view text, uint32_t codePage);

// The five unassigned bytes of 1252 read as the control characters of the
// same value; a malformed UTF-8 byte reads as U+FFFD.
std::u16string registryTextFromAnsi(std::string_view text, uint32_t codePage);

}  // namespace platform
