#include "wrapper/selection/select_adapter.h"


#include "wrapper/log/wrapper_log.h"
#include "wrapper/selection/ask_user.h"
#include "wrapper/selection/format_text.h"
#include "wrapper/state/run_state.h"
#include "wrapper/state/version_triple.h"

namespace keelson {

namespace {

void warn(const char* text) { logEntry(std::string("\n") + text + "\n", true); }

}  // namespace

void selectAdapter(size_t index) {
  RunState& state = runState();
  if (index >= state.adapters.size()) return;
  SupportedNic& nic = state.adapters[index];
  if (!(nic.flags & kNicSupported)) return;
  logEntry(formatText("Found %s MAC: %-17s", nic.productId.c_str(), nic.macAddress.c_str()) + "( v" +
               versionText(nic.installed) + " )",
           true);
  const int decision = decideUpgrade(index);
  if (decision == kAnswerYes) {
    nic.flags |= kNicChosen;
    return;
  }
  if (decision == kAnswerQuit) state.cancelled = true;
  nic.flags = 0;
}

int decideUpgrade(size_t index) {
  RunState& state = runState();
  const SupportedNic& nic = state.adapters.at(index);
  const std::string question = "\nUpdate firmware on '" + nic.name + "' (" + nic.location + ") : \nFrom ROM " +
                               versionText(nic.installed) + " To " + versionText(nic.package) + " ?";
  const bool available = nic.package > nic.installed;
  const bool same = nic.package == nic.installed;

  if (state.statusOnly) {
    if (available)
      state.updateRecommended = true;
    else if (same)
      state.sameVersionInstalled = true;
    else
      state.newerVersionInstalled = true;
    return kAnswerNo;
  }
  if (available) return askUser(question, kAnswerYes, kAnswerYes, "y");
  if (same) {
    warn("*** WARNING *** - Installed firmware is the same version as selected firmware");
    if (state.rewrite || state.force) return askUser(question, kAnswerYes, kAnswerYes, "y");
    if (!state.downgrade) return askUser(question, kAnswerNo, kAnswerNo, "n");
    return kNotOffered;
  }
  warn("*** WARNING *** - Installed firmware is more recent than selected firmware");
  if (state.downgrade || state.force) return askUser(question, kAnswerYes, kAnswerYes, "y");
  if (!state.rewrite) return askUser(question, kAnswerNo, kAnswerNo, "n");
  return kNotOffered;
}

}  // namespace keelson
