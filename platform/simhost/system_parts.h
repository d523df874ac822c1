// What the simulated host takes from the system it runs on: the real crypto,
// console and process start, and the few facts that belong to the running
// process rather than to the simulated machine. One implementation per
// system (system_parts_posix.cpp, system_parts_win32.cpp).
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/crypto.h"
#include "platform/errors.h"
#include "platform/process.h"

namespace platform {

std::unique_ptr<Crypto> makeSystemCrypto();
// closeGraceMs: the time the simulated machine grants a close handler,
// asked when a close event arrives (a real console's system grants its own).
std::unique_ptr<Console> makeSystemConsole(std::function<uint32_t()> closeGraceMs);
// Programs are searched in the host's System32 and Windows directories too.
std::unique_ptr<Process> makeSystemProcess(std::vector<std::string> systemDirectories);

// Free bytes of the real file system holding path.
WinError systemFreeBytes(const std::string& path, uint64_t* bytes);
std::tm systemLocalTime();
// The live processes that belong to the simulated host in hostRoot, by
// Windows image name ("burnkit.exe").
std::vector<std::string> hostProcessNames(const std::string& hostRoot);
// This process's command line as one Windows text, and its program file.
std::string systemCommandLine();
std::string systemProgramPath();

}  // namespace platform
