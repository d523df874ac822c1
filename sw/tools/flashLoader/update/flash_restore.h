// Writing a saved flash back: every sector erased and rewritten from a 4 MiB
// picture (a backup file, or the flash read into memory before an
// unattended upgrade), keeping the board's feature and vNIC property areas.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

// Where the feature and vNIC property areas written back come from.
enum class BoardAreas {
  // The flash's own, unless its board sector fails its MD5 check (an upgrade
  // that stopped half-way): then the picture's, with a line that says so.
  flashWhenSound,
  // The picture's: the upgrade restoring the backup it made minutes ago,
  // when the flash's areas may be erased or half-written.
  picture,
};

struct RestoreRequest {
  // 1 when the administrator asked for the restore: board type check,
  // versions and the question. 0 when an upgrade restores its own backup.
  uint32_t checkFlag = 1;
  BoardAreas areas = BoardAreas::flashWhenSound;
};

// The restore from a backup file, with the driver already quiescent. 0; 5
// the file is another board's; 9; 12; 16 no usable file; 20; 30 declined;
// 31 invalid answer or board type unreadable; 35 another board type; 8 the
// flash could not be unprotected; 14 a sector erase or write failed.
int restore_flash_from_file(const DeviceHandle& handle, const std::string& path, const RestoreRequest& request);

// The same from a picture already in memory (no file checks, no board type:
// the advice at the end is to reboot).
int restore_flash_picture(const DeviceHandle& handle, std::vector<uint8_t>& picture, const RestoreRequest& request);
