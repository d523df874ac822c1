#include "platform/win32/win32_error.h"

#include <windows.h>

namespace platform {

WinError lastWin32Error() {
  DWORD e = GetLastError();
  return e == ERROR_SUCCESS ? kErrorGenFailure : static_cast<WinError>(e);
}

std::string directoryOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace platform
