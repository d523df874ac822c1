// The adapter's serial flash as the chip sees it: one 4 MiB part erased in
// 64 KiB sectors and written in 32-bit little-endian words.
#pragma once

#include <cstdint>

namespace simhost {

inline constexpr uint32_t kFlashSize = 0x400000;
inline constexpr uint32_t kFlashSectorSize = 0x10000;
inline constexpr uint32_t kFlashWordSize = 4;
inline constexpr uint8_t kFlashErasedByte = 0xFF;
inline constexpr uint32_t kFlashErasedWord = 0xFFFFFFFF;

// Where the image builder leaves the firmware version (major u8, minor u8,
// build u16 LE) that a normally started driver reports as running.
inline constexpr uint32_t kFlashFirmwareVersionOffset = 0x3E8408;

}  // namespace simhost
