// The user area as one record read from the flash (536 words from
// 0x3E8000): firmware and BIOS versions, MAC address slots, serial number,
// PXE mask and hardware flags.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/mac_entry_write.h"
#include "romimage/flash_layout.h"

struct VersionTriple {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
};

class UserAreaRecord {
 public:
  static constexpr size_t kWords = burnkit::FlashLayout::kUserAreaSize / 4;

  // The 536 words, flash order; bytes in the flash's (little-endian) order.
  std::array<uint32_t, kWords>& words() { return words_; }
  uint32_t word(uint32_t offset) const;

  // Firmware on flash; the erased word reads as 0.0.0.
  VersionTriple firmwareVersion() const;
  VersionTriple biosVersion() const;
  // Slot n's address in display order (the slot keeps it last byte first).
  MacAddress mac(uint32_t slot) const;
  void setMac(uint32_t slot, const MacAddress& mac);
  // The serial number as stored, up to its NUL; and as reports show it.
  std::string serialNumber() const;
  std::string shownSerialNumber() const;

 private:
  const uint8_t* bytes() const { return reinterpret_cast<const uint8_t*>(words_.data()); }
  uint8_t* bytes() { return reinterpret_cast<uint8_t*>(words_.data()); }

  std::array<uint32_t, kWords> words_{};
};

// Reads the record under the ROM lock. 0, or the flash read's code.
int read_user_area(const DeviceHandle& handle, UserAreaRecord* record);

// The MAC address slot of a port: from slot 16 on for board type 0x80, from
// slot 0 on for every other board.
uint32_t mac_slot_of_port(uint32_t boardType, uint32_t port);

// "%2.2X%s" for each byte, ":" after the first five and " " after the last.
void print_mac_bytes(const MacAddress& mac);
