#include "platform/simhost/system_sim.h"

#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <thread>

#include "platform/common/codepage.h"
#include "platform/common/environment_text.h"
#include "platform/common/pe_version.h"
#include "platform/process.h"
#include "simhost/machine/change_counter.h"
#include "platform/simhost/system_parts.h"
#include "simhost/machine/text_case.h"
#include "simhost/machine/files.h"
#include "simhost/machine/host_config.h"

namespace platform {

namespace {

ServiceState serviceStateOf(const std::string& name) {
  if (name == "running") return ServiceState::Running;
  if (name == "stopped") return ServiceState::Stopped;
  if (name == "start-pending") return ServiceState::StartPending;
  if (name == "stop-pending") return ServiceState::StopPending;
  return ServiceState::Paused;
}

class SimSystem : public System {
 public:
  explicit SimSystem(const simhost::HostDir& dir) : dir_(dir) {}

  std::string tempDirectory() override { return dir_.tempDir() + "/"; }
  std::string systemDirectory() override { return dir_.system32(); }
  std::string windowsDirectory() override { return dir_.windowsDir(); }
  std::string systemDrive() override { return dir_.driveC() + "/"; }
  bool isAdministrator() override { return config().admin; }

  WinError freeBytes(const std::string& path, uint64_t* bytes) override {
    simhost::HostConfig c = config();
    if (c.freeBytes) {
      *bytes = *c.freeBytes;
      return kErrorSuccess;
    }
    return systemFreeBytes(path.empty() ? dir_.driveC() : path, bytes);
  }

  Wow64Answer wow64() override {
    const std::string& w = config().wow64;
    if (w == "yes") return Wow64Answer::Wow64;
    if (w == "absent") return Wow64Answer::FunctionAbsent;
    if (w == "fail") return Wow64Answer::CallFailed;
    return Wow64Answer::Native64;
  }

  void sleepMs(uint32_t ms) override {
    double scaled = ms * config().waitScale;
    if (scaled >= 1) std::this_thread::sleep_for(std::chrono::milliseconds(std::llround(scaled)));
  }

  std::tm localTime() override { return systemLocalTime(); }

  OsVersion osVersion() override {
    const simhost::HostConfig::Os& os = config().os;
    OsVersion v;
    v.major = os.major;
    v.minor = os.minor;
    v.build = os.build;
    v.platformId = os.platformId;
    v.productType = os.productType;
    v.servicePackMajor = os.servicePackMajor;
    v.servicePackMinor = os.servicePackMinor;
    v.csdVersion = os.csdVersion;
    v.processorArchitecture = os.processorArchitecture;
    v.productInfo = os.major > 5 ? os.productInfo : 0;
    v.serverR2 = os.serverR2;
    return v;
  }

  WinError fileVersion(const std::string& path, FileVersion* version) override {
    return readPeFileVersion(path, version);
  }

  ServiceState serviceState(const std::string& name) override {
    simhost::HostConfig c = config();
    for (const auto& [service, state] : c.services) {
      if (simhost::sameTextIgnoringCase(service, name)) return serviceStateOf(state);
    }
    return ServiceState::NotInstalled;
  }

  // The processes of this host: every live process whose environment names
  // this host directory, plus the names host.json says are running.
  std::vector<std::string> runningProcessNames() override {
    std::vector<std::string> names = config().processes;
    for (std::string& name : hostProcessNames(dir_.root)) names.push_back(std::move(name));
    return names;
  }

  std::string machineModel() override { return config().model; }

  std::string commandLine() override { return systemCommandLine(); }

  std::string uiLanguage() override { return config().uiLanguage; }
  uint32_t ansiCodePage() override { return config().codePage; }
  std::string toAnsi(const std::u16string& text) override {
    return toCodePage(text, ansiCodePage());
  }
  std::u16string fromAnsi(const std::string& text) override {
    return fromCodePage(text, ansiCodePage());
  }

  // The machine's own drive and directories; everything else is the process's.
  std::string expandEnvironment(const std::string& text) override {
    return expandEnvironmentText(text, [this](const std::string& name) -> std::optional<std::string> {
      if (simhost::sameTextIgnoringCase(name, "SystemDrive")) return dir_.driveC();
      if (simhost::sameTextIgnoringCase(name, "SystemRoot") || simhost::sameTextIgnoringCase(name, "windir"))
        return dir_.windowsDir();
      if (simhost::sameTextIgnoringCase(name, "TEMP") || simhost::sameTextIgnoringCase(name, "TMP")) return dir_.tempDir();
      return processEnvironmentValue(name);
    });
  }

  std::string programPath() override { return systemProgramPath(); }

 private:
  // host.json as it is now: corvane-sim may change a knob between two calls.
  simhost::HostConfig config() {
    std::lock_guard<std::mutex> lock(mutex_);
    const uint64_t now = counter_.current();
    if (!simhost::ChangeCounter::unchanged(generation_, now)) {
      simhost::HostConfig fresh;
      // The host was validated when it was opened; a file broken since then
      // keeps the last good facts rather than ending the program.
      if (simhost::loadHostConfig(dir_.hostJson(), &fresh, nullptr)) {
        config_ = fresh;
        generation_ = now;
      }
    }
    return config_;
  }

  simhost::HostDir dir_;
  std::mutex mutex_;  // the console handler thread asks too
  simhost::ChangeCounter counter_{dir_.hostJson()};
  simhost::HostConfig config_;
  uint64_t generation_ = simhost::ChangeCounter::kNone;
};

}  // namespace

std::unique_ptr<System> makeSimSystem(const simhost::HostDir& dir) {
  return std::make_unique<SimSystem>(dir);
}

}  // namespace platform
