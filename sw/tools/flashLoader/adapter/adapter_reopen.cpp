#include "sw/tools/flashLoader/adapter/adapter_reopen.h"

#include <cstdio>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/board_identity.h"
#include "sw/tools/flashLoader/adapter/driver_switch.h"
#include "sw/tools/flashLoader/hostglue/leftover_switch.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

StepResult clear_switch_and_reopen(const std::string& interfaceName, uint32_t* port, uint32_t* boardType) {
  if (cv_driver_quiescent_mode(interfaceName) != 0) {
    err_printf("Clear settings...Failed.\n");
    return 1;
  }
  close_adapter();
  if (open_adapter(interfaceName, port) != 0) {
    *port = 0;
    return kExitGeneralFailure;
  }
  if (read_board_type(adapter_handle(), boardType) != 0) {
    err_printf("Cannot get boardtype\n");
    return kExitBoardTypeUnreadable;
  }
  return kGoOn;
}

StepResult repair_switch_before_open(const std::string& interfaceName) {
  if (!switch_marker_on(interfaceName)) return kGoOn;
  if (cv_driver_quiescent_mode(interfaceName) != 0) {
    err_printf("Clear settings...Failed.\n");
    return 1;
  }
  return kGoOn;
}
