// The vNIC property area at the start of the board sector: how dual-port
// boards present several virtual NICs per port. An 8-byte header (magic
// 0xFADE when active, vNIC count, block count, size in 8-byte units), one
// descriptor per block, and a 16-byte element per vNIC (MAC, VLAN, port,
// transmit ratios). All little-endian.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/adapter/mac_entry_write.h"

inline constexpr uint32_t kMaxVnics = 8;
inline constexpr uint32_t kVnicUnitBytes = burnkit::FlashLayout::kVnicUnitBytes;
inline constexpr uint32_t kVnicHeaderBytes = burnkit::FlashLayout::kVnicHeaderBytes;
// Shown and cleaned when the header is not active.
inline constexpr uint32_t kInactiveVnicAreaUnits = 10;

struct VnicElement {
  MacAddress mac{};  // transmission order
  uint16_t vlan = 0;  // 0: untagged
  uint8_t port = 0;
  uint16_t txMax = 0;  // 0: unlimited
  uint16_t txMin = 0;
};

struct VnicHeader {
  uint16_t magic = 0;
  uint16_t vnics = 0;
  uint16_t blocks = 0;
  uint16_t units = 0;
  bool active() const;
};

VnicHeader parse_vnic_header(std::span<const uint8_t> bytes);

// The area for the layout: header, one descriptor of type 0 for vNICs 0 on,
// the elements. 16 x (n + 1) bytes.
std::vector<uint8_t> build_vnic_area(std::span<const VnicElement> vnics);

// The header, the first descriptor and, for a descriptor of vNIC
// properties, each vNIC (at most 8, none beyond the bytes given), on
// standard output.
void print_vnic_area(std::span<const uint8_t> area);
