#include "sw/tools/flashLoader/boardconfig/crbinit_table.h"

#include <algorithm>

#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/flash_words.h"
#include "sw/tools/flashLoader/adapter/rom_lock.h"
#include "romimage/flash_layout.h"

namespace {

using burnkit::FlashLayout;

constexpr uint32_t kSectorWords = FlashLayout::kSectorSize / 4;

}  // namespace

int read_crbinit_entries(const DeviceHandle& handle, std::vector<CrbinitEntry>* entries) {
  entries->clear();
  RomLockHold lock(handle);
  if (!lock.held()) return kFlashNotReadable;
  uint32_t placement = 0;
  if (read_flash_word(handle, FlashLayout::kCrbinitArea + 4, &placement) != 0) return kFlashNotReadable;
  const uint32_t first = placement & 0xFFFF;
  const uint32_t room = first < kSectorWords ? (kSectorWords - first) / 2 : 0;
  const uint32_t count = std::min(placement >> 16, room);

  std::vector<uint32_t> words(2 * size_t{count});
  if (read_flash_words(handle, FlashLayout::kCrbinitArea + 4 * first, words) != 0) return kFlashNotReadable;
  for (uint32_t i = 0; i < count; ++i) entries->push_back({words[2 * i], words[2 * i + 1]});
  return 0;
}

const CrbinitEntry* find_crbinit_entry(std::span<const CrbinitEntry> entries, uint32_t address) {
  auto found = std::find_if(entries.begin(), entries.end(), [&](const CrbinitEntry& e) { return e.address == address; });
  return found == entries.end() ? nullptr : &*found;
}
