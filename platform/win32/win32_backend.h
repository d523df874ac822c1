// The platform interfaces on the Windows API, one factory per interface, so
// that the native host and the simulated host on Windows can share them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/crypto.h"
#include "platform/device_set.h"
#include "platform/driver_channel.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace platform {

// Reg* calls on HKEY_LOCAL_MACHINE, the 64-bit view.
std::unique_ptr<Registry> makeWin32Registry();
// CreateFileA on the driver's device object, DeviceIoControl, CloseHandle.
std::unique_ptr<DriverChannels> makeWin32DriverChannels();
// SetupAPI over the machine's present devices.
std::unique_ptr<DeviceSet> makeWin32DeviceSet();
// CryptoAPI MD5 through the default RSA provider.
std::unique_ptr<Crypto> makeWin32Crypto();
// SetConsoleCtrlHandler, the C runtime's standard input, console title and sizes.
std::unique_ptr<Console> makeWin32Console();
// CreateProcessA. A bare program name is looked for in the caller's own
// directory, the current directory, extraDirectories, System32, the Windows
// directory and PATH, in that order, with ".exe" appended when it has no
// extension; the command line is passed as given.
std::unique_ptr<Process> makeWin32Process(std::vector<std::string> extraDirectories);
// kernel32, advapi32, version.dll and the service control manager.
std::unique_ptr<System> makeWin32System();

}  // namespace platform
