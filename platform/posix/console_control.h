// Console control events on Linux: Ctrl+C arrives as SIGINT and the closing
// of the console (the terminal hanging up) as SIGHUP. Windows runs control
// handlers on a thread of their own; so does this.
#pragma once

#include <chrono>
#include <functional>

#include "platform/console.h"

namespace platform {

// Adds a handler; the most recently added is asked first, and the first that
// returns true has handled the event. The first call blocks SIGINT and SIGHUP
// in the calling thread and starts the thread that waits for them, so it
// belongs early in main, before other threads start (a thread started earlier
// would still take the signals with their default action). When no handler
// takes an event the process ends by that signal, as it would uncaught. After
// a close event the process ends once the handlers return, whatever they
// answer, as Windows ends a process whose console was closed; a handler that
// has not returned when the close grace runs out is not waited for any
// longer (the system grants a close handler a few seconds). A handler holds
// the close by not returning: the process may end by its own exit meanwhile.
bool addConsoleControlHandler(ConsoleHandler handler);

// The time a close handler is granted, asked when a close event arrives.
// Empty: kDefaultCloseGrace. The last one set holds for the process.
using CloseGrace = std::function<std::chrono::milliseconds()>;
inline constexpr std::chrono::milliseconds kDefaultCloseGrace{5000};
void setCloseGrace(CloseGrace grace);

}  // namespace platform
