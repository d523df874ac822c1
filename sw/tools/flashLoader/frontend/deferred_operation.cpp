#include "sw/tools/flashLoader/frontend/deferred_operation.h"

#include <cstdio>
#include <string>

#include "sw/tools/flashLoader/frontend/host_checks.h"
#include "sw/tools/flashLoader/frontend/not_available.h"
#include "sw/tools/flashLoader/frontend/run_state.h"

namespace {

// A 32-bit build on 64-bit Windows must not write the flash.
bool refuse_32bit_process() {
  if (running_as_native_process()) return false;
  std::fprintf(stderr, "Please use x64 bit version of burnkit\n");
  return true;
}

int run_update() {
  if (refuse_32bit_process()) return 31;
  return not_available("The flash upgrade (-a, --all)");
}

int run_restore() {
  if (refuse_32bit_process()) return 31;
  return not_available("The flash restore (-r, --restore)");
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
