#include <windows.h>

#include "platform/common/running_program.h"

namespace platform {

std::string runningProgramPath() {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return n == 0 || n == MAX_PATH ? std::string() : std::string(path, n);
}

}  // namespace platform
