// kernel32, advapi32, version.dll, WMI and the service control manager: the
// machine facts the programs ask for. Paths are host paths: on the simulated
// host "C:\" is DIR/drive_c/, and paths handed out end in '/' where Windows'
// end in '\'.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "platform/errors.h"

namespace platform {

// OSVERSIONINFOEX, the fields the programs read.
struct OsVersion {
  uint32_t major = 6;
  uint32_t minor = 1;
  uint32_t build = 7601;
  uint32_t platformId = 2;    // VER_PLATFORM_WIN32_NT
  uint32_t productType = 3;   // VER_NT_SERVER
  uint32_t servicePackMajor = 1;
  uint32_t servicePackMinor = 0;
  std::string csdVersion = "Service Pack 1";
  // GetNativeSystemInfo's wProcessorArchitecture: 0 x86, 6 IA-64, 9 x64.
  uint32_t processorArchitecture = 9;
  // GetProductInfo's product type (PRODUCT_*), 0 where the query is absent
  // (before major version 6).
  uint32_t productInfo = 7;  // PRODUCT_STANDARD_SERVER
  // GetSystemMetrics(SM_SERVERR2) != 0.
  bool serverR2 = false;
};

// VS_FIXEDFILEINFO version numbers: each pair of 16-bit parts packed in a
// double word (high word first), as dwFileVersionMS/LS and dwProductVersionMS/LS.
struct FileVersion {
  uint32_t fileMs = 0;
  uint32_t fileLs = 0;
  uint32_t productMs = 0;
  uint32_t productLs = 0;
};

enum class ServiceState { NotInstalled, Stopped, StartPending, StopPending, Running, Paused };

// IsWow64Process as the 64-bit check sees it.
enum class Wow64Answer { FunctionAbsent, CallFailed, Native64, Wow64 };

class System {
 public:
  virtual ~System() = default;

  // GetTempPathW: ends with a separator.
  virtual std::string tempDirectory() = 0;
  // GetSystemDirectory and GetWindowsDirectory.
  virtual std::string systemDirectory() = 0;
  virtual std::string windowsDirectory() = 0;
  // The system drive's root ("C:\").
  virtual std::string systemDrive() = 0;
  // The administrator check: member of the local Administrators group.
  virtual bool isAdministrator() = 0;
  // GetDiskFreeSpaceEx for the caller on the drive holding path.
  virtual WinError freeBytes(const std::string& path, uint64_t* bytes) = 0;
  virtual Wow64Answer wow64() = 0;
  // Sleep(ms); the simulated host may scale the wait.
  virtual void sleepMs(uint32_t ms) = 0;
  // GetLocalTime / localtime.
  virtual std::tm localTime() = 0;
  virtual OsVersion osVersion() = 0;
  // GetFileVersionInfo + VerQueryValue("\\") of a PE file's version resource.
  virtual WinError fileVersion(const std::string& path, FileVersion* version) = 0;
  virtual ServiceState serviceState(const std::string& name) = 0;
  // Base names of the running processes ("burnkit.exe", ...).
  virtual std::vector<std::string> runningProcessNames() = 0;
  // WMI Win32_ComputerSystem.Model; empty when unavailable.
  virtual std::string machineModel() = 0;
  // GetCommandLine of this process.
  virtual std::string commandLine() = 0;
  // GetUserDefaultUILanguage as a language tag ("en", "de", ...).
  virtual std::string uiLanguage() = 0;
  // GetACP, and conversions between UTF-16 and that code page.
  virtual uint32_t ansiCodePage() = 0;
  virtual std::string toAnsi(const std::u16string& text) = 0;
  virtual std::u16string fromAnsi(const std::string& text) = 0;
  // ExpandEnvironmentStrings: every %NAME% of a set variable (name without
  // regard to letter case) replaced by its value, others left as they are.
  // %SystemDrive% is the system drive without its separator ("C:").
  virtual std::string expandEnvironment(const std::string& text) = 0;
  // GetModuleFileName(NULL): the running program's file.
  virtual std::string programPath() = 0;
};

}  // namespace platform
