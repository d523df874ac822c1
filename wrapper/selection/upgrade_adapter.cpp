#include <string>

#include "platform/host.h"
#include "wrapper/log/wrapper_log.h"
#include "wrapper/selection/format_text.h"
#include "wrapper/selection/select_adapter.h"
#include "wrapper/state/run_state.h"
#include "wrapper/toolrun/do_command.h"
#include "wrapper/toolrun/tool_commands.h"

namespace keelson {

uint32_t upgradeAdapter(size_t index) {
  RunState& state = runState();
  if (index >= state.adapters.size()) return 0;
  const SupportedNic& nic = state.adapters[index];
  if (!(nic.flags & kNicChosen) || nic.action == "skip") return 0;

  if (!state.upgradeNoticeShown) {
    logEntry("The Firmware Upgrade will take several minutes.Please be patient.", true);
    state.upgradeNoticeShown = true;
  }
  logEntry(formatText("\nSelecting %s MAC: %-12s \n", nic.productId.c_str(), nic.macAddress.c_str()), true);

  const std::string command = adapterUpgradeCommand(nic.location);
  const uint32_t code = do_command(command);
  if (code != 0) {
    state.commandFailed = true;
    logEntry("Command to upgrade firmware failed\n " + command + " -(" + std::to_string(static_cast<int>(code)) + ")\n",
             true);
    return code;
  }
  state.somethingUpdated = true;
  logEntry("MAC " + nic.macAddress + " upgrade SUCCESS!", true);
  platform::host().system().sleepMs(10);
  return 0;
}

}  // namespace keelson
