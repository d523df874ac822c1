// The first thing done with every adapter: open it, learn its chip
// generation, and prove under the ROM lock that its flash answers.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int kBadFlashRefused = 18;

// Opens the adapter port (g_adapter), sets its nic type, takes the ROM lock
// (or adopts one this tool left behind) and reads the flash's first bytes.
// A flash that reads erased asks "Do you want to proceed (Y/N): ".
// reportMode: a name that is no Corvane port fails silently.
// 0 and *port; -1 when the name is no Corvane port (port 0); set_nic_type's
// failure; 12 when the lock is someone else's or the flash cannot be read;
// 18 when a bad flash is not to be used.
int check_adapter(const std::string& interfaceName, uint32_t* port, bool reportMode);
