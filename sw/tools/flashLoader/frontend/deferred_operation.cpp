#include "sw/tools/flashLoader/frontend/deferred_operation.h"

#include <cstdio>
#include <string>

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/write_protection.h"
#include "sw/tools/flashLoader/frontend/host_checks.h"
#include "sw/tools/flashLoader/frontend/not_available.h"
#include "sw/tools/flashLoader/frontend/run_state.h"
#include "sw/tools/flashLoader/update/flash_upgrade.h"
#include "sw/tools/flashLoader/update/user_restore.h"

namespace {

// A 32-bit build on 64-bit Windows must not write the flash.
bool refuse_32bit_process() {
  if (running_as_native_process()) return false;
  std::fprintf(stderr, "Please use x64 bit version of burnkit\n");
  return true;
}

// Both operations that rewrite the whole flash first make sure the part
// takes writes and that this is the 64-bit build.
int writes_refused() {
  if (int enabled = check_flash_writes_enabled(adapter_handle()); enabled != 0) return enabled;
  if (refuse_32bit_process()) return 31;
  return 0;
}

int run_update() {
  if (int refused = writes_refused()) return refused;
  int result = upgrade_adapter_flash(g_run.interfaceName, &g_run.port, g_run.imageName, g_run.versionCheck);
  if (result != 0) std::fprintf(stderr, "Failed to write flash for 'nic' product\n");
  return result;
}

int run_restore() {
  if (int refused = writes_refused()) return refused;
  return restore_from_backup(g_run.interfaceName, &g_run.port, g_run.imageName, g_run.versionCheck);
}

}  // namespace

int run_deferred_operation(int argc, char** argv, int firstNonOption) {
  const std::string& op = g_run.operation;
  if (op.empty()) return g_run.status;
  if (firstNonOption < argc) {
    std::printf("non-option elements: ");
    for (int i = firstNonOption; i < argc; ++i) std::printf("%s ", argv[i]);
    std::printf("\n");
    return failure_status();
  }
  if (op == kOpUpdate) return run_update();
  if (op == kOpRestore) return run_restore();
  if (op == kOpPxeEnable || op == kOpPxeDisable) return not_available("Switching PXE boot (--pxe-on, --pxe-off)");
  if (op == kOpNcsiEnable || op == kOpNcsiDisable)
    return not_available("Switching NC-SI (--ncsi-on, --ncsi-off)");
  if (op == kOpWolEnable || op == kOpWolDisable) return not_available("Switching wake-on-LAN (--wol-on, --wol-off)");
  if (op == kOpHwFlags) return not_available("Setting the hardware flags (--hwflags)");
  return g_run.status;
}
