#include "sw/tools/flashLoader/hostglue/device_properties.h"

#include <cstdio>
#include <map>
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
HostIndexed<std::map<std::string, DeviceList>> g_deviceLists;
HostIndexed<std::map<std::pair<std::string, platform::DeviceProperty>, PropertyAnswer>> g_properties;

}  // namespace

platform::WinError open_net_devices(const std::string& enumerator, DeviceList* devices) {
  std::map<std::string, DeviceList>& lists = g_deviceLists.value();
  auto kept = lists.find(enumerator);
  if (kept != lists.end()) {
    *devices = kept->second;
    return platform::kErrorSuccess;
  }
  platform::WinError error = platform::host().devices().present(kNetClassGuidText, enumerator, devices);
  if (error == platform::kErrorSuccess) lists.emplace(enumerator, *devices);
  return error;
}

platform::WinError read_device_text(const platform::DeviceRef& device, platform::DeviceProperty which,
                                    std::string* text) {
  auto& answers = g_properties.value();
  const auto key = std::make_pair(device.instanceId, which);
  auto kept = answers.find(key);
  if (kept == answers.end()) {
    std::vector<std::string> texts;
    PropertyAnswer answer;
    answer.error = platform::host().devices().property(device, which, &texts);
    if (answer.error == platform::kErrorSuccess && !texts.empty()) answer.text = texts.front();
    if (answer.error != platform::kErrorSuccess && answer.error != platform::kErrorInvalidData) return answer.error;
    kept = answers.emplace(key, std::move(answer)).first;
  }
  if (kept->second.error != platform::kErrorSuccess) return kept->second.error;
  *text = kept->second.text;
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
