#include "sw/tools/flashLoader/frontend/interface_option.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/adapter_check.h"
#include "sw/tools/flashLoader/adapter/adapter_reopen.h"
#include "sw/tools/flashLoader/adapter/board_tables.h"
#include "sw/tools/flashLoader/runstate/run_state.h"
#include "sw/tools/flashLoader/hostglue/port_lookup.h"
#include "sw/tools/flashLoader/hostglue/connection_lookup.h"
#include "sw/tools/flashLoader/hostglue/corvane_port.h"
#include "sw/tools/flashLoader/hostglue/leftover_switch.h"
#include "sw/tools/flashLoader/hostglue/pci_location_lookup.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/silent_step.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

bool names_pci_location(const std::string& name) {
  return name.find(':') != std::string::npos && name.find('.') != std::string::npos;
}

// The connections whose adapter opens as a Corvane port; each is closed
// again at once. A port that an interrupted run's switch left disabled does
// not open, yet it is one: its marker says so, and the run repairs it.
bool opens_as_corvane_port(const std::string& name) {
  uint32_t port = 0;
  const bool corvane = open_adapter(name, &port) == 0 || switch_marker_on(name);
  close_adapter();
  return corvane;
}

std::vector<std::string> corvane_connections() {
  build_interface_list();
  std::vector<std::string> ports;
  for (const std::string& name : g_interface_list)
    if (opens_as_corvane_port(name)) ports.push_back(name);
  return ports;
}

struct ConnectionPlace {
  std::string name;
  int bus = -1, device = -1, function = -1;
};

// Where every connection of the interface list sits, worked out from the
// host's lists alone, without opening a port: the same resolution, lookup
// chain and PCI location that the port-by-port search asks for, in its
// order. Nothing when any of it failed or printed a line (the printed lines
// are dropped): only the port-by-port search then prints exactly what it
// prints. When it was silent, the same questions asked again are answered
// from what the lookups keep for the run, again silently and alike.
std::optional<std::vector<ConnectionPlace>> connection_places() {
  std::optional<std::vector<ConnectionPlace>> places;
  const bool silent = ran_silently([&] {
    if (!build_interface_list()) return;
    std::vector<ConnectionPlace> found;
    for (const std::string& name : g_interface_list) {
      if (name.empty()) return;  // opening it prints a line of its own
      std::string instanceId;
      resolve_corvane_port(name, &instanceId);
      ConnectionPlace place{name};
      PortLookup lookup;
      if (!lookup_port_driver_key(name, &lookup) ||
          !pci_location_of_driver_key(*lookup.devices, lookup.driverKey, &place.bus, &place.device, &place.function))
        return;
      found.push_back(std::move(place));
    }
    places = std::move(found);
  });
  if (!silent) return std::nullopt;
  return places;
}

}  // namespace

StepResult find_connection_at(int bus, int device, int function) {
  // Only a port at the location can be named by it: the others are not
  // opened, so the search costs the same on a host with many cards.
  if (std::optional<std::vector<ConnectionPlace>> places = connection_places()) {
    for (const ConnectionPlace& place : *places)
      if (place.bus == bus && place.device == device && place.function == function &&
          opens_as_corvane_port(place.name))
        set_interface_name(place.name);
    return kGoOn;
  }
  for (const std::string& name : corvane_connections()) {
    PortLookup found;
    if (!lookup_port_driver_key(name, &found)) return 1;
    int b = -1, d = -1, f = -1;
    if (!pci_location_of_driver_key(*found.devices, found.driverKey, &b, &d, &f)) return 1;
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
