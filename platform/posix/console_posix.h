// The console of a Linux terminal, shaped as the Windows console the programs
// expect: control events, input, title and sizes.
#pragma once

#include <memory>

#include "platform/console.h"

namespace platform {

std::unique_ptr<Console> makePosixConsole();

}  // namespace platform
