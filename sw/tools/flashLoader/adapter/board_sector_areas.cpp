#include "sw/tools/flashLoader/adapter/board_sector_areas.h"

#include <algorithm>
#include <new>

#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/flash_write.h"
#include "romimage/flash_layout.h"

namespace {

using burnkit::FlashLayout;

void place(std::vector<uint32_t>& sector, uint32_t offset, const std::vector<uint32_t>& words) {
  std::copy(words.begin(), words.end(), sector.begin() + (offset - FlashLayout::kBoardSector) / 4);
}

}  // namespace

int read_area(const DeviceHandle& handle, uint32_t offset, size_t count, std::vector<uint32_t>* words) {
  try {
    words->assign(count, 0);
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
  return read_words(handle, offset, *words);
}

std::vector<uint32_t> board_sector_picture(const BoardSectorAreas& areas) {
  std::vector<uint32_t> sector(kSectorWords, 0xFFFFFFFF);
  place(sector, FlashLayout::kVnicArea, areas.vnicArea);
  place(sector, FlashLayout::kUserArea, areas.userArea);
  place(sector, FlashLayout::kVpdArea, areas.vpdArea);
  place(sector, FlashLayout::kFeatureArea, areas.featureArea);
  return sector;
}
