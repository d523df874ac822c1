// From a connection name to the NetCfgInstanceId of a Corvane adapter port:
// the lookup behind opening the driver channel.
#pragma once

#include <string>

// True for the instance id of a Corvane network function: vendor 4040 and
// device 0100 ("PCI\VEN_4040&DEV_0100...", both read as decimal numbers).
bool is_corvane_device_id(const std::string& instanceId);

// 0 and the port's NetCfgInstanceId when the connection is a port of a
// present Corvane adapter; -1 when it is not, or a lookup failed.
int resolve_corvane_port(const std::string& connectionName, std::string* instanceId);
