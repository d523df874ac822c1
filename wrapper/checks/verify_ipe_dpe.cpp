#include "wrapper/checks/verify_ipe_dpe.h"

#include "wrapper/catalog/discovery.h"
#include "wrapper/log/wrapper_log.h"
#include "wrapper/state/run_state.h"
#include "wrapper/state/version_triple.h"
#include "wrapper/toolrun/do_command.h"
#include "wrapper/toolrun/hw_flags.h"
#include "wrapper/toolrun/tool_commands.h"

namespace keelson {

namespace {

constexpr VersionTriple kFlagsFirmware{4, 0, 585};

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

}  // namespace

int verifyIpeDpe() {
  RunState& state = runState();
  logEntry("Started verification of iPE/dPE setting for the supported NICs.", false);

  // The boards as the upgrade left them.
  state.discoveryReportRead = false;
  state.adapters.clear();
  state.supportedCount = 0;
  discoverAdapters();
  if (state.supportedCount == 0 || state.adapters.empty()) {
    logEntry("No supported network adapters for firmware upgrade.", true);
    return 3;
  }

  int result = 3;
  for (size_t i = 0; i < state.adapters.size(); ++i) {
    const SupportedNic nic = state.adapters[i];
    if (nic.installed != kFlagsFirmware) {
      logEntry(quoted(nic.name) + " have firmware version " + versionText(nic.installed), false);
      continue;
    }
    state.board585Seen = true;
    logEntry(quoted(nic.name) + " have firmware version equal to v4.0.585.", false);
    const int flags = readHwFlags(i);
    if (flags == kHwFlagsSet) {
      const std::string command = hwFlagsClearCommand(nic.location);
      const uint32_t code = do_command(command);
      if (code == 0) {
        state.hwFlagsCleared = true;
        logEntry(quoted(nic.name) + " - disabling the iPE/dPE setting Succeeded!.", false);
        result = 0;
      } else {
        state.hwFlagsClearFailed = true;
        logEntry(quoted(nic.name) + " - disabling the iPE/dPE setting Failed!.\n" + command +
                     " - error code:" + std::to_string(code),
                 false);
        result = static_cast<int>(code);
      }
    } else if (flags == kHwFlagsClear) {
      logEntry("iPE/dPE setting is already disabled for  " + quoted(nic.name), false);
    }
  }

  if (state.hwFlagsClearFailed) {
    logEntry("Verification/Setting of iPE/dPE completed with errors", false);
    result = 0;
  } else if (state.hwFlagsCleared) {
    result = state.commandFailed ? 0 : 1;
  }
  logEntry("Finished verification of iPE/dPE setting for the supported NICs.", false);
  return result;
}

}  // namespace keelson
