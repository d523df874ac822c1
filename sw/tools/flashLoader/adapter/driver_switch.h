// Switching a port's driver between quiescent mode (the flash is left to the
// tool) and normal mode: the "LoadFirmware" value on the port's adapter
// instance, and a restart of the card's functions through property changes.
// The same pair clears a switch that a run left behind. Callers close the
// driver channel before a switch and reopen it afterwards.
#pragma once

#include <string>
#include <vector>

inline constexpr int kDriverModeNormal = 0;
inline constexpr int kDriverModeQuiescent = 1;

// Sets (mode 1) or deletes (mode 0) "LoadFirmware" on every adapter instance
// whose NetCfgInstanceId is in the list; *driverKey is the last one's driver
// key. 1 = done, 0 = failed (message printed).
int Read_Write_Registry(const std::vector<std::string>& instanceIds, int mode, std::string* driverKey);

// Quiescent: the value set, every function of the card disabled, the port's
// own enabled again, then the 20-second wait for the driver to come up.
// Normal: the value deleted, the port's function disabled, every function
// enabled; when that fails the value is set again, so that the next run
// still finds the switch to repair. 1 = done, 0 = failed (messages printed).
int switch_driver_mode(int mode, const std::string& connectionName);

// Clears a switch left by an interrupted run: quiescent then normal again;
// a failed quiescent half ends it there, the marker kept for the next run.
// 0 = nothing to do or cleared; 31 = failed.
int cv_driver_quiescent_mode(const std::string& connectionName);
