#include <filesystem>

#include "simhost/devices/device_store.h"
#include "simhost/machine/files.h"
#include "simhost/machine/host_config.h"
#include "simhost/machine/pe_file.h"
#include "simhost/provision/host_layout.h"
#include "simhost/provision/provision.h"
#include "simhost/registry/registry_store.h"

namespace simhost {

namespace {

RegistryTree emptyServerRegistry() {
  RegistryTree tree;
  tree.create(kNetworkKey).markSection();
  tree.create(std::string(kNetworkKey) + "\\Descriptions").markSection();
  tree.create(kClassKey).markSection();
  tree.create(std::string(kClassKey) + "\\Properties").markSection();
  RegistryKey& service = tree.create(std::string(kServicesKey) + "\\" + kCorvaneService);
  service.markSection();
  setText(service, "DisplayName", "Corvane Z3 NDIS Miniport Driver");
  setText(service, "ImagePath", "system32\\DRIVERS\\svxgnd64.sys");
  setDword(service, "Start", 3);
  setDword(service, "Type", 1);
  return tree;
}

bool writeDriverFile(const HostDir& dir, const std::string& name, const std::string& version,
                     std::string* error) {
  platform::FileVersion v;
  if (!parseFileVersionText(version, &v)) {
    if (error) *error = "bad driver file version " + version;
    return false;
  }
  return writeFileAtomic(dir.driversDir() + "/" + name, makePeWithVersion(v, name), error);
}

}  // namespace

bool createHost(const HostDir& dir, std::string* error) {
  if (fileExists(dir.hostJson())) {
    if (error) *error = dir.root + ": already holds a simulated host";
    return false;
  }
  for (const std::string& d : {dir.root, dir.cardsDir(), dir.driversDir(), dir.tempDir(), dir.logDir()}) {
    if (!makeDirectories(d, error)) return false;
  }
  HostConfig config;
  config.services[kCorvaneService] = "running";
  return saveHostConfig(dir.hostJson(), config, error) &&
         RegistryStore::create(dir, emptyServerRegistry(), error) &&
         DeviceStore(dir).create(error) &&
         writeDriverFile(dir, "orlnd5x64.sys", "4.0.550.0", error) &&
         writeDriverFile(dir, "svxgnd64.sys", "4.3.13.700", error);
}

}  // namespace simhost
