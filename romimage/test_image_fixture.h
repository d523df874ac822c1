// Small unified ROM images for the image tests: two products with short
// sections, written by the real writer, and helpers to damage them in
// place with or without resealing the digests above the damage.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "romimage/byte_order.h"
#include "romimage/image_writer.h"

namespace burnkit::test {

inline SectionFile bytesFile(const std::string& name, std::vector<uint8_t> bytes) {
  return {name, std::make_shared<const std::vector<uint8_t>>(std::move(bytes))};
}

inline SectionFile patternFile(const std::string& name, size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
  return bytesFile(name, std::move(bytes));
}

// A firmware file of size bytes whose last bytes are tail.
inline SectionFile firmwareFile(const std::string& tail, size_t size = 0x200) {
  std::vector<uint8_t> bytes(size, 0x11);
  std::memcpy(bytes.data() + size - tail.size(), tail.data(), tail.size());
  return bytesFile("firmware.bin", std::move(bytes));
}

inline const std::string kFirmwareTail = std::string("xREV=4.0.593") + '\0';

// Product rows: 0 the SFP board 0x26 (every section), 1 the quad board 0x24
// (no VPD).
inline ManifestProduct sfpProduct() {
  ManifestProduct p;
  p.nameA = "Corvane Z3";
  p.nameB = "SFP board";
  p.nameC = "B2";
  p.subsys = 0x0126;
  p.subvendor = 0x4040;
  p.boardType = 0x26;
  p.chipRevision = 0x42;
  p.biosVersion = 2u << 24 | 1u << 16 | 14;
  p.productWord = 0x2642;
  p.programSubsys = 0x0136;
  p.programSubvendor = 0x4041;
  p.pxeEnable = 0x3;
  std::vector<uint8_t> config(16, 0);
  storeLe32(config.data() + 8, 0x26);
  p.section(SectionKind::crbinit0) = PlacedSection{patternFile("crbinit0.bin", 64, 1), 0x0};
  p.section(SectionKind::brdcfg) = PlacedSection{bytesFile("brdcfg.bin", config), 0x4000};
  p.section(SectionKind::bootld) = PlacedSection{patternFile("bootld.bin", 0x100, 3), 0x20000};
  p.section(SectionKind::firmware) = PlacedSection{firmwareFile(kFirmwareTail), 0x40000};
  std::vector<uint8_t> vpd(0x20, 0x20);
  vpd[0] = 0x82;
  p.section(SectionKind::vpd) = PlacedSection{bytesFile("vpd.bin", vpd), 0x3E8C00};
  p.section(SectionKind::pxe) = PlacedSection{patternFile("pxe.bin", 0x40, 5), 0x300000};
  return p;
}

inline ManifestProduct quadProduct() {
  ManifestProduct p = sfpProduct();
  p.nameB = "Quad board";
  p.subsys = 0x0124;
  p.boardType = 0x24;
  p.section(SectionKind::vpd).reset();
  p.section(SectionKind::firmware) = PlacedSection{firmwareFile(std::string("qREV=4.0.585") + '\0', 0x180), 0x40000};
  return p;
}

inline ImageManifest smallManifest() {
  ImageManifest m;
  m.products = {sfpProduct(), quadProduct()};
  return m;
}

inline std::vector<uint8_t> smallImage() { return writeImage(smallManifest()); }

// Where an image's directory entry of a kind is, and its fields.
struct EntryAt {
  size_t at = 0;  // file offset of the entry
  DirectoryEntry entry;
};

inline EntryAt findEntry(const std::vector<uint8_t>& image, SectionKind kind) {
  ImageHeader h = ImageHeader::decode(image.data());
  for (uint32_t i = 0; i < h.entryCount; ++i) {
    size_t at = h.directoryOffset + size_t(i) * h.entrySize;
    DirectoryEntry e = DirectoryEntry::decode(image.data() + at);
    if (e.kind == kindNumber(kind)) return {at, e};
  }
  return {};
}

// Rewrites an entry (and reseals everything above it).
template <class Change>
void changeEntry(std::vector<uint8_t>& image, SectionKind kind, Change change) {
  EntryAt found = findEntry(image, kind);
  change(found.entry);
  found.entry.encode(image.data() + found.at);
  resealImage(image);
}

// Rewrites product row i (and reseals).
template <class Change>
void changeProduct(std::vector<uint8_t>& image, uint32_t row, Change change) {
  EntryAt table = findEntry(image, SectionKind::productTable);
  uint8_t* raw = image.data() + table.entry.offset + size_t(row) * table.entry.rowSize;
  ProductRecord p = ProductRecord::decode(raw);
  change(p);
  p.encode(raw);
  resealImage(image);
}

}  // namespace burnkit::test
