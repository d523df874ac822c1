#include "sw/tools/flashLoader/update/image_load.h"

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sw/tools/flashLoader/adapter/board_identity.h"
#include "sw/tools/flashLoader/adapter/chip_identity.h"
#include "sw/tools/flashLoader/adapter/flash_words.h"
#include "sw/tools/flashLoader/adapter/rom_lock.h"
#include "romimage/flash_image_builder.h"
#include "romimage/image_messages.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/state_reset.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"
#include "sw/tools/flashLoader/update/tool_messages.h"

namespace {

using burnkit::FlashLayout;

// Writes every text to the tool's console at once and keeps it.
class RecordingSink : public burnkit::MessageSink {
 public:
  explicit RecordingSink(burnkit::MessageLog& log) : log_(log) {}
  void write(burnkit::MessageStream stream, std::string_view text) override {
    log_.write(stream, text);
    tool_messages().write(stream, text);
  }

 private:
  burnkit::MessageLog& log_;
};
using burnkit::UserArea;

// The subsystem word the user area records: the product the flash was
// built for, which the running chip may report differently.
bool read_flash_subsystem(const DeviceHandle& handle, uint32_t* subsystem) {
  RomLockHold lock(handle);
  if (!lock.held()) return false;
  return read_flash_word(handle, FlashLayout::kUserArea + UserArea::kSubsystem, subsystem) == 0;
}

// The pictures built in this run, by image file and product: a run over many
// cards of one product builds its picture once. The texts a build wrote are
// kept and written again for each card, as a fresh build would.
struct BuiltPicture {
  std::string path;
  uint32_t subsystem = 0;
  uint32_t chipRevision = 0;
  uint32_t boardType = 0;
  burnkit::FlashImage image;
  burnkit::MessageLog messages;
};
std::vector<std::unique_ptr<BuiltPicture>> g_builtPictures;

const bool kReset = register_state_reset([] { g_builtPictures.clear(); });

// findProductAndBuild for the run; only successful builds are kept.
int build_picture(burnkit::ImageSource& source, const std::string& path, uint32_t subsystem, uint32_t chipRevision,
                  uint32_t boardType, burnkit::FlashImage* image) {
  for (const std::unique_ptr<BuiltPicture>& built : g_builtPictures) {
    if (built->path != path || built->subsystem != subsystem || built->chipRevision != chipRevision ||
        built->boardType != boardType)
      continue;
    for (const burnkit::MessageLog::Entry& entry : built->messages.entries())
      tool_messages().write(entry.stream, entry.text);
    *image = built->image;
    return 0;
  }
  auto built = std::make_unique<BuiltPicture>();
  built->path = path;
  built->subsystem = subsystem;
  built->chipRevision = chipRevision;
  built->boardType = boardType;
  RecordingSink sink(built->messages);
  const int result = burnkit::findProductAndBuild(source, sink, built->image, subsystem >> 16, subsystem & 0xFFFF,
                                                  chipRevision, boardType);
  if (result != 0) return result;
  *image = built->image;
  g_builtPictures.push_back(std::move(built));
  return 0;
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

  if (build_picture(*source, path, subsystem, info.chipRevision, boardType, image) != 0) {
    out_printf("Can't read unified romimage into memory.\n");
    return kExitFileProblem;
  }
  return kExitOk;
}
