// The simulated host: every platform interface over one host directory.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>

#include "platform/host.h"
#include "platform/simhost/device_set_sim.h"
#include "platform/simhost/driver_channel_sim.h"
#include "platform/simhost/foreign_nic_channel.h"
#include "platform/simhost/registry_sim.h"
#include "platform/simhost/system_parts.h"
#include "platform/simhost/system_sim.h"
#include "simhost/machine/text_case.h"
#include "simhost/chip/card.h"
#include "simhost/devices/device_store.h"
#include "simhost/provision/host_check.h"
#include "simhost/machine/host_config.h"
#include "simhost/machine/host_dir.h"
#include "simhost/machine/state_counts.h"

namespace platform {

namespace {

bool sameText(const std::string& a, const std::string& b) {
  return simhost::sameTextIgnoringCase(a, b);
}

// The cards of the host, each mapped once per process and shared by the
// channels open on it.
class CardSet : public CardDrivers {
 public:
  explicit CardSet(const simhost::HostDir& dir) : dir_(dir) {}

  std::shared_ptr<simhost::Card> card(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = cards_.find(name);
    if (it != cards_.end()) return it->second;
    std::string error;
    std::shared_ptr<simhost::Card> opened = simhost::Card::open(dir_.cardDir(name), &error);
    if (opened) cards_[name] = opened;
    return opened;
  }

  void stopPort(const std::string& name, int port) override {
    if (auto c = card(name)) c->stopPort(port);
  }
  void startPort(const std::string& name, int port, bool quiescent) override {
    if (auto c = card(name)) c->startPort(port, quiescent);
  }
  bool takeRebootFault(const std::string& name) override {
    auto c = card(name);
    return c && c->takeRebootFault();
  }

 private:
  simhost::HostDir dir_;
  std::mutex mutex_;
  std::map<std::string, std::shared_ptr<simhost::Card>> cards_;
};

// "\\.\{GUID}": the device object of a network function, found through
// devices.json. A disabled function has no device object.
class SimDriverChannels : public DriverChannels {
 public:
  SimDriverChannels(simhost::DeviceStore& store, CardSet& cards) : store_(store), cards_(cards) {}

  std::unique_ptr<DriverChannel> open(const std::string& path, WinError* error) override {
    static const std::string prefix = "\\\\.\\";
    if (path.compare(0, prefix.size(), prefix) != 0) return failed(error, kErrorFileNotFound);
    std::string guid = path.substr(prefix.size());
    std::shared_ptr<const simhost::DeviceTable> table = store_.table(nullptr);
    if (!table) return failed(error, kErrorFileNotFound);
    for (const simhost::DeviceRecord& d : table->devices) {
      if (d.guid.empty() || !sameText(d.guid, guid)) continue;
      if (!d.enabled()) return failed(error, kErrorFileNotFound);
      if (d.card.empty()) return makeForeignNicChannel();
      std::shared_ptr<simhost::Card> card = cards_.card(d.card);
      if (!card) return failed(error, kErrorDeviceNotConnected);
      return makePortChannel(card, d.port);
    }
    return failed(error, kErrorFileNotFound);
  }

 private:
  static std::unique_ptr<DriverChannel> failed(WinError* error, WinError code) {
    if (error) *error = code;
    return nullptr;
  }

  simhost::DeviceStore& store_;
  CardSet& cards_;
};

// host.json's close grace, read only when a close event arrives; the
// default when the file cannot be read then (a failed load leaves the
// defaults as they are).
uint32_t closeGraceMs(const simhost::HostDir& dir) {
  simhost::HostConfig config;
  std::string error;
  simhost::loadHostConfig(dir.hostJson(), &config, &error);
  return config.closeGraceMs;
}

class SimHost : public Host {
 public:
  explicit SimHost(const simhost::HostDir& dir)
      : dir_(dir),
        system_(makeSimSystem(dir)),
        registryStore_(std::make_shared<simhost::RegistryStore>(dir)),
        registry_(makeSimRegistry(registryStore_, system_->ansiCodePage())),
        deviceStore_(dir),
        cards_(dir),
        drivers_(deviceStore_, cards_),
        devices_(makeSimDeviceSet(deviceStore_, *registry_, cards_)),
        crypto_(makeSystemCrypto()),
        console_(makeSystemConsole([dir] { return closeGraceMs(dir); })),
        process_(makeSystemProcess({dir.system32(), dir.windowsDir()})) {}

  // The whole directory checked through this host's own stores, so that
  // the state files the check parsed are not parsed again.
  bool check(std::string* error) {
    simhost::HostCheckParts parts;
    parts.registry = registryStore_.get();
    parts.devices = &deviceStore_;
    return simhost::checkHost(dir_, error, parts);
  }

  DriverChannels& drivers() override { return drivers_; }
  Registry& registry() override { return *registry_; }
  DeviceSet& devices() override { return *devices_; }
  Crypto& crypto() override { return *crypto_; }
  Console& console() override { return *console_; }
  System& system() override { return *system_; }
  Process& process() override { return *process_; }

 private:
  simhost::HostDir dir_;
  std::unique_ptr<System> system_;
  std::shared_ptr<simhost::RegistryStore> registryStore_;
  std::unique_ptr<Registry> registry_;
  simhost::DeviceStore deviceStore_;  // one parsed devices.json for the process
  CardSet cards_;
  SimDriverChannels drivers_;
  std::unique_ptr<DeviceSet> devices_;
  std::unique_ptr<Crypto> crypto_;
  std::unique_ptr<Console> console_;
  std::unique_ptr<Process> process_;
};

// With CORVANE_SIMHOST_COUNTS naming a file, the process appends its state
// file counts to it when it ends ("file_status N parses M"): benchmarks use
// it to show the file work of each run.
void appendStateCounts() {
  const char* path = std::getenv("CORVANE_SIMHOST_COUNTS");
  if (path == nullptr || *path == '\0') return;
  if (FILE* f = std::fopen(path, "a")) {
    const simhost::StateFileCounts counts = simhost::stateFileCounts();
    std::fprintf(f, "file_status %llu parses %llu\n", static_cast<unsigned long long>(counts.fileStatus),
                 static_cast<unsigned long long>(counts.parses));
    std::fclose(f);
  }
}

void reportStateCountsAtExit() {
  static const bool registered = [] {
    const char* path = std::getenv("CORVANE_SIMHOST_COUNTS");
    return path != nullptr && *path != '\0' && std::atexit(appendStateCounts) == 0;
  }();
  (void)registered;
}

}  // namespace

std::unique_ptr<Host> makeSimHost(const std::string& dir, std::string* error) {
  std::error_code ec;
  std::string absolute = std::filesystem::absolute(dir, ec).lexically_normal().string();
  if (ec) absolute = dir;
  simhost::HostDir hostDir(absolute);
  reportStateCountsAtExit();
  // Nothing of the host is opened (and no change counter created) in a
  // directory that is not one.
  if (!simhost::checkHostDirectory(hostDir, error)) return nullptr;
  auto host = std::make_unique<SimHost>(hostDir);
  if (!host->check(error)) return nullptr;
  return host;
}

}  // namespace platform
