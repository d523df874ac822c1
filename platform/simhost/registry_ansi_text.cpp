#include "platform/simhost/registry_ansi_text.h"

#include <array>

#include "simhost/registry/unicode_text.h"

namespace platform {
namespace {

constexpr uint32_t kWestern = 1252;
constexpr uint32_t kUtf8 = 65001;

// 0x80..0x9F of code page 1252; the rest of its upper half is Latin-1.
constexpr std::array<char16_t, 32> kWestern80 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char westernByte(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
  for (size_t i = 0; i < kWestern80.size(); ++i) {
    if (kWestern80[i] == unit) return static_cast<char>(0x80 + i);
  }
  return '?';
}

// One UTF-8 sequence at text[*pos]; U+FFFD (consuming one byte) when malformed.
uint32_t decodeUtf8(std::string_view text, size_t* pos) {
  const auto lead = static_cast<uint8_t>(text[*pos]);
  size_t length = 0;
  uint32_t cp = 0;
  uint32_t minimum = 0;
  if (lead < 0x80) {
    ++*pos;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2, cp = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, cp = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, cp = lead & 0x07, minimum = 0x10000;
  }
  bool ok = length != 0 && *pos + length <= text.size();
  for (size_t k = 1; ok && k < length; ++k) {
    const auto next = static_cast<uint8_t>(text[*pos + k]);
    ok = (next & 0xC0) == 0x80;
    cp = (cp << 6) | (next & 0x3F);
  }
  if (!ok || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++*pos;
    return 0xFFFD;
  }
  *pos += length;
  return cp;
}

}  // namespace

std::string registryTextToAnsi(std::u16string_view text, uint32_t codePage) {
  if (codePage == kUtf8) return simhost::utf16ToUtf8(text);
  std::string out;
  out.reserve(text.size());
  for (char16_t unit : text) {
    if (codePage == kWestern) {
      out.push_back(westernByte(unit));
    } else {
      out.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
    }
  }
  return out;
}

std::u16string registryTextFromAnsi(std::string_view text, uint32_t codePage) {
  std::u16string out;
  out.reserve(text.size());
  if (codePage == kUtf8) {
    for (size_t pos = 0; pos < text.size();) {
      uint32_t cp = decodeUtf8(text, &pos);
      if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
      } else {
        out.push_back(static_cast<char16_t>(cp));
      }
    }
    return out;
  }
  for (char c : text) {
    const auto byte = static_cast<uint8_t>(c);
    if (byte < 0x80 || (codePage == kWestern && byte >= 0xA0)) {
      out.push_back(byte);
    } else if (codePage == kWestern) {
      out.push_back(kWestern80[byte - 0x80]);
    } else {
      out.push_back(u'?');
    }
  }
  return out;
}

}  // namespace platform
