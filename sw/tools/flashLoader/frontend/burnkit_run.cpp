#include "sw/tools/flashLoader/frontend/burnkit_run.h"

#include <cstdio>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/frontend/burnkit_options.h"
#include "sw/tools/flashLoader/frontend/deferred_operation.h"
#include "sw/tools/flashLoader/hostglue/instance_lock.h"
#include "sw/tools/flashLoader/frontend/interrupt_handler.h"
#include "sw/tools/flashLoader/frontend/option_handling.h"
#include "sw/tools/flashLoader/runstate/run_state.h"
#include "sw/tools/flashLoader/frontend/usage_text.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/state_reset.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

OptionScan g_scan;

const bool kReset = register_state_reset([] { g_scan = OptionScan{}; });

int parse_and_run(int argc, char** argv) {
  g_run.interfaceName.clear();
  g_run.imageName.clear();
  int option;
  while ((option = next_option(g_scan, argc, argv, kShortOptions, burnkit_long_options())) != kOptionsEnd) {
    if (StepResult end = handle_option(option, g_scan)) return *end;
  }
  return run_deferred_operation(argc, argv, g_scan.next);
}

}  // namespace

int burnkit_run(int argc, char** argv) {
  if (argc < 2) {
    print_usage();
    return -1;
  }
  prepare_lock_path();
  if (!install_interrupt_handler()) {
    out_printf("Error in SetConsoleCtrl Signal handling \n");
    err_printf("Error in signal registration.\n");
    return -1;
  }
  if (take_instance_lock() != 0) return -1;
  const int status = parse_and_run(argc, argv);
  release_at_exit();
  return status;
}
