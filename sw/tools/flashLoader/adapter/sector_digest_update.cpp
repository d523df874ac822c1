#include "sw/tools/flashLoader/adapter/sector_digest_update.h"

#include <algorithm>
#include <span>

#include "sw/tools/flashLoader/adapter/board_sector_areas.h"
#include "sw/tools/flashLoader/adapter/flash_digest.h"
#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/rom_lock.h"
#include "romimage/flash_layout.h"
#include "romimage/md5_table.h"

namespace {

using burnkit::FlashLayout;
using burnkit::UserArea;

// The board sector's digest is that of the sector as it will be rewritten:
// only its four areas survive the erase, and a digest of what the flash held
// before it would not match what the flash holds after.
int board_sector_digest(const BoardSectorAreas& areas, platform::Md5Digest* digest) {
  const std::vector<uint32_t> picture = board_sector_picture(areas);
  return hash_sector_words(std::span<const uint32_t, kSectorWords>(picture.data(), kSectorWords),
                           FlashLayout::kBoardSector, false, digest)
             ? 0
             : -1;
}

}  // namespace

int update_sector_digest(const DeviceHandle& handle, uint32_t sector) {
  if (sector >= FlashLayout::kSectorCount) return -1;
  BoardSectorAreas areas;
  if (int read = read_board_sector_areas(handle, &areas); read != 0) return read;

  platform::Md5Digest digest{};
  const int hashed = sector == FlashLayout::kBoardSectorNumber
                         ? board_sector_digest(areas, &digest)
                         : sector_digest(handle, sector * FlashLayout::kSectorSize, false, &digest);
  if (hashed != 0) return hashed;
  auto* slot = reinterpret_cast<uint8_t*>(areas.userArea.data()) + UserArea::kMd5Table + UserArea::kMd5SlotSize * sector;
  burnkit::storeSlotDigest(std::span<uint8_t, 16>(slot, 16), digest);

  if (erase_sector(handle, FlashLayout::kUserArea) != 0) return kDigestEraseFailed;
  RomLockHold lock(handle);
  if (!lock.held()) return kFlashWriteFailed;
  return write_board_sector_areas_held(handle, areas) == 0 ? 0 : kFlashWriteFailed;
}
