#include "sw/tools/flashLoader/boardconfig/vnic_area.h"

#include <algorithm>
#include <cstdio>

#include "sw/tools/flashLoader/boardconfig/user_area_record.h"
#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

constexpr uint32_t kDescriptorBytes = 8;
constexpr uint32_t kElementBytes = 16;
constexpr uint8_t kVnicPropertiesType = 0;

uint16_t le16(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}
void put16(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  bytes[at] = static_cast<uint8_t>(value);
  bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

void print_vnic(std::span<const uint8_t> element, int number) {
  MacAddress mac{};
  std::copy(element.begin(), element.begin() + 6, mac.begin());
  const uint16_t vlan = le16(element, 6);
  out_printf("\nvNIC %d port : %d\n", number, element[8]);
  out_printf("vNIC %d MAC  : ", number);
  print_mac_bytes(mac);
  out_printf("\nvNIC %d VLAN : 0x%4.4x %s\n", number, vlan, vlan == 0 ? "(Untagged)" : "");
  out_printf("vNIC %d txmax: %d\n", number, le16(element, 12));
  out_printf("vNIC %d txmin: %d\n", number, le16(element, 14));
}

}  // namespace

bool VnicHeader::active() const { return magic == burnkit::FlashLayout::kVnicSignature; }

VnicHeader parse_vnic_header(std::span<const uint8_t> bytes) {
  if (bytes.size() < kVnicHeaderBytes) return {};
  return {le16(bytes, 0), le16(bytes, 2), le16(bytes, 4), le16(bytes, 6)};
}

std::vector<uint8_t> build_vnic_area(std::span<const VnicElement> vnics) {
  const uint32_t n = static_cast<uint32_t>(vnics.size());
  std::vector<uint8_t> area(kElementBytes * (n + 1), 0xFF);
  put16(area, 0, burnkit::FlashLayout::kVnicSignature);
  put16(area, 2, n);
  put16(area, 4, 1);
  put16(area, 6, 2 * (n + 1));
  put16(area, 8, 0);
  put16(area, 10, kElementBytes / kVnicUnitBytes);
  area[12] = kVnicPropertiesType;
  area[13] = 0;
  area[14] = 0;
  area[15] = static_cast<uint8_t>(n);
  for (uint32_t i = 0; i < n; ++i) {
    const size_t at = kElementBytes * (i + 1);
    std::copy(vnics[i].mac.begin(), vnics[i].mac.end(), area.begin() + static_cast<std::ptrdiff_t>(at));
    put16(area, at + 6, vnics[i].vlan);
    area[at + 8] = vnics[i].port;
    put16(area, at + 12, vnics[i].txMax);
    put16(area, at + 14, vnics[i].txMin);
  }
  return area;
}

void print_vnic_area(std::span<const uint8_t> area) {
  const VnicHeader header = parse_vnic_header(area);
  out_printf("\nvNIC header magic  : 0x%x => vNIC %s\n", header.magic, header.active() ? "ACTIVE" : "INACTIVE");
  out_printf("vNIC header #vnics : %d\n", header.vnics);
  out_printf("vNIC header #blocks: %d\n", header.blocks);
  out_printf("vNIC header size   : %d\n", header.units * kVnicUnitBytes);
  if (header.blocks > 1) out_printf("\tWARNING: assuming 1 block only\n");
  if (area.size() < kVnicHeaderBytes + kDescriptorBytes) return;

  std::span<const uint8_t> descriptor = area.subspan(kVnicHeaderBytes, kDescriptorBytes);
  const uint16_t first = le16(descriptor, 0);
  const uint32_t elementBytes = le16(descriptor, 2) * kVnicUnitBytes;
  const uint8_t type = descriptor[4];
  uint32_t count = descriptor[7];
  out_printf("\nvNIC descriptor type           : %d\n", type);
  out_printf("vNIC descriptor start vnic#    : %d\n", first);
  out_printf("vNIC descriptor #vnics in block: %d\n", count);
  out_printf("vNIC descriptor element size   : %d\n", elementBytes);
  if (type != kVnicPropertiesType) {
    out_printf("\tWARNING: unknown property details being skipped\n");
    return;
  }
  if (count > kMaxVnics) {
    out_printf("\tWARNING: assuming #vnics in block: %d\n", kMaxVnics);
    count = kMaxVnics;
  }
  // An element is at least the 16 bytes printed; a size field that says
  // less would have them overlap.
  const size_t stride = std::max(elementBytes, kElementBytes);
  size_t at = kVnicHeaderBytes + kDescriptorBytes;
  for (uint32_t j = 0; j < count && at + kElementBytes <= area.size(); ++j, at += stride)
    print_vnic(area.subspan(at, kElementBytes), first + static_cast<int>(j));
}
