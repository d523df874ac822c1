#include "sw/tools/flashLoader/frontend/interrupt_handler.h"

#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <mutex>
#include <thread>

#include "platform/host.h"
#include "sw/tools/flashLoader/adapter/register_access.h"
#include "sw/tools/flashLoader/hostglue/instance_lock.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

constexpr uint32_t kRomSemaphoreRelease = 0x0611C014;

}  // namespace

namespace {

// A close returns from its handler only to have the process ended: the
// handler waits here instead while the run finishes its write phase and
// clean-up and ends the process with its own exit code. Nothing is touched
// meanwhile, so the process may end under it at any moment.
[[noreturn]] void hold_close_until_the_run_ends() {
  while (true) std::this_thread::sleep_for(std::chrono::hours(1));
}

}  // namespace

bool console_control_handler(platform::ConsoleEvent event) {
  out_printf("Calling signal Handler, flash_write is [%d]\n", g_flash_write.load());
  if (event != platform::ConsoleEvent::CtrlC && event != platform::ConsoleEvent::Close) return false;
  // Held to the end when the run is ended here: the process ends with it.
  std::unique_lock<std::mutex> decided(flash_write_decision());
  if (g_flash_write.load() == 1) {
    out_printf("WARNING: Writing in Flash is critical operation.Do not interrupt it till Completion.\n");
    flush_out();
    g_stop_requested.store(true);
    // The write phase must be free to end.
    decided.unlock();
    if (event == platform::ConsoleEvent::Close) hold_close_until_the_run_ends();
    return true;
  }
  out_printf("Received Signal....Doing a graceful exit\n");
  remove_lock_file();
  cvm_ppd_read(adapter_handle(), kRomSemaphoreRelease);
  // The main thread may be anywhere, even waiting for input that holds
  // standard input's lock: flush only the output streams and end at once.
  flush_out();
  flush_err();
  std::_Exit(-1);
}

bool install_interrupt_handler() {
  return platform::host().console().setControlHandler(console_control_handler);
}
