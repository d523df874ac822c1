#include "sw/tools/flashLoader/discovery/discovery_run.h"

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "sw/tools/flashLoader/adapter/adapter_reopen.h"
#include "sw/tools/flashLoader/adapter/adapter_check.h"
#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/board_identity.h"
#include "sw/tools/flashLoader/adapter/board_tables.h"
#include "sw/tools/flashLoader/adapter/mac_lookup.h"
#include "sw/tools/flashLoader/adapter/write_protection.h"
#include "sw/tools/flashLoader/boardconfig/board_report.h"
#include "sw/tools/flashLoader/discovery/card_collection.h"
#include "sw/tools/flashLoader/discovery/discovery_report_reader.h"
#include "sw/tools/flashLoader/discovery/discovery_report_writer.h"
#include "sw/tools/flashLoader/hostglue/port_lookup.h"
#include "sw/tools/flashLoader/hostglue/host_checks.h"
#include "sw/tools/flashLoader/runstate/run_state.h"
#include "sw/tools/flashLoader/hostglue/board_count.h"
#include "sw/tools/flashLoader/hostglue/connection_lookup.h"
#include "sw/tools/flashLoader/adapter/driver_switch.h"
#include "sw/tools/flashLoader/hostglue/text_compare.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/flash_write_phase.h"
#include "sw/tools/flashLoader/update/flash_upgrade.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

constexpr size_t kReportAdapterMax = 512;

// The adapter check as both report options use it: 0 to go on, -1 for a
// port that is no Corvane port, or the code that ends the run.
int check_port(const std::string& name, uint32_t* port) {
  const int checked = check_adapter(name, port, g_xml_mode != 0);
  if (checked == 12) err_printf("Verifying flash...Failed.\n");
  return checked;
}

// Finds the card's PCI location. kGoOn to go on, or the code that ends
// the run: a failed lookup ends it with the general failure code, since the
// wrapper reads 0 as a written report.
StepResult locate_card(DiscoveredCard* card) {
  PortLookup found;
  if (!lookup_port_driver_key(card->interfaceName, &found)) return kExitGeneralFailure;
  const size_t known = g_port_locations.size();
  if (!FindDevice(*found.devices, found.driverKey) || g_port_locations.size() == known) {
    out_printf("FindDevice Failed\n");
    return kGoOn;
  }
  card->location = g_port_locations.back();
  return kGoOn;
}

bool already_found(const std::vector<DiscoveredCard>& cards, const std::string& identity) {
  for (const DiscoveredCard& card : cards)
    if (equal_ignoring_case(card.identity, identity)) return true;
  return false;
}

// One entry per card: the first port of each card met in the interface
// list. kGoOn to go on, or the code that ends the run.
StepResult find_cards(std::vector<DiscoveredCard>* cards) {
  build_interface_list();
  const std::vector<std::string> names = g_interface_list;
  for (const std::string& name : names) {
    uint32_t port = 0;
    int checked = check_port(name, &port);
    if (checked == -1) continue;
    if (checked != 0) return checked;
    if (cv_driver_quiescent_mode(name) != 0) {
      err_printf("Clear settings...Failed.\n");
      return 1;
    }
    checked = check_port(name, &port);
    if (checked == -1) continue;
    if (checked != 0) return checked;

    DiscoveredCard card;
    if (adapter_identity(adapter_handle(), &card.identity) != 0) {
      err_printf("Could not get serial id\n");
      return -1;
    }
    if (already_found(*cards, card.identity)) continue;
    card.interfaceName = name;
    if (StepResult end = locate_card(&card)) return end;
    cards->push_back(std::move(card));
  }
  close_adapter();
  return kGoOn;
}


