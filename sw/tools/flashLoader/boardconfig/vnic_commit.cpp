#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "sw/tools/flashLoader/adapter/board_identity.h"
#include "sw/tools/flashLoader/adapter/board_tables.h"
#include "sw/tools/flashLoader/boardconfig/board_area_write.h"
#include "sw/tools/flashLoader/boardconfig/console_answers.h"
#include "sw/tools/flashLoader/boardconfig/function_masks.h"
#include "sw/tools/flashLoader/boardconfig/programmed_macs.h"
#include "sw/tools/flashLoader/boardconfig/setting_change.h"
#include "sw/tools/flashLoader/boardconfig/vnic_area.h"
#include "sw/tools/flashLoader/boardconfig/vnic_properties.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

constexpr int kNotDualPort = 1;
constexpr size_t kMacDigits = 12;
constexpr size_t kVlanDigits = 4;
constexpr uint32_t kCountedPorts = 4;

// Input errors go to standard error, blank lines around them as the
// console shows them.
template <typename... Args>
bool refuse(const char* format, Args... args) {
  flush_out();
  err_printf(format, args...);
  return false;
}

// Exactly `digits` hex digits of either case, as bytes (two digits each).
bool read_hex_answer(size_t digits, std::vector<uint8_t>* bytes) {
  const std::string word = read_word_answer();
  if (word.size() != digits) return refuse("Bad MAC/VLAN. Must be %d hex digits\n", static_cast<int>(digits));
  if (!std::all_of(word.begin(), word.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
    return refuse("Bad digit in MAC/VLAN\n");
  bytes->clear();
  for (size_t i = 0; i < digits; i += 2) bytes->push_back(static_cast<uint8_t>(std::stoul(word.substr(i, 2), nullptr, 16)));
  return true;
}

bool read_port(int vnic, uint32_t portCount, VnicElement* element) {
  out_printf("\n\nEnter vNIC %d physical port: ", vnic);
  const std::optional<int> port = read_number_answer();
  if (!port || *port < 0 || static_cast<uint32_t>(*port) >= portCount)
    return refuse("\nERROR: Card supports ports 0 .. %d \n\n", static_cast<int>(portCount) - 1);
  element->port = static_cast<uint8_t>(*port);
  return true;
}

bool read_mac(int vnic, VnicElement* element) {
  out_printf("Enter vNIC %d MAC (12 hex digits): ", vnic);
  std::vector<uint8_t> bytes;
  if (!read_hex_answer(kMacDigits, &bytes)) return false;
  const bool group = bytes[0] & 1;
  const bool zero = std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
  if (group || zero) return refuse("\nERROR: Invalid MAC Address\n\n");
  std::copy(bytes.begin(), bytes.end(), element->mac.begin());
  return true;
}

bool read_vlan(int vnic, VnicElement* element) {
  out_printf("Enter vNIC %d VLAN (4 hex digits, 0000 for untagged): ", vnic);
  std::vector<uint8_t> bytes;
  if (!read_hex_answer(kVlanDigits, &bytes)) return false;
  element->vlan = static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
  return true;
}

// A ratio is a 16-bit value: anything else is refused rather than cut.
bool read_ratio(const char* question, int vnic, uint16_t* ratio) {
  out_printf(question, vnic);
  const std::optional<int> value = read_number_answer();
  if (!value || *value < 0 || *value > 0xFFFF) return refuse("\nERROR: Tx ratio must be a number from 0 to 65535\n\n");
  *ratio = static_cast<uint16_t>(*value);
  return true;
}

bool read_vnic(int vnic, uint32_t portCount, VnicElement* element) {
  if (!read_port(vnic, portCount, element) || !read_mac(vnic, element) || !read_vlan(vnic, element)) return false;
  if (!read_ratio("Enter vNIC %d Tx max ratio (0 for unlimited): ", vnic, &element->txMax) ||
      !read_ratio("Enter vNIC %d Tx min ratio: ", vnic, &element->txMin))
    return false;
  if (element->txMax < element->txMin) return refuse("\nERROR: Inconsistent Tx min/max values\n\n");
  return true;
}

bool read_layout(int count, uint32_t portCount, std::vector<VnicElement>* vnics) {
  for (int i = 0; i < count; ++i) {
    VnicElement element;
    if (!read_vnic(i, portCount, &element)) return false;
    if (i > 0 && (element.vlan != 0) != ((*vnics)[0].vlan != 0))
      return refuse("\nERROR: Can not support mix of VLAN tagged and untagged on vNICs\n\n");
    vnics->push_back(element);
  }
  return true;
}

std::array<uint32_t, kCountedPorts> vnics_per_port(const std::vector<VnicElement>& vnics) {
  std::array<uint32_t, kCountedPorts> counts{};
  for (const VnicElement& v : vnics)
    if (v.port < kCountedPorts) ++counts[v.port];
  return counts;
}

// Every port of the board has a vNIC, and no port has a MAC twice.
bool layout_consistent(const std::vector<VnicElement>& vnics, uint32_t portCount) {
  const std::array<uint32_t, kCountedPorts> counts = vnics_per_port(vnics);
  for (uint32_t port = 0; port < std::min(portCount, kCountedPorts); ++port)
    if (counts[port] == 0) return refuse("\nERROR: Port %d has no vnics\n\n", static_cast<int>(port));
  for (size_t i = 0; i < vnics.size(); ++i)
    for (size_t j = i + 1; j < vnics.size(); ++j)
      if (vnics[i].port == vnics[j].port && vnics[i].mac == vnics[j].mac)
        return refuse("\nERROR: Port %d has non unique MACs\n\n", static_cast<int>(vnics[i].port));
  return true;
}

}  // namespace

int vnic_commit(const DeviceHandle& handle, uint32_t port) {
  out_printf("\nvNIC property commit operation:\n");
  out_printf("PCIE Function Number  : %d\n", static_cast<int>(port));
  print_programmed_macs(handle);
  FunctionMasks current;
  const bool masksRead = read_function_masks(handle, &current);
  if (masksRead) print_function_masks(current);

  out_printf("\nHow many vNICs do you want to configure? ");
  const std::optional<int> count = read_number_answer();
  if (count && *count == -1) return vnic_clean(handle);
  if (!count || *count < 1 || *count > static_cast<int>(kMaxVnics)) {
    refuse("\nERROR: Can support only upto %d vNICs currently\n\n", static_cast<int>(kMaxVnics));
    return kExitGeneralFailure;
  }

  uint32_t boardType = 0;
  if (read_board_type(handle, &boardType) != 0) err_printf("Cannot get boardtype\n");
  const uint32_t portCount = board_port_count(boardType);
  std::vector<VnicElement> vnics;
  if (!read_layout(*count, portCount, &vnics) || !layout_consistent(vnics, portCount)) return kExitGeneralFailure;
  if (portCount != 2) {
    refuse("\nWARNING: vNIC only supported on dual port cards\n");
    return kNotDualPort;
  }
  // The new masks keep the bits of the current ones that the layout does not
  // decide: without them, a commit would write masks nobody asked for.
  if (!masksRead) {
    err_printf("Nothing was committed: the function masks could not be read.\n");
    return kSettingReadFailed;
  }
  const FunctionMasks masks = derive_function_masks(current, vnics_per_port(vnics), boardType);
  const std::vector<uint8_t> area = build_vnic_area(vnics);

  out_printf("\nWARNING: This will be commited to flash:\n");
  print_vnic_area(area);
  print_function_masks(masks);
  out_printf("\nWARNING: Do you want to commit to flash? (Y/N) ");
  if (!read_yes_answer()) {
    out_printf("Aborting vNIC property commit operation\n");
    return 0;
  }
  return write_board_areas(handle, area, masks);
}
