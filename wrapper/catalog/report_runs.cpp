#include "wrapper/catalog/report_runs.h"

#include <filesystem>
#include <system_error>

#include "wrapper/catalog/discovery.h"
#include "wrapper/catalog/discovery_state.h"
#include "wrapper/log/wrapper_log.h"
#include "wrapper/state/exit_codes.h"
#include "wrapper/state/run_state.h"
#include "wrapper/toolrun/do_command.h"
#include "wrapper/toolrun/tool_commands.h"

namespace keelson {

namespace {

bool noSupportedAdapter() {
  const RunState& state = runState();
  return state.supportedCount == 0 || state.adapters.empty();
}

bool fileExists(const std::string& name) {
  std::error_code ec;
  return std::filesystem::exists(name, ec);
}

void say(const std::string& text) { logEntry(text, true); }

}  // namespace

int runReportCommand(const std::string& mode) {
  discoverAdapters();
  if (noSupportedAdapter()) {
    say("No supported network adapters for firmware upgrade.");
    return kExitNothingToDo;
  }
  const std::string& file = runState().reportFile;
  const bool discover = mode == "discover";
  if (!discover && mode != "update") return kExitFailed;
  std::string command;
  if (discover) {
    command = reportDiscoveryCommand(file);
  } else {
    if (!fileExists(file)) {
      say("Firmware upgrade error: File not found - " + file);
      return kExitFailed;
    }
    command = reportUpdateCommand(file);
    say("The Firmware Upgrade will take several minutes.Please be patient.");
  }
  if (do_command(command) == 0) {
    say(discover ? "Successfully generated NIC discovery report to " + file
                 : "Successfully updated the NIC firmware from the file " + file);
    return kExitDone;
  }
  say(discover ? "Failed to generate NIC discovery report to" + file
               : "Failed to update the NIC firmware from the file " + file);
  return kExitFailed;
}

int runVersionReport() {
  discoverAdapters();
  if (noSupportedAdapter()) {
    say("No supported network adapters for firmware upgrade.");
    return kExitNothingToDo;
  }
  const std::string& file = runState().reportFile;
  // A file left from an earlier run does not count: only one written now.
  if (versionReportValues().written && fileExists(file)) {
    say("Created File: " + file + " only with firmware version details.");
    return kVersionReportCreated;
  }
  say("Failed to create file: " + file + ", only with firmware version details!.");
  return kVersionReportMissing;
}

}  // namespace keelson