// Every port that opens as a Corvane adapter, with its card's addresses.
std::vector<AdapterMacs> corvane_ports_with_macs() {
  build_interface_list();
  std::vector<AdapterMacs> kept;
  for (const std::string& name : g_interface_list) {
    if (kept.size() >= kReportAdapterMax) break;
    uint32_t port = 0;
    if (open_adapter(name, &port) == 0) {
      AdapterMacList list;
      if (get_adapter_mac_address(adapter_handle(), &list) != 0) {
        out_printf("get_adapter_mac_address failed\n");
      } else {
        AdapterMacs entry{name, {}};
        for (uint32_t i = 0; i < list.count && i < list.macs.size(); ++i) entry.macs.push_back(list.macs[i]);
        kept.push_back(std::move(entry));
      }
    }
    close_adapter();
  }
  return kept;
}

// A card whose checks fail is reported and left as it is; the other cards
// of the report are still upgraded.
StepResult skip_card(const std::string& name, int code, int* result) {
  err_printf("The card of \"%s\" is skipped (code %d).\n", name.c_str(), code);
  *result = code;
  return kGoOn;
}

// Upgrades the card that owns the port: *result is 0 when upgraded, the
// code of its failed checks or upgrade otherwise (the next card goes on).
// kGoOn, or the code that ends the run.
StepResult upgrade_selected_port(const std::string& name, int* result) {
  uint32_t port = 0;
  if (StepResult failed = repair_switch_before_open(name)) return skip_card(name, *failed, result);
  if (int checked = check_port(name, &port); checked != 0) return skip_card(name, checked, result);
  if (int enabled = check_flash_writes_enabled(adapter_handle()); enabled != 0)
    return skip_card(name, enabled, result);
  uint32_t boardType = 0;
  if (StepResult failed = clear_switch_and_reopen(name, &port, &boardType)) return skip_card(name, *failed, result);
  g_run.boardType = boardType;
  g_run.portCount = board_port_count(boardType);
  g_run.port = port;
  if (refuse_32bit_process()) return kExitGeneralFailure;
  *result = upgrade_adapter_flash(name, &g_run.port, g_run.imageName, g_run.versionCheck);
  if (*result != 0) err_printf("Failed to write flash for 'nic' product\n");
  return kGoOn;
}

}  // namespace

StepResult run_discovery(const std::string& fileName) {
  const int boards = count_boards();
  if (boards <= 0) return g_run.status;

  std::vector<DiscoveredCard> cards;
  if (StepResult end = find_cards(&cards)) {
    close_adapter();
    return end;
  }

  std::vector<DiscoveredCard> examined;
  for (DiscoveredCard& card : cards) {
    uint32_t port = 0;
    const int checked = check_port(card.interfaceName, &port);
    if (checked == -1) continue;
    if (checked != 0) {
      close_adapter();
      return checked;
    }
    collect_card_record(&card);
    examined.push_back(std::move(card));
  }
  close_adapter();

  if (write_discovery_report(fileName, examined) != 0) {
    err_printf("Failed to create XML file...\n");
    return -1;
  }
  g_run.status = 0;
  return kGoOn;
}

StepResult run_report_upgrade(const std::string& fileName) {
  const std::vector<AdapterMacs> adapters = corvane_ports_with_macs();
  if (adapters.empty()) {
    out_printf("No Device Found for F/W upgrade.\n");
    return 1;
  }
  g_xml_mode = 1;
  std::vector<std::string> selection;
  read_discovery_report(fileName, &selection);
  if (selection.empty()) {
    out_printf("No Device selected for F/W upgrade.\n");
    return 1;
  }

  g_run.status = 0;
  // A report may list the same device more than once: each card is
  // upgraded once.
  std::set<std::string> upgraded;
  for (const std::string& macText : selection) {
    std::string name;
    if (find_interface_by_mac(macText, adapters, &name) != 0) {
      g_run.status = 1;
      continue;
    }
    if (!upgraded.insert(name).second) continue;
    // Interrupted inside a card's write phase: that card was finished; no
    // further card is begun.
    if (g_stop_requested.load()) {
      err_printf("Interrupted: the cards not yet upgraded are left as they are.\n");
      g_run.status = -1;
      break;
    }
    int result = 0;
    const StepResult end = upgrade_selected_port(name, &result);
    close_adapter();
    if (end) return end;
    if (result != 0) g_run.status = result;
  }
  return kGoOn;
}
