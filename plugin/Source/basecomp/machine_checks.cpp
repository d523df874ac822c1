// What the component asks of the machine: operating-system support, free
// disk space, supported hardware present, and a removal pending.
#include "platform/files.h"
#include "platform/host.h"
#include "plugin/Source/basecomp/base_component.h"
#include "plugin/Source/basecomp/device_ids.h"
#include "plugin/Source/basecomp/inf_file.h"
#include "plugin/Source/basecomp/os_rules.h"
#include "plugin/Source/basecomp/service_check.h"

namespace brightwell {

namespace {

// SPDRP_HARDWAREID is read into a buffer of this many bytes; a device whose
// identifier list needs more is passed over.
constexpr size_t kHardwareIdBytes = 2048;

constexpr uint32_t kLegacyPendingRemoval = 0x40008;

bool dwordEquals(const std::string& keyPath, const std::string& name, uint32_t expected) {
  platform::Registry& registry = platform::host().registry();
  platform::RegKey key;
  platform::RegValue value;
  return registry.openKey(keyPath, &key) == platform::kErrorSuccess &&
         registry.queryValue(key, name, &value) == platform::kErrorSuccess &&
         value.type == platform::RegType::Dword && value.data.size() >= 4 && value.asDword() == expected;
}

}  // namespace

int32_t CBaseComponent::IsOSSupported() {
  if (supportedSystems_.empty()) return 1;
  SystemFacts system = runningSystemFacts();
  for (const SupportedOsRecord& record : supportedSystems_)
    if (osRecordMatches(record, system)) return 1;
  return 0;
}

int32_t CBaseComponent::IsDiskSpaceAvailable(const char16_t* path) {
  if (requiredDiskSpace_ == 0) return 1;
  platform::System& system = platform::host().system();
  std::string where = path ? platform::hostPath(std::u16string(path) + u"\\") : system.systemDrive();
  uint64_t bytes = 0;
  if (system.freeBytes(where, &bytes) != platform::kErrorSuccess) return 0;
  return static_cast<int64_t>(bytes / 1024) >= int64_t{requiredDiskSpace_} ? 1 : 0;
}

int32_t CBaseComponent::IsHardwarePresent() {
  if (supportedDevices_.empty()) return 1;
  for (const CStr& identifier : supportedDevices_)
    if (isPresent(identifier)) return 1;
  return 0;
}

bool CBaseComponent::isPresent(const CStr& identifier) {
  if (presentHardware_.empty()) buildPresentHardware();
  for (const CStr& present : presentHardware_)
    if (equalsNoCase(present, identifier)) return true;
  return false;
}

void CBaseComponent::buildPresentHardware() {
  presentHardware_.clear();
  platform::Host& host = platform::host();
  std::vector<platform::DeviceRef> devices;
  if (host.devices().present("", "", &devices) != platform::kErrorSuccess) return;
  for (const platform::DeviceRef& device : devices) {
    std::vector<std::string> ids;
    if (host.devices().property(device, platform::DeviceProperty::HardwareId, &ids) != platform::kErrorSuccess)
      continue;
    std::vector<std::u16string> wide;
    size_t bytes = sizeof(char16_t);  // the list's closing terminator
    for (const std::string& id : ids) {
      wide.push_back(host.system().fromAnsi(id));
      bytes += (wide.back().size() + 1) * sizeof(char16_t);
    }
    if (bytes > kHardwareIdBytes) continue;
    for (const std::u16string& id : wide)
      if (countsAsPresentIdentifier(id)) presentHardware_.emplace_back(id);
  }
}

int32_t CBaseComponent::IsMarkedForRemoval() {
  CInf inf;
  if (!inf.Open(infFile_)) return 0;
  std::u16string service = inf.FirstAddServiceName();
  if (service.empty()) return 0;
  std::string name = platform::host().system().toAnsi(service);
  if (serviceExists(name) && dwordEquals("System\\CurrentControlSet\\Services\\" + name, "DeleteFlag", 1)) return 1;
  return dwordEquals("System\\CurrentControlSet\\Enum\\Root\\LEGACY_" + name + "\\0000", "StatusFlags",
                     kLegacyPendingRemoval)
             ? 1
             : 0;
}

}  // namespace brightwell
