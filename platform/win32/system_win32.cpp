// The machine facts from kernel32, advapi32, version.dll, psapi and the
// service control manager.
#include <windows.h>
#include <psapi.h>
#include <winver.h>

#include <algorithm>
#include <cctype>

#include "platform/common/codepage.h"
#include "platform/win32/win32_backend.h"
#include "platform/win32/win32_error.h"

namespace platform {

namespace {

std::string fromBuffer(const char* buffer, DWORD length, DWORD capacity) {
  return length == 0 || length >= capacity ? std::string() : std::string(buffer, length);
}

// A service control manager handle, closed with its scope.
class ServiceHandle {
 public:
  explicit ServiceHandle(SC_HANDLE h) : handle_(h) {}
  ~ServiceHandle() {
    if (handle_) CloseServiceHandle(handle_);
  }
  ServiceHandle(const ServiceHandle&) = delete;
  ServiceHandle& operator=(const ServiceHandle&) = delete;
  SC_HANDLE get() const { return handle_; }

 private:
  SC_HANDLE handle_;
};

// The BIOS's product name, which is what Win32_ComputerSystem.Model reports,
// read from the registry copy Windows keeps of it.
std::string biosProductName() {
  char buffer[256];
  DWORD size = sizeof buffer;
  LONG e = RegGetValueA(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\BIOS", "SystemProductName",
                        RRF_RT_REG_SZ, nullptr, buffer, &size);
  return e == ERROR_SUCCESS && size > 0 ? std::string(buffer, size - 1) : std::string();
}

std::u16string toUtf16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

class Win32System : public System {
 public:
  std::string tempDirectory() override {
    char buffer[MAX_PATH + 1];
    return fromBuffer(buffer, GetTempPathA(sizeof buffer, buffer), sizeof buffer);
  }
  std::string systemDirectory() override {
    char buffer[MAX_PATH];
    return fromBuffer(buffer, GetSystemDirectoryA(buffer, MAX_PATH), MAX_PATH);
  }
  std::string windowsDirectory() override {
    char buffer[MAX_PATH];
    return fromBuffer(buffer, GetWindowsDirectoryA(buffer, MAX_PATH), MAX_PATH);
  }
  std::string systemDrive() override {
    std::string windows = windowsDirectory();
    return windows.size() >= 2 && windows[1] == ':' ? windows.substr(0, 2) + "\\" : std::string("C:\\");
  }

  // Full access to the service control manager is granted to administrators
  // only.
  bool isAdministrator() override {
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    return manager.get() != nullptr;
  }

  WinError freeBytes(const std::string& path, uint64_t* bytes) override {
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExA(path.empty() ? nullptr : path.c_str(), &available, nullptr, nullptr))
      return lastWin32Error();
    *bytes = available.QuadPart;
    return kErrorSuccess;
  }

  Wow64Answer wow64() override {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto isWow64 = reinterpret_cast<IsWow64ProcessFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process")));
    if (!isWow64) return Wow64Answer::FunctionAbsent;
    BOOL result = FALSE;
    if (!isWow64(GetCurrentProcess(), &result)) return Wow64Answer::CallFailed;
    // A 64-bit program is never under WOW64; a 32-bit one on 64-bit Windows is.
    return result ? Wow64Answer::Wow64 : Wow64Answer::Native64;
  }

  void sleepMs(uint32_t ms) override { Sleep(ms); }

  std::tm localTime() override {
    SYSTEMTIME t;
    GetLocalTime(&t);
    std::tm result{};
    result.tm_year = t.wYear - 1900;
    result.tm_mon = t.wMonth - 1;
    result.tm_mday = t.wDay;
    result.tm_hour = t.wHour;
    result.tm_min = t.wMinute;
    result.tm_sec = t.wSecond;
    result.tm_wday = t.wDayOfWeek;
    result.tm_isdst = -1;
    return result;
  }

