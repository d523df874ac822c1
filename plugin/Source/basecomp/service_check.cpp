#include "plugin/Source/basecomp/service_check.h"

#include "platform/host.h"

namespace brightwell {

bool serviceExists(const std::string& name) {
  platform::Host& host = platform::host();
  platform::RegKey key;
  return host.system().serviceState(name) != platform::ServiceState::NotInstalled &&
         host.registry().openKey("System\\CurrentControlSet\\Services\\" + name, &key) == platform::kErrorSuccess;
}

bool serviceRuns(const std::string& name) {
  return serviceExists(name) && platform::host().system().serviceState(name) != platform::ServiceState::Stopped;
}

}  // namespace brightwell
