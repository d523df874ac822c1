#include "wrapper/catalog/installed_firmware.h"

#include "wrapper/catalog/discovery.h"
#include "wrapper/log/wrapper_log.h"
#include "wrapper/state/run_state.h"

namespace keelson {

namespace {

// The discovery does not read these settings.
constexpr const char* kNotRead = "n\\a";

void say(const std::string& text) { logEntry(text, true); }

}  // namespace

int showInstalledFirmware() {
  discoverAdapters();
  RunState& state = runState();
  if (state.supportedCount == 0 || state.adapters.empty()) return 0;
  for (const SupportedNic& nic : state.adapters) {
    if ((nic.flags & kNicSupported) == 0) continue;
    say("MAC                   PCI-ID                 NIC\n");
    say(nic.macAddress + "    " + nic.pciId + "     " + nic.productId + "\n");
    say("\n  (Installed)            (Available)             Interface                 WOL        PXE        NCSI");
    say("  Image    Version        Image    Version   ");
    say(std::string(51, '-') + std::string(61, '-'));
    say("   ROM      " + versionText(nic.installed) + "        ROM     " + versionText(nic.package) + "  " + nic.name +
        "        " + kNotRead + "       " + kNotRead + "       " + kNotRead + "\n");
  }
  return 1;
}

}  // namespace keelson
