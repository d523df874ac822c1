#include "wrapper/toolrun/do_command.h"

#include <cstdio>

#include "platform/host.h"
#include "wrapper/log/wrapper_log.h"
#include "wrapper/state/run_state.h"

namespace keelson {

namespace {

// What a child that could not be started gives: the default exit code.
constexpr uint32_t kNotStarted = 1;

uint32_t run(const std::string& commandLine, const platform::StartOptions& options) {
  platform::WinError error = platform::kErrorSuccess;
  std::unique_ptr<platform::Child> child = platform::host().process().start(commandLine, options, &error);
  if (!child) {
    runState().commandFailed = true;
    WrapperLog log;
    log << "CreateProcess error:" << error;
    log.flush(false);
    return kNotStarted;
  }
  const uint32_t exitCode = child->wait();
  WrapperLog log;
  log << "do_command: exitCode: " << exitCode;
  log.flush(false);
  return exitCode;
}

}  // namespace

uint32_t do_command(const std::string& commandLine) {
  logEntry(commandLine, false);
  platform::StartOptions options;
  options.input.kind = platform::StdStream::Null;
  options.output.kind = platform::StdStream::Null;
  options.error.kind = platform::StdStream::Null;
  return run(commandLine, options);
}

uint32_t do_command(const std::string& commandLine, const std::string& outputFile) {
  logEntry(commandLine, false);
  // Made (or truncated) here first, so that a file that cannot be created
  // is told apart from a tool that cannot be started.
  std::FILE* file = std::fopen(outputFile.c_str(), "wb");
  if (file == nullptr) {
    logEntry("Failed to create file ", false);
    return 0;
  }
  std::fclose(file);
  platform::StartOptions options;
  options.input.kind = platform::StdStream::Null;
  options.output = {platform::StdStream::File, outputFile};
  options.error = {platform::StdStream::File, outputFile};
  return run(commandLine, options);
}

}  // namespace keelson
