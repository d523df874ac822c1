#include "sw/tools/flashLoader/discovery/discovery_report_writer.h"

#include <cstdio>
#include <cstdlib>

#include "sw/tools/flashLoader/runstate/tool_version.h"
#include "sw/tools/flashLoader/hostglue/file_handle.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

void element(std::FILE* file, const char* name, const std::string& value) {
  std::fprintf(file, "<%s value=\"%s\"/>\n", name, xml_escaped(value).c_str());
}

std::string hex4(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value & 0xFFFF));
  return text;
}

std::string version_text(const VersionTriple& v) {
  char text[48];
  std::snprintf(text, sizeof text, "%d.%d.%d", static_cast<int>(v.major), static_cast<int>(v.minor),
                static_cast<int>(v.build));
  return text;
}

bool is_zero(const VersionTriple& v) { return v.major == 0 && v.minor == 0 && v.build == 0; }

void warn_missing(const char* elementText) {
  out_printf("Warning: Creating XML file, missing field %s\n", elementText);
}

// The address of the port the card was found through: the MAC list is
// indexed by PCI function, one entry per port.
std::string mac_of_probed_port(const DiscoveredCard& card) {
  const size_t function = static_cast<size_t>(std::strtoul(card.location.function.c_str(), nullptr, 10));
  MacAddress mac{};
  if (function < card.macs.size()) mac = card.macs[function];
  char text[32];
  std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
  return text;
}

void write_device(std::FILE* file, const DiscoveredCard& card) {
  const std::string vendor = hex4(card.subsystem);
  const std::string device = hex4(card.subsystem >> 16);
  std::fprintf(file, "<device>\n");
  element(file, "device_id", "4040.0100." + vendor + "." + device);
  element(file, "venid", "4040");
  element(file, "devid", card.nicType == 3 ? "0100" : "0001");
  if (card.subsystem == 0) warn_missing("subvenid value=");
  element(file, "subvenid", vendor);
  if (card.subsystem == 0) warn_missing("subdevid value=");
  element(file, "subdevid", device);
  element(file, "macaddress", mac_of_probed_port(card));
  element(file, "product_id", card.productId);
  element(file, "busnumber", card.location.bus);
  element(file, "devicenumber", card.location.device);
  element(file, "funcnumber", card.location.function);
  element(file, "slotnumber", "FFFFFFFF");
  element(file, "nictype", card.nicType == 3 ? "CVZ3" : card.nicType == 2 ? "CVZ2" : "");
  std::fprintf(file, "<fw_item>\n");
  element(file, "type", "ROM");
  element(file, "firmware_id", "");
  if (is_zero(card.newVersion)) warn_missing("version value=");
  element(file, "version", version_text(card.newVersion));
  if (is_zero(card.currentVersion)) warn_missing("active_version value=");
  element(file, "active_version", version_text(card.currentVersion));
  char action[32];
  std::snprintf(action, sizeof action, "%-15s", discovery_action(card.currentVersion, card.newVersion));
  element(file, "action", action);
  element(file, "duration", "180");
  char message[40];
  std::snprintf(message, sizeof message, "%30s", "");
  element(file, "message", message);
  element(file, "shared", "no");
  std::fprintf(file, "</fw_item>\n");
  std::fprintf(file, "</device>\n");
}

}  // namespace

std::string xml_escaped(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

const char* discovery_action(const VersionTriple& current, const VersionTriple& offered) {
  const uint32_t a[3] = {current.major, current.minor, current.build};
  const uint32_t b[3] = {offered.major, offered.minor, offered.build};
  for (int i = 0; i < 3; ++i) {
    if (a[i] < b[i]) return "upgrade";
    if (a[i] > b[i]) return "downgrade";
  }
  return "rewrite";
}

int write_discovery_report(const std::string& fileName, const std::vector<DiscoveredCard>& cards) {
  FileHandle file(std::fopen(fileName.c_str(), "w"));
  if (!file) {
    out_printf("Couldn't open XML file...\n");
    return -1;
  }
  std::FILE* f = file.get();
  std::fprintf(f, "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n");
  std::fprintf(f, "<orl_rom_discovery version=\"2.0.0.0\">\n");
  element(f, "type", "CORVANE_NIC");
  element(f, "alt_name", "Orland Kestrel-Series Corvane Online Firmware Upgrade Utility for Windows");
  element(f, "version", kToolVersion);
  element(f, "takes_effect", "reboot");
  out_printf("card_index=%d\n", static_cast<int>(cards.size()));
  std::fprintf(f, "<devices>\n");
  for (const DiscoveredCard& card : cards) write_device(f, card);
  std::fprintf(f, "</devices>\n");
  std::fprintf(f, "</orl_rom_discovery>");
  if (std::ferror(f) || std::fflush(f) != 0) return -1;
  return 0;
}
