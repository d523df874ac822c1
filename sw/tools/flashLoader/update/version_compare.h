// Which firmware is newer: the one on the board or the one about to replace
// it (from a romimage or a backup file). Both versions are printed first.
#pragma once

#include "sw/tools/flashLoader/boardconfig/user_area_record.h"

enum class VersionSource { romimage, backupFile };

// Prints "Firmware version From Board: ..." and "Firmware version From
// Romimage: ..." (or "From Backup-file"). 33 when the other version is not
// older than the board's (equal counts as not older), 34 when it is older.
int compare_versions(const VersionTriple& other, const VersionTriple& board, VersionSource source);

// A version as the user area stores it: major, minor, 16-bit build.
VersionTriple version_from_user_area_bytes(const uint8_t* field);
