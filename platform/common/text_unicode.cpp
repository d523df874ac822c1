// The tests follow the documented outcomes of IsTextUnicode: a signature
// (FF FE) says yes, its reverse (FE FF) and an odd length say no; units that
// no UTF-16 text holds (FFFF, FFFE, an 8-bit CR LF read as one unit) or
// byte-swapped controls say no; otherwise UTF-16 controls (CR, LF, tab,
// space), text whose every unit has a zero high byte, or high bytes that
// vary much less than the low bytes say yes. As on Windows only the start of
// the buffer is looked at.
#include "platform/text_unicode.h"

#include <cstdint>
#include <cstdlib>

namespace platform {

namespace {

constexpr size_t kUnitsExamined = 256;

bool isControl(uint16_t unit) { return unit == 0x000D || unit == 0x000A || unit == 0x0009 || unit == 0x0020; }

bool isReversedControl(uint16_t unit) { return unit == 0x0D00 || unit == 0x0A00 || unit == 0x0900 || unit == 0x2000; }

bool isIllegal(uint16_t unit) { return unit == 0xFFFF || unit == 0xFFFE || unit == 0x0A0D; }

}  // namespace

bool isTextUnicode(const void* data, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  if (data == nullptr || size < 2) return false;
  if (bytes[0] == 0xFF && bytes[1] == 0xFE) return true;
  if (bytes[0] == 0xFE && bytes[1] == 0xFF) return false;
  if (size % 2 != 0) return false;

  size_t units = size / 2;
  if (units > kUnitsExamined) units = kUnitsExamined;
  bool controls = false;
  bool allHighZero = true;
  long lowVariation = 0;
  long highVariation = 0;
  for (size_t i = 0; i < units; ++i) {
    const unsigned low = bytes[2 * i];
    const unsigned high = bytes[2 * i + 1];
    const auto unit = static_cast<uint16_t>(low | high << 8);
    if (isIllegal(unit) || isReversedControl(unit)) return false;
    if (isControl(unit)) controls = true;
    if (high != 0 || unit == 0) allHighZero = false;
    if (i > 0) {
      lowVariation += std::labs(static_cast<long>(low) - bytes[2 * i - 2]);
      highVariation += std::labs(static_cast<long>(high) - bytes[2 * i - 1]);
    }
  }
  const bool statistics = highVariation * 3 < lowVariation;
  return controls || allHighZero || statistics;
}

}  // namespace platform
