// Unified ROM images made up for tests, demos and firmware engineers who
// have no real release at hand: for each product, register-initialisation
// tables, a board configuration carrying the board type, tuning data, a boot
// loader, firmware ending in its "REV=" version trailer, VPD and PXE code.
// Contents are deterministic and depend on the firmware version the way a
// real release does: two versions differ in some sectors and not in others.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "romimage/image_manifest.h"

namespace burnkit {

struct SyntheticProduct {
  uint32_t boardType = 0;
  uint32_t subsys = 0;     // 16-bit subsystem id
  uint32_t subvendor = 0;  // 16-bit subsystem vendor id
  uint32_t chipRevision = 0;
};

// The boards a synthetic image knows by name, one row each.
struct KnownBoard {
  SyntheticProduct product;
  uint32_t ports;
  const char* name;
  bool ncsi;  // has the NC-SI setting in its register table
};
std::span<const KnownBoard> knownBoards();
std::vector<SyntheticProduct> allKnownProducts();

// Where the synthetic sections go in the flash.
struct SyntheticLayout {
  static constexpr uint32_t kCrbinit0 = 0x000000;
  static constexpr uint32_t kCrbinit1 = 0x001000;
  static constexpr uint32_t kCrbinit2 = 0x002000;
  static constexpr uint32_t kBoardConfig = 0x004000;
  static constexpr uint32_t kTuning = 0x010000;
  static constexpr uint32_t kBootLoader = 0x020000;
  static constexpr uint32_t kFirmware = 0x040000;
  static constexpr uint32_t kPxe = 0x300000;
  static constexpr uint32_t kVpd = 0x3E8C00;
};

// CRB registers the register-initialisation tables set.
inline constexpr uint32_t kRegWolMask = 0x41602184;
inline constexpr uint32_t kRegNcsi = 0x416020B4;
inline constexpr uint32_t kRegFunctionMaskLow = 0x77312040;
inline constexpr uint32_t kRegFunctionMaskHigh = 0x77312048;
inline constexpr uint32_t kNcsiEnabled = 0x9C51;

// firmwareVersion packed (major << 24 | minor << 16 | build); product rows in
// the order given.
ImageManifest syntheticManifest(uint32_t firmwareVersion, std::span<const SyntheticProduct> products);

}  // namespace burnkit
