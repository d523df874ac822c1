#include "sw/tools/flashLoader/hostglue/host_checks.h"

#include <cstdint>
#include <cstdio>

#include "platform/host.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

constexpr uint64_t kBackupSpaceNeeded = 0x500000;

}  // namespace

bool running_as_native_process() {
  switch (platform::host().system().wow64()) {
    case platform::Wow64Answer::FunctionAbsent:
    case platform::Wow64Answer::Native64:
      return true;
    case platform::Wow64Answer::CallFailed:
      err_printf("Failed in IsWow64\n");
      return false;
    case platform::Wow64Answer::Wow64:
      return false;
  }
  return false;
}

bool refuse_32bit_process() {
  if (running_as_native_process()) return false;
  err_printf("Please use x64 bit version of burnkit\n");
  return true;
}

int is_administrator() { return platform::host().system().isAdministrator() ? 1 : 0; }

int check_free_space() {
  uint64_t freeBytes = 0;
  platform::WinError error = platform::host().system().freeBytes("", &freeBytes);
  if (error != platform::kErrorSuccess) {
    err_printf("GetDiskFreeSpaceEx Failed .Errorcode= %d..!\n", static_cast<int>(error));
    return kExitGeneralFailure;
  }
  return freeBytes < kBackupSpaceNeeded ? kExitGeneralFailure : kExitOk;
}
