#include "sw/tools/flashLoader/adapter/flash_digest.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/host.h"
#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/flash_words.h"
#include "sw/tools/flashLoader/adapter/rom_lock.h"
#include "romimage/flash_layout.h"
#include "romimage/md5_table.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

using burnkit::FlashLayout;
using burnkit::UserArea;

constexpr uint32_t kErasedWord = 0xFFFFFFFF;
constexpr uint32_t kUnsealedWords = FlashLayout::kUserArea + UserArea::kProductWord;  // 0x410 and 0x414

void print_digest(const platform::Md5Digest& digest) {
  for (uint8_t byte : digest) out_printf("%02X", byte);
}

}  // namespace

int read_sector_words(const DeviceHandle& handle, uint32_t sectorOffset, std::span<uint32_t, kSectorWords> words) {
  RomLockHold lock(handle);
  if (!lock.held()) return kFlashNotReadable;
  return read_flash_words(handle, sectorOffset, words);
}

bool hash_sector_words(SectorWords words, uint32_t sectorOffset, bool unsealedAsRead, platform::Md5Digest* digest) {
  // The words as they hash: in flash order, each as its bytes in memory
  // order, with the table's own substitutions.
  std::vector<uint32_t> hashed(words.begin(), words.end());
  auto substitute = [&](uint32_t offset, uint32_t count, uint32_t value) {
    if (offset < sectorOffset || offset >= sectorOffset + FlashLayout::kSectorSize) return;
    for (uint32_t i = 0; i < count; ++i) hashed[(offset - sectorOffset) / 4 + i] = value;
  };
  substitute(burnkit::kZeroHashedSlot, 4, 0);
  if (!unsealedAsRead) substitute(kUnsealedWords, 2, kErasedWord);

  platform::WinError error = platform::kErrorSuccess;
  std::unique_ptr<platform::Md5Hash> hash = platform::host().crypto().beginMd5(&error);
  if (!hash) {
    out_printf("CryptAcquireContext failed: %d\n", static_cast<int>(error));
    return false;
  }
  if (!hash->update(hashed.data(), hashed.size() * sizeof(uint32_t), &error)) {
    out_printf("CryptHashData failed: %d\n", static_cast<int>(error));
    return false;
  }
  if (!hash->finish(digest, &error)) {
    out_printf("CryptGetHashParam failed: %d\n", static_cast<int>(error));
    return false;
  }
  return true;
}

int sector_digest(const DeviceHandle& handle, uint32_t sectorOffset, bool unsealedAsRead,
                  platform::Md5Digest* digest) {
  std::vector<uint32_t> words(kSectorWords);
  std::span<uint32_t, kSectorWords> sector(words.data(), kSectorWords);
  if (int read = read_sector_words(handle, sectorOffset, sector); read != 0) return read;
  return hash_sector_words(sector, sectorOffset, unsealedAsRead, digest) ? 0 : -1;
}

int stored_digest(const DeviceHandle& handle, uint32_t sector, platform::Md5Digest* digest) {
  const uint32_t slot = burnkit::md5SlotOffset(sector);
  uint32_t words[4] = {};
  {
    RomLockHold lock(handle);
    if (!lock.held()) return kFlashNotReadable;
    for (int i = 3; i >= 0; --i)
      if (read_flash_word(handle, slot + 4 * static_cast<uint32_t>(i), &words[i]) != 0) return -1;
  }
  *digest = burnkit::slotDigestFromWords(words);
  return 0;
}

int check_sector(const DeviceHandle& handle, uint32_t sector) {
  const uint32_t sectorOffset = sector * FlashLayout::kSectorSize;
  std::vector<uint32_t> words(kSectorWords);
  std::span<uint32_t, kSectorWords> content(words.data(), kSectorWords);
  platform::Md5Digest computed{}, stored{};
  const bool read = read_sector_words(handle, sectorOffset, content) == 0;
  const bool hashed = read && hash_sector_words(content, sectorOffset, false, &computed);
  const bool haveStored = stored_digest(handle, sector, &stored) == 0;
  if (!hashed || !haveStored) return kMd5Mismatch;  // nothing to compare: the sector is not proven
  if (computed == stored) return 0;
  // The board sector's product words may change after its digest was made.
  if (sector == FlashLayout::kBoardSectorNumber && hash_sector_words(content, sectorOffset, true, &computed) &&
      computed == stored)
    return 0;

  err_printf("Error in MD5 of flash sector %d\n read     ", static_cast<int>(sector));
  flush_err();
  print_digest(stored);
  out_printf("\n");
  flush_out();
  err_printf(" expected ");
  flush_err();
  print_digest(computed);
  out_printf("\n");
  flush_out();
  return kMd5Mismatch;
}

int flash_self_test(const DeviceHandle& handle) {
  int result = 0;
  const uint32_t sector61 = FlashLayout::sectorOf(FlashLayout::kSector61);
  for (uint32_t sector = 0; sector < FlashLayout::kSectorCount; ++sector) {
    if (sector == sector61 && rom_fast_read(handle) == 0) continue;
    if (check_sector(handle, sector) != 0) {
      err_printf(" Error in MD5 of sector %d of flash\n", static_cast<int>(sector));
      result = kMd5Mismatch;
    }
  }
  return result;
}
