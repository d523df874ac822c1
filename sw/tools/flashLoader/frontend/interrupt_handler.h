// Ctrl+C and the closing of the console: outside the write phase, a clean
// end of the run at once (lock file removed, ROM lock released, exit code
// -1). Inside it the run is not cut short: it finishes the write phase and
// its clean-up and then ends (g_stop_requested). Ctrl+C is simply answered;
// a close is held (the handler does not return, so the system does not end
// the process) until the run ends the process itself. The handler runs on a
// thread of its own.
#pragma once

#include "platform/console.h"
#include "sw/tools/flashLoader/runstate/flash_write_phase.h"

// The console control handler. Returns true when the event is handled and
// the run goes on, false to leave the event to the system's default.
bool console_control_handler(platform::ConsoleEvent event);

// Installs console_control_handler; false when it cannot be installed.
bool install_interrupt_handler();
