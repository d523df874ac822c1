// One session of the update manager with the plug-in: load it from the
// component directory, hand it updeck's log, ask or install, unload.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/updeck/updeck_args.h"

namespace updeck {

// updeck's own failure (no plug-in, no export): not an Install result.
inline constexpr int kUpdeckFailed = 9;

struct PropertyAnswer {
  int32_t id = 0;
  std::string name;
  int32_t result = 0;
  std::optional<std::string> text;   // UTF-8
  std::optional<int32_t> number;
};

struct InstallStateAnswer {
  int32_t result = 0;
  int32_t state = 0;
  std::string message;  // UTF-8
};

struct InstallAnswer {
  bool silent = false;
  int32_t result = 0;
  std::string message;  // UTF-8
};

struct SessionOutcome {
  int32_t interfaceVersion = 0;
  int32_t loggerResult = 0;
  std::vector<PropertyAnswer> properties;
  std::optional<InstallStateAnswer> installState;
  std::optional<InstallAnswer> install;
  uint32_t hostLogEntries = 0;  // lines the component wrote through updeck's log
  std::string hostCommandLine;
};

// Runs the session in this process (the manager's). False and *error when
// the plug-in cannot be loaded or lacks an export.
bool runSession(const Request& request, SessionOutcome* outcome, std::string* error);

// The exit code of a session: the Install result, 0 for properties.
int exitCodeOf(const Request& request, const SessionOutcome& outcome);

// The name of an install state code ("OlderVersion", ...), or "" when unknown.
std::string stateName(int32_t state);

// Output: text or one JSON object.
std::string renderText(const Request& request, const SessionOutcome& outcome);
std::string renderJson(const Request& request, const SessionOutcome& outcome);

}  // namespace updeck
