// The PCI function enable masks of the user area (words 533 and 534): for
// function k of a word (k = 0..3) bit 2k enables it and bit 10 + k goes
// with it; word 1 covers functions 0-3, word 2 functions 4-7. A word left
// erased means the masks come from the register-initialisation table.
#pragma once

#include <array>
#include <cstdint>

#include "sw/tools/flashLoader/adapter/adapter_session.h"

inline constexpr uint32_t kCrbinitFunctionMaskLow = 0x77312040;
inline constexpr uint32_t kCrbinitFunctionMaskHigh = 0x77312048;

struct FunctionMasks {
  uint32_t low = 0xFFFFFFFF;   // functions 0-3
  uint32_t high = 0xFFFFFFFF;  // functions 4-7
};

// The masks in effect. From the user area; when either word is erased,
// after two warnings, from the table's entries (a table that cannot be
// read or lacks an entry leaves that word as it was, with warnings on
// standard error). False after "Failed to get PCI function mask." (standard
// error) when the user area cannot be read.
bool read_function_masks(const DeviceHandle& handle, FunctionMasks* masks);

// The two words and "Function %d : Enabled/Disabled" for functions 0-7.
void print_function_masks(const FunctionMasks& masks);

// The masks for a vNIC layout with vnicsPerPort[p] vNICs on port p, keeping
// only the bits 0x000FC300 of the old ones. A port with more than 4 vNICs
// gives the functions in order to all vNICs together; otherwise each port
// takes the functions of its parity (swapped on board 0x25).
FunctionMasks derive_function_masks(const FunctionMasks& old, const std::array<uint32_t, 4>& vnicsPerPort,
                                    uint32_t boardType);
