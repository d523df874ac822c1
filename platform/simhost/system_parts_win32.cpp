// The simulated host's parts from Windows: the CryptoAPI, the console,
// CreateProcess, and the running process's own facts.
#include <windows.h>
#include <psapi.h>

#include "platform/simhost/system_parts.h"
#include "platform/win32/win32_backend.h"

namespace platform {

std::unique_ptr<Crypto> makeSystemCrypto() { return makeWin32Crypto(); }
// The Windows console's own system grants a close handler its time (and ends
// the process when it runs out): the simulated machine's figure is not used.
std::unique_ptr<Console> makeSystemConsole(std::function<uint32_t()>) { return makeWin32Console(); }
std::unique_ptr<Process> makeSystemProcess(std::vector<std::string> systemDirectories) {
  return makeWin32Process(std::move(systemDirectories));
}

WinError systemFreeBytes(const std::string& path, uint64_t* bytes) {
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExA(path.c_str(), &available, nullptr, nullptr)) return kErrorPathNotFound;
  *bytes = available.QuadPart;
  return kErrorSuccess;
}

std::tm systemLocalTime() { return makeWin32System()->localTime(); }

// Another process's environment is not readable on Windows without reading
// its memory, so the host's processes are not told apart from the machine's:
// every running process counts (under Wine: those of the Wine prefix).
std::vector<std::string> hostProcessNames(const std::string&) { return makeWin32System()->runningProcessNames(); }

std::string systemCommandLine() { return GetCommandLineA(); }

std::string systemProgramPath() { return makeWin32System()->programPath(); }

}  // namespace platform
