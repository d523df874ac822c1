// The one way a board edit rewrites a sector in place. The sector as it was
// is kept in memory and in a file beside the backups; the sector is erased,
// written, read back whole and compared with what was meant, and only then
// sealed with its digest. On any failure the old sector is written back the
// same way (a bounded number of tries); if even that fails, the run names
// the file that holds it and the command that puts it back. Either the edit
// is whole and verified, or the board holds what it held before, or the
// administrator is told exactly how to get there.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

// Words written last, into words left erased in SectorEdit::after: the
// digest that seals the board sector, written only once everything it
// covers reads back as intended.
struct SealWords {
  uint32_t offset = 0;  // flash byte offset of the first word
  std::array<uint32_t, 4> words{};
};

struct SectorEdit {
  uint32_t sector = 0;
  std::vector<uint32_t> before;  // the sector as the flash holds it, whole
  std::vector<uint32_t> after;   // the sector as it must read once written (seal words erased)
  std::optional<SealWords> seal;
  // Writes `after` into the erased sector, for the edits that show stage
  // lines and progress while they write (and say which part failed). Empty:
  // every word of `after` that is not erased, under one lock. 0 or a
  // failure code, which becomes the edit's.
  std::function<int()> write;
  const char* failureLine = nullptr;       // standard error, when the edit fails
  const char* eraseFailureLine = nullptr;  // instead, when the erase failed
  int failureCode = 1;
  int eraseFailureCode = 0;  // 0: failureCode
  const char* sealFailureLine = nullptr;  // standard error, when the seal fails
  int sealFailureCode = 1;
};

// The sector's 16384 words. 0, the read's code, or 20.
int read_whole_sector(const DeviceHandle& handle, uint32_t sector, std::vector<uint32_t>* words);

// The board's serial number as the board sector holds it.
std::string serial_in_board_sector(const std::vector<uint32_t>& boardSector);

// Applies the edit; the caller has unprotected the flash and marked the
// write phase. 0 when the sector reads back as `after` and is sealed; 16
// when the copy of the old sector cannot be saved (nothing was touched);
// otherwise the failure's code, the old sector written back when it could
// be ("Sector %u holds again what it held before.\n"), else "Flash may be
// corrupted...\n" and the file and command that put it back.
// With keptCopy, a successful edit keeps its copy file and names it there:
// an edit of two sectors keeps the first one's copy until the second is
// done too.
int rewrite_sector_safely(const DeviceHandle& handle, const SectorEdit& edit, const std::string& serial,
                          std::string* keptCopy = nullptr);

// An edit undone: the sector written back as `before` (write_sector_verified)
// and its copy file removed, with "Sector %u holds again what it held
// before.\n"; or, when that fails, "Flash may be corrupted...\n" and the
// line that names the copy file and the command that puts it back.
void put_back_sector(const DeviceHandle& handle, uint32_t sector, const std::vector<uint32_t>& before,
                     const std::string& copyPath);

// Writes `words` into the sector the same way (erase, write, read back),
// up to three times. True when the sector reads back as `words`.
bool write_sector_verified(const DeviceHandle& handle, uint32_t sector, const std::vector<uint32_t>& words);
