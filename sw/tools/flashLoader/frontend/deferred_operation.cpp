#include "sw/tools/flashLoader/frontend/deferred_operation.h"

#include <cstdio>
#include <string>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/cut_short_edit.h"
#include "sw/tools/flashLoader/adapter/write_protection.h"
#include "sw/tools/flashLoader/boardconfig/hardware_flags.h"
#include "sw/tools/flashLoader/boardconfig/ncsi_setting.h"
#include "sw/tools/flashLoader/boardconfig/pxe_setting.h"
#include "sw/tools/flashLoader/boardconfig/setting_change.h"
#include "sw/tools/flashLoader/boardconfig/wol_setting.h"
#include "sw/tools/flashLoader/hostglue/host_checks.h"
#include "sw/tools/flashLoader/frontend/port_prompt.h"
#include "sw/tools/flashLoader/runstate/run_state.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/update/flash_upgrade.h"
#include "sw/tools/flashLoader/update/user_restore.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

// Both operations that rewrite the whole flash first make sure the part
// takes writes and that this is the 64-bit build.
int writes_refused() {
  if (int enabled = check_flash_writes_enabled(adapter_handle()); enabled != 0) return enabled;
  if (refuse_32bit_process()) return kExitGeneralFailure;
  return 0;
}

int run_update() {
  if (int refused = writes_refused()) return refused;
  int result = upgrade_adapter_flash(g_run.interfaceName, &g_run.port, g_run.imageName, g_run.versionCheck);
  if (result != 0) err_printf("Failed to write flash for 'nic' product\n");
  return result;
}

int run_restore() {
  if (int refused = writes_refused()) return refused;
  return restore_from_backup(g_run.interfaceName, &g_run.port, g_run.imageName, g_run.versionCheck);
}

// The per-port settings ask which port on boards with more than one.
bool choose_port() { return g_run.portCount == 1 || ask_port_number() == 0; }

// The first generation of the chip has neither the wake-up logic nor the
// hardware-flags word.
bool refused_on_first_generation(const char* line) {
  if (g_adapter.nicType != 2) return false;
  err_printf("%s", line);
  return true;
}

// The lines a setting change ends with: done (on the stream the upgrade
// wrapper reads it from), not supported on this board (null: the failure
// line), failed.
struct ChangeLines {
  const char* done;
  OutputStream doneStream;
  const char* notSupported;
  const char* failed;
};

// The part takes writes, and no earlier edit was cut short half way.
int board_edit_refused() {
  const DeviceHandle handle = adapter_handle();
  if (int enabled = check_flash_writes_enabled(handle); enabled != 0) return enabled;
  return refuse_if_board_edit_cut_short(handle);
}

int writes_checked(const ChangeLines& lines) {
  const int refused = board_edit_refused();
  if (refused != 0) err_printf("%s", lines.failed);
  return refused;
}

int reported(int result, const ChangeLines& lines) {
  if (result == 0) stream_printf(lines.doneStream, "%s", lines.done);
  else if (result == kSettingNotSupported && lines.notSupported) out_printf("%s", lines.notSupported);
  else err_printf("%s", lines.failed);
  return result;
}

int run_pxe(bool on) {
  const ChangeLines lines = on ? ChangeLines{"PXE : Enabled\n", OutputStream::err, "PXE Enable is not supported\n", "Failed to enable PXE\n"}
                               : ChangeLines{"PXE : Disabled\n", OutputStream::err, "PXE Disable is not supported\n",
                                             "Failed to disable PXE\n"};
  if (int refused = writes_checked(lines)) return refused;
  if (!choose_port()) return failure_status();
  return reported(set_pxe(adapter_handle(), g_run.port, on), lines);
}

int run_ncsi(bool on) {
  const ChangeLines lines = on ? ChangeLines{"NCSI : Enabled\n", OutputStream::err, "NCSI Enable is not supported\n",
                                             "Failed to enable NCSI\n"}
                               : ChangeLines{"NCSI : Disabled\n", OutputStream::err, "NCSI Disable is not supported\n",
                                             "Failed to disable NCSI\n"};
  if (int refused = writes_checked(lines)) return refused;
  return reported(set_ncsi(adapter_handle(), on), lines);
}

int run_wol(bool on) {
  if (refused_on_first_generation("WOL Not Supported on this hardware\n")) return kSettingNotSupported;
  const ChangeLines lines = on ? ChangeLines{"WOL : Enabled\n", OutputStream::out, "WOL Enable not supported\n", "Failed to enable WOL\n"}
                               : ChangeLines{"WOL : Disabled\n", OutputStream::out, nullptr, "Failed to disable WOL\n"};
  if (int refused = writes_checked(lines)) return refused;
  if (!choose_port()) return failure_status();
  const DeviceHandle handle = adapter_handle();
  return reported(on ? enable_wol(handle, g_run.port) : disable_wol(handle, g_run.port), lines);
}

int run_hardware_flags() {
  if (refused_on_first_generation("Hardware flags not supported on this hardware\n")) return kSettingNotSupported;
  const ChangeLines lines{"Hardware flags configuration successful\n", OutputStream::out, nullptr,
                          "Failed to configure hardware flags\n"};
  const int refused = board_edit_refused();
  return reported(refused != 0 ? refused : set_hardware_flags(adapter_handle(), g_run.hwflags), lines);
}

}  // namespace

int run_deferred_operation(int argc, char** argv, int firstNonOption) {
  const std::string& op = g_run.operation;
  if (op.empty()) return g_run.status;
  if (firstNonOption < argc) {
    out_printf("non-option elements: ");
    for (int i = firstNonOption; i < argc; ++i) out_printf("%s ", argv[i]);
    out_printf("\n");
    return failure_status();
  }
  if (op == kOpUpdate) return run_update();
  if (op == kOpRestore) return run_restore();
  if (op == kOpPxeEnable || op == kOpPxeDisable) return run_pxe(op == kOpPxeEnable);
  if (op == kOpNcsiEnable || op == kOpNcsiDisable) return run_ncsi(op == kOpNcsiEnable);
  if (op == kOpWolEnable || op == kOpWolDisable) return run_wol(op == kOpWolEnable);
  if (op == kOpHwFlags) return run_hardware_flags();
  return g_run.status;
}
