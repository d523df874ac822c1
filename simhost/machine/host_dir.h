// Where each part of a simulated host lives inside its directory.
#pragma once

#include <string>

namespace simhost {

struct HostDir {
  explicit HostDir(std::string root);

  std::string root;
  std::string hostJson() const { return root + "/host.json"; }
  std::string registryReg() const { return root + "/registry.reg"; }
  std::string registryLock() const { return root + "/.registry.lock"; }
  std::string devicesJson() const { return root + "/devices.json"; }
  std::string devicesLock() const { return root + "/.devices.lock"; }
  std::string hostLock() const { return root + "/.host.lock"; }
  std::string cardsDir() const { return root + "/cards"; }
  std::string cardDir(const std::string& name) const { return cardsDir() + "/" + name; }
  std::string driveC() const { return root + "/drive_c"; }
  std::string windowsDir() const { return driveC() + "/Windows"; }
  std::string system32() const { return windowsDir() + "/System32"; }
  std::string driversDir() const { return system32() + "/drivers"; }
  std::string tempDir() const { return driveC() + "/Temp"; }
  std::string logDir() const { return driveC() + "/kstsystem/log"; }
};

}  // namespace simhost
