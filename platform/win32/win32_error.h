// Small helpers shared by the Win32 backend's files.
#pragma once

#include <string>

#include "platform/errors.h"

namespace platform {

// GetLastError() as the platform's error number; never kErrorSuccess, so that
// a failed call whose error was not set still reads as a failure.
WinError lastWin32Error();

// The directory part of a path with either separator, without the separator;
// empty when there is none.
std::string directoryOf(const std::string& path);

}  // namespace platform
