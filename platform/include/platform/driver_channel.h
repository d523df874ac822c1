// The NIC driver's device object: CreateFileA on "\\.\{GUID}", DeviceIoControl,
// CloseHandle. The channel carries opaque buffers; the record inside them is the
// driver protocol's business, not the platform's.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/errors.h"

namespace platform {

class DriverChannel {
 public:
  virtual ~DriverChannel() = default;

  // One DeviceIoControl call. Returns false on failure; lastError() then holds
  // the Windows error number. *bytesReturned is set when the call succeeds.
  virtual bool ioControl(uint32_t controlCode, const void* in, uint32_t inSize, void* out,
                         uint32_t outSize, uint32_t* bytesReturned) = 0;

  virtual WinError lastError() const = 0;
};

class DriverChannels {
 public:
  virtual ~DriverChannels() = default;

  // Opens a device object by its Win32 path ("\\.\{GUID}"). Returns nullptr and
  // sets *error when there is no such device object (or its function is
  // disabled). Closing is destroying the channel.
  virtual std::unique_ptr<DriverChannel> open(const std::string& path, WinError* error) = 0;
};

}  // namespace platform
