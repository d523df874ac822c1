#include "sw/tools/flashLoader/frontend/board_info_options.h"

#include <cstdio>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/board_identity.h"
#include "sw/tools/flashLoader/adapter/flash_digest.h"
#include "sw/tools/flashLoader/adapter/board_tables.h"
#include "sw/tools/flashLoader/boardconfig/board_report.h"
#include "sw/tools/flashLoader/boardconfig/flag_status.h"
#include "sw/tools/flashLoader/runstate/run_state.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

// Board 0x22 keeps one base PXE setting per port parity.

}  // namespace

int run_board_information() {
  const DeviceHandle handle = adapter_handle();
  // The exit code is the last step's failure. A step that succeeds after an
  // earlier one failed does not make the run a success: the wrapper reads
  // exit code 0 as a report it can trust.
  int status = 0;
  auto record = [&status](int result) {
    if (result != 0) status = result;
    return result;
  };
  if (record(board_report(handle, g_run.port)) != 0) err_printf("Failed to get board information\n");

  const uint32_t pxePort = board_type_has(g_run.boardType, kBasePxe) ? g_run.port % 2 : g_run.port;
  if (record(pxe_status(handle, pxePort)) != 0)
    err_printf("Failed to get PXE status information for port %d\n", static_cast<int>(pxePort));

  if (g_adapter.nicType == 3 && !board_type_has(g_run.boardType, kBasePxe) && record(wol_status(handle, g_run.port)) != 0)
    err_printf("Failed to get WOL status information for port %d\n", static_cast<int>(g_run.port));

  if (g_adapter.nicType == 3 && subsystem_has(read_subsystem_id(handle), kNcsi) && record(ncsi_status(handle)) != 0)
    err_printf("Failed to get NCSI status information.\n");
  return status;
}

void run_flash_test() {
  out_printf("Running Flash Test \n Please be patient...\n");
  flush_out();
  g_run.status = flash_self_test(adapter_handle());
  out_printf("FLASH/NVRAM                 %s\n", g_run.status == 0 ? "PASSED" : "FAILED");
}
