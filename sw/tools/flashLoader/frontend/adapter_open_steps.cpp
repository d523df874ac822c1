#include "sw/tools/flashLoader/frontend/adapter_open_steps.h"

#include <cstdio>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/register_access.h"
#include "sw/tools/flashLoader/frontend/not_available.h"
#include "sw/tools/flashLoader/frontend/run_state.h"
#include "sw/tools/flashLoader/hostglue/leftover_switch.h"

namespace {

constexpr uint32_t kBoardTypeRegister = 0x08202248;

// What the register shows while the driver or firmware has not published
// the board type.
bool board_type_unpublished(uint32_t value) { return value == 0 || value == 0x55555555 || value == 0xFFFFFFFF; }

}  // namespace

int open_and_check_adapter(const std::string& interfaceName, uint32_t* port) {
  if (open_adapter(interfaceName, port) != 0) {
    *port = 0;
    if (g_xml_mode) return -1;
    std::fprintf(stderr, "'%s' is not a Corvane Interface\n", interfaceName.c_str());
    return -1;
  }
  return 0;
}

int clear_leftover_driver_switch(const std::string& interfaceName) {
  if (!leftover_driver_switch(interfaceName)) return 0;
  not_available("Clearing a leftover quiescent-mode driver switch");
  return 31;
}

int published_board_type(uint32_t* boardType) {
  uint32_t value = cvm_ppd_read(adapter_handle(), kBoardTypeRegister);
  if (board_type_unpublished(value)) return -1;
  *boardType = value;
  return 0;
}
