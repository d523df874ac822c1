// host.json: the simulated machine's own facts and knobs.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace simhost {

struct HostConfig {
  struct Os {
    uint32_t major = 6, minor = 1, build = 7601;
    uint32_t platformId = 2;   // VER_PLATFORM_WIN32_NT
    uint32_t productType = 3;  // VER_NT_SERVER
    uint32_t servicePackMajor = 1, servicePackMinor = 0;
    std::string csdVersion = "Service Pack 1";
    uint32_t processorArchitecture = 9;  // x64
    uint32_t productInfo = 7;            // GetProductInfo: standard server
    bool serverR2 = false;
  } os;
  bool admin = true;
  std::string model = "Corvane Lab Server 2U";
  // Service name -> "running", "stopped", "start-pending", "stop-pending", "paused".
  std::map<std::string, std::string> services;
  std::string uiLanguage = "en";
  uint32_t codePage = 1252;
  // Scale of timed waits (driver switches): 0 none, 1 real time.
  double waitScale = 0;
  // The time a console close handler is granted before the process is
  // ended (the target grants a few seconds); tests shorten it.
  uint32_t closeGraceMs = 5000;
  // Free bytes reported on drive C:; unset means the real figure.
  std::optional<uint64_t> freeBytes;
  // What IsWow64Process answers: "no", "yes", "absent" or "fail".
  std::string wow64 = "no";
  // Names reported as running besides the processes of this host.
  std::vector<std::string> processes;
};

bool loadHostConfig(const std::string& path, HostConfig* config, std::string* error);
bool saveHostConfig(const std::string& path, const HostConfig& config, std::string* error);

bool isServiceStateName(const std::string& state);

}  // namespace simhost
