#include "sw/tools/flashLoader/boardconfig/crbinit_rewrite.h"

#include <cstdio>
#include <span>

#include "sw/tools/flashLoader/adapter/board_sector_areas.h"
#include "sw/tools/flashLoader/adapter/flash_write.h"
#include "sw/tools/flashLoader/adapter/sector_digest_update.h"
#include "sw/tools/flashLoader/boardconfig/setting_change.h"
#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

using burnkit::FlashLayout;

}  // namespace

int read_crbinit_sector(const DeviceHandle& handle, std::vector<uint32_t>* sector) {
  return read_area(handle, FlashLayout::kCrbinitArea, kSectorWords, sector) == 0 ? 0 : kSettingReadFailed;
}

std::optional<size_t> crbinit_value_index(const std::vector<uint32_t>& sector, uint32_t address) {
  if (sector.size() < 2) return std::nullopt;
  const size_t first = sector[1] & 0xFFFF;
  const size_t count = sector[1] >> 16;
  for (size_t i = 0; i < count && first + 2 * i + 1 < sector.size(); ++i)
    if (sector[first + 2 * i + 1] == address) return first + 2 * i;
  return std::nullopt;
}

int rewrite_crbinit_sector(const DeviceHandle& handle, const std::vector<uint32_t>& sector) {
  if (sector.size() != kSectorWords || erase_sector(handle, FlashLayout::kCrbinitArea) != 0 ||
      write_sector_image(handle, std::span<const uint32_t, kSectorWords>(sector.data(), kSectorWords),
                         FlashLayout::kCrbinitArea) != 0) {
    report_rewrite_failure("Failed to write crbinit...\n");
    return kSettingRewriteFailed;
  }
  return 0;
}

int refresh_crbinit_digests(const DeviceHandle& handle) {
  out_printf("Updating MD5 checksum...\n");
  flush_out();
  // Slot 62 covers the table itself, so it comes after slot 0.
  if (update_sector_digest(handle, 0) != 0) return kExitGeneralFailure;
  if (update_sector_digest(handle, FlashLayout::kBoardSectorNumber) != 0) return kExitGeneralFailure;
  return 0;
}
