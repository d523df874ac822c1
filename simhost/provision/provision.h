// Building simulated hosts: a new empty server, adapter cards of this maker,
// other makers' adapters, the demo server, and the check that a host
// directory is whole before a program uses it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "simhost/machine/host_dir.h"

namespace simhost {

using MacAddress = std::array<uint8_t, 6>;

// An empty server: host.json, the registry's network, class and service
// keys, no devices, the system drive with its driver files.
bool createHost(const HostDir& dir, std::string* error);

struct CardOrder {
  std::string name;
  uint32_t board = 0;
  uint32_t subsys = 0;
  uint32_t ports = 0;
  uint32_t bus = 0;
  uint32_t device = 0;
  uint8_t chipRevision = 0x42;
  std::optional<uint64_t> efuse;      // default: a stable id on Z3 chips, 0 on older ones
  std::string driver = "4.0.593";
  std::string firmware = "4.0.500";  // version in flash and running
  std::string dialect = "standard";   // or "alternate"
  std::optional<std::string> serial;  // default: "CV" and eight digits from the name
  std::optional<MacAddress> mac;      // port n gets mac + n
  std::string imageFile;              // a unified ROM image to take the flash from
};

// Adds a card: its functions to devices.json and the registry (one
// connection per port), and its card directory with a flash that carries
// the serial number, MAC slots, firmware version and board type word.
bool addCard(const HostDir& dir, const CardOrder& order, std::string* error);

struct NicOrder {
  uint32_t vendor = 0;
  uint32_t device = 0;
  std::string connection;
  std::optional<uint32_t> bus;  // default: the first bus no function uses
};

bool addNic(const HostDir& dir, const NicOrder& order, std::string* error);

// Several Corvane boards of different types at an older firmware and one
// other maker's adapter.
bool createDemoHost(const HostDir& dir, std::string* error);

// Every file of the host loads and agrees with the others; the error names
// the file and the problem.
bool checkHost(const HostDir& dir, std::string* error);

bool parseMacAddress(const std::string& text, MacAddress* mac);

}  // namespace simhost
