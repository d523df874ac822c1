#include "sw/tools/flashLoader/adapter/flash_read.h"

#include <cstdio>
#include <cstring>

#include "sw/tools/flashLoader/adapter/flash_words.h"
#include "sw/tools/flashLoader/adapter/progress_output.h"
#include "sw/tools/flashLoader/adapter/rom_lock.h"
#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

int read_words(const DeviceHandle& handle, uint32_t offset, std::span<uint32_t> words) {
  if (take_rom_lock(handle) != 0) {
    // Nobody running holds a lock this long: break it once and try again.
    release_rom_lock(handle);
    if (take_rom_lock(handle) != 0) return kFlashLockNotTaken;
  }
  const int result = read_flash_words(handle, offset, words);
  release_rom_lock(handle);
  return result;
}

int read_bytes(const DeviceHandle& handle, std::span<uint8_t> bytes, uint32_t offset, bool showProgress) {
  RomLockHold lock(handle);
  if (!lock.held()) return kFlashLockNotTaken;
  const size_t wholeWords = bytes.size() / 4;
  for (size_t i = 0; i < wholeWords; ++i) {
    uint32_t word = 0;
    if (read_flash_word(handle, offset + static_cast<uint32_t>(4 * i), &word) != 0) return -1;
    std::memcpy(bytes.data() + 4 * i, &word, 4);
    if (showProgress) show_progress_of(4 * (i + 1), bytes.size());
  }
  int result = 0;
  if (const size_t tail = bytes.size() % 4; tail != 0) {
    uint32_t word = 0;
    if (read_flash_word(handle, offset + static_cast<uint32_t>(4 * wholeWords), &word) != 0)
      result = kFlashTailWordFailed;
    std::memcpy(bytes.data() + 4 * wholeWords, &word, tail);
  }
  lock.release();
  if (showProgress) finish_progress(100);
  return result;
}

int rom_fast_read(const DeviceHandle& handle) {
  uint32_t word = 0;
  int read = -1;
  {
    RomLockHold lock(handle);
    if (lock.held()) read = read_flash_word(handle, burnkit::FlashLayout::kSector61, &word);
  }
  if (read != 0) {
    out_printf("rom_fast_read failed\n");
    return -1;
  }
  return word != 0 ? 1 : 0;
}
