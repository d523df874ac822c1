// The machine the programs run on. platform::host() returns the backend chosen
// once at start: CORVANE_SIMHOST=DIR selects the simulated host in DIR;
// otherwise the native backend (on Linux an empty machine: no adapters).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/console.h"
#include "platform/crypto.h"
#include "platform/device_set.h"
#include "platform/driver_channel.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace platform {

class Host {
 public:
  virtual ~Host() = default;
  virtual DriverChannels& drivers() = 0;
  virtual Registry& registry() = 0;
  virtual DeviceSet& devices() = 0;
  virtual Crypto& crypto() = 0;
  virtual Console& console() = 0;
  virtual System& system() = 0;
  virtual Process& process() = 0;
};

// The process's host. On first use it is chosen from the environment; when
// CORVANE_SIMHOST names no usable simulated host, one line saying which file
// and what is wrong goes to standard error and the process exits with 1.
Host& host();

// Chooses the host without exiting: nullptr and *error when the environment
// names a simulated host that cannot be loaded.
std::unique_ptr<Host> makeHostFromEnvironment(std::string* error);

// Replaces the process's host (tests install their own backend).
void setHost(std::unique_ptr<Host> replacement);

// How often the host was replaced: what a caller keeps of the host's answers
// belongs to the host of one value.
uint64_t hostReplacements();

// The simulated host in DIR; nullptr and *error when DIR holds no valid host.
std::unique_ptr<Host> makeSimHost(const std::string& dir, std::string* error);
// The native backend.
std::unique_ptr<Host> makeNativeHost();

}  // namespace platform
