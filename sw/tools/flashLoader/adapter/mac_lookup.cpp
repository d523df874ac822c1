#include "sw/tools/flashLoader/adapter/mac_lookup.h"

#include <cstdio>

int find_interface_by_mac(const std::string& macText, std::span<const AdapterMacs> adapters, std::string* name) {
  unsigned parsed[6] = {};
  if (std::sscanf(macText.c_str(), "%X:%X:%X:%X:%X:%X", &parsed[0], &parsed[1], &parsed[2], &parsed[3], &parsed[4],
                  &parsed[5]) < 6)
    return 1;
  for (const AdapterMacs& adapter : adapters) {
    for (const auto& mac : adapter.macs) {
      bool same = true;
      for (int i = 0; i < 6; ++i) same = same && parsed[i] == mac[i];
      if (!same) continue;
      *name = adapter.interfaceName;
      return 0;
    }
  }
  return 1;
}
