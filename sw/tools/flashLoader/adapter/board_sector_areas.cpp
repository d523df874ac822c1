#include "sw/tools/flashLoader/adapter/board_sector_areas.h"

#include <algorithm>
#include <new>

#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/flash_words.h"
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

int read_vnic_area(const DeviceHandle& handle, std::vector<uint32_t>* words) {
  std::vector<uint32_t> header;
  if (int read = read_area(handle, FlashLayout::kVnicArea, FlashLayout::kVnicHeaderBytes / 4, &header); read != 0)
    return read;
  words->clear();
  if ((header[0] & 0xFFFF) != FlashLayout::kVnicSignature) return 0;
  // A header that announces less than itself still keeps itself.
  const uint32_t bytes = std::max(FlashLayout::vnicAnnouncedBytes(header[1] >> 16), FlashLayout::kVnicHeaderBytes);
  return read_area(handle, FlashLayout::kVnicArea, bytes / 4, words);
}

int read_board_sector_areas(const DeviceHandle& handle, BoardSectorAreas* areas) {
  if (int read = read_area(handle, FlashLayout::kVpdArea, FlashLayout::kVpdAreaSize / 4, &areas->vpdArea)) return read;
  if (int read = read_area(handle, FlashLayout::kUserArea, FlashLayout::kUserAreaSize / 4, &areas->userArea))
    return read;
  if (int read = read_vnic_area(handle, &areas->vnicArea)) return read;
  return read_area(handle, FlashLayout::kFeatureArea, FlashLayout::kFeatureAreaSize / 4, &areas->featureArea);
}

int write_board_sector_areas_held(const DeviceHandle& handle, const BoardSectorAreas& areas) {
  if (write_flash_words(handle, FlashLayout::kUserArea, areas.userArea, true) != 0) return -1;
  if (write_flash_words(handle, FlashLayout::kVpdArea, areas.vpdArea, true) != 0) return -1;
  if (write_flash_words(handle, FlashLayout::kVnicArea, areas.vnicArea, true) != 0) return -1;
  return write_flash_words(handle, FlashLayout::kFeatureArea, areas.featureArea, true);
}

std::vector<uint32_t> board_sector_picture(const BoardSectorAreas& areas) {
  std::vector<uint32_t> sector(kSectorWords, 0xFFFFFFFF);
  place(sector, FlashLayout::kVnicArea, areas.vnicArea);
  place(sector, FlashLayout::kUserArea, areas.userArea);
  place(sector, FlashLayout::kVpdArea, areas.vpdArea);
  place(sector, FlashLayout::kFeatureArea, areas.featureArea);
  return sector;
}
