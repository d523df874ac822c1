#include "sw/tools/flashLoader/update/flash_backup.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <functional>
#include <new>
#include <span>
#include <string>
#include <utility>

#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/flash_write.h"
#include "sw/tools/flashLoader/adapter/progress_output.h"
#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/hostglue/pending_file.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

using burnkit::FlashLayout;

// Reads every sector in order and hands it on; progress after each. 0, the
// read's code, or the consumer's.
int read_sectors(const DeviceHandle& handle, const char* caller,
                 const std::function<int(uint32_t sector, std::span<const uint32_t> words)>& consume) {
  std::vector<uint32_t> words;
  try {
    words.resize(kSectorWords);
  } catch (const std::bad_alloc&) {
    err_printf("Failed to allocate memory for backup\n");
    return kExitOutOfMemory;
  }
  int percent = 0;
  for (uint32_t sector = 0; sector < FlashLayout::kSectorCount; ++sector) {
    std::fill(words.begin(), words.end(), 0u);
    if (int read = read_words(handle, sector * FlashLayout::kSectorSize, words); read != 0) {
      err_printf("Failed to read flash sector %d. in %s \n", static_cast<int>(sector), caller);
      return read;
    }
    if (int consumed = consume(sector, words); consumed != 0) return consumed;
    percent = static_cast<int>(sector * 100 / FlashLayout::kSectorCount);
    show_progress(percent);
  }
  finish_progress(percent);
  return kExitOk;
}

// Opens the backup's pending file; a null file after its line when none
// can be created.
PendingFile open_backup_file(const std::string& path) {
  PendingFile pending = open_pending_file(path);
  if (!pending.file) err_printf("Failed to use %s for flash backup\n", path.c_str());
  return pending;
}

// 0, or 16 after its line with nothing left behind.
int finish_backup(PendingFile pending, std::string* path, bool written) {
  if (publish_pending_file(std::move(pending), path, written)) return kExitOk;
  err_printf("Failed to write to file %s for backup\n", path->c_str());
  return kExitFileProblem;
}

}  // namespace

int save_total_flash_backup(const DeviceHandle& handle, std::string* path) {
  PendingFile pending = open_backup_file(*path);
  if (!pending.file) return kExitFileProblem;
  bool written = true;
  const int result = read_sectors(handle, "save_total_flash_backup", [&](uint32_t, std::span<const uint32_t> words) {
    if (std::fwrite(words.data(), sizeof(uint32_t), words.size(), pending.file.get()) != words.size()) {
      written = false;
      return kExitFileProblem;
    }
    return kExitOk;
  });
  if (result != kExitOk && written) {
    abandon_pending_file(std::move(pending));
    return result;
  }
  return finish_backup(std::move(pending), path, written);
}

int save_flash_copy_backup(const std::vector<uint8_t>& flash, std::string* path) {
  PendingFile pending = open_backup_file(*path);
  if (!pending.file) return kExitFileProblem;
  const bool written = std::fwrite(flash.data(), 1, flash.size(), pending.file.get()) == flash.size();
  return finish_backup(std::move(pending), path, written);
}

int read_whole_flash(const DeviceHandle& handle, std::vector<uint8_t>* flash) {
  try {
    flash->assign(FlashLayout::kSize, 0xFF);
  } catch (const std::bad_alloc&) {
    err_printf("Failed to allocate memory for backup\n");
    return kExitOutOfMemory;
  }
  return read_sectors(handle, "read_whole_flash", [&](uint32_t sector, std::span<const uint32_t> words) {
    std::memcpy(flash->data() + size_t(sector) * FlashLayout::kSectorSize, words.data(), words.size_bytes());
    return kExitOk;
  });
}

std::string backup_file_name(const std::string& alphanumericSerial, uint32_t major, uint32_t minor, uint32_t build,
                             const std::tm& localTime) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char stamp[64];
  // The C library's 24-character time text: the day of the month padded
  // with a blank.
  std::snprintf(stamp, sizeof stamp, "%.3s %.3s%3d %.2d:%.2d:%.2d %d", kDays[(localTime.tm_wday % 7 + 7) % 7],
                kMonths[(localTime.tm_mon % 12 + 12) % 12], localTime.tm_mday, localTime.tm_hour, localTime.tm_min,
                localTime.tm_sec, localTime.tm_year + 1900);
  char head[128];
  std::snprintf(head, sizeof head, "%s_%s_v%d.%d.%d_", "flashbackup", alphanumericSerial.c_str(),
                static_cast<int>(major), static_cast<int>(minor), static_cast<int>(build));
  std::string name = std::string(head) + stamp;
  for (char& c : name)
    if (std::isspace(static_cast<unsigned char>(c)) || c == ':') c = '-';
  return name;
}
