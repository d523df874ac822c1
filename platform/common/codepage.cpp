// Conversions between UTF-16 and the ANSI code pages the simulated machines
// use, with Windows' substitutions for what a code page cannot hold.
#include "platform/common/codepage.h"

#include <unordered_map>

#include "platform/common/codepage_tables.h"

namespace platform {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

const UpperHalf& upperHalfOf(uint32_t codePage) {
  return codePage == kCodePageOemUs ? kCp437Upper : kCp1252Upper;
}

// Character -> byte for the upper half of a single-byte code page.
const std::unordered_map<char16_t, char>& reverseOf(uint32_t codePage) {
  auto build = [](const UpperHalf& half) {
    std::unordered_map<char16_t, char> reverse;
    for (size_t i = 0; i < half.size(); ++i) reverse.emplace(half[i], static_cast<char>(0x80 + i));
    return reverse;
  };
  static const auto cp1252 = build(kCp1252Upper);
  static const auto cp437 = build(kCp437Upper);
  return codePage == kCodePageOemUs ? cp437 : cp1252;
}

bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Calls emit(codePoint, isUnpairedSurrogate) for each character of text.
template <typename Emit>
void forEachCodePoint(const std::u16string& text, Emit emit) {
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
      emit(0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00), false);
      ++i;
    } else {
      emit(c, isHighSurrogate(c) || isLowSurrogate(c));
    }
  }
}

void appendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | (c >> 6));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += static_cast<char>(0xE0 | (c >> 12));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (c >> 18));
    *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void appendUtf16(char32_t c, std::u16string* out) {
  if (c < 0x10000) {
    *out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    *out += static_cast<char16_t>(0xD800 + (c >> 10));
    *out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

// One UTF-8 sequence at text[*pos]; a malformed or cut sequence yields
// U+FFFD for its first byte only, so the bytes after it are read afresh.
char32_t decodeUtf8(const std::string& text, size_t* pos) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(*pos);
  size_t length = 0;
  char32_t c = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    ++*pos;
    return lead;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, c = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, c = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, c = lead & 0x07, minimum = 0x10000;
  } else {
    ++*pos;
    return kReplacement;
  }
  if (*pos + length > text.size()) {
    ++*pos;
    return kReplacement;
  }
  for (size_t i = 1; i < length; ++i) {
    unsigned char next = byte(*pos + i);
    if ((next & 0xC0) != 0x80) {
      ++*pos;
      return kReplacement;
    }
    c = (c << 6) | (next & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || isHighSurrogate(c) || isLowSurrogate(c)) {
    ++*pos;
    return kReplacement;
  }
  *pos += length;
  return c;
}

}  // namespace

bool isSupportedCodePage(uint32_t codePage) {
  return codePage == kCodePageOemUs || codePage == kCodePageWestern || codePage == kCodePageUtf8;
}

std::string toCodePage(const std::u16string& text, uint32_t codePage) {
  std::string out;
  out.reserve(text.size());
  if (codePage == kCodePageUtf8) {
    forEachCodePoint(text, [&](char32_t c, bool unpaired) { appendUtf8(unpaired ? kReplacement : c, &out); });
    return out;
  }
  const auto& reverse = reverseOf(codePage);
  forEachCodePoint(text, [&](char32_t c, bool) {
    if (c < 0x80) {
      out += static_cast<char>(c);
      return;
    }
    auto found = c < 0x10000 ? reverse.find(static_cast<char16_t>(c)) : reverse.end();
    out += found == reverse.end() ? '?' : found->second;
  });
  return out;
}

std::u16string fromCodePage(const std::string& text, uint32_t codePage) {
  std::u16string out;
  out.reserve(text.size());
  if (codePage == kCodePageUtf8) {
    for (size_t pos = 0; pos < text.size();) appendUtf16(decodeUtf8(text, &pos), &out);
    return out;
  }
  const UpperHalf& upper = upperHalfOf(codePage);
  for (char ch : text) {
    auto byte = static_cast<unsigned char>(ch);
    out += byte < 0x80 ? static_cast<char16_t>(byte) : upper[byte - 0x80];
  }
  return out;
}

}  // namespace platform
