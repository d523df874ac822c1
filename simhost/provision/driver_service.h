// A driver service of the simulated host: its key under the services key of
// the registry and its state in host.json, so that the service control
// manager knows it and its key opens.
#pragma once

#include <string>

#include "simhost/machine/host_dir.h"

namespace simhost {

// state: a service state name ("running", "stopped", ...).
bool addDriverService(const HostDir& dir, const std::string& name, const std::string& imagePath,
                      const std::string& state, std::string* error);

}  // namespace simhost
