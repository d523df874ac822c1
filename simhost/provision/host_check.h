// Validation of a whole host directory before a program uses it.
#pragma once

#include <string>

#include "simhost/devices/device_store.h"
#include "simhost/provision/provision.h"
#include "simhost/registry/registry_store.h"

namespace simhost {

// The stores of a process that uses the host: checkHost reads through them,
// so that what the check parsed is what the process goes on to use, not
// parsed a second time. The cards are checked without being mapped: a
// process maps only the cards it talks to.
struct HostCheckParts {
  RegistryStore* registry = nullptr;  // nullptr: a store of the check's own
  DeviceStore* devices = nullptr;
};

// Whether dir is a host directory at all (it exists and has a host.json),
// before anything is read or created in it.
bool checkHostDirectory(const HostDir& dir, std::string* error);

bool checkHost(const HostDir& dir, std::string* error, const HostCheckParts& parts);

}  // namespace simhost
