#include "platform/simhost/device_set_sim.h"


#include <cctype>
#include <mutex>
#include <unordered_map>
#include "simhost/machine/text_case.h"
#include "simhost/devices/device_store.h"

namespace platform {

namespace {

bool sameText(const std::string& a, const std::string& b) {
  return simhost::sameTextIgnoringCase(a, b);
}

const char* kClassRoot = "SYSTEM\\CurrentControlSet\\Control\\Class";

class SimDeviceSet : public DeviceSet {
 public:
  SimDeviceSet(simhost::DeviceStore& store, Registry& registry, CardDrivers& cards)
      : store_(store), registry_(registry), cards_(cards) {}

  WinError present(const std::string& classGuid, const std::string& enumerator,
                   std::vector<DeviceRef>* devices) override {
    std::shared_ptr<const simhost::DeviceTable> table = store_.table(nullptr);
    if (!table) return kErrorInvalidData;
    devices->clear();
    for (const simhost::DeviceRecord& d : table->devices) {
      if (!classGuid.empty() && !sameText(d.classGuid, classGuid)) continue;
      if (!enumerator.empty() && !sameText(d.enumerator, enumerator)) continue;
      devices->push_back(DeviceRef{d.instanceId});
    }
    return kErrorSuccess;
  }

  WinError property(const DeviceRef& device, DeviceProperty which,
                    std::vector<std::string>* texts) override {
    simhost::DeviceRecord record;
    if (!find(device, &record)) return kErrorNoMoreItems;  // ERROR_NO_SUCH_DEVINST in spirit
    texts->clear();
    std::string single;
    switch (which) {
      case DeviceProperty::HardwareId:
        *texts = record.hardwareIds;
        return texts->empty() ? kErrorInvalidData : kErrorSuccess;
      case DeviceProperty::Driver: single = record.driverKey; break;
      case DeviceProperty::Location: single = record.location; break;
      case DeviceProperty::Class: single = record.classGuid; break;
      case DeviceProperty::Description: single = record.description; break;
    }
    // SetupAPI answers ERROR_INVALID_DATA for a property the device does not have.
    if (single.empty()) return kErrorInvalidData;
    texts->push_back(single);
    return kErrorSuccess;
  }

  StateChangeResult changeState(const DeviceRef& device, StateChange change,
                                StateScope scope) override {
    StateChangeResult result;
    simhost::DeviceRecord before;
    if (!find(device, &before)) {
      result.paramsError = kErrorInvalidParameter;
      return result;
    }
    if (before.paramsError != 0) {
      result.paramsError = before.paramsError;
      return result;
    }
    bool restartNeeded = false;
    simhost::DeviceRecord after;
    bool updated = store_.update(
        [&](simhost::DeviceTable& table) {
          restartNeeded = table.restartNeeded;
          for (simhost::DeviceRecord& d : table.devices) {
            if (!sameText(d.instanceId, device.instanceId)) continue;
            bool disable = change == StateChange::Disable;
            if (scope == StateScope::Global) d.disabledGlobal = disable;
            else d.disabledConfig = disable;
            after = d;
            return true;
          }
          return false;
        },
        nullptr);
    if (!updated || after.instanceId.empty()) {
      result.installerError = kErrorGenFailure;
      return result;
    }
    if (!before.card.empty()) {
      if (before.enabled() && !after.enabled()) cards_.stopPort(after.card, after.port);
      if (!before.enabled() && after.enabled())
        cards_.startPort(after.card, after.port, quiescentRequested(after.driverKey));
      if (cards_.takeRebootFault(after.card)) result.installFlags |= kDiNeedReboot;
    }
    if (restartNeeded) result.installFlags |= kDiNeedRestart;
    return result;
  }

 private:
  // Instance ids compare without case; the first device of an id answers.
  static std::string folded(const std::string& id) {
    std::string key = id;
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return key;
  }

  bool find(const DeviceRef& device, simhost::DeviceRecord* record) {
    std::shared_ptr<const simhost::DeviceTable> table = store_.table(nullptr);
    if (!table) return false;
    std::lock_guard<std::mutex> guard(indexMutex_);
    if (table != indexed_) {
      index_.clear();
      for (size_t i = 0; i < table->devices.size(); ++i) index_.emplace(folded(table->devices[i].instanceId), i);
      indexed_ = table;
    }
    auto found = index_.find(folded(device.instanceId));
    if (found == index_.end()) return false;
    *record = table->devices[found->second];
    return true;
  }

  // The driver loads quiescent while its adapter instance carries "LoadFirmware".
  bool quiescentRequested(const std::string& driverKey) {
    RegKey key;
    if (driverKey.empty() || registry_.openKey(regJoin(kClassRoot, driverKey), &key) != kErrorSuccess)
      return false;
    RegValue value;
    return registry_.queryValue(key, "LoadFirmware", &value) == kErrorSuccess;
  }

  simhost::DeviceStore& store_;
  Registry& registry_;
  CardDrivers& cards_;
  std::mutex indexMutex_;
  std::shared_ptr<const simhost::DeviceTable> indexed_;  // the table index_ was built for
  std::unordered_map<std::string, size_t> index_;        // folded instance id -> its first device
};

}  // namespace

std::unique_ptr<DeviceSet> makeSimDeviceSet(simhost::DeviceStore& store, Registry& registry, CardDrivers& cards) {
  return std::make_unique<SimDeviceSet>(store, registry, cards);
}

}  // namespace platform
