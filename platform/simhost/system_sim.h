// The simulated machine's own facts, from host.json and its system drive.
#pragma once

#include <memory>

#include "platform/system.h"
#include "simhost/machine/host_dir.h"

namespace platform {

std::unique_ptr<System> makeSimSystem(const simhost::HostDir& dir);

}  // namespace platform
