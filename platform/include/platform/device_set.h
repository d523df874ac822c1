// SetupAPI and the configuration manager: present devices, their properties,
// and state changes (DIF_PROPERTYCHANGE) with the need-restart flags.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/errors.h"

namespace platform {

inline constexpr const char* kNetClassGuid = "{4D36E972-E325-11CE-BFC1-08002BE10318}";

// A device of a device information set. The set is a snapshot taken when it
// was opened; properties are read afresh on every call.
struct DeviceRef {
  std::string instanceId;
};

enum class DeviceProperty {
  HardwareId,  // SPDRP_HARDWAREID (multi-text)
  Driver,      // SPDRP_DRIVER: "{class guid}\NNNN"
  Location,    // SPDRP_LOCATION_INFORMATION: "PCI bus 5, device 0, function 1"
  Class,       // SPDRP_CLASSGUID
  Description, // SPDRP_DEVICEDESC
};

enum class StateChange : uint32_t { Enable = 1, Disable = 2 };          // DICS_*
enum class StateScope : uint32_t { Global = 1, ConfigSpecific = 2 };    // DICS_FLAG_*

inline constexpr uint32_t kDiNeedRestart = 0x80;   // DI_NEEDRESTART
inline constexpr uint32_t kDiNeedReboot = 0x100;   // DI_NEEDREBOOT

// The three calls of one property change, each with its own outcome:
// SetupDiSetClassInstallParamsA, SetupDiCallClassInstaller(DIF_PROPERTYCHANGE)
// and SetupDiGetDeviceInstallParamsA (whose flags may ask for a restart).
struct StateChangeResult {
  WinError paramsError = kErrorSuccess;
  WinError installerError = kErrorSuccess;
  uint32_t installFlags = 0;
};

class DeviceSet {
 public:
  virtual ~DeviceSet() = default;

  // SetupDiGetClassDevs with DIGCF_PRESENT: devices of a setup class (empty
  // classGuid: all classes), optionally only those of one enumerator ("PCI").
  virtual WinError present(const std::string& classGuid, const std::string& enumerator,
                           std::vector<DeviceRef>* devices) = 0;
  // SetupDiGetDeviceRegistryProperty. Single texts come back as one element.
  virtual WinError property(const DeviceRef& device, DeviceProperty which,
                            std::vector<std::string>* texts) = 0;
  // A DIF_PROPERTYCHANGE state change of one device.
  virtual StateChangeResult changeState(const DeviceRef& device, StateChange change,
                                        StateScope scope) = 0;
};

}  // namespace platform
