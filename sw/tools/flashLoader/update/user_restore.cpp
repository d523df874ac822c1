#include "sw/tools/flashLoader/update/user_restore.h"

#include <cstdio>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/update/driver_mode_steps.h"
#include "sw/tools/flashLoader/update/flash_restore.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

int restore_from_backup(const std::string& interfaceName, uint32_t* port, const std::string& backupPath,
                        uint32_t checkFlag) {
  int result = kExitOk;
  switch (enter_quiescent_mode(interfaceName, port)) {
    case QuiescentEntry::switchFailed:
      return kExitGeneralFailure;
    case QuiescentEntry::reopenFailed:
      result = -1;  // the open's own result
      break;
    case QuiescentEntry::entered:
      result =
          restore_flash_from_file(adapter_handle(), backupPath, RestoreRequest{checkFlag, BoardAreas::flashWhenSound});
      if (result != kExitOk && result != kExitDeclined) err_printf("Failed to Recover!!!\n");
      break;
  }
  if (return_to_normal_mode(interfaceName)) {
    out_printf("Driver Loaded in Normal mode \n");
    return result;
  }
  // A driver left quiescent is a board out of service.
  return result == kExitOk ? kExitGeneralFailure : result;
}
