// The native backend on Linux: an empty machine. It has no adapters, devices
// or services, a registry that lives only in memory for the process, and the
// real temporary directory, clock, processes and console, so that usage and
// version texts and everything that needs no adapter still work.
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "platform/common/codepage.h"
#include "platform/common/crypto_openssl.h"
#include "platform/common/environment_text.h"
#include "platform/common/pe_version.h"
#include "platform/host.h"
#include "platform/posix/console_posix.h"
#include "platform/posix/process_posix.h"

namespace platform {

namespace {

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

class NoDrivers : public DriverChannels {
 public:
  std::unique_ptr<DriverChannel> open(const std::string&, WinError* error) override {
    if (error) *error = kErrorFileNotFound;
    return nullptr;
  }
};

class NoDevices : public DeviceSet {
 public:
  WinError present(const std::string&, const std::string&, std::vector<DeviceRef>* devices) override {
    devices->clear();
    return kErrorSuccess;
  }
  WinError property(const DeviceRef&, DeviceProperty, std::vector<std::string>*) override {
    return kErrorInvalidData;
  }
  StateChangeResult changeState(const DeviceRef&, StateChange, StateScope) override {
    StateChangeResult result;
    result.paramsError = kErrorInvalidParameter;
    return result;
  }
};

// Keys by lower-case path; each keeps its spelling and its values.
class MemoryRegistry : public Registry {
 public:
  WinError createKey(const std::string& path, RegKey* key) override {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string prefix;
    size_t start = 0;
    while (start <= path.size()) {
      size_t end = path.find('\\', start);
      if (end == std::string::npos) end = path.size();
      prefix = regJoin(prefix, path.substr(start, end - start));
      keys_.try_emplace(lower(prefix), Key{prefix, {}});
      start = end + 1;
    }
    key->path = path;
    return kErrorSuccess;
  }
  WinError openKey(const std::string& path, RegKey* key) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!keys_.count(lower(path))) return kErrorFileNotFound;
    key->path = path;
    return kErrorSuccess;
  }
  WinError enumSubkey(const RegKey& key, uint32_t index, std::string* name) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!keys_.count(lower(key.path))) return kErrorFileNotFound;
    std::string prefix = lower(key.path) + "\\";
    uint32_t seen = 0;
    for (const auto& [path, k] : keys_) {
      if (path.compare(0, prefix.size(), prefix) != 0 || path.find('\\', prefix.size()) != std::string::npos)
        continue;
      if (seen++ == index) {
        *name = k.spelling.substr(prefix.size());
        return kErrorSuccess;
      }
    }
    return kErrorNoMoreItems;
  }
  WinError queryValue(const RegKey& key, const std::string& name, RegValue* value) override {
    std::lock_guard<std::mutex> lock(mutex_);
    auto k = keys_.find(lower(key.path));
    if (k == keys_.end()) return kErrorFileNotFound;
    auto v = k->second.values.find(lower(name));
    if (v == k->second.values.end()) return kErrorFileNotFound;
    *value = v->second;
    return kErrorSuccess;
  }
  WinError setValue(const RegKey& key, const std::string& name, const RegValue& value) override {
    std::lock_guard<std::mutex> lock(mutex_);
    auto k = keys_.find(lower(key.path));
    if (k == keys_.end()) return kErrorFileNotFound;
    k->second.values[lower(name)] = value;
    return kErrorSuccess;
  }
  WinError deleteValue(const RegKey& key, const std::string& name) override {
    std::lock_guard<std::mutex> lock(mutex_);
    auto k = keys_.find(lower(key.path));
    if (k == keys_.end()) return kErrorFileNotFound;
    return k->second.values.erase(lower(name)) ? kErrorSuccess : kErrorFileNotFound;
  }

 private:
  struct Key {
    std::string spelling;
    std::map<std::string, RegValue> values;
  };
  std::mutex mutex_;
  std::map<std::string, Key> keys_;
};

class NativeSystem : public System {
 public:
  std::string tempDirectory() override {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = tmp && *tmp ? tmp : "/tmp";
    if (dir.back() != '/') dir += '/';
    return dir;
  }
  std::string systemDirectory() override { return "/usr/lib"; }
  std::string windowsDirectory() override { return "/usr"; }
  std::string systemDrive() override { return "/"; }
  bool isAdministrator() override { return ::geteuid() == 0; }
  WinError freeBytes(const std::string& path, uint64_t* bytes) override {
    struct statvfs st;
    if (::statvfs(path.empty() ? "." : path.c_str(), &st) != 0) return kErrorPathNotFound;
    *bytes = static_cast<uint64_t>(st.f_bavail) * st.f_frsize;
    return kErrorSuccess;
  }
  Wow64Answer wow64() override { return Wow64Answer::Native64; }
  void sleepMs(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  std::tm localTime() override {
    std::time_t now = std::time(nullptr);
    std::tm result{};
    localtime_r(&now, &result);
    return result;
  }
  OsVersion osVersion() override { return OsVersion{}; }
  WinError fileVersion(const std::string& path, FileVersion* version) override {
    return readPeFileVersion(path, version);
  }
  ServiceState serviceState(const std::string&) override { return ServiceState::NotInstalled; }
  std::vector<std::string> runningProcessNames() override { return {}; }
  std::string machineModel() override { return std::string(); }
  std::string commandLine() override { return std::string(); }
  std::string uiLanguage() override { return "en"; }
  uint32_t ansiCodePage() override { return 65001; }
  std::string toAnsi(const std::u16string& text) override { return toCodePage(text, 65001); }
  std::u16string fromAnsi(const std::string& text) override { return fromCodePage(text, 65001); }
  // The system drive is the root directory ("C:" of "C:\" is empty here).
  std::string expandEnvironment(const std::string& text) override {
    return expandEnvironmentText(text, [](const std::string& name) -> std::optional<std::string> {
      if (lower(name) == "systemdrive") return std::string();
      return processEnvironmentValue(name);
    });
  }
  std::string programPath() override {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec).string();
  }
};

class NativeHost : public Host {
 public:
  NativeHost()
      : crypto_(makeOpenSslCrypto()), console_(makePosixConsole()), process_(makePosixProcess({})) {}

  DriverChannels& drivers() override { return drivers_; }
  Registry& registry() override { return registry_; }
  DeviceSet& devices() override { return devices_; }
  Crypto& crypto() override { return *crypto_; }
  Console& console() override { return *console_; }
  System& system() override { return system_; }
  Process& process() override { return *process_; }

 private:
  NoDrivers drivers_;
  MemoryRegistry registry_;
  NoDevices devices_;
  NativeSystem system_;
  std::unique_ptr<Crypto> crypto_;
  std::unique_ptr<Console> console_;
  std::unique_ptr<Process> process_;
};

}  // namespace

std::unique_ptr<Host> makeNativeHost() { return std::make_unique<NativeHost>(); }

}  // namespace platform
