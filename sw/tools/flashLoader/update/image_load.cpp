#include "sw/tools/flashLoader/update/image_load.h"

#include <cstdio>
#include <memory>

#include "sw/tools/flashLoader/adapter/board_identity.h"
#include "sw/tools/flashLoader/adapter/chip_identity.h"
#include "sw/tools/flashLoader/adapter/flash_words.h"
#include "sw/tools/flashLoader/adapter/rom_lock.h"
#include "romimage/flash_image_builder.h"
#include "romimage/image_messages.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"
#include "sw/tools/flashLoader/update/tool_messages.h"

namespace {

using burnkit::FlashLayout;
using burnkit::UserArea;

// The subsystem word the user area records: the product the flash was
// built for, which the running chip may report differently.
bool read_flash_subsystem(const DeviceHandle& handle, uint32_t* subsystem) {
  RomLockHold lock(handle);
  if (!lock.held()) return false;
  return read_flash_word(handle, FlashLayout::kUserArea + UserArea::kSubsystem, subsystem) == 0;
}

}  // namespace

int load_image_for_adapter(const DeviceHandle& handle, const std::string& path, burnkit::FlashImage* image) {
  std::string reason;
  std::unique_ptr<burnkit::FileImageSource> source = burnkit::FileImageSource::open(path, &reason);
  if (!source) {
    err_printf("Can't open file %s for reading.\n", path.c_str());
    return kExitFileProblem;
  }

  uint32_t subsystem = 0;
  if (!read_flash_subsystem(handle, &subsystem)) {
    out_printf("Problem reading ssysid from flash.\n");
    return kExitFlashNotReadable;
  }

  HardwareInfo info;
  if (!get_hw_nic_mode(handle, &info)) info.chipRevision = 0;
  uint32_t boardType = 0;
  if (read_board_type_from_flash(handle, &boardType) != 0 || info.chipRevision == 0) {
    out_printf("Problem reading the board information.\n");
    return kExitFileProblem;
  }

  if (burnkit::findProductAndBuild(*source, tool_messages(), *image, subsystem >> 16, subsystem & 0xFFFF,
                                   info.chipRevision, boardType) != 0) {
    out_printf("Can't read unified romimage into memory.\n");
    return kExitFileProblem;
  }
  return kExitOk;
}
