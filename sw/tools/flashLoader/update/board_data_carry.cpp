#include "sw/tools/flashLoader/update/board_data_carry.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <span>
#include <vector>

#include "sw/tools/flashLoader/adapter/board_identity.h"
#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/board_tables.h"
#include "sw/tools/flashLoader/boardconfig/crbinit_table.h"
#include "romimage/byte_order.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

using burnkit::FlashLayout;
using burnkit::UserArea;


// The picture's own register-initialisation table: the flash offset of the
// value word of the entry for the register, or 0 when it has none. Entries
// that would lie outside sector 0 are not looked at.
uint32_t image_crbinit_value_offset(const burnkit::FlashImage& image, uint32_t address) {
  const uint32_t first = burnkit::loadLe16(image.data() + 4);
  const uint32_t count = burnkit::loadLe16(image.data() + 6);
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t valueOffset = 4ull * (first + 2ull * i);
    if (valueOffset + 8 > FlashLayout::kSectorSize) break;
    if (image.word(static_cast<uint32_t>(valueOffset) + 4) == address) return static_cast<uint32_t>(valueOffset);
  }
  return 0;
}

// Whole words of the user area (every carried field is word-aligned).
void copy_user_area_words(const UserAreaRecord& from, uint32_t offset, uint32_t size, burnkit::FlashImage& to) {
  for (uint32_t at = offset; at < offset + size; at += 4) to.setWord(FlashLayout::kUserArea + at, from.word(at));
}

}  // namespace

std::optional<uint32_t> vnic_area_bytes(uint32_t headerWord0, uint32_t headerWord1) {
  if ((headerWord0 & 0xFFFF) != FlashLayout::kVnicSignature) return std::nullopt;
  return FlashLayout::vnicAnnouncedBytes(headerWord1 >> 16);
}

void carry_ncsi_setting(const DeviceHandle& handle, burnkit::FlashImage& image) {
  if (!subsystem_has(read_subsystem_id(handle), kNcsi)) return;
  std::vector<CrbinitEntry> entries;
  if (read_crbinit_entries(handle, &entries) != 0) return;
  const CrbinitEntry* flashEntry = find_crbinit_entry(entries, kCrbinitNcsiSetting);
  const uint32_t imageValue = image_crbinit_value_offset(image, kCrbinitNcsiSetting);
  // Offset 0 holds the table's header, never an entry's value.
  if (flashEntry == nullptr || imageValue == 0) return;
  if (image.word(imageValue) != flashEntry->value) image.setWord(imageValue, flashEntry->value);
}

void carry_board_identity(const UserAreaRecord& flashUserArea, uint32_t boardType, burnkit::FlashImage& image) {
  copy_user_area_words(flashUserArea, UserArea::kMacSlots, UserArea::kMacSlotCount * UserArea::kMacSlotSize, image);
  copy_user_area_words(flashUserArea, UserArea::kSerialNumber, UserArea::kSerialNumberSize, image);
  image.setWord(FlashLayout::kBoardTypeWord, boardType);
}

int read_feature_and_vnic_areas(const DeviceHandle& handle, std::span<uint8_t> picture, const char* vnicLine,
                                bool* vnicPresent) {
  *vnicPresent = false;
  if (read_bytes(handle, picture.subspan(FlashLayout::kFeatureArea, FlashLayout::kFeatureAreaSize),
                 FlashLayout::kFeatureArea, true) != 0)
    return kExitFlashNotReadable;

  uint32_t header[2] = {};
  if (read_words(handle, FlashLayout::kVnicArea, header) != 0) {
    err_printf("Failed vNIC property header access\n");
    return kExitFlashNotReadable;
  }
  const std::optional<uint32_t> vnicBytes = vnic_area_bytes(header[0], header[1]);
  if (!vnicBytes) {
    out_printf("No vNIC property area in romimage\n");
    return kExitOk;
  }
  out_printf("%s", vnicLine);
  if (*vnicBytes > 0 &&
      read_bytes(handle, picture.subspan(FlashLayout::kVnicArea, *vnicBytes), FlashLayout::kVnicArea, true) != 0) {
    err_printf("Failed vNIC property area access\n");
    return kExitFlashNotReadable;
  }
  *vnicPresent = true;
  return kExitOk;
}

int carry_board_areas(const DeviceHandle& handle, const UserAreaRecord& flashUserArea, burnkit::FlashImage& image) {
  bool vnicPresent = false;
  if (int read = read_feature_and_vnic_areas(handle, image.bytes(), "Restoring vNIC property area...\n", &vnicPresent);
      read != kExitOk)
    return read;
  if (vnicPresent) {
    copy_user_area_words(flashUserArea, UserArea::kFunctionMaskLow, 4, image);
    copy_user_area_words(flashUserArea, UserArea::kFunctionMaskHigh, 4, image);
  }
  return kExitOk;
}
