#include "wrapper/checks/verify_instance.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/host.h"
#include "wrapper/checks/console_text.h"
#include "wrapper/log/wrapper_log.h"
#include "wrapper/state/file_names.h"
#include "wrapper/state/run_state.h"

namespace keelson {

namespace {

constexpr size_t kMaxPath = 260;

bool flashToolRunning() {
  for (const std::string& name : platform::host().system().runningProcessNames()) {
    if (name.find(kFlashTool) != std::string::npos || name.find(kFlashTool64) != std::string::npos) return true;
  }
  return false;
}

bool fileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

// A program of the package: "burnkit.exe" is the file the platform would run
// for it from the current directory.
bool supportingFileExists(const std::string& name) {
  const bool program = name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0;
  if (program) return !platform::host().process().findExecutable("./" + name).empty();
  std::error_code error;
  return std::filesystem::is_regular_file(name, error);
}

}  // namespace

bool verifyInstance() {
  RunState& state = runState();
  logEntry("Checking for any other instance of Corvane tool!", false);
  const std::string temp = platform::host().system().tempDirectory();
  if (temp.empty() || temp.size() >= kMaxPath) {
    logEntry("verifyInstance: No %temp% directory identified or GetTempPath failed!", false);
    return true;
  }
  state.lockFile = temp + kLockFileName;
  if (!fileExists(state.lockFile)) return true;

  if (flashToolRunning()) {
    logEntry("\nError: Either another Corvane tool is already running, or your last session did not close "
             "gracefully. Required to clear the settings!",
             true);
    return false;
  }
  // The tool may have ended and removed its lock since the first look.
  if (!fileExists(state.lockFile)) return true;
  std::error_code error;
  if (!std::filesystem::remove(state.lockFile, error)) {
    logEntry("\nError: last session did not close gracefully.  Unable to clear lock.", true);
    return false;
  }
  logEntry("\nWarning: last session did not close gracefully.  Clearing lock.", false);
  return true;
}

bool verifyAdministrator() {
  if (!platform::host().system().isAdministrator()) {
    writeConsole("Administrator privileges are requried to run this application.\r\n");
    return false;
  }
  logEntry("Administrator privilege verified!.", false);
  return true;
}

bool verifySupportingFiles() {
  const bool allPresent = supportingFileExists(kFlashTool) && supportingFileExists(kConfigurationFile) &&
                          supportingFileExists(kFlashTool64);
  if (allPresent) return true;
  for (const char* name : {kFlashTool, kFlashTool64, kConfigurationFile}) {
    if (!supportingFileExists(name))
      logEntry(std::string("Supporting file is missing (") + name + "), Could not proceed!", true);
  }
  return false;
}

}  // namespace keelson
