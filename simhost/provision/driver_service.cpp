#include "simhost/provision/driver_service.h"

#include "simhost/machine/host_config.h"
#include "simhost/provision/host_layout.h"
#include "simhost/registry/registry_store.h"

namespace simhost {

bool addDriverService(const HostDir& dir, const std::string& name, const std::string& imagePath,
                      const std::string& state, std::string* error) {
  if (!isServiceStateName(state)) {
    if (error) *error = "unknown service state " + state;
    return false;
  }
  HostConfig config;
  if (!loadHostConfig(dir.hostJson(), &config, error)) return false;
  config.services[name] = state;
  return saveHostConfig(dir.hostJson(), config, error) &&
         RegistryStore(dir).update(
             [&](RegistryTree& tree) {
               RegistryKey& service = tree.create(std::string(kServicesKey) + "\\" + name);
               service.markSection();
               setText(service, "ImagePath", imagePath);
               setDword(service, "Start", 3);
               setDword(service, "Type", 1);
               return true;
             },
             error);
}

}  // namespace simhost
