// Which process is calling, cheaply (the driver asks on every flash access),
// and whether a process recorded earlier still runs.
#pragma once

#include <cstdint>

namespace simhost {

// getpid() of the caller, kept current across fork().
int32_t currentProcessId();

// False for a process that has ended, zombies included.
bool processIsRunning(int32_t pid);

}  // namespace simhost
