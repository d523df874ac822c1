#include "platform/simhost/system_sim.h"

#include <dirent.h>
#include <strings.h>
#include <sys/statvfs.h>
#include <unistd.h>

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

// NUL-separated /proc texts.
std::vector<std::string> splitNul(const std::string& data) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start < data.size()) {
    size_t end = data.find('\0', start);
    if (end == std::string::npos) end = data.size();
    parts.push_back(data.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// Windows names its programs "X.exe"; the Linux file is X.
std::string windowsImageName(const std::string& linuxName) {
  if (linuxName.size() > 4 && linuxName.compare(linuxName.size() - 4, 4, ".exe") == 0) return linuxName;
  return linuxName + ".exe";
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
    struct statvfs st;
    if (::statvfs(path.empty() ? dir_.driveC().c_str() : path.c_str(), &st) != 0) return kErrorPathNotFound;
    *bytes = static_cast<uint64_t>(st.f_bavail) * st.f_frsize;
    return kErrorSuccess;
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

  std::tm localTime() override {
    std::time_t now = std::time(nullptr);
    std::tm result{};
    localtime_r(&now, &result);
    return result;
  }

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
      if (strcasecmp(service.c_str(), name.c_str()) == 0) return serviceStateOf(state);
    }
    return ServiceState::NotInstalled;
  }

  // The processes of this host: every live process whose environment names
  // this host directory, plus the names host.json says are running.
  std::vector<std::string> runningProcessNames() override {
    std::vector<std::string> names = config().processes;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) return names;
    const std::string marker = "CORVANE_SIMHOST=" + dir_.root;
    while (dirent* entry = ::readdir(proc)) {
      if (entry->d_name[0] < '0' || entry->d_name[0] > '9') continue;
      std::string base = std::string("/proc/") + entry->d_name;
      std::string environ, comm;
      if (!simhost::readFile(base + "/environ", &environ, nullptr)) continue;
      bool ours = false;
      for (const std::string& var : splitNul(environ)) {
        if (var == marker || var == marker + "/") ours = true;
      }
      if (!ours) continue;
      std::string exe;
      char target[4096];
      ssize_t n = ::readlink((base + "/exe").c_str(), target, sizeof target - 1);
      if (n <= 0) continue;
      target[n] = '\0';
      exe = target;
      size_t slash = exe.rfind('/');
      names.push_back(windowsImageName(exe.substr(slash + 1)));
    }
    ::closedir(proc);
    return names;
  }

  std::string machineModel() override { return config().model; }

  std::string commandLine() override {
    std::string data;
    if (!simhost::readFile("/proc/self/cmdline", &data, nullptr)) return std::string();
    return buildCommandLine(splitNul(data));
  }

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
      if (strcasecmp(name.c_str(), "SystemDrive") == 0) return dir_.driveC();
      if (strcasecmp(name.c_str(), "SystemRoot") == 0 || strcasecmp(name.c_str(), "windir") == 0)
        return dir_.windowsDir();
      if (strcasecmp(name.c_str(), "TEMP") == 0 || strcasecmp(name.c_str(), "TMP") == 0) return dir_.tempDir();
      return processEnvironmentValue(name);
    });
  }

  std::string programPath() override {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec).string();
  }

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
