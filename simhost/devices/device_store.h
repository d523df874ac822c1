// devices.json: the devices present in the simulated host, as SetupAPI and the
// configuration manager see them, with their enable state. Cards' functions
// name their card and port so that a state change can restart that port's
// driver; another maker's adapter names only its device object GUID.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "simhost/machine/change_counter.h"
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

  // The table as on disk; reparsed only when its change counter says the file
  // was rewritten (see simhost/machine/change_counter.h).
  bool load(DeviceTable* table, std::string* error);
  // The same without a copy: the parsed table, shared and never changed in
  // place (a rewrite gives a new one). Null with *error on a failure.
  std::shared_ptr<const DeviceTable> table(std::string* error);
  // Read-modify-write under the host's device lock; the change returns false
  // to leave the file untouched.
  bool update(const std::function<bool(DeviceTable&)>& change, std::string* error);
  // Creates an empty table when there is none yet.
  bool create(std::string* error);

 private:
  std::shared_ptr<const DeviceTable> tableLocked(std::string* error);

  HostDir dir_;
  ChangeCounter counter_;
  std::mutex mutex_;
  uint64_t generation_ = ChangeCounter::kNone;  // the counter the table was read under
  std::shared_ptr<const DeviceTable> cache_;
};

}  // namespace simhost
