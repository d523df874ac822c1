// Finding the adapter that owns a MAC address, for reports that name
// adapters by one of their ports' addresses.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// One adapter of a report: its interface name and its ports' MAC addresses,
// 8 bytes each of which the first 6 are the address in display order.
struct AdapterMacs {
  std::string interfaceName;
  std::vector<std::array<uint8_t, 8>> macs;
};

// Reads the text as "%X:%X:%X:%X:%X:%X" (either case) and gives the
// interface name of the first adapter with that address. 0 and *name; 1
// when the text has fewer than six groups or no adapter has the address.
int find_interface_by_mac(const std::string& macText, std::span<const AdapterMacs> adapters, std::string* name);
