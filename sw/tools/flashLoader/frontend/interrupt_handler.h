// Ctrl+C and the closing of the console: refused while the flash is being
// written, otherwise a clean end of the run (lock file removed, ROM lock
// released, exit code -1). The handler runs on a thread of its own.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/console.h"

// 1 while the upgrade writes the flash; set only by the main flow, read by
// the handler.
extern std::atomic<int32_t> g_flash_write;

// The handler decides under this lock and ends the run still holding it;
// the main flow enters and leaves the write phase under it. So the handler
// never ends the run once the write phase has begun, and a write phase never
// begins while the handler is ending the run.
std::mutex& flash_write_decision();

// The console control handler. Returns true when the event is handled and
// the run goes on, false to leave the event to the system's default.
bool console_control_handler(platform::ConsoleEvent event);

// Installs console_control_handler; false when it cannot be installed.
bool install_interrupt_handler();
