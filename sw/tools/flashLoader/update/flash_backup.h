// The whole flash saved before an upgrade writes anything: to a file the
// administrator can restore with -r, or, in the unattended report mode, to
// memory so that a failed upgrade can still put the board back.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

// The 64 sectors from offset 0 on, words as the driver returned them, to a
// new file for the owner only, with progress. The file is written as
// "incomplete_" + its name and renamed once complete; on a failure nothing
// is left. A backup never replaces a file: when *path is taken, "_2", "_3",
// ... is appended until a name is free, and *path becomes the name used. 0; the flash read's code (9 or -1)
// after "Failed to read flash sector %d. in %s\n"; 16 when no file can be
// created or written; 20 without memory.
int save_total_flash_backup(const DeviceHandle& handle, std::string* path);

// The same file from a picture of the flash already in memory (report mode
// reads the flash once and keeps the copy as its first fallback). 0 or 16.
int save_flash_copy_backup(const std::vector<uint8_t>& flash, std::string* path);

// The same into memory (4 MiB). 0, the flash read's code, or 20.
int read_whole_flash(const DeviceHandle& handle, std::vector<uint8_t>* flash);

// "flashbackup_<serial>_v<major>.<minor>.<build>_<local time>", the serial
// empty unless it is letters and digits only, the time as its 24-character
// text with every blank and ':' made '-'.
std::string backup_file_name(const std::string& alphanumericSerial, uint32_t major, uint32_t minor, uint32_t build,
                             const std::tm& localTime);
