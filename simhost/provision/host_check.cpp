#include <filesystem>
#include <set>

#include "simhost/chip/card.h"
#include "simhost/devices/device_store.h"
#include "simhost/machine/files.h"
#include "simhost/machine/host_config.h"
#include "simhost/provision/host_check.h"

namespace simhost {

bool checkHost(const HostDir& dir, std::string* error) { return checkHost(dir, error, HostCheckParts{}); }

bool checkHostDirectory(const HostDir& dir, std::string* error) {
  std::error_code ec;
  if (!std::filesystem::is_directory(dir.root, ec)) {
    if (error) *error = dir.root + ": no such directory";
    return false;
  }
  if (!fileExists(dir.hostJson())) {
    if (error) *error = dir.root + ": not a simulated host (host.json is missing)";
    return false;
  }
  return true;
}

bool checkHost(const HostDir& dir, std::string* error, const HostCheckParts& parts) {
  if (!checkHostDirectory(dir, error)) return false;
  std::error_code ec;
  HostConfig config;
  if (!loadHostConfig(dir.hostJson(), &config, error)) return false;
  if (parts.registry ? !parts.registry->check(error) : !RegistryStore(dir).check(error)) return false;
  std::shared_ptr<const DeviceTable> devices = parts.devices ? parts.devices->table(error) : DeviceStore(dir).table(error);
  if (!devices) return false;

  std::set<std::string> cards;
  if (std::filesystem::is_directory(dir.cardsDir(), ec)) {
    for (const auto& entry : std::filesystem::directory_iterator(dir.cardsDir(), ec)) {
      if (!entry.is_directory()) continue;
      if (!Card::check(entry.path().string(), error)) return false;
      cards.insert(entry.path().filename().string());
    }
  }
  for (size_t i = 0; i < devices->devices.size(); ++i) {
    const DeviceRecord& d = devices->devices[i];
    if (!d.card.empty() && !cards.count(d.card)) {
      if (error) *error = dir.devicesJson() + ": device " + std::to_string(i) + " names card \"" + d.card +
                          "\", which has no directory under cards/";
      return false;
    }
  }
  return true;
}

}  // namespace simhost
