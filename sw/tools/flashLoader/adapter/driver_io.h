// The only routine that talks to the adapter's NIC driver.
#pragma once

#include "platform/errors.h"
#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/driver_request.h"

// Sends one request and takes the driver's answer into the same record. The
// first call of the process probes the driver's dialect; in the alternate
// dialect the record's command number and signature are translated in place.
// False when the call itself failed (driver_last_error() says why); the
// caller reads the answer's status word itself.
bool CvDeviceIoControl(const DeviceHandle& handle, DriverRequest* request);

// The Windows error of the calling thread's last driver call
// (GetLastError()): 0 after a call that went through.
platform::WinError driver_last_error();
