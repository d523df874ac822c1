#include "wrapper/flow/command_line.h"

#include <algorithm>
#include <initializer_list>

namespace keelson {

namespace {

std::string lowerCase(const std::string& text) {
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
  return lower;
}

bool isOneOf(const std::string& lower, std::initializer_list<const char*> forms) {
  return std::any_of(forms.begin(), forms.end(), [&](const char* form) { return lower == form; });
}

}  // namespace

CommandLineOutcome readCommandLine(const std::vector<std::string>& args, RunState& state) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string arg = lowerCase(args[i]);
    bool* takesFile = nullptr;
    if (isOneOf(arg, {"-h", "/h", "?", "-help"})) {
      return CommandLineOutcome::kUsage;
    } else if (isOneOf(arg, {"-debug", "/debug"})) {
      state.consoleDebug = true;
    } else if (isOneOf(arg, {"-c", "/c"})) {
      state.list = true;
    } else if (isOneOf(arg, {"-f", "/f"})) {
      state.force = true;
    } else if (isOneOf(arg, {"-e", "/e", "-rewrite"})) {
      state.rewrite = true;
    } else if (isOneOf(arg, {"-g", "/g", "-downgrade"})) {
      state.downgrade = true;
    } else if (isOneOf(arg, {"-s", "/s"})) {
      state.silent = true;
      state.consoleSilent = true;
    } else if (isOneOf(arg, {"-n", "/n"})) {
      state.statusOnly = true;
    } else if (isOneOf(arg, {"-y", "/y"})) {
      state.yes = true;
    } else if (isOneOf(arg, {"-sv", "/sv"})) {
      state.dependencyCheck = true;
    } else if (isOneOf(arg, {"-d", "/d"})) {
      takesFile = &state.discoveryReport;
    } else if (isOneOf(arg, {"-u", "/u"})) {
      takesFile = &state.updateFromReport;
    } else if (isOneOf(arg, {"-v", "/v"})) {
      takesFile = &state.versionReport;
    } else {
      return CommandLineOutcome::kUsage;
    }
    if (takesFile != nullptr) {
      if (i + 1 == args.size()) return CommandLineOutcome::kUsage;
      *takesFile = true;
      state.reportFile = args[++i];
    }
  }
  return CommandLineOutcome::kRun;
}

}  // namespace keelson
