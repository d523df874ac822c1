// Reading the flash under the ROM lock: each operation takes the lock once
// and gives it back on every path.
#pragma once

#include <cstdint>
#include <span>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

// Result codes of the flash operations.
inline constexpr int kFlashLockNotTaken = 9;
inline constexpr int kFlashNotReadable = 12;
inline constexpr int kFlashWriteFailed = 14;
inline constexpr int kFlashTailWordFailed = 15;

// words.size() words from a flash byte offset. A lock that cannot be taken
// is released once (a run that died holding it) and taken again. 0; 9 when
// the lock is not taken; -1 when a word could not be read.
int read_words(const DeviceHandle& handle, uint32_t offset, std::span<uint32_t> words);

// bytes.size() bytes from a flash byte offset, by whole words; a tail of 1-3
// bytes comes from one more word. Progress on standard output when asked.
// 0; 9; -1 when a whole word failed; 15 when only the tail word failed (its
// bytes are copied all the same).
int read_bytes(const DeviceHandle& handle, std::span<uint8_t> bytes, uint32_t offset, bool showProgress);

// The first word of sector 61: 1 when it is not 0, 0 when it is, -1 (after
// "rom_fast_read failed\n") when it cannot be read.
int rom_fast_read(const DeviceHandle& handle);
