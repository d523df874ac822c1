// ANSI code pages: the programs pass text through Windows' "A" functions in
// the machine's code page, while the platform layer keeps text as UTF-16.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

inline constexpr uint32_t kCodePageOemUs = 437;
inline constexpr uint32_t kCodePageWestern = 1252;
inline constexpr uint32_t kCodePageUtf8 = 65001;

// True for the code pages converted here (437, 1252, 65001).
bool isSupportedCodePage(uint32_t codePage);

// UTF-16 to the code page. A character the code page lacks becomes '?'; for
// UTF-8 an unpaired surrogate becomes U+FFFD, as Windows writes it. Any other
// code page is treated as 1252.
std::string toCodePage(const std::u16string& text, uint32_t codePage);

// The code page to UTF-16. Every byte of 437 and 1252 has a character (the
// five unassigned bytes of 1252 map to the control characters of the same
// value, as Windows reads them); a malformed UTF-8 byte becomes U+FFFD.
std::u16string fromCodePage(const std::string& text, uint32_t codePage);

}  // namespace platform
