// Ctrl+C and the closing of the console: refused while the flash is being
// written, otherwise a clean end of the run (lock file removed, ROM lock
// released, exit code -1). The handler runs on a thread of its own.
#pragma once

#include "platform/console.h"
#include "sw/tools/flashLoader/runstate/flash_write_phase.h"

// The console control handler. Returns true when the event is handled and
// the run goes on, false to leave the event to the system's default.
bool console_control_handler(platform::ConsoleEvent event);

// Installs console_control_handler; false when it cannot be installed.
bool install_interrupt_handler();
