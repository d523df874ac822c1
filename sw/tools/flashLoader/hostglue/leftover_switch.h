// Whether a port's adapter instance still carries the quiescent-mode switch
// ("LoadFirmware") of a run that ended before switching the driver back.
#pragma once

#include <string>
#include <vector>

// 1 when "LoadFirmware" is on every adapter instance of the ids (or none of
// them has an instance); 3 when it is absent on at least one; 0 on a
// registry error.
int Clean_Registry(const std::vector<std::string>& instanceIds);

// 1 when the port named by the connection has a leftover switch to clear,
// else 0.
int leftover_driver_switch(const std::string& connectionName);

// Whether an adapter instance of the connection carries "LoadFirmware": the
// switch of a run that ended half-way, which may have left the port's
// function disabled. Nothing is printed for a name that is no connection.
bool switch_marker_on(const std::string& connectionName);
