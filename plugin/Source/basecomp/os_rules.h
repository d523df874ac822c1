// How a package's supported-system records are matched against the running
// system: platform texts, editions and service packs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "plugin/Source/basecomp/base_component.h"

namespace brightwell {

// The facts of the running system a record is matched against.
struct SystemFacts {
  std::u16string platform;  // "nt", "nt64", "nt_x86-64" or empty
  int32_t major = 0;
  int32_t minor = 0;
  int32_t servicePack = 0;
  int32_t editionBits = 0;
};

// The mask of an "edition" attribute (lower-cased first); 0 for names the
// framework does not know.
int32_t editionMaskOf(std::u16string_view edition);
// The running system's edition bits from its product type (0 when the
// product-information query is absent) and the server-R2 metric.
int32_t systemEditionBits(uint32_t productType, bool serverR2);
// The platform text for a Windows NT platform and processor architecture.
std::u16string platformTextOf(uint32_t platformId, uint32_t architecture);
// The first run of digits of a service-pack text, 0 when there is none.
int32_t servicePackNumber(std::string_view csdVersion);
bool osRecordMatches(const SupportedOsRecord& record, const SystemFacts& system);

// The running system, from the platform layer.
SystemFacts runningSystemFacts();

}  // namespace brightwell
