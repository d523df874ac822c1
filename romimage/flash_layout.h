// FlashLayout: the fixed map of the adapter's 4 MiB serial flash, the regions
// burnkit addresses by offset. Everything else in the flash (boot loader,
// firmware, tuning data, PXE code) is placed by the unified ROM image.
#pragma once

#include <cstdint>

namespace burnkit {

struct FlashLayout {
  static constexpr uint32_t kSize = 0x400000;
  static constexpr uint32_t kSectorSize = 0x10000;
  static constexpr uint32_t kSectorCount = kSize / kSectorSize;  // 64
  static constexpr uint32_t kWordSize = 4;

  static constexpr uint32_t kCrbinitArea = 0x000000;  // sector 0: register-initialisation table
  static constexpr uint32_t kBoardConfigArea = 0x004000;
  static constexpr uint32_t kBoardTypeWord = 0x004008;
  static constexpr uint32_t kSector61 = 0x3D0000;     // MD5-checked only when its first word is not 0
  static constexpr uint32_t kBoardSector = 0x3E0000;  // sector 62
  static constexpr uint32_t kBoardSectorNumber = 62;
  static constexpr uint32_t kVnicArea = 0x3E0000;
  static constexpr uint16_t kVnicSignature = 0xFADE;
  static constexpr uint32_t kVnicUnitBytes = 8;    // the header's size field counts these
  static constexpr uint32_t kVnicHeaderBytes = 8;
  static constexpr uint32_t kVnicRoom = 0x8000;    // up to the user area
  static constexpr uint32_t kUserArea = 0x3E8000;
  static constexpr uint32_t kUserAreaSize = 2144;  // 536 words
  static constexpr uint32_t kVpdArea = 0x3E8C00;
  static constexpr uint32_t kVpdAreaSize = 1024;
  static constexpr uint8_t kVpdSignature = 0x82;
  static constexpr uint32_t kFeatureArea = 0x3E9000;
  static constexpr uint32_t kFeatureAreaSize = 4096;
  static constexpr uint32_t kCrbinitBackup = 0x3F0000;  // sector 63: copy of sector 0

  static constexpr uint32_t sectorOf(uint32_t offset) { return offset / kSectorSize; }

  // The bytes a vNIC header's 16-bit size field announces, the header
  // included, kept to the room before the user area: a size field that said
  // more would have the area overwrite the user area.
  static constexpr uint32_t vnicAnnouncedBytes(uint32_t sizeUnits) {
    return sizeUnits * kVnicUnitBytes < kVnicRoom ? sizeUnits * kVnicUnitBytes : kVnicRoom;
  }
};
static_assert(FlashLayout::kVnicArea + FlashLayout::kVnicRoom == FlashLayout::kUserArea);

// Fields of the user area, as offsets from its start (FlashLayout::kUserArea).
struct UserArea {
  static constexpr uint32_t kMd5Table = 0x000;  // 64 slots of 16 bytes, digest bytes reversed
  static constexpr uint32_t kMd5SlotSize = 16;
  static constexpr uint32_t kBootLoaderSize = 0x404;
  static constexpr uint32_t kFirmwareVersion = 0x408;  // u8 major, u8 minor, u16 build
  static constexpr uint32_t kFirmwareSize = 0x40C;
  static constexpr uint32_t kProductWord = 0x410;
  static constexpr uint32_t kUnsealedWord = 0x414;  // with 0x410: may change without a new digest
  static constexpr uint32_t kMacSlots = 0x418;      // 128 slots of 8 bytes, address bytes reversed
  static constexpr uint32_t kMacSlotSize = 8;
  static constexpr uint32_t kMacSlotCount = 128;
  static constexpr uint32_t kSubsystem = 0x818;  // subsystem id << 16 | subsystem vendor id
  static constexpr uint32_t kSerialNumber = 0x81C;
  static constexpr uint32_t kSerialNumberSize = 32;
  static constexpr uint32_t kBiosVersion = 0x83C;  // u8 major, u8 minor, u16 build
  static constexpr uint32_t kPxeEnable = 0x840;
  static constexpr uint32_t kHardwareFlags = 0x844;
  static constexpr uint32_t kFunctionMaskLow = 0x854;
  static constexpr uint32_t kFunctionMaskHigh = 0x858;
};

// A version packed as major << 24 | minor << 16 | build, in the byte layout
// the user area keeps it: major, minor, build low, build high.
constexpr uint32_t versionToUserAreaWord(uint32_t packed) {
  return (packed & 0xFFFF) << 16 | ((packed >> 16) & 0xFF) << 8 | packed >> 24;
}
constexpr uint32_t versionFromUserAreaWord(uint32_t word) {
  return (word & 0xFF) << 24 | ((word >> 8) & 0xFF) << 16 | word >> 16;
}

}  // namespace burnkit
