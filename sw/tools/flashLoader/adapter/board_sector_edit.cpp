#include "sw/tools/flashLoader/adapter/board_sector_edit.h"

#include <algorithm>
#include <span>

#include "romimage/flash_layout.h"
#include "romimage/md5_table.h"
#include "sw/tools/flashLoader/adapter/flash_digest.h"
#include "sw/tools/flashLoader/adapter/flash_write.h"
#include "sw/tools/flashLoader/adapter/safe_sector_rewrite.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

using burnkit::FlashLayout;
using burnkit::UserArea;

constexpr uint32_t kErased = 0xFFFFFFFF;

size_t index_of(uint32_t offset) { return (offset - FlashLayout::kBoardSector) / 4; }

std::vector<uint32_t> words_at(const std::vector<uint32_t>& sector, uint32_t offset, size_t count) {
  const auto first = sector.begin() + static_cast<std::ptrdiff_t>(index_of(offset));
  return std::vector<uint32_t>(first, first + static_cast<std::ptrdiff_t>(count));
}

}  // namespace

void board_sector_areas_of(const std::vector<uint32_t>& sector, BoardSectorAreas* areas) {
  areas->vpdArea = words_at(sector, FlashLayout::kVpdArea, FlashLayout::kVpdAreaSize / 4);
  areas->userArea = words_at(sector, FlashLayout::kUserArea, FlashLayout::kUserAreaSize / 4);
  areas->featureArea = words_at(sector, FlashLayout::kFeatureArea, FlashLayout::kFeatureAreaSize / 4);
  areas->vnicArea.clear();
  const uint32_t head = sector[index_of(FlashLayout::kVnicArea)];
  if ((head & 0xFFFF) != FlashLayout::kVnicSignature) return;
  // A header that announces less than itself still keeps itself.
  const uint32_t announced = sector[index_of(FlashLayout::kVnicArea) + 1] >> 16;
  const uint32_t bytes = std::max(FlashLayout::vnicAnnouncedBytes(announced), FlashLayout::kVnicHeaderBytes);
  areas->vnicArea = words_at(sector, FlashLayout::kVnicArea, bytes / 4);
}

int read_board_sector(const DeviceHandle& handle, BoardSectorRead* read) {
  if (int got = read_whole_sector(handle, FlashLayout::kBoardSectorNumber, &read->sector); got != 0) return got;
  board_sector_areas_of(read->sector, &read->areas);
  return 0;
}

bool store_sector_digest(BoardSectorAreas& areas, uint32_t sector, const std::vector<uint32_t>& words) {
  platform::Md5Digest digest{};
  if (sector >= FlashLayout::kSectorCount || words.size() != kSectorWords ||
      !hash_sector_words(SectorWords(words.data(), kSectorWords), sector * FlashLayout::kSectorSize, false, &digest))
    return false;
  auto* slot = reinterpret_cast<uint8_t*>(areas.userArea.data()) + UserArea::kMd5Table + UserArea::kMd5SlotSize * sector;
  burnkit::storeSlotDigest(std::span<uint8_t, 16>(slot, 16), digest);
  return true;
}

int rewrite_board_sector(const DeviceHandle& handle, const BoardSectorRead& read, const BoardSectorAreas& changed,
                         const BoardSectorRewrite& how) {
  if (changed.vnicArea.size() * 4 > FlashLayout::kVnicRoom) {
    if (how.failureLine != nullptr) err_printf("%s", how.failureLine);
    return how.failureCode;
  }
  // The sector's own slot is hashed as zeros, so the digest of the picture
  // does not depend on what the slot holds.
  BoardSectorAreas sealed = changed;
  const std::vector<uint32_t> picture = board_sector_picture(changed);
  if (!store_sector_digest(sealed, FlashLayout::kBoardSectorNumber, picture)) return how.sealFailureCode;

  SectorEdit edit;
  edit.sector = FlashLayout::kBoardSectorNumber;
  edit.before = read.sector;
  edit.after = picture;
  SealWords seal;
  seal.offset = burnkit::md5SlotOffset(FlashLayout::kBoardSectorNumber);
  const size_t slotWord = (seal.offset - FlashLayout::kUserArea) / 4;
  for (size_t i = 0; i < seal.words.size(); ++i) {
    seal.words[i] = sealed.userArea[slotWord + i];
    edit.after[index_of(seal.offset) + i] = kErased;
  }
  edit.seal = seal;
  // The areas written before the seal hold the slot erased, as `after` does.
  BoardSectorAreas unsealed = changed;
  std::fill_n(unsealed.userArea.begin() + static_cast<std::ptrdiff_t>(slotWord), 4, kErased);
  if (how.write) edit.write = [&] { return how.write(unsealed); };
  edit.failureLine = how.failureLine;
  edit.eraseFailureLine = how.eraseFailureLine;
  edit.failureCode = how.failureCode;
  edit.eraseFailureCode = how.eraseFailureCode;
  edit.sealFailureLine = how.sealFailureLine;
  edit.sealFailureCode = how.sealFailureCode;
  return rewrite_sector_safely(handle, edit, serial_in_board_sector(read.sector));
}
