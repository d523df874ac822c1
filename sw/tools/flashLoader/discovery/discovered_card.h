// What discovery learns about one card: enough to name it in the report and
// to tell whether its firmware is older, newer or the same as the image's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sw/tools/flashLoader/adapter/mac_entry_write.h"
#include "sw/tools/flashLoader/boardconfig/user_area_record.h"
#include "sw/tools/flashLoader/hostglue/adapter_device_list.h"

struct DiscoveredCard {
  std::string identity;       // efuse id or serial number: the same on every port of the card
  std::string interfaceName;  // the port the card was found through
  PortLocationTexts location; // decimal bus, device and function of that port; empty when not found
  std::vector<MacAddress> macs;  // one per port, display order
  std::string productId;
  std::string toolVersion;
  std::string chipRevision;
  std::string serialId;
  VersionTriple newVersion;      // in the unified ROM image for this board
  VersionTriple currentVersion;  // on the board's flash
  uint32_t boardType = 0;
  uint32_t subsystem = 0;  // subsystem id << 16 | subsystem vendor id
  uint32_t portCount = 0;
  int32_t nicType = 0;
};
