#include "sw/tools/flashLoader/frontend/option_handling.h"

#include <cstdio>
#include <cstring>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/board_identity.h"
#include "sw/tools/flashLoader/adapter/board_tables.h"
#include "sw/tools/flashLoader/adapter/cut_short_edit.h"
#include "sw/tools/flashLoader/boardconfig/vnic_properties.h"
#include "sw/tools/flashLoader/discovery/discovery_run.h"
#include "sw/tools/flashLoader/frontend/board_info_options.h"
#include "sw/tools/flashLoader/frontend/burnkit_options.h"
#include "sw/tools/flashLoader/hostglue/host_checks.h"
#include "sw/tools/flashLoader/frontend/interface_option.h"
#include "sw/tools/flashLoader/runstate/run_state.h"
#include "sw/tools/flashLoader/frontend/usage_text.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

bool may_come_first(int option) {
  switch (option) {
    case 'i': case kOptInterface:
    case 'h': case kOptHelp:
    case 'v': case kOptVersion:
    case 'd': case 'D': case 'u': case 'U':
    case kOptionUnknown:
      return true;
    default:
      return false;
  }
}

bool needs_administrator(int option) {
  return option != 'v' && option != kOptVersion && option != 'h' && option != kOptHelp;
}

StepResult invalid_combination() {
  err_printf("Invalid combination of options!\n");
  return failure_status();
}

StepResult handle_interface(const OptionScan& scan) {
  if (g_run.optionsSeen != 1) {
    err_printf("'-i' or '--interface' must be first option. Ignored\n");
    return 0;
  }
  return open_interface(scan.argument);
}

StepResult handle_force() {
  if (g_run.optionsSeen <= 2) {
    g_run.versionCheck = 0;
  } else {
    err_printf("'-f' or '--force' must be second option - Ignored\n");
  }
  return kGoOn;
}

StepResult handle_restore(const OptionScan& scan) {
  if (!g_run.operation.empty()) return invalid_combination();
  g_run.operation = kOpRestore;
  set_image_name(scan.argument);
  return kGoOn;
}

StepResult handle_hwflags(const OptionScan& scan) {
  g_run.operation = kOpHwFlags;
  const char* value = scan.argument;
  if (std::strlen(value) != 1 || value[0] < '0' || value[0] > '3') {
    out_printf("Invalid value for hwflags\n");
    return 1;
  }
  g_run.hwflags = static_cast<uint32_t>(value[0] - '0');
  return kGoOn;
}

StepResult handle_info() {
  if (!g_run.operation.empty()) return invalid_combination();
  return run_board_information();
}

// The vNIC property commands exist only on the boards that have the
// property area.
StepResult handle_vnic_properties(int option) {
  if (!subsystem_has(read_subsystem_id(adapter_handle()), kVnicArea)) {
    err_printf("Invalid option \n");
    return failure_status();
  }
  // A print or commit that failed must not end the run as a success.
  const DeviceHandle handle = adapter_handle();
  if (option == 's') {
    if (int refused = refuse_if_board_edit_cut_short(handle); refused != 0) return refused;
  }
  const int result = option == 'p' ? vnic_print(handle, g_run.port) : vnic_commit(handle, g_run.port);
  return result != 0 ? result : g_run.status;
}

StepResult handle_missing_argument(const OptionScan& scan) {
  if (scan.offending == 'a' || scan.offending == kOptAll) {
    g_run.operation = kOpUpdate;  // the upgrade looks for the default image
    return kGoOn;
  }
  err_printf("Be careful...It requires an argument! \n");
  return failure_status();
}

StepResult handle_unknown() {
  err_printf("Invalid option \n");
  print_usage();
  return kExitGeneralFailure;
}

}  // namespace

StepResult handle_option(int option, const OptionScan& scan) {
  if (g_run.optionsSeen == 0 && !may_come_first(option)) {
    err_printf("'-i' or '--interface' must be first option.\n");
    return -1;
  }
  if (needs_administrator(option) && !is_administrator()) {
    out_printf("\nYou do not have administrative privileges.  Kindly login as Administrator to use burnkit.\n");
    return -1;
  }
  ++g_run.optionsSeen;

  switch (option) {
    case 'i':
    case kOptInterface:
      return handle_interface(scan);
    case 'f':
    case kOptForce:
      return handle_force();
    case 'F':
    case kOptTestFlash:
      run_flash_test();
      return kGoOn;
    case 'a':
    case kOptAll:
      g_run.operation = kOpUpdate;
      set_image_name(scan.argument);
      return kGoOn;
    case 'r':
    case kOptRestore:
      return handle_restore(scan);
    case kOptPxeOn: g_run.operation = kOpPxeEnable; return kGoOn;
    case kOptPxeOff: g_run.operation = kOpPxeDisable; return kGoOn;
    case kOptWolOn: g_run.operation = kOpWolEnable; return kGoOn;
    case kOptWolOff: g_run.operation = kOpWolDisable; return kGoOn;
    case kOptNcsiOn: g_run.operation = kOpNcsiEnable; return kGoOn;
    case kOptNcsiOff: g_run.operation = kOpNcsiDisable; return kGoOn;
    case kOptHwFlags:
      return handle_hwflags(scan);
    case 'v':
    case kOptVersion:
      print_version();
      g_run.status = 0;
      return kGoOn;
    case 'h':
    case kOptHelp:
      print_usage();
      return 0;
    case kOptInfo:
      return handle_info();
    case 'p':
    case 's':
      return handle_vnic_properties(option);
    case 'd':
    case 'D':
      return run_discovery(scan.argument);
    case 'u':
    case 'U':
      return run_report_upgrade(scan.argument);
    case kOptionMissingArgument:
      return handle_missing_argument(scan);
    default:
      return handle_unknown();
  }
}
