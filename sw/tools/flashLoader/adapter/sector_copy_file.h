// A copy of one flash sector kept on disk while that sector is erased and
// rewritten by a board edit: if the run dies, or the sector can be written
// neither as intended nor back as it was, the copy survives beside the
// backups and `-r` puts it back. The copy carries its sector number, the
// board's serial number and an MD5 of its words, so that it is never
// written to another sector or board, nor written when damaged.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

struct SectorCopy {
  uint32_t sector = 0;
  std::string serial;           // the board's, up to 32 bytes
  std::vector<uint32_t> words;  // the whole sector, as the flash held it
};

// "sectorbackup_<serial>_<sector>_<yyyymmdd-hhmmss>", the serial empty unless
// it is letters and digits only.
std::string sector_copy_file_name(const SectorCopy& copy, const std::tm& localTime);

// Writes the copy to a new file (never over another); *path becomes the
// name used. 0, or 16 after "Failed to use %s for flash backup\n".
int save_sector_copy(const SectorCopy& copy, std::string* path);

// What a file given to a restore turned out to be.
enum class SectorCopyRead {
  copy,        // a sector copy, whole and sound
  notACopy,    // some other file (a whole-flash backup, perhaps)
  damaged,     // a sector copy whose length or MD5 is wrong
  unreadable,  // the file cannot be opened or read
};
SectorCopyRead read_sector_copy(const std::string& path, SectorCopy* copy);

// The copy is no longer needed: the sector reads back as intended.
void discard_sector_copy(const std::string& path);
