#include "sw/tools/flashLoader/hostglue/device_properties.h"

#include <cstdio>

#include "platform/host.h"
#include "sw/tools/flashLoader/hostglue/net_class_keys.h"
#include "sw/tools/flashLoader/hostglue/text_compare.h"

platform::WinError open_net_devices(const std::string& enumerator, DeviceList* devices) {
  return platform::host().devices().present(kNetClassGuidText, enumerator, devices);
}

platform::WinError read_device_text(const platform::DeviceRef& device, platform::DeviceProperty which,
                                    std::string* text) {
  std::vector<std::string> texts;
  platform::WinError error = platform::host().devices().property(device, which, &texts);
  if (error != platform::kErrorSuccess) return error;
  *text = texts.empty() ? std::string() : texts.front();
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
