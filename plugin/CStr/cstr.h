// The plug-in's wide string: UTF-16 text, as the update framework keeps all
// of its texts, and the few operations on such texts that the plug-in needs
// beyond the standard string's.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brightwell {

class CStr : public std::u16string {
 public:
  using std::u16string::u16string;
  CStr() = default;
  CStr(const std::u16string& text) : std::u16string(text) {}
  CStr(std::u16string&& text) : std::u16string(std::move(text)) {}
  CStr(const CStr&) = default;
  CStr(CStr&&) = default;
  CStr& operator=(const CStr&) = default;
  CStr& operator=(CStr&&) = default;
  virtual ~CStr() = default;
};

// A null pointer reads as the empty text.
std::u16string_view textOf(const char16_t* text);

// Letters compared by their lower-case forms (ASCII, Latin-1 and the
// full-width Latin letters), as the framework compares names and codes.
char16_t foldCase(char16_t c);
bool equalsNoCase(std::u16string_view a, std::u16string_view b);
// The first occurrence of needle in text without regard to case, or npos.
size_t findNoCase(std::u16string_view text, std::u16string_view needle);
std::u16string lowerCase(std::u16string_view text);

// The runtime library's wide white-space test.
bool isWideSpace(char16_t c);

// Copies text into a buffer of capacity characters: at most capacity - 1 of
// them and a terminating zero. Nothing is written when capacity is 0.
void copyBounded(char16_t* buffer, size_t capacity, std::u16string_view text);
// Appends text behind what the buffer already holds, within capacity.
void appendBounded(char16_t* buffer, size_t capacity, std::u16string_view text);

// A decimal number with an optional sign after leading blanks, as _wtoi
// reads it (0 when there is none; values beyond 32 bits are clamped).
int32_t decimalOf(std::u16string_view text);

// ASCII text as UTF-16 (for the plug-in's own fixed texts).
std::u16string widen(std::string_view ascii);

}  // namespace brightwell
