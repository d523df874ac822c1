#include "wrapper/toolrun/hw_flags.h"

#include <cstdio>
#include <fstream>

#include "wrapper/log/wrapper_log.h"
#include "wrapper/state/file_names.h"
#include "wrapper/state/run_state.h"
#include "wrapper/toolrun/do_command.h"
#include "wrapper/toolrun/tool_commands.h"

namespace keelson {

namespace {

bool contains(const std::string& line, const char* part) { return line.find(part) != std::string::npos; }

// The verdict of one line of the board information, or -1 when it decides
// nothing.
int verdictOf(const std::string& line) {
  if (!contains(line, "Hardware Flags")) return -1;
  if (contains(line, "set to 0")) return kHwFlagsClear;
  if (contains(line, "set to 3") || contains(line, "set to 2") || contains(line, "set to 1") ||
      contains(line, "uninitialized")) {
    return kHwFlagsSet;
  }
  return -1;
}

}  // namespace

int parseHwFlagCapture(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (in && std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const int verdict = verdictOf(line);
    if (verdict < 0) continue;
    logEntry("Current value - " + line, false);
    return verdict;
  }
  return kHwFlagsUnknown;
}

int readHwFlags(size_t adapterIndex) {
  const RunState& state = runState();
  if (adapterIndex >= state.adapters.size()) return kHwFlagsUnknown;
  const uint32_t exitCode = do_command(hwFlagsInfoCommand(state.adapters[adapterIndex].location), kHwFlagCaptureFile);
  const int result = exitCode == 0 ? parseHwFlagCapture(kHwFlagCaptureFile) : kHwFlagsUnknown;
  // A failed run leaves no capture behind either.
  std::remove(kHwFlagCaptureFile);
  return result;
}

}  // namespace keelson
