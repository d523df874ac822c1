// card.json: the static facts of one simulated adapter card. Loading checks
// every field and names the file and the field in its one error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace simhost {

enum class DriverDialect { kStandard, kAlternate };

struct CardPortConfig {
  uint32_t port = 0;      // what the open probe reports
  uint32_t function = 0;  // PCI function, 0-7
  std::string guid;       // NetCfgInstanceId, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
};

struct CardConfig {
  std::string name;
  uint32_t board = 0;          // board type code
  uint32_t subsys = 0;         // subsystem id << 16 | subsystem vendor
  uint8_t chipRevision = 0x42;
  uint64_t efuse = 0;
  uint32_t driverVersion = 0x04000251;  // major << 24 | minor << 16 | build
  DriverDialect dialect = DriverDialect::kStandard;
  uint32_t bus = 0;
  uint32_t device = 0;
  bool writeProtectPin = false;  // the WP pin makes the status-write-disable bit stick
  uint32_t boardTypeRegister = 0;  // what a running driver publishes as board type
  std::vector<CardPortConfig> ports;
};

inline constexpr size_t kMaxCardPorts = 8;

// Checks a configuration built in code (the same rules as loading).
bool validateCardConfig(const CardConfig& config, std::string* error);

// A missing board_type_register defaults to the board; a missing chiprev,
// efuse, driver, dialect, device or wp_pin takes the defaults above.
bool loadCardConfig(const std::string& path, CardConfig* config, std::string* error);
bool saveCardConfig(const std::string& path, const CardConfig& config, std::string* error);

bool isGuidText(const std::string& text);

}  // namespace simhost
