#include "sw/tools/flashLoader/boardconfig/function_masks.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

#include "sw/tools/flashLoader/adapter/board_sector_areas.h"
#include "sw/tools/flashLoader/adapter/board_tables.h"
#include "sw/tools/flashLoader/boardconfig/crbinit_table.h"
#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

using burnkit::FlashLayout;
using burnkit::UserArea;

constexpr uint32_t kKeptBits = 0x000FC300;
constexpr uint32_t kFunction0ExpansionRom = 0x40000;
constexpr uint32_t kErased = 0xFFFFFFFF;
// The first n functions of a word, n = 0..4.
constexpr std::array<uint32_t, 5> kFirstFunctions = {0, 0x0401, 0x0C05, 0x1C15, 0x3C55};
// The two functions of each parity in a word: 0 and 2 (4 and 6), 1 and 3 (5 and 7).
constexpr std::array<std::array<uint32_t, 2>, 2> kParityFunctions = {{{0x0401, 0x1010}, {0x0804, 0x2040}}};

void from_crbinit(const DeviceHandle& handle, FunctionMasks* masks) {
  std::vector<CrbinitEntry> entries;
  if (read_crbinit_entries(handle, &entries) != 0) {
    err_printf("\nWARNING: crbinit read problem\n");
    err_printf("PCI function enable status unavailable\n");
    return;
  }
  for (auto [reg, word] : {std::pair{kCrbinitFunctionMaskLow, &masks->low}, {kCrbinitFunctionMaskHigh, &masks->high}}) {
    if (const CrbinitEntry* entry = find_crbinit_entry(entries, reg)) {
      *word = entry->value;
    } else {
      err_printf("\nWARNING: 0x%x absent in crbinit\n", reg);
      err_printf("PCI function enable status unavailable\n");
    }
  }
}

}  // namespace

bool read_function_masks(const DeviceHandle& handle, FunctionMasks* masks) {
  std::vector<uint32_t> userArea;
  if (read_area(handle, FlashLayout::kUserArea, FlashLayout::kUserAreaSize / 4, &userArea) != 0) {
    err_printf("Failed to get PCI function mask.\n");
    return false;
  }
  masks->low = userArea[UserArea::kFunctionMaskLow / 4];
  masks->high = userArea[UserArea::kFunctionMaskHigh / 4];
  if (masks->low == kErased || masks->high == kErased) {
    out_printf("\nWARNING: user area does not have function masks set\n");
    out_printf("WARNING: obtaining function masks from crbinit area\n");
    flush_out();
    from_crbinit(handle, masks);
  }
  return true;
}

void print_function_masks(const FunctionMasks& masks) {
  out_printf("\nPCIE Setup Register  : 0x%x\n", masks.low);
  out_printf("PCIE Setup2 Register : 0x%x\n\n", masks.high);
  for (int f = 0; f < 8; ++f) {
    const uint32_t word = f < 4 ? masks.low : masks.high;
    out_printf("Function %d : %s\n", f, (word >> (2 * (f % 4))) & 1 ? "Enabled" : "Disabled");
  }
}

FunctionMasks derive_function_masks(const FunctionMasks& old, const std::array<uint32_t, 4>& vnicsPerPort,
                                    uint32_t boardType) {
  FunctionMasks masks{old.low & kKeptBits, old.high & kKeptBits};
  if (std::any_of(vnicsPerPort.begin(), vnicsPerPort.end(), [](uint32_t c) { return c > 4; })) {
    const uint32_t total = std::accumulate(vnicsPerPort.begin(), vnicsPerPort.end(), 0u);
    masks.low |= kFirstFunctions[std::min(total, 4u)];
    masks.high |= kFirstFunctions[std::min(total > 4 ? total - 4 : 0u, 4u)];
    return masks;
  }
  for (uint32_t port = 0; port < 2; ++port) {
    const uint32_t parity = board_type_has(boardType, kSwappedFunctions) ? 1 - port : port;
    const std::array<uint32_t, 2>& pairs = kParityFunctions[parity];
    const uint32_t count = vnicsPerPort[port];
    if (count >= 1) masks.low |= pairs[0];
    if (count >= 2) masks.low |= pairs[1];
    if (count >= 3) masks.high |= pairs[0];
    if (count >= 4) masks.high |= pairs[1];
    if (parity == 0 && count == 0 && (masks.low & kFunction0ExpansionRom))
      out_printf("\nWARNING: Function 0 Expansion ROM will not work\n");
  }
  return masks;
}
