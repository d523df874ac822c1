// The console of a Linux terminal, shaped as the Windows console the programs
// expect: control events, input, title and sizes.
#pragma once

#include <memory>

#include "platform/console.h"
#include "platform/posix/console_control.h"

namespace platform {

// closeGrace: the time a close handler is granted (empty: the default).
std::unique_ptr<Console> makePosixConsole(CloseGrace closeGrace = {});

}  // namespace platform
