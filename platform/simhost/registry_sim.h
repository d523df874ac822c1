// The registry of a simulated host: HKEY_LOCAL_MACHINE kept in
// DIR/registry.reg (see simhost/registry/registry_store.h), seen through the
// "A" functions in the machine's ANSI code page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/registry.h"
#include "simhost/machine/host_dir.h"
#include "simhost/registry/registry_store.h"

namespace platform {

// Every call reads or changes the file as it is then, so all processes of the
// host see one registry. A registry file that is missing or not a valid
// export makes calls fail with kErrorBadDatabase. Key and value names
// containing a line break cannot be kept in an export and are refused with
// kErrorInvalidParameter.
std::unique_ptr<Registry> makeSimRegistry(const simhost::HostDir& dir, uint32_t ansiCodePage);
// The same over a store the caller shares (the host's check reads through it).
std::unique_ptr<Registry> makeSimRegistry(std::shared_ptr<simhost::RegistryStore> store, uint32_t ansiCodePage);

// Whether the host's registry file can be loaded; else false and one line
// "FILE line N: problem" (or what keeps the file from being read).
bool checkSimRegistry(const simhost::HostDir& dir, std::string* error);

}  // namespace platform
