// Which process is calling, cheaply (the driver asks on every flash access),
// and whether a process recorded earlier still runs.
#pragma once

#include <cstdint>

namespace simhost {

// getpid() of the caller, kept current across fork().
int32_t currentProcessId();

// False for a process that has ended, zombies included.
bool processIsRunning(int32_t pid);

// Ends this process at once, as a power cut would: no exit handlers, no
// flushing; whoever waits for it sees 137 (128 + SIGKILL).
[[noreturn]] void endProcessAtOnce();

// Stops this process where it stands until it is let go on (Linux: SIGSTOP
// until SIGCONT), so that whoever waits for it can act at that point: send
// it a signal, kill it. Windows has no such stop: there it returns at once.
void stopThisProcess();

}  // namespace simhost
