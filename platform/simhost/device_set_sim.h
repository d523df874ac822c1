// SetupAPI over devices.json. A state change of a card's function also stops
// or restarts that port's simulated driver, which reads "LoadFirmware" from the
// port's class key when it starts.
#pragma once

#include <memory>
#include <string>

#include "platform/device_set.h"
#include "platform/registry.h"
#include "simhost/devices/device_store.h"

namespace platform {

// What a device state change does to the simulated cards.
class CardDrivers {
 public:
  virtual ~CardDrivers() = default;
  virtual void stopPort(const std::string& card, int port) = 0;
  virtual void startPort(const std::string& card, int port, bool quiescent) = 0;
  // True when a fault asks this card's next state change for a reboot.
  virtual bool takeRebootFault(const std::string& card) = 0;
};

// store: the host's devices.json, shared with the driver channels so that
// the process keeps one parsed table.
std::unique_ptr<DeviceSet> makeSimDeviceSet(simhost::DeviceStore& store, Registry& registry, CardDrivers& cards);

}  // namespace platform
