#include "sw/tools/flashLoader/boardconfig/setting_change.h"

#include "sw/tools/flashLoader/runstate/tool_output.h"

int report_unprotect_failure() {
  err_printf("Failed to unprotect the flash: nothing was written.\n");
  return kUnprotectFailed;
}
