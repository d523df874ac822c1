// The whole flash saved before an upgrade writes anything: to a file the
// administrator can restore with -r, or, in the unattended report mode, to
// memory so that a failed upgrade can still put the board back.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

// The 64 sectors from offset 0 on, words as the driver returned them, to the
// file (created or truncated, for the owner only), with progress. 0; the
// flash read's code (9 or -1) after "Failed to read flash sector %d. in %s
// \n"; 16 when the file cannot be used or written; 20 without memory.
int save_total_flash_backup(const DeviceHandle& handle, const std::string& path);

// The same into memory (4 MiB). 0, the flash read's code, or 20.
int read_whole_flash(const DeviceHandle& handle, std::vector<uint8_t>* flash);

// "flashbackup_<serial>_v<major>.<minor>.<build>_<local time>", the serial
// empty unless it is letters and digits only, the time as its 24-character
// text with every blank and ':' made '-'.
std::string backup_file_name(const std::string& alphanumericSerial, uint32_t major, uint32_t minor, uint32_t build,
                             const std::tm& localTime);
