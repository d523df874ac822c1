// The one adapter a run works with: the handle of its driver's device object
// and what the run has learnt about the driver and the chip.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/driver_channel.h"
#include "sw/tools/flashLoader/adapter/driver_dialect.h"

// What opening the driver's device object gave. A failed open still gives a
// handle, as CreateFileA gives INVALID_HANDLE_VALUE: every call on it fails.
struct DeviceObject {
  std::unique_ptr<platform::DriverChannel> channel;  // null when the open failed
};

// A null DeviceHandle is no handle at all: the session is closed.
using DeviceHandle = std::shared_ptr<DeviceObject>;

struct AdapterSession {
  // Replaced by the main flow and read by the console control handler's
  // thread. Readers take their own reference, so a handle replaced meanwhile
  // stays usable until they are done with it.
  std::atomic<DeviceHandle> device;
  // Probed once per process, on the first driver call; never reset, not even
  // when the handle is replaced.
  std::atomic<uint32_t> dialect{kDialectNotProbed};
  int32_t nicType = 2;           // chip generation, 2 or 3
  uint8_t lastChipRevision = 0;  // last chip revision byte the driver reported
  uint32_t port = 0;             // port number the driver reported at the open
};

extern AdapterSession g_adapter;

// The session's current handle (null when closed).
DeviceHandle adapter_handle();

// Closes the device object; closing a closed session is harmless.
void close_adapter();

// Every end of a run after the instance lock was taken: closes the adapter
// and removes the lock file.
void release_at_exit();

// Opens the driver's device object of the adapter port named by its
// connection name, replacing the session's handle, and asks the driver for
// the port number (the open probe). 0 and *port on success; -1 when the name
// is no Corvane port or the driver rejects the probe. The handle is stored
// even when the probe fails.
int open_adapter(const std::string& interfaceName, uint32_t* port);
