// A board edit cut short (power cut, killed process) leaves the board sector
// half written, and beside the backups the copy of the sector as it was. A
// later edit must not build on such a sector (it would seal what is left of
// it, the board's own data lost for good). An edit writes the sector's own
// digest last, so a half-written sector holds none: the later edit sees
// that, writes nothing, and names the copy and the command that puts it
// back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

// Before a board edit decides anything from the flash (a setting already as
// asked is no edit at all): the board sector's digest slot, which an edit
// writes last, must hold a digest. 0 (also when the slot cannot be read:
// the edit's own reads then fail); otherwise the refusal below (13).
int refuse_if_board_edit_cut_short(const DeviceHandle& handle);

// The newest sector copy of `sector` in the current directory whose serial
// is `serial`; when `serial` is not letters and digits (the sector that held
// it is cut short), the newest copy of that sector. Empty when none.
std::string newest_sector_copy(uint32_t sector, const std::string& serial);

// "The board sector holds no digest: an earlier edit may have been cut
// short. Nothing was written.\n" on standard error, then the copy and the
// command that puts it back when there is one. 13.
int refuse_edit_of_cut_short_sector(uint32_t sector, const std::string& serial);

// The same for a sector other than the board sector (sector 0's register
// table), whose digest the board sector's table keeps: an edit cut short
// while it rewrote the sector leaves words that do not match it, and its
// copy of the sector in the current directory. `words` is the whole sector
// as the edit read it. 0 when there is no copy of this board's sector, when
// the words match, or when the slot cannot be read (the edit's own reads
// then fail); otherwise "Sector N does not match its digest: an earlier edit
// may have been cut short. Nothing was written.\n", the copy and the
// command. 13.
int refuse_if_sector_edit_cut_short(const DeviceHandle& handle, uint32_t sector, const std::vector<uint32_t>& words);
