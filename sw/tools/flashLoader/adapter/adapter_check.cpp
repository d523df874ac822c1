#include "sw/tools/flashLoader/adapter/adapter_check.h"

#include <cstdio>

#include "platform/host.h"
#include "sw/tools/flashLoader/adapter/adapter_registers.h"
#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/chip_identity.h"
#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/flash_words.h"
#include "sw/tools/flashLoader/adapter/register_access.h"
#include "sw/tools/flashLoader/adapter/rom_lock.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

// "Y" or "N" and Enter; anything else is a wrong answer, read as no.
int ask_to_use_bad_flash() {
  out_printf("Do you want to proceed (Y/N): ");
  flush_out();
  platform::Console& console = platform::host().console();
  const int answer = console.readChar();
  const int next = console.readChar();
  if (next == '\n' && (answer == 'Y' || answer == 'y')) return 0;
  if (next == '\n' && (answer == 'N' || answer == 'n')) return kBadFlashRefused;
  out_printf("Wrong Input!!\n");
  return kBadFlashRefused;
}

}  // namespace

int check_adapter(const std::string& interfaceName, uint32_t* port, bool reportMode) {
  if (open_adapter(interfaceName, port) != 0) {
    *port = 0;
    if (!reportMode) err_printf("'%s' is not a Corvane Interface\n", interfaceName.c_str());
    return -1;
  }
  const DeviceHandle handle = adapter_handle();
  if (int nicType = set_nic_type(handle); nicType != 0) {
    out_printf("Error In set_nic_type\n");
    return nicType;
  }

  RomLockHold lock(handle);
  if (!lock.held()) {
    // A lock left behind by an interrupted run of this tool is ours to use.
    if (cvm_ppd_read(handle, kRegRomLockOwner) != kRomLockOwnerId) {
      err_printf("Failed to acquire ROM Lock. Please reboot the system.\n");
      return kFlashNotReadable;
    }
    lock.adopt();
  }
  // Byte offsets 0 to 3: the flash must answer at any alignment.
  for (uint32_t offset = 0; offset < 4; ++offset) {
    uint32_t word = 0;
    if (read_flash_word(handle, offset, &word) != 0) return kFlashNotReadable;
    if (word == 0xFFFFFFFF) {
      err_printf("Flash verification failed. Bad flash!...\n");
      lock.release();
      return ask_to_use_bad_flash();
    }
  }
  return 0;
}
