#include "sw/tools/flashLoader/update/vpd_update.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

using burnkit::FlashLayout;
using burnkit::UserArea;

constexpr uint32_t kMacText = 0x48;   // 12 hex digits, the address in display order
constexpr uint32_t kDateCode = 0x6D;  // 2-digit year, 2-digit week
constexpr uint32_t kChecksum = 0x74;  // bytes 0x00-0x74 sum to 0

// Week of manufacture by the serial number's fourth character.
const char* week_code(char c) {
  static const char* const kWeeks[] = {"01", "05", "09", "13", "18", "22", "26", "31", "35", "40", "44", "48"};
  static const char kMarks[] = "123456789ABC";
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (int i = 0; i < 12; ++i)
    if (upper != '\0' && kMarks[i] == upper) return kWeeks[i];
  return nullptr;
}

void write_date_code(uint8_t* vpd, const uint8_t* serial) {
  // The year: the third serial character shifted by 40, as an 8-bit signed
  // number; its first two decimal characters.
  const std::string year = std::to_string(static_cast<int>(static_cast<int8_t>(serial[2] + 40)));
  vpd[kDateCode] = static_cast<uint8_t>(year[0]);
  vpd[kDateCode + 1] = year.size() > 1 ? static_cast<uint8_t>(year[1]) : 0;
  const char* week = week_code(static_cast<char>(serial[3]));
  vpd[kDateCode + 2] = week ? static_cast<uint8_t>(week[0]) : 0;
  vpd[kDateCode + 3] = week ? static_cast<uint8_t>(week[1]) : 0;
}

void write_mac_text(uint8_t* vpd, const uint8_t* slot) {
  // The slot keeps the address last byte first; the text shows it in order.
  char text[13];
  std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X", slot[5], slot[4], slot[3], slot[2], slot[1], slot[0]);
  for (int i = 0; i < 12; ++i) vpd[kMacText + i] = static_cast<uint8_t>(text[i]);
}

void write_checksum(uint8_t* vpd) {
  uint8_t sum = 0;
  for (uint32_t i = 0; i < kChecksum; ++i) sum = static_cast<uint8_t>(sum + vpd[i]);
  vpd[kChecksum] = static_cast<uint8_t>(0x100 - sum);
}

}  // namespace

bool has_vpd_area(const burnkit::FlashImage& image) {
  return image.data()[FlashLayout::kVpdArea] == FlashLayout::kVpdSignature;
}

void update_vpd_area(burnkit::FlashImage& image) {
  uint8_t* vpd = image.data() + FlashLayout::kVpdArea;
  const uint8_t* user = image.data() + FlashLayout::kUserArea;
  write_date_code(vpd, user + UserArea::kSerialNumber);
  write_mac_text(vpd, user + UserArea::kMacSlots);
  write_checksum(vpd);
}
