#include "sw/tools/flashLoader/update/flash_upgrade.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <vector>

#include "platform/host.h"
#include "sw/tools/flashLoader/adapter/board_identity.h"
#include "sw/tools/flashLoader/adapter/flash_digest.h"
#include "sw/tools/flashLoader/adapter/flash_update_notice.h"
#include "sw/tools/flashLoader/adapter/flash_write.h"
#include "sw/tools/flashLoader/adapter/progress_output.h"
#include "sw/tools/flashLoader/adapter/rom_lock.h"
#include "sw/tools/flashLoader/adapter/write_protection.h"
#include "sw/tools/flashLoader/boardconfig/board_report.h"
#include "sw/tools/flashLoader/boardconfig/user_area_record.h"
#include "sw/tools/flashLoader/hostglue/host_checks.h"
#include "sw/tools/flashLoader/runstate/run_state.h"
#include "romimage/flash_image.h"
#include "romimage/image_messages.h"
#include "romimage/md5_table.h"
#include "sw/tools/flashLoader/update/board_data_carry.h"
#include "sw/tools/flashLoader/update/driver_mode_steps.h"
#include "sw/tools/flashLoader/hostglue/file_handle.h"
#include "sw/tools/flashLoader/update/flash_backup.h"
#include "sw/tools/flashLoader/update/flash_restore.h"
#include "sw/tools/flashLoader/runstate/flash_write_phase.h"
#include "sw/tools/flashLoader/update/image_load.h"
#include "sw/tools/flashLoader/update/image_location.h"
#include "sw/tools/flashLoader/update/operator_confirmation.h"
#include "sw/tools/flashLoader/adapter/stage_output.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/update/version_compare.h"
#include "sw/tools/flashLoader/update/vpd_update.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"
#include "sw/tools/flashLoader/update/tool_messages.h"

namespace {

using burnkit::FlashLayout;
using burnkit::UserArea;

enum Stage { kInit, kExtracting, kBoardAreas, kMd5, kBackingUp, kUpdating, kVerifying, kCleanup, kFinished };
constexpr const char* kStageNames[] = {
    "Init",           "Extracting Romimage", "Preserving board areas", "Calculating MD5", "Backing up current flash",
    "Updating flash", "Verifying Flash MD5", "Performing cleanup",     "Finished",
};

void stage(Stage s) { show_stage(s, kFinished, kStageNames[s]); }

// What one upgrade learns and builds on its way.
struct UpgradeRun {
  std::string interfaceName;
  uint32_t* port = nullptr;
  std::string imageName;
  uint32_t versionCheck = 1;
  bool reportMode = false;

