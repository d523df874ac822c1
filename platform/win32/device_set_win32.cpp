// SetupAPI over the machine's present devices. A DeviceRef holds the device
// instance id; every property read opens that one device afresh, so a
// property is always the current one.
#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>

#include <algorithm>
#include <cstdio>

#include "platform/win32/win32_backend.h"
#include "platform/win32/win32_error.h"

namespace platform {

namespace {

class DeviceInfoSet {
 public:
  explicit DeviceInfoSet(HDEVINFO set) : set_(set) {}
  ~DeviceInfoSet() {
    if (set_ != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(set_);
  }
  DeviceInfoSet(const DeviceInfoSet&) = delete;
  DeviceInfoSet& operator=(const DeviceInfoSet&) = delete;
  HDEVINFO get() const { return set_; }
  bool valid() const { return set_ != INVALID_HANDLE_VALUE; }

 private:
  HDEVINFO set_;
};

bool parseGuid(const std::string& text, GUID* guid) {
  unsigned long d1 = 0;
  unsigned int d2 = 0, d3 = 0, b[8] = {};
  if (std::sscanf(text.c_str(), "{%8lx-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}", &d1, &d2, &d3, &b[0], &b[1], &b[2],
                  &b[3], &b[4], &b[5], &b[6], &b[7]) != 11)
    return false;
  guid->Data1 = d1;
  guid->Data2 = static_cast<unsigned short>(d2);
  guid->Data3 = static_cast<unsigned short>(d3);
  for (int i = 0; i < 8; ++i) guid->Data4[i] = static_cast<unsigned char>(b[i]);
  return true;
}

DWORD propertyCode(DeviceProperty which) {
  switch (which) {
    case DeviceProperty::HardwareId: return SPDRP_HARDWAREID;
    case DeviceProperty::Driver: return SPDRP_DRIVER;
    case DeviceProperty::Location: return SPDRP_LOCATION_INFORMATION;
    case DeviceProperty::Class: return SPDRP_CLASSGUID;
    case DeviceProperty::Description: return SPDRP_DEVICEDESC;
  }
  return SPDRP_DEVICEDESC;
}

// The texts of a REG_SZ or REG_MULTI_SZ property.
std::vector<std::string> propertyTexts(const std::vector<BYTE>& data, DWORD type) {
  std::vector<std::string> texts;
  const char* p = reinterpret_cast<const char*>(data.data());
  const char* end = p + data.size();
  while (p < end && *p) {
    const char* nul = std::find(p, end, '\0');
    texts.emplace_back(p, nul);
    if (type != REG_MULTI_SZ) break;
    p = nul + 1;
  }
  return texts;
}

class Win32DeviceSet : public DeviceSet {
 public:
  WinError present(const std::string& classGuid, const std::string& enumerator,
                   std::vector<DeviceRef>* devices) override {
    devices->clear();
    GUID guid{};
    DWORD flags = DIGCF_PRESENT;
    if (classGuid.empty()) {
      flags |= DIGCF_ALLCLASSES;
    } else if (!parseGuid(classGuid, &guid)) {
      return kErrorInvalidParameter;
    }
    DeviceInfoSet set(SetupDiGetClassDevsA(classGuid.empty() ? nullptr : &guid,
                                           enumerator.empty() ? nullptr : enumerator.c_str(), nullptr, flags));
    if (!set.valid()) return lastWin32Error();
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set.get(), i, &device); ++i) {
      char id[MAX_DEVICE_ID_LEN];
      if (SetupDiGetDeviceInstanceIdA(set.get(), &device, id, sizeof id, nullptr))
        devices->push_back(DeviceRef{id});
    }
    DWORD e = GetLastError();
    return e == ERROR_NO_MORE_ITEMS || e == ERROR_SUCCESS ? kErrorSuccess : static_cast<WinError>(e);
  }

  WinError property(const DeviceRef& ref, DeviceProperty which, std::vector<std::string>* texts) override {
    DeviceInfoSet set(SetupDiCreateDeviceInfoList(nullptr, nullptr));
    if (!set.valid()) return lastWin32Error();
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (!SetupDiOpenDeviceInfoA(set.get(), ref.instanceId.c_str(), nullptr, 0, &device)) return lastWin32Error();
    DWORD type = 0;
    DWORD size = 0;
    SetupDiGetDeviceRegistryPropertyA(set.get(), &device, propertyCode(which), &type, nullptr, 0, &size);
    DWORD e = GetLastError();
    if (e != ERROR_INSUFFICIENT_BUFFER) return e == ERROR_SUCCESS ? kErrorInvalidData : static_cast<WinError>(e);
    std::vector<BYTE> data(size);
    if (!SetupDiGetDeviceRegistryPropertyA(set.get(), &device, propertyCode(which), &type, data.data(), size, &size))
      return lastWin32Error();
    data.resize(size);
    *texts = propertyTexts(data, type);
    return kErrorSuccess;
  }

  StateChangeResult changeState(const DeviceRef& ref, StateChange change, StateScope scope) override {
    StateChangeResult result;
    DeviceInfoSet set(SetupDiCreateDeviceInfoList(nullptr, nullptr));
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (!set.valid() || !SetupDiOpenDeviceInfoA(set.get(), ref.instanceId.c_str(), nullptr, 0, &device)) {
      result.paramsError = lastWin32Error();
      return result;
    }
    SP_PROPCHANGE_PARAMS params{};
    params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
    params.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
    params.StateChange = static_cast<DWORD>(change);
    params.Scope = static_cast<DWORD>(scope);
    params.HwProfile = 0;
    if (!SetupDiSetClassInstallParamsA(set.get(), &device, &params.ClassInstallHeader, sizeof params)) {
      result.paramsError = lastWin32Error();
      return result;
    }
    if (!SetupDiCallClassInstaller(DIF_PROPERTYCHANGE, set.get(), &device)) {
      result.installerError = lastWin32Error();
      return result;
    }
    SP_DEVINSTALL_PARAMS_A install{};
    install.cbSize = sizeof install;
    if (SetupDiGetDeviceInstallParamsA(set.get(), &device, &install)) result.installFlags = install.Flags;
    return result;
  }
};

}  // namespace

std::unique_ptr<DeviceSet> makeWin32DeviceSet() { return std::make_unique<Win32DeviceSet>(); }

}  // namespace platform
