// devices.json: the devices present in the simulated host, as SetupAPI and the
// configuration manager see them, with their enable state. Cards' functions
// name their card and port so that a state change can restart that port's
// driver; another maker's adapter names only its device object GUID.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "simhost/machine/files.h"
#include "simhost/machine/host_dir.h"

namespace simhost {

struct DeviceRecord {
  std::string instanceId;    // "PCI\VEN_4040&DEV_0100&SUBSYS_01264040&REV_42\4&2C8E7A1&0&0028"
  std::string classGuid;     // setup class, e.g. the network class
  std::string enumerator;    // "PCI"
  std::vector<std::string> hardwareIds;
  std::string driverKey;     // "{class guid}\0001"
  std::string location;      // "PCI bus 5, device 0, function 1"
  std::string description;
  bool disabledGlobal = false;
  bool disabledConfig = false;
  std::string card;          // the simulated card, empty for other makers' adapters
  int port = -1;             // the card's port number for this function
  std::string guid;          // NetCfgInstanceId of the network function ("" when none)
  // Knob: SetupDiSetClassInstallParams fails with this error for this device.
  uint32_t paramsError = 0;

  bool enabled() const { return !disabledGlobal && !disabledConfig; }
};

struct DeviceTable {
  // Knob: every state change asks for a restart (DI_NEEDRESTART).
  bool restartNeeded = false;
  std::vector<DeviceRecord> devices;
};

bool parseDeviceTable(const std::string& text, const std::string& fileName, DeviceTable* table,
                      std::string* error);
std::string writeDeviceTable(const DeviceTable& table);

class DeviceStore {
 public:
  explicit DeviceStore(HostDir dir);

  // The table as on disk; reparsed only when the file changed.
  bool load(DeviceTable* table, std::string* error);
  // Read-modify-write under the host's device lock; the change returns false
  // to leave the file untouched.
  bool update(const std::function<bool(DeviceTable&)>& change, std::string* error);
  // Creates an empty table when there is none yet.
  bool create(std::string* error);

 private:
  HostDir dir_;
  FileStamp stamp_;
  bool cached_ = false;
  DeviceTable cache_;
};

}  // namespace simhost
