// What a simulated host holds, as `corvane-sim show` and tests see it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "simhost/machine/host_config.h"
#include "simhost/machine/host_dir.h"

namespace simhost {

struct PortSummary {
  uint32_t port = 0;
  std::string connection;
  std::string guid;
  std::string location;  // "BUS:DEV.FUNC"
  std::string mode;      // the port's driver: "normal", "quiescent" or "stopped"
  bool enabled = true;
};

struct CardSummary {
  std::string name;
  uint32_t board = 0;
  uint32_t subsys = 0;
  uint32_t chipRevision = 0;
  std::string driver;    // "4.0.593"
  std::string dialect;   // "standard" or "alternate"
  std::string firmware;  // running firmware, from the chip's registers
  std::vector<PortSummary> ports;
};

struct NicSummary {
  std::string connection;
  std::string guid;
  std::string location;
  std::string hardwareId;
  bool enabled = true;
};

struct HostSummary {
  HostConfig config;
  std::vector<CardSummary> cards;
  std::vector<NicSummary> nics;
};

bool describeHost(const HostDir& dir, HostSummary* summary, std::string* error);
nlohmann::json hostSummaryJson(const HostSummary& summary);
std::string hostSummaryText(const HostSummary& summary);

}  // namespace simhost
