#include "sw/tools/flashLoader/adapter/board_identity.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "sw/tools/flashLoader/adapter/adapter_registers.h"
#include "sw/tools/flashLoader/adapter/chip_identity.h"
#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/flash_words.h"
#include "sw/tools/flashLoader/adapter/register_access.h"
#include "sw/tools/flashLoader/adapter/rom_lock.h"
#include "romimage/flash_layout.h"

namespace {

using burnkit::FlashLayout;
using burnkit::UserArea;

bool board_type_unpublished(uint32_t value) { return value == 0 || value == 0x55555555 || value == 0xFFFFFFFF; }

bool is_ascii_alphanumeric(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

int read_board_type(const DeviceHandle& handle, uint32_t* boardType) {
  const uint32_t value = cvm_ppd_read(handle, kRegBoardType);
  if (board_type_unpublished(value)) return read_board_type_from_flash(handle, boardType);
  *boardType = value;
  return 0;
}

int read_board_type_from_flash(const DeviceHandle& handle, uint32_t* boardType) {
  RomLockHold lock(handle);
  if (!lock.held()) return -1;
  uint32_t word = 0;
  if (read_flash_word(handle, FlashLayout::kBoardTypeWord, &word) != 0) return -1;
  *boardType = word;
  return 0;
}

uint32_t read_subsystem_id(const DeviceHandle& handle) { return cvm_ppd_read(handle, kRegSubsystem); }

int read_serial_number(const DeviceHandle& handle, SerialNumber* serial) {
  std::vector<uint32_t> userArea(FlashLayout::kUserAreaSize / 4);
  if (int read = read_words(handle, FlashLayout::kUserArea, userArea); read != 0) return read;
  const auto* bytes = reinterpret_cast<const char*>(userArea.data());
  std::copy_n(bytes + UserArea::kSerialNumber, kSerialNumberSize, serial->begin());
  return 0;
}

std::string serial_number_text(const SerialNumber& serial) {
  std::string text;
  for (char c : serial) {
    if (c == '\0') break;
    text += c;
  }
  return text;
}

std::string alphanumeric_serial_number(const SerialNumber& serial) {
  std::string text = serial_number_text(serial);
  for (char c : text)
    if (!is_ascii_alphanumeric(c)) return std::string();
  return text;
}

int adapter_identity(const DeviceHandle& handle, std::string* identity) {
  if (g_adapter.nicType == 3) {
    uint64_t efuse = 0;
    get_efuse_id(handle, &efuse);
    if (efuse != 0 && efuse != UINT64_MAX) {
      char text[24];
      std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(efuse));
      *identity = text;
      return 0;
    }
  }
  SerialNumber serial{};
  if (int read = read_serial_number(handle, &serial); read != 0) return read;
  *identity = serial_number_text(serial);
  return 0;
}