  // RtlGetVersion tells the truth where GetVersionEx answers as the
  // program's manifest allows.
  OsVersion osVersion() override {
    OsVersion v;
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll"), "RtlGetVersion")));
    if (rtlGetVersion && rtlGetVersion(&info) == 0) {
      v.major = info.dwMajorVersion;
      v.minor = info.dwMinorVersion;
      v.build = info.dwBuildNumber;
      v.platformId = info.dwPlatformId;
      v.productType = info.wProductType;
      v.servicePackMajor = info.wServicePackMajor;
      v.servicePackMinor = info.wServicePackMinor;
      std::wstring csd(info.szCSDVersion);
      v.csdVersion = toAnsi(toUtf16(csd));
    }
    SYSTEM_INFO system{};
    GetNativeSystemInfo(&system);
    v.processorArchitecture = system.wProcessorArchitecture;
    v.productInfo = 0;
    if (v.major >= 6) {
      DWORD product = 0;
      if (GetProductInfo(v.major, v.minor, v.servicePackMajor, v.servicePackMinor, &product))
        v.productInfo = product;
    }
    v.serverR2 = GetSystemMetrics(SM_SERVERR2) != 0;
    return v;
  }

  WinError fileVersion(const std::string& path, FileVersion* version) override {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return lastWin32Error();
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return lastWin32Error();
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed)
      return kErrorResourceTypeNotFound;
    version->fileMs = fixed->dwFileVersionMS;
    version->fileLs = fixed->dwFileVersionLS;
    version->productMs = fixed->dwProductVersionMS;
    version->productLs = fixed->dwProductVersionLS;
    return kErrorSuccess;
  }

  ServiceState serviceState(const std::string& name) override {
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager.get()) return ServiceState::NotInstalled;
    ServiceHandle service(OpenServiceA(manager.get(), name.c_str(), SERVICE_QUERY_STATUS));
    if (!service.get()) return ServiceState::NotInstalled;
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(service.get(), &status)) return ServiceState::NotInstalled;
    switch (status.dwCurrentState) {
      case SERVICE_STOPPED: return ServiceState::Stopped;
      case SERVICE_START_PENDING: return ServiceState::StartPending;
      case SERVICE_STOP_PENDING: return ServiceState::StopPending;
      case SERVICE_RUNNING: return ServiceState::Running;
      default: return ServiceState::Paused;
    }
  }

  std::vector<std::string> runningProcessNames() override {
    std::vector<DWORD> ids(1024);
    DWORD bytes = 0;
    for (;;) {
      if (!EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes)) return {};
      if (bytes < ids.size() * sizeof(DWORD)) break;
      ids.resize(ids.size() * 2);  // the list may have been cut: ask with more room
    }
    ids.resize(bytes / sizeof(DWORD));
    std::vector<std::string> names;
    for (DWORD id : ids) {
      HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
      if (!process) continue;
      char name[MAX_PATH];
      DWORD n = GetModuleBaseNameA(process, nullptr, name, MAX_PATH);
      if (n > 0) names.emplace_back(name, n);
      CloseHandle(process);
    }
    return names;
  }

  std::string machineModel() override { return biosProductName(); }

  std::string commandLine() override { return GetCommandLineA(); }

  std::string uiLanguage() override {
    LCID locale = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
    char name[16];
    int n = GetLocaleInfoA(locale, LOCALE_SISO639LANGNAME, name, sizeof name);
    return n > 1 ? std::string(name, n - 1) : std::string("en");
  }

  uint32_t ansiCodePage() override { return GetACP(); }

  std::string toAnsi(const std::u16string& text) override {
    if (text.empty()) return std::string();
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.data());
    int n = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), result.data(), n, nullptr, nullptr);
    return result;
  }

  std::u16string fromAnsi(const std::string& text) override {
    if (text.empty()) return std::u16string();
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string result(n > 0 ? n : 0, u'\0');
    if (n > 0)
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                          reinterpret_cast<wchar_t*>(result.data()), n);
    return result;
  }

  std::string expandEnvironment(const std::string& text) override {
    DWORD n = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (n == 0) return text;
    std::string result(n, '\0');
    n = ExpandEnvironmentStringsA(text.c_str(), result.data(), n);
    if (n == 0) return text;
    result.resize(n - 1);  // without the terminating NUL
    return result;
  }

  std::string programPath() override {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return fromBuffer(path, n, MAX_PATH);
  }
};

}  // namespace

std::unique_ptr<System> makeWin32System() { return std::make_unique<Win32System>(); }

}  // namespace platform
