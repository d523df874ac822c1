#include "plugin/component/wrapper_runner.h"

#include <system_error>
#include <thread>

#include "platform/host.h"

namespace brightwell {

namespace {

platform::StartOptions nullStreams() {
  platform::StartOptions options;
  options.input.kind = platform::StdStream::Null;
  options.output.kind = platform::StdStream::Null;
  options.error.kind = platform::StdStream::Null;
  return options;
}

// Starts and waits: the exit code, or kRunnerStartFailed.
uint32_t startAndWait(const std::string& commandLine, const platform::StartOptions& options) {
  platform::WinError error = platform::kErrorSuccess;
  std::unique_ptr<platform::Child> child = platform::host().process().start(commandLine, options, &error);
  if (!child) return kRunnerStartFailed;
  return child->wait();
}

}  // namespace

std::string wrapperCommandLine(const std::vector<std::string>& elements) {
  std::string line = std::string(kWrapperProgram) + " ";
  for (const std::string& element : elements) line += element + " ";
  return line;
}

uint32_t runHidden(const std::string& commandLine) {
  // The child's streams are the null device, which needs no set-up that can
  // fail; only the worker thread can.
  uint32_t exitCode = kRunnerSetupFailed;
  const platform::StartOptions options = nullStreams();
  try {
    std::thread worker([&] { exitCode = startAndWait(commandLine, options); });
    worker.join();
  } catch (const std::system_error&) {
    platform::host().system().sleepMs(10);
    return kRunnerSetupFailed;
  }
  return exitCode;
}

uint32_t runInteractive(const std::string& commandLine) {
  platform::host().console().setTitle(kInteractiveTitle);
  return startAndWait(commandLine, platform::StartOptions{});
}

bool runDirect(const std::string& commandLine, uint32_t* exitCode) {
  platform::WinError error = platform::kErrorSuccess;
  std::unique_ptr<platform::Child> child = platform::host().process().start(commandLine, nullStreams(), &error);
  if (!child) return false;
  *exitCode = child->wait();
  return true;
}

}  // namespace brightwell
