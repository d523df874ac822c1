#include "sw/tools/flashLoader/adapter/safe_sector_rewrite.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <span>
#include <string>

#include "platform/host.h"
#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/adapter/board_sector_areas.h"
#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/flash_words.h"
#include "sw/tools/flashLoader/adapter/flash_write.h"
#include "sw/tools/flashLoader/adapter/rom_lock.h"
#include "sw/tools/flashLoader/adapter/sector_copy_file.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/run_state.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

using burnkit::FlashLayout;
using burnkit::UserArea;

constexpr int kPutBackTries = 3;

uint32_t sector_offset(uint32_t sector) { return sector * FlashLayout::kSectorSize; }

std::span<const uint32_t, kSectorWords> whole(const std::vector<uint32_t>& words) {
  return std::span<const uint32_t, kSectorWords>(words.data(), kSectorWords);
}

// The sector as the flash holds it now, against the words meant.
bool reads_back_as(const DeviceHandle& handle, uint32_t sector, const std::vector<uint32_t>& meant) {
  std::vector<uint32_t> now;
  return read_whole_sector(handle, sector, &now) == 0 && now == meant;
}

int write_seal(const DeviceHandle& handle, const SealWords& seal) {
  {
    RomLockHold lock(handle);
    if (!lock.held()) return kExitLockNotTaken;
    if (write_flash_words(handle, seal.offset, seal.words, false) != 0) return kExitWriteFailed;
  }
  std::array<uint32_t, 4> now{};
  if (read_words(handle, seal.offset, now) != 0) return kExitFlashNotReadable;
  return now == seal.words ? kExitOk : kExitVerifyFailed;
}

// The edit proper: 0 when the sector reads back as meant and is sealed,
// else the failure's code after its line.
int apply(const DeviceHandle& handle, const SectorEdit& edit) {
  auto fail = [](const char* line, int code) {
    if (line != nullptr) err_printf("%s", line);
    return code;
  };
  if (erase_sector(handle, sector_offset(edit.sector)) != 0)
    return fail(edit.eraseFailureLine ? edit.eraseFailureLine : edit.failureLine,
                edit.eraseFailureCode != 0 ? edit.eraseFailureCode : edit.failureCode);
  if (edit.write) {
    if (int written = edit.write(); written != 0) return fail(edit.failureLine, written);
  } else if (write_sector_image(handle, whole(edit.after), sector_offset(edit.sector)) != 0) {
    return fail(edit.failureLine, edit.failureCode);
  }
  if (!reads_back_as(handle, edit.sector, edit.after)) return fail(edit.failureLine, edit.failureCode);
  if (edit.seal && write_seal(handle, *edit.seal) != kExitOk) return fail(edit.sealFailureLine, edit.sealFailureCode);
  return kExitOk;
}

void tell_how_to_put_back(uint32_t sector, const std::string& copyPath) {
  err_printf("Flash may be corrupted...\n");
  err_printf("Sector %u as it was is kept in \"%s\". Put it back with: burnkit -i \"%s\" -r \"%s\"\n", sector,
             copyPath.c_str(), g_run.interfaceName.c_str(), copyPath.c_str());
}

}  // namespace

int read_whole_sector(const DeviceHandle& handle, uint32_t sector, std::vector<uint32_t>* words) {
  return read_area(handle, sector_offset(sector), kSectorWords, words);
}

std::string serial_in_board_sector(const std::vector<uint32_t>& boardSector) {
  const size_t at = FlashLayout::kUserArea - FlashLayout::kBoardSector + UserArea::kSerialNumber;
  if (boardSector.size() * 4 < at + UserArea::kSerialNumberSize) return {};
  const char* serial = reinterpret_cast<const char*>(boardSector.data()) + at;
  return std::string(serial, strnlen(serial, UserArea::kSerialNumberSize));
}

bool write_sector_verified(const DeviceHandle& handle, uint32_t sector, const std::vector<uint32_t>& words) {
  if (words.size() != kSectorWords) return false;
  for (int attempt = 0; attempt < kPutBackTries; ++attempt) {
    if (erase_sector(handle, sector_offset(sector)) != 0) continue;
    if (write_sector_image(handle, whole(words), sector_offset(sector)) != 0) continue;
    if (reads_back_as(handle, sector, words)) return true;
  }
  return false;
}

void put_back_sector(const DeviceHandle& handle, uint32_t sector, const std::vector<uint32_t>& before,
                     const std::string& copyPath) {
  if (write_sector_verified(handle, sector, before)) {
    discard_sector_copy(copyPath);
    err_printf("Sector %u holds again what it held before.\n", sector);
  } else {
    tell_how_to_put_back(sector, copyPath);
  }
}

int rewrite_sector_safely(const DeviceHandle& handle, const SectorEdit& edit, const std::string& serial,
                          std::string* keptCopy) {
  if (edit.before.size() != kSectorWords || edit.after.size() != kSectorWords) return kExitGeneralFailure;
  const SectorCopy copy{edit.sector, serial, edit.before};
  std::string copyPath = sector_copy_file_name(copy, platform::host().system().localTime());
  if (int saved = save_sector_copy(copy, &copyPath); saved != kExitOk) return saved;

  const int applied = apply(handle, edit);
  if (applied == kExitOk) {
    if (keptCopy != nullptr)
      *keptCopy = copyPath;
    else
      discard_sector_copy(copyPath);
    return kExitOk;
  }
  put_back_sector(handle, edit.sector, edit.before, copyPath);
  return applied;
}
