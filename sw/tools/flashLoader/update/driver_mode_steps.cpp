#include "sw/tools/flashLoader/update/driver_mode_steps.h"

#include <cstdio>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/driver_switch.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

QuiescentEntry enter_quiescent_mode(const std::string& interfaceName, uint32_t* port) {
  close_adapter();
  if (switch_driver_mode(kDriverModeQuiescent, interfaceName) != 1) return QuiescentEntry::switchFailed;
  out_printf("Driver Loaded in Quiesce mode \n");
  if (open_adapter(interfaceName, port) != 0) {
    *port = 0;
    return QuiescentEntry::reopenFailed;
  }
  return QuiescentEntry::entered;
}

bool return_to_normal_mode(const std::string& interfaceName) {
  close_adapter();
  return switch_driver_mode(kDriverModeNormal, interfaceName) == 1;
}
