// What a unified ROM image is made of, before it is written: its products,
// and for each the section files it uses and where they go in the flash. The
// romimage tool fills it from MANIFEST.json or synthesises it; the writer
// turns it into the image file.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "romimage/flash_layout.h"
#include "romimage/image_format.h"

namespace burnkit {

struct SectionFile {
  std::string name;  // the file's name in a manifest
  std::shared_ptr<const std::vector<uint8_t>> data;
};

struct PlacedSection {
  SectionFile file;
  uint32_t flashOffset = 0;
};

struct ManifestProduct {
  std::optional<std::string> nameA, nameB, nameC;
  uint32_t subsys = 0;
  uint32_t subvendor = 0;
  uint32_t boardType = 0;
  uint32_t chipRevision = 0;
  uint32_t flags = 1;
  uint32_t biosVersion = 0;
  uint32_t productWord = 0;
  uint32_t md5TableOffset = FlashLayout::kUserArea;
  std::array<std::optional<PlacedSection>, kSectionKindCount> sections;  // by kind, 1-9
  uint32_t programSubsys = kNone;
  uint32_t programSubvendor = kNone;
  uint32_t pxeEnable = kNone;

  std::optional<PlacedSection>& section(SectionKind kind) { return sections[kindNumber(kind)]; }
  const std::optional<PlacedSection>& section(SectionKind kind) const { return sections[kindNumber(kind)]; }
};

struct ImageManifest {
  uint32_t formatVersion = kFormatPxeEnable;
  uint32_t stringKey = 0x5A;
  std::vector<ManifestProduct> products;  // product rows in this order
};

}  // namespace burnkit
