// The upgrade of the open adapter's flash from a unified ROM image: the
// picture for the adapter's product with the board's own data carried in,
// a backup of the whole flash first, only the differing sectors rewritten,
// every sector verified against the MD5 table, and the backup written back
// when anything goes wrong on the way.
#pragma once

#include <cstdint>
#include <string>

// Upgrades the adapter open in g_adapter, the port named interfaceName.
// imageName empty: "quarry_romimage". versionCheck 1: versions compared,
// downgrades refused and the administrator asked; 0 (forced): neither. In
// report mode (g_xml_mode) nobody is asked, no backup file is written and
// every sector is rewritten, the old flash kept in memory for a restore.
//
// The adapter is closed when the upgrade returns, unless it ended before
// the driver was switched to quiescent mode; *port is the port the reopened
// adapter reported. 0 on success, when the flash was already up to date
// and when the administrator declined; otherwise a result code of
// runstate/exit_codes.h (13 and 14: the backup was written back).
int upgrade_adapter_flash(const std::string& interfaceName, uint32_t* port, const std::string& imageName,
                          uint32_t versionCheck);
