// The administrator's restore of a backup file (-r): the driver taken out
// of the way, the file checked against the board and written back, the
// driver brought back.
#pragma once

#include <cstdint>
#include <string>

// Restores the adapter open in g_adapter (the port named interfaceName)
// from the backup file. checkFlag 1: board type, versions and the question;
// 0 (forced): none of them. The adapter is closed when it returns; *port is
// the port the reopened adapter reported (0 when the reopen failed).
// 0; 30 declined; 31 when the driver cannot be switched or the adapter not
// reopened; otherwise the restore's failure (after "Failed to Recover!!!").
int restore_from_backup(const std::string& interfaceName, uint32_t* port, const std::string& backupPath,
                        uint32_t checkFlag);
