// The decision on each supported adapter, made for all of them before the
// first upgrade starts, and the upgrade of each chosen one.
#pragma once

#include <cstddef>
#include <cstdint>

namespace keelson {

// Shows adapter i and decides on it: chosen, passed over, or the run
// cancelled (a quit answer). Adapters without the supported flag are passed
// over.
void selectAdapter(size_t index);

// Compares installed and package firmware and asks, as the options allow.
// 0 yes, 1 no, 2 quit, 3 not offered; with status only always 1 (the status
// flags of the run are set instead).
int decideUpgrade(size_t index);

// Runs the flash tool's upgrade for a chosen adapter whose action is not
// "skip": its exit code, or 0 when nothing ran.
uint32_t upgradeAdapter(size_t index);

}  // namespace keelson
