#include "sw/tools/flashLoader/boardconfig/user_area_record.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "sw/tools/flashLoader/adapter/board_identity.h"
#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/board_tables.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

using burnkit::FlashLayout;
using burnkit::UserArea;

constexpr uint32_t kExtraMacSlotStart = 16;

VersionTriple version_at(const uint8_t* field) {
  return {field[0], field[1], static_cast<uint32_t>(field[2] | field[3] << 8)};
}

}  // namespace

uint32_t UserAreaRecord::word(uint32_t offset) const {
  uint32_t value;
  std::memcpy(&value, bytes() + offset, sizeof value);
  return value;
}

VersionTriple UserAreaRecord::firmwareVersion() const {
  if (word(UserArea::kFirmwareVersion) == 0xFFFFFFFF) return {};
  return version_at(bytes() + UserArea::kFirmwareVersion);
}

VersionTriple UserAreaRecord::biosVersion() const { return version_at(bytes() + UserArea::kBiosVersion); }

MacAddress UserAreaRecord::mac(uint32_t slot) const {
  MacAddress mac{};
  if (slot >= UserArea::kMacSlotCount) return mac;
  const uint8_t* stored = bytes() + UserArea::kMacSlots + UserArea::kMacSlotSize * slot;
  std::reverse_copy(stored, stored + 6, mac.begin());
  return mac;
}

void UserAreaRecord::setMac(uint32_t slot, const MacAddress& mac) {
  if (slot >= UserArea::kMacSlotCount) return;
  uint8_t* stored = bytes() + UserArea::kMacSlots + UserArea::kMacSlotSize * slot;
  std::reverse_copy(mac.begin(), mac.end(), stored);
  if (stored[6] == 0xFF) stored[6] = 0;
  if (stored[7] == 0xFF) stored[7] = 0;
}

std::string UserAreaRecord::serialNumber() const {
  SerialNumber serial;
  std::copy_n(reinterpret_cast<const char*>(bytes()) + UserArea::kSerialNumber, serial.size(), serial.begin());
  return serial_number_text(serial);
}

std::string UserAreaRecord::shownSerialNumber() const {
  SerialNumber serial;
  std::copy_n(reinterpret_cast<const char*>(bytes()) + UserArea::kSerialNumber, serial.size(), serial.begin());
  return alphanumeric_serial_number(serial);
}

int read_user_area(const DeviceHandle& handle, UserAreaRecord* record) {
  return read_words(handle, FlashLayout::kUserArea, record->words());
}

uint32_t mac_slot_of_port(uint32_t boardType, uint32_t port) {
  return (board_type_has(boardType, kMacsFromSlot16) ? kExtraMacSlotStart : 0) + port;
}

void print_mac_bytes(const MacAddress& mac) {
  for (size_t i = 0; i < mac.size(); ++i) out_printf("%2.2X%s", mac[i], i + 1 < mac.size() ? ":" : " ");
}
