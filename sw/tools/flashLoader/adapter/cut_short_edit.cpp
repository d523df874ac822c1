#include "sw/tools/flashLoader/adapter/cut_short_edit.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "romimage/flash_layout.h"
#include "romimage/md5_table.h"
#include "sw/tools/flashLoader/adapter/board_sector_areas.h"
#include "sw/tools/flashLoader/adapter/flash_digest.h"
#include "sw/tools/flashLoader/adapter/sector_copy_file.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/run_state.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

using burnkit::FlashLayout;

constexpr const char* kCopyPrefix = "sectorbackup_";

bool letters_and_digits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  });
}

// The serial number in the user area; empty letters when it cannot be read
// (the sector that held it is cut short).
std::string board_serial(const DeviceHandle& handle) {
  std::vector<uint32_t> serial;
  const uint32_t serialWords = burnkit::UserArea::kSerialNumberSize / 4;
  if (read_area(handle, FlashLayout::kUserArea + burnkit::UserArea::kSerialNumber, serialWords, &serial) != 0)
    serial.assign(serialWords, 0xFFFFFFFF);
  const char* text = reinterpret_cast<const char*>(serial.data());
  return std::string(text, strnlen(text, serial.size() * 4));
}

// The copy of the sector and the command that puts it back, when there is one.
void name_sector_copy(uint32_t sector, const std::string& serial) {
  const std::string copy = newest_sector_copy(sector, serial);
  if (!copy.empty())
    err_printf("Sector %u as it was is kept in \"%s\". Put it back with: burnkit -i \"%s\" -r \"%s\"\n", sector,
               copy.c_str(), g_run.interfaceName.c_str(), copy.c_str());
}

}  // namespace

int refuse_if_board_edit_cut_short(const DeviceHandle& handle) {
  std::vector<uint32_t> slot;
  // A slot that cannot be read says nothing: the edit's own reads meet the
  // same failure and end it with their code.
  if (read_area(handle, burnkit::md5SlotOffset(FlashLayout::kBoardSectorNumber), 4, &slot) != 0) return 0;
  if (std::any_of(slot.begin(), slot.end(), [](uint32_t w) { return w != 0xFFFFFFFF; })) return 0;
  return refuse_edit_of_cut_short_sector(FlashLayout::kBoardSectorNumber, board_serial(handle));
}

int refuse_if_sector_edit_cut_short(const DeviceHandle& handle, uint32_t sector, const std::vector<uint32_t>& words) {
  // An edit of the sector that did not end leaves its copy beside the
  // backups; without one, a sector that does not match its digest was
  // changed some other way, and the edit seals what it holds as before.
  if (words.size() != kSectorWords || newest_sector_copy(sector, std::string()).empty()) return 0;
  std::vector<uint32_t> slot;
  if (read_area(handle, burnkit::md5SlotOffset(sector), 4, &slot) != 0) return 0;
  platform::Md5Digest digest{};
  if (!hash_sector_words(SectorWords(words.data(), kSectorWords), sector * FlashLayout::kSectorSize, false, &digest))
    return 0;
  std::array<uint8_t, 16> expected{};
  burnkit::storeSlotDigest(expected, digest);
  if (std::memcmp(slot.data(), expected.data(), expected.size()) == 0) return 0;
  const std::string serial = board_serial(handle);
  if (newest_sector_copy(sector, serial).empty()) return 0;  // another board's copies only
  err_printf("Sector %u does not match its digest: an earlier edit may have been cut short. Nothing was written.\n",
             sector);
  name_sector_copy(sector, serial);
  return kExitVerifyFailed;
}

std::string newest_sector_copy(uint32_t sector, const std::string& serial) {
  const bool bySerial = letters_and_digits(serial);
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(".", error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(kCopyPrefix, 0) == 0) names.push_back(name);
  }
  // The names end in the time the copy was made: the newest sorts last.
  std::sort(names.begin(), names.end());
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    SectorCopy copy;
    if (read_sector_copy(*name, &copy) != SectorCopyRead::copy || copy.sector != sector) continue;
    if (!bySerial || copy.serial == serial) return *name;
  }
  return {};
}

int refuse_edit_of_cut_short_sector(uint32_t sector, const std::string& serial) {
  err_printf("The board sector holds no digest: an earlier edit may have been cut short. "
             "Nothing was written.\n");
  name_sector_copy(sector, serial);
  return kExitVerifyFailed;
}
