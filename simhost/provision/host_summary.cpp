#include "simhost/provision/host_summary.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "simhost/chip/card.h"
#include "simhost/chip/chip_registers.h"
#include "simhost/devices/device_store.h"
#include "simhost/machine/json_util.h"
#include "simhost/provision/host_layout.h"
#include "simhost/registry/registry_store.h"

namespace simhost {

namespace {

std::string shortLocation(const std::string& location) {
  unsigned bus, device, function;
  if (std::sscanf(location.c_str(), "PCI bus %u, device %u, function %u", &bus, &device, &function) != 3)
    return location;
  return locationShort(bus, device, function);
}

const char* modeName(PortMode mode) {
  switch (mode) {
    case PortMode::kNormal: return "normal";
    case PortMode::kQuiescent: return "quiescent";
    default: return "stopped";
  }
}

}  // namespace

bool describeHost(const HostDir& dir, HostSummary* summary, std::string* error) {
  HostSummary s;
  if (!loadHostConfig(dir.hostJson(), &s.config, error)) return false;
  DeviceTable devices;
  if (!DeviceStore(dir).load(&devices, error)) return false;
  // Connection names by function GUID, read in one pass over the registry.
  std::map<std::string, std::string> connections;
  bool read = RegistryStore(dir).read(
      [&](const RegistryTree& tree) {
        for (const DeviceRecord& d : devices.devices)
          if (!d.guid.empty()) connections[d.guid] = connectionName(tree, d.guid);
      },
      error);
  if (!read) return false;

  std::vector<std::filesystem::path> cardDirs;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir.cardsDir(), ec))
    if (entry.is_directory()) cardDirs.push_back(entry.path());
  std::sort(cardDirs.begin(), cardDirs.end());

  for (const std::filesystem::path& path : cardDirs) {
    std::shared_ptr<Card> card = Card::open(path.string(), error);
    if (!card) return false;
    const CardConfig& c = card->config();
    CardSummary cs;
    cs.name = c.name;
    cs.board = c.board;
    cs.subsys = c.subsys;
    cs.chipRevision = c.chipRevision;
    cs.driver = versionWordText(c.driverVersion);
    cs.dialect = c.dialect == DriverDialect::kAlternate ? "alternate" : "standard";
    cs.firmware = std::to_string(card->peekRegister(kRegFirmwareMajor)) + "." +
                  std::to_string(card->peekRegister(kRegFirmwareMinor)) + "." +
                  std::to_string(card->peekRegister(kRegFirmwareBuild));
    for (const CardPortConfig& p : c.ports) {
      PortSummary ps;
      ps.port = p.port;
      ps.guid = p.guid;
      ps.connection = connections[p.guid];
      ps.location = locationShort(c.bus, c.device, p.function);
      ps.mode = modeName(card->portMode(static_cast<int>(p.port)));
      for (const DeviceRecord& d : devices.devices)
        if (d.card == c.name && d.port == static_cast<int>(p.port)) ps.enabled = d.enabled();
      cs.ports.push_back(ps);
    }
    s.cards.push_back(cs);
  }
  for (const DeviceRecord& d : devices.devices) {
    if (!d.card.empty() || d.guid.empty()) continue;
    NicSummary n;
    n.connection = connections[d.guid];
    n.guid = d.guid;
    n.location = shortLocation(d.location);
    n.hardwareId = d.hardwareIds.empty() ? std::string() : d.hardwareIds.back();
    n.enabled = d.enabled();
    s.nics.push_back(n);
  }
  *summary = std::move(s);
  return true;
}

nlohmann::json hostSummaryJson(const HostSummary& s) {
  nlohmann::json cards = nlohmann::json::array();
  for (const CardSummary& c : s.cards) {
    nlohmann::json ports = nlohmann::json::array();
    for (const PortSummary& p : c.ports)
      ports.push_back({{"port", p.port}, {"connection", p.connection}, {"guid", p.guid},
                       {"location", p.location}, {"mode", p.mode}, {"enabled", p.enabled}});
    cards.push_back({{"name", c.name},
                     {"board", hexText(c.board, 2)},
                     {"subsys", hexText(c.subsys, 8)},
                     {"chiprev", hexText(c.chipRevision, 2)},
                     {"driver", c.driver},
                     {"dialect", c.dialect},
                     {"firmware", c.firmware},
                     {"ports", ports}});
  }
  nlohmann::json nics = nlohmann::json::array();
  for (const NicSummary& n : s.nics)
    nics.push_back({{"connection", n.connection}, {"guid", n.guid}, {"location", n.location},
                    {"hardware_id", n.hardwareId}, {"enabled", n.enabled}});
  return {{"cards", cards}, {"nics", nics}};
}

std::string hostSummaryText(const HostSummary& s) {
  std::ostringstream out;
  const HostConfig::Os& os = s.config.os;
  out << "Windows " << os.major << "." << os.minor << "." << os.build << " (" << s.config.model
      << "), administrator: " << (s.config.admin ? "yes" : "no") << "\n";
  for (const CardSummary& c : s.cards) {
    out << "\nCard " << c.name << ": board " << hexText(c.board, 2) << ", subsystem " << hexText(c.subsys, 8)
        << ", chip revision " << hexText(c.chipRevision, 2) << ", driver " << c.driver
        << (c.dialect == "alternate" ? " (alternate dialect)" : "") << ", firmware " << c.firmware << "\n";
    for (const PortSummary& p : c.ports)
      out << "  port " << p.port << "  " << p.location << "  " << p.guid << "  \"" << p.connection << "\"  "
          << (p.enabled ? p.mode : "disabled") << "\n";
  }
  if (!s.nics.empty()) out << "\nOther adapters:\n";
  for (const NicSummary& n : s.nics)
    out << "  " << n.hardwareId << "  " << n.location << "  " << n.guid << "  \"" << n.connection << "\""
        << (n.enabled ? "" : "  disabled") << "\n";
  return out.str();
}

}  // namespace simhost
