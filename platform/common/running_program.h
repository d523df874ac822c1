// The running program's own file, by the system's own means
// (running_program_posix.cpp, running_program_win32.cpp).
#pragma once

#include <string>

namespace platform {

// Empty when the system cannot tell.
std::string runningProgramPath();

}  // namespace platform
