// updeck: a small host that loads the plug-in as the update manager does.
// The manager's plug-in reads the manager's own command line, so updeck runs
// the session in a second process of itself whose command line is exactly
// "updeck HOST-ARGS..."; its own options travel to it in the environment.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <string>
#include <vector>

#include "platform/host.h"
#include "tools/updeck/session.h"
#include "tools/updeck/updeck_args.h"

namespace {

constexpr char kSessionVariable[] = "UPDECK_SESSION";

int runManager(const char* encoded) {
  updeck::Request request;
  if (!updeck::decodeRequest(encoded, &request)) {
    std::fprintf(stderr, "updeck: the session request is unreadable\n");
    return updeck::kUpdeckFailed;
  }
  updeck::SessionOutcome outcome;
  std::string error;
  if (!updeck::runSession(request, &outcome, &error)) {
    std::fprintf(stderr, "updeck: %s\n", error.c_str());
    return updeck::kUpdeckFailed;
  }
  const std::string out = request.json ? updeck::renderJson(request, outcome) : updeck::renderText(request, outcome);
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  return updeck::exitCodeOf(request, outcome);
}

int startManager(updeck::Request request) {
  // The manager process enters the component directory: paths given
  // relative to where updeck was started are made whole first.
  std::error_code ec;
  request.componentDir = std::filesystem::absolute(request.componentDir, ec).string();
  if (!request.logDir.empty()) request.logDir = std::filesystem::absolute(request.logDir, ec).string();
  platform::StartOptions options;
  options.environment.push_back(std::string(kSessionVariable) + "=" + updeck::encodeRequest(request));
  platform::WinError error = platform::kErrorSuccess;
  auto child = platform::host().process().start(platform::buildCommandLine(updeck::managerArguments(request)),
                                                options, &error);
  if (!child) {
    std::fprintf(stderr, "updeck: cannot start the manager process (error %u)\n", error);
    return updeck::kUpdeckFailed;
  }
  return static_cast<int>(child->wait());
}

}  // namespace

int main(int argc, char** argv) {
  if (const char* session = std::getenv(kSessionVariable)) return runManager(session);

  updeck::Request request;
  std::string error;
  if (!updeck::parseRequest(std::vector<std::string>(argv + 1, argv + argc), &request, &error)) {
    std::fprintf(stderr, "updeck: %s\n\n%s", error.c_str(), updeck::usageText().c_str());
    return updeck::kUpdeckFailed;
  }
  if (request.command == updeck::Command::Help) {
    std::fputs(updeck::usageText().c_str(), stdout);
    return 0;
  }
  return startManager(request);
}
