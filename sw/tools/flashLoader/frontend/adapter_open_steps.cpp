#include "sw/tools/flashLoader/frontend/adapter_open_steps.h"

#include "sw/tools/flashLoader/adapter/adapter_check.h"
#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/board_identity.h"
#include "sw/tools/flashLoader/adapter/board_tables.h"
#include "sw/tools/flashLoader/runstate/run_state.h"
#include "sw/tools/flashLoader/adapter/driver_switch.h"

int open_and_check_adapter(const std::string& interfaceName, uint32_t* port) {
  return check_adapter(interfaceName, port, g_xml_mode != 0);
}

int clear_leftover_driver_switch(const std::string& interfaceName) {
  return cv_driver_quiescent_mode(interfaceName);
}

int learn_board_type(uint32_t* boardType, uint32_t* portCount) {
  if (read_board_type(adapter_handle(), boardType) != 0) return -1;
  *portCount = board_port_count(*boardType);
  return 0;
}
