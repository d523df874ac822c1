#include "sw/tools/flashLoader/frontend/interface_option.h"

#include <cstdio>
#include <string>
#include <vector>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/adapter_check.h"
#include "sw/tools/flashLoader/adapter/adapter_reopen.h"
#include "sw/tools/flashLoader/adapter/board_tables.h"
#include "sw/tools/flashLoader/runstate/run_state.h"
#include "sw/tools/flashLoader/hostglue/port_lookup.h"
#include "sw/tools/flashLoader/hostglue/connection_lookup.h"
#include "sw/tools/flashLoader/hostglue/leftover_switch.h"
#include "sw/tools/flashLoader/hostglue/pci_location_lookup.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

bool names_pci_location(const std::string& name) {
  return name.find(':') != std::string::npos && name.find('.') != std::string::npos;
}

// The connections whose adapter opens as a Corvane port; each is closed
// again at once. A port that an interrupted run's switch left disabled does
// not open, yet it is one: its marker says so, and the run repairs it.
std::vector<std::string> corvane_connections() {
  build_interface_list();
  std::vector<std::string> ports;
  for (const std::string& name : g_interface_list) {
    uint32_t port = 0;
    if (open_adapter(name, &port) == 0 || switch_marker_on(name)) ports.push_back(name);
    close_adapter();
  }
  return ports;
}

}  // namespace

StepResult find_connection_at(int bus, int device, int function) {
  for (const std::string& name : corvane_connections()) {
    PortLookup found;
    if (!lookup_port_driver_key(name, &found)) return 1;
    int b = -1, d = -1, f = -1;
    if (!pci_location_of_driver_key(found.devices, found.driverKey, &b, &d, &f)) return 1;
    if (b == bus && d == device && f == function) set_interface_name(name);
  }
  return kGoOn;
}

StepResult open_interface(const char* argument) {
  set_interface_name(argument);
  if (names_pci_location(g_run.interfaceName)) {
    int bus = 0, device = 0, function = 0;
    if (std::sscanf(g_run.interfaceName.c_str(), "%d:%d.%d", &bus, &device, &function) < 3) return 1;
    if (StepResult end = find_connection_at(bus, device, function)) return end;
  }
  if (g_run.interfaceName == kXmlInterfaceName) {
    g_xml_mode = 1;
    build_interface_list();
    return kGoOn;
  }

  if (StepResult end = repair_switch_before_open(g_run.interfaceName)) return end;
  int checked = check_adapter(g_run.interfaceName, &g_run.port, g_xml_mode != 0);
  if (checked == 12) {
    err_printf("Verifying flash...Failed.\n");
    return 12;
  }
  if (checked != 0) return checked;

  if (StepResult end = clear_switch_and_reopen(g_run.interfaceName, &g_run.port, &g_run.boardType)) return end;
  g_run.portCount = board_port_count(g_run.boardType);
  g_run.status = 0;
  return kGoOn;
}
