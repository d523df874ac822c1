#include "sw/tools/flashLoader/hostglue/device_properties.h"

#include <cstdio>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>

#include "platform/host.h"
#include "sw/tools/flashLoader/hostglue/host_index.h"
#include "sw/tools/flashLoader/hostglue/net_class_keys.h"
#include "sw/tools/flashLoader/hostglue/text_compare.h"

namespace {

struct PropertyAnswer {
  platform::WinError error = platform::kErrorSuccess;
  std::string text;
};

// Answers of the device set kept for the run (host_index.h): the device
// lists by enumerator, and each device's text properties, including the
// answer that a device has no such property. Other failures are asked again.
HostIndexed<std::map<std::string, std::shared_ptr<const DeviceList>>> g_deviceLists;
HostIndexed<std::unordered_map<std::string, std::map<platform::DeviceProperty, PropertyAnswer>>> g_properties;
// The driver key indexes of the kept lists, by list.
HostIndexed<std::map<const DeviceList*, std::shared_ptr<const DriverKeyIndex>>> g_driverKeyIndexes;

// The answer for the device, kept or asked; *kept tells which it was.
PropertyAnswer property_answer(const platform::DeviceRef& device, platform::DeviceProperty which, bool* kept) {
  auto& byDevice = g_properties.value()[device.instanceId];
  auto found = byDevice.find(which);
  *kept = true;
  if (found != byDevice.end()) return found->second;
  std::vector<std::string> texts;
  PropertyAnswer answer;
  answer.error = platform::host().devices().property(device, which, &texts);
  if (answer.error == platform::kErrorSuccess && !texts.empty()) answer.text = texts.front();
  if (answer.error != platform::kErrorSuccess && answer.error != platform::kErrorInvalidData) {
    *kept = false;
    return answer;
  }
  byDevice.emplace(which, answer);
  return answer;
}

// Null when the list has a device without an instance id, or an answer
// that is not kept: a scan of the list then asks as it goes.
std::shared_ptr<const DriverKeyIndex> build_driver_key_index(const DeviceList& devices) {
  auto index = std::make_shared<DriverKeyIndex>();
  for (size_t position = 0; position < devices.size(); ++position) {
    if (devices[position].instanceId.empty()) return nullptr;
    bool kept = false;
    PropertyAnswer answer = property_answer(devices[position], platform::DeviceProperty::Driver, &kept);
    if (!kept) return nullptr;
    if (answer.error != platform::kErrorSuccess) {
      if (index->firstError == DriverKeyIndex::kNone) {
        index->firstError = position;
        index->firstErrorCode = answer.error;
      }
      continue;
    }
    if (!answer.text.empty()) index->positions[folded_case(answer.text)].push_back(position);
  }
  return index;
}

}  // namespace

const std::vector<size_t>& DriverKeyIndex::holding(const std::string& driverKey) const {
  static const std::vector<size_t> kNoPositions;
  if (driverKey.empty()) return kNoPositions;
  auto found = positions.find(folded_case(driverKey));
  return found == positions.end() ? kNoPositions : found->second;
}

std::shared_ptr<const DeviceList> kept_net_devices(const std::string& enumerator, platform::WinError* error) {
  auto& lists = g_deviceLists.value();
  auto kept = lists.find(enumerator);
  if (kept != lists.end()) {
    *error = platform::kErrorSuccess;
    return kept->second;
  }
  DeviceList devices;
  *error = platform::host().devices().present(kNetClassGuidText, enumerator, &devices);
  if (*error != platform::kErrorSuccess) return nullptr;
  auto list = std::make_shared<const DeviceList>(std::move(devices));
  lists.emplace(enumerator, list);
  return list;
}

platform::WinError open_net_devices(const std::string& enumerator, DeviceList* devices) {
  platform::WinError error = platform::kErrorSuccess;
  std::shared_ptr<const DeviceList> kept = kept_net_devices(enumerator, &error);
  if (kept) *devices = *kept;
  return error;
}

std::shared_ptr<const DriverKeyIndex> driver_key_index(const DeviceList& devices) {
  auto& indexes = g_driverKeyIndexes.value();
  auto found = indexes.find(&devices);
  if (found != indexes.end()) return found->second;
  // Only a list the run keeps has an index: its address stays its own
  // until the kept lists are dropped, and the indexes with them.
  bool kept = false;
  for (const auto& entry : g_deviceLists.value()) kept = kept || entry.second.get() == &devices;
  if (!kept) return nullptr;
  std::shared_ptr<const DriverKeyIndex> index = build_driver_key_index(devices);
  indexes.emplace(&devices, index);
  return index;
}

platform::WinError read_device_text(const platform::DeviceRef& device, platform::DeviceProperty which,
                                    std::string* text) {
  bool kept = false;
  PropertyAnswer answer = property_answer(device, which, &kept);
  if (answer.error != platform::kErrorSuccess) return answer.error;
  *text = std::move(answer.text);
  return platform::kErrorSuccess;
}

int parse_pci_location(const std::string& location, int* bus, int* device, int* function) {
  // Each word is at most as long as the whole text.
  std::string w1(location.size() + 1, '\0'), w2 = w1, w3 = w1;
  int numbers[3] = {0, 0, 0};
  int fields = std::sscanf(location.c_str(), "PCI %s %d,%s %d,%s %d", w1.data(), &numbers[0], w2.data(),
                           &numbers[1], w3.data(), &numbers[2]);
  int count = fields <= 0 ? 0 : fields / 2;
  if (count > 0) *bus = numbers[0];
  if (count > 1) *device = numbers[1];
  if (count > 2) *function = numbers[2];
  return count;
}

bool same_driver_key(const std::string& a, const std::string& b) {
  return !a.empty() && equal_ignoring_case(a, b);
}