  uint32_t boardType = 0;
  UserAreaRecord flashUserArea;  // the board's user area before the upgrade
  std::string imagePath;
  std::unique_ptr<burnkit::FlashImage> image;
  std::string backupPath;          // the backup file (in report mode too)
  std::vector<uint8_t> flashCopy;  // in report mode: the flash before the upgrade
  uint64_t differing = 0;          // bit n: sector n changes
};

// ---- before the driver is touched ----

// The board, what it runs, and where the image is.
int prepare_upgrade(UpgradeRun& run) {
  const DeviceHandle handle = adapter_handle();
  if (read_board_type_from_flash(handle, &run.boardType) != 0) {
    err_printf("Cannot get boardtype from flash\n");
    return kExitBoardTypeUnreadable;
  }
  stage(kInit);
  if (read_user_area(handle, &run.flashUserArea) != 0) return kExitFlashNotReadable;
  out_printf("*** Currently in flash ***\n");
  board_summary(handle, run.flashUserArea);

  if (locate_image(run.imageName.empty() ? kDefaultImageName : run.imageName, &run.imagePath) != kExitOk) {
    err_printf("Failed to locate Corvane NIC binaries\n");
    return kExitImageNotFound;
  }
  out_printf("Rom Image        : %s\n", run.imagePath.c_str());
  return kExitOk;
}

int build_new_picture(UpgradeRun& run) {
  stage(kExtracting);
  try {
    run.image = std::make_unique<burnkit::FlashImage>();
  } catch (const std::bad_alloc&) {
    err_printf("Cannot allocate memory for directory\n");
    return kExitOutOfMemory;
  }
  return load_image_for_adapter(adapter_handle(), run.imagePath, run.image.get());
}

// Nothing when the upgrade goes on; else the result it ends with.
StepResult confirm_upgrade(const UpgradeRun& run) {
  if (run.versionCheck != 1) return kGoOn;
  const VersionTriple imageVersion =
      version_from_user_area_bytes(run.image->data() + FlashLayout::kUserArea + UserArea::kFirmwareVersion);
  const int order = compare_versions(imageVersion, run.flashUserArea.firmwareVersion(), VersionSource::romimage);
  if (run.reportMode) return kGoOn;
  if (order == kExitImageOlder) {
    err_printf("Downgrade of firmware is not allowed.\n");
    return kExitImageOlder;
  }
  switch (confirm_offline_operation("Do you wish to upgrade? (Y/N) ")) {
    case Confirmation::accepted:
      return kGoOn;
    case Confirmation::declined:
      return kExitOk;
    case Confirmation::invalid:
      return kExitGeneralFailure;
  }
  return kExitGeneralFailure;
}

// ---- with the driver quiescent ----

// The board's own data into the picture: NC-SI setting, identity, feature
// and vNIC areas, VPD.
int carry_board_data(UpgradeRun& run, const DeviceHandle& handle) {
  carry_ncsi_setting(handle, *run.image);
  carry_board_identity(run.flashUserArea, run.boardType, *run.image);
  stage(kBoardAreas);
  if (int carried = carry_board_areas(handle, run.flashUserArea, *run.image); carried != kExitOk) return carried;
  if (has_vpd_area(*run.image)) {
    out_printf("Updating VPD area...\n");
    update_vpd_area(*run.image);
  } else {
    err_printf("No VPD area in romimage\n");
  }
  return kExitOk;
}

// The MD5 table over the finished picture, board data included.
int seal_new_picture(UpgradeRun& run) {
  stage(kMd5);
  if (burnkit::computeMd5Table(*run.image, platform::host().crypto(), tool_messages(),
                               [](unsigned percent) { show_progress(static_cast<int>(percent)); }) != 0)
    return -1;
  finish_progress(100);
  return kExitOk;
}

// The whole flash, to a file. In report mode the flash is read into memory
// first (every sector is then rewritten, and the copy is the first
// fallback) and the file is written from that copy.
int back_up_flash(UpgradeRun& run, const DeviceHandle& handle) {
  if (run.reportMode) {
    if (read_whole_flash(handle, &run.flashCopy) != kExitOk) return kExitFileProblem;
    run.differing = ~uint64_t{0};
  } else {
    stage(kBackingUp);
  }
  const VersionTriple current = run.flashUserArea.firmwareVersion();
  run.backupPath = backup_file_name(run.flashUserArea.shownSerialNumber(), current.major, current.minor, current.build,
                                    platform::host().system().localTime());
  if (check_free_space() != 0) {
    out_printf("There is no disk space to create Flash Back-Up\n");
    return kExitFileProblem;
  }
  const int saved = run.reportMode ? save_flash_copy_backup(run.flashCopy, &run.backupPath)
                                   : save_total_flash_backup(handle, &run.backupPath);
  if (saved != kExitOk) return kExitFileProblem;
  out_printf("Backup file : \"%s\" - completed successfully.\n", run.backupPath.c_str());
  return kExitOk;
}

// The sectors of the backup (read back from the file, so that what is
// compared is what a restore would write) that differ from the picture.
int find_differing_sectors(UpgradeRun& run) {
  if (run.reportMode) return kExitOk;
  std::vector<uint8_t> sector;
  try {
    sector.resize(FlashLayout::kSectorSize);
  } catch (const std::bad_alloc&) {
    err_printf("Failed to allocate for sector buffer\n");
    return kExitOutOfMemory;
  }
  FileHandle file(std::fopen(run.backupPath.c_str(), "rb"));
  for (uint32_t s = 0; s < FlashLayout::kSectorCount; ++s) {
    if (!file || std::fread(sector.data(), 1, sector.size(), file.get()) != sector.size()) {
      out_printf("Read failed %d\n", static_cast<int>(s));
      return kExitFileProblem;
    }
    const std::span<const uint8_t> wanted = run.image->sector(s);
    if (!std::equal(sector.begin(), sector.end(), wanted.begin())) run.differing |= uint64_t{1} << s;
  }
  return kExitOk;
}

// Puts the flash as it was before the upgrade back: the backup file, or in
// report mode the copy in memory. The board's areas come from that backup,
// since the flash's own may be erased by now. The restore's result.
// When neither puts it back, the administrator is told which file holds the
// flash as it was and the command that writes it (forced: the board type
// may be unreadable by then).
int restore_backup(UpgradeRun& run, const DeviceHandle& handle) {
  const RestoreRequest request{0, BoardAreas::picture};
  int restored = kExitOk;
  if (!run.reportMode) {
    restored = restore_flash_from_file(handle, run.backupPath, request);
  } else {
    restored = restore_flash_picture(handle, run.flashCopy, request);
    if (restored != kExitOk) err_printf("Flash may be corrupted.\n");
    // The file holds the same picture; a fault that has passed may let it in.
    if (restored != kExitOk && !run.backupPath.empty())
      restored = restore_flash_from_file(handle, run.backupPath, request);
  }
  if (restored != kExitOk && !run.backupPath.empty())
    err_printf("The flash as it was is kept in \"%s\". Put it back with: burnkit -i \"%s\" -f -r \"%s\"\n",
               run.backupPath.c_str(), run.interfaceName.c_str(), run.backupPath.c_str());
  return restored;
}

// Erase and write each differing sector. On a failure the backup goes back
// and the failure is the result.
int write_differing_sectors(UpgradeRun& run, const DeviceHandle& handle) {
  out_printf("WARNING: This is a very sensitive operation.\nDo not interrupt until operation is complete.\n");
  if (unprotect(handle) != 0) return kUnprotectFailed;
  std::vector<uint32_t> words(kSectorWords);
  for (uint32_t s = 0; s < FlashLayout::kSectorCount; ++s) {
    if (!(run.differing & uint64_t{1} << s)) continue;
    const uint32_t offset = s * FlashLayout::kSectorSize;
    if (erase_sector(handle, offset) != 0) {
      restore_backup(run, handle);
      return kExitWriteFailed;
    }
    std::memcpy(words.data(), run.image->sector(s).data(), FlashLayout::kSectorSize);
    if (int written =
            write_sector_image(handle, std::span<const uint32_t, kSectorWords>(words.data(), kSectorWords), offset);
        written != 0) {
      err_printf("Failed to write %s to flash.\n", run.imagePath.c_str());
      restore_backup(run, handle);
      return written;
    }
    show_progress(static_cast<int>(s * 100 / FlashLayout::kSectorCount));
  }
  finish_progress(100);
  return kExitOk;
}

// Every sector against the new MD5 table; the backup goes back when one
// does not match.
int verify_new_flash(UpgradeRun& run, const DeviceHandle& handle) {
  stage(kVerifying);
  if (flash_self_test(handle) != 0) {
    err_printf("MD5 of flash didn't match.\n");
    out_printf("Restoring flash...\n");
    if (restore_backup(run, handle) != kExitOk) err_printf("Failed to Recover!!!\n");
    return kExitVerifyFailed;
  }
  out_printf("Flashing completed successfully.\n");
  out_printf("Reboot system for firmware to take effect\n");
  return kExitOk;
}

int update_flash(UpgradeRun& run, const DeviceHandle& handle) {
  stage(kUpdating);
  if (run.differing == 0) {
    out_printf("Flash already up-to-date.\n");
    return kExitOk;
  }
  if (int written = write_differing_sectors(run, handle); written != kExitOk) return written;
  return verify_new_flash(run, handle);
}

// Steps with the driver quiescent and the adapter reopened.
int upgrade_offline(UpgradeRun& run) {
  const DeviceHandle handle = adapter_handle();
  if (int carried = carry_board_data(run, handle); carried != kExitOk) return carried;
  if (int sealed = seal_new_picture(run); sealed != kExitOk) return sealed;
  if (int saved = back_up_flash(run, handle); saved != kExitOk) return saved;
  {
    RomLockHold lock(handle);
    if (!lock.held()) return kExitLockNotTaken;
    flash_update_begin(handle);
  }
  // From here the driver knows the flash may change; it is told when that
  // is over on every path. The write phase spans the verification too: a
  // flash that fails it gets the backup back before the run may end.
  int result = kExitOk;
  {
    FlashWriteInProgress writing;
    result = find_differing_sectors(run);
    if (result == kExitOk) result = update_flash(run, handle);
    protect(handle);
    flash_update_end(handle);
  }
  return result;
}

// The driver back in normal mode. A driver left quiescent is a board out of
// service: that is no success.
int leave_quiescent_mode(const UpgradeRun& run, int result) {
  if (return_to_normal_mode(run.interfaceName)) {
    out_printf("Driver Loaded in Normal mode \n");
    return result;
  }
  out_printf("Failed to Load Driver in Normal Mode \n");
  return result == kExitOk ? kExitGeneralFailure : result;
}

int upgrade_with_new_picture(UpgradeRun& run) {
  if (int built = build_new_picture(run); built != kExitOk) return built;
  if (StepResult ended = confirm_upgrade(run)) return *ended;

  int result = kExitOk;
  switch (enter_quiescent_mode(run.interfaceName, run.port)) {
    case QuiescentEntry::switchFailed:
      return kExitGeneralFailure;
    case QuiescentEntry::reopenFailed:
      result = kExitGeneralFailure;
      break;
    case QuiescentEntry::entered:
      result = upgrade_offline(run);
      break;
  }
  return leave_quiescent_mode(run, result);
}

}  // namespace

int upgrade_adapter_flash(const std::string& interfaceName, uint32_t* port, const std::string& imageName,
                          uint32_t versionCheck) {
  UpgradeRun run;
  run.interfaceName = interfaceName;
  run.port = port;
  run.imageName = imageName;
  run.versionCheck = versionCheck;
  run.reportMode = g_xml_mode != 0;

  int result = prepare_upgrade(run);
  if (result == kExitOk) {
    result = upgrade_with_new_picture(run);
    stage(kCleanup);
    run.image.reset();
  }
  stage(kFinished);
  return result;
}
