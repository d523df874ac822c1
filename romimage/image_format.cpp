#include "romimage/image_format.h"

#include "romimage/byte_order.h"

namespace burnkit {

namespace {

Digest loadDigest(const uint8_t* p) {
  Digest d;
  std::memcpy(d.data(), p, d.size());
  return d;
}

void storeDigest(uint8_t* p, const Digest& d) { std::memcpy(p, d.data(), d.size()); }

}  // namespace

const char* sectionKindName(SectionKind kind) { return kSectionKinds[kindNumber(kind)].name; }

std::optional<SectionKind> sectionKindFromNumber(uint32_t kind) {
  if (kind >= kSectionKindCount) return std::nullopt;
  return static_cast<SectionKind>(kind);
}

std::optional<SectionKind> sectionKindFromName(std::string_view name) {
  for (const SectionKindInfo& info : kSectionKinds)
    if (name == info.name) return info.kind;
  return std::nullopt;
}

ImageHeader ImageHeader::decode(const uint8_t* b) {
  ImageHeader h;
  h.directoryOffset = loadLe32(b);
  h.entryCount = loadLe32(b + 4);
  h.entrySize = loadLe32(b + 8);
  h.unused = loadLe32(b + 12);
  h.directoryDigest = loadDigest(b + 16);
  h.formatVersion = loadLe32(b + 32);
  h.stringKey = loadLe32(b + 36);
  h.headerDigest = loadDigest(b + kDigestField);
  return h;
}

void ImageHeader::encode(uint8_t* b) const {
  storeLe32(b, directoryOffset);
  storeLe32(b + 4, entryCount);
  storeLe32(b + 8, entrySize);
  storeLe32(b + 12, unused);
  storeDigest(b + 16, directoryDigest);
  storeLe32(b + 32, formatVersion);
  storeLe32(b + 36, stringKey);
  storeDigest(b + kDigestField, headerDigest);
}

Digest headerDigestOf(std::span<const uint8_t, ImageHeader::kSize> bytes) {
  std::array<uint8_t, ImageHeader::kSize> copy;
  std::memcpy(copy.data(), bytes.data(), copy.size());
  std::memset(copy.data() + ImageHeader::kDigestField, 0, ImageHeader::kSize - ImageHeader::kDigestField);
  return md5(copy);
}

uint64_t DirectoryEntry::tableBytes() const {
  if (kind == kindNumber(SectionKind::stringTable)) return rows;
  return uint64_t(rows) * rowSize;
}

DirectoryEntry DirectoryEntry::decode(const uint8_t* b) {
  DirectoryEntry e;
  e.offset = loadLe32(b);
  e.rows = loadLe32(b + 4);
  e.rowSize = loadLe32(b + 8);
  e.unused = loadLe32(b + 12);
  e.digest = loadDigest(b + 16);
  e.kind = loadLe32(b + 32);
  return e;
}

void DirectoryEntry::encode(uint8_t* b) const {
  storeLe32(b, offset);
  storeLe32(b + 4, rows);
  storeLe32(b + 8, rowSize);
  storeLe32(b + 12, unused);
  storeDigest(b + 16, digest);
  storeLe32(b + 32, kind);
}

SectionEntry SectionEntry::decode(const uint8_t* b) {
  SectionEntry e;
  e.offset = loadLe32(b);
  e.size = loadLe32(b + 4);
  e.unused = loadLe32(b + 8);
  e.digest = loadDigest(b + 12);
  return e;
}

void SectionEntry::encode(uint8_t* b) const {
  storeLe32(b, offset);
  storeLe32(b + 4, size);
  storeLe32(b + 8, unused);
  storeDigest(b + 12, digest);
}

ProductRecord ProductRecord::decode(const uint8_t* b) {
  ProductRecord p;
  p.nameA = loadLe32(b);
  p.nameC = loadLe32(b + 4);
  p.nameB = loadLe32(b + 8);
  p.subsys = loadLe32(b + 28);
  p.subvendor = loadLe32(b + 32);
  p.boardType = loadLe32(b + 36);
  p.chipRevision = loadLe32(b + 40);
  p.flags = loadLe32(b + 44);
  p.biosVersion = loadLe32(b + 48);
  p.productWord = loadLe32(b + 56);
  p.md5TableOffset = loadLe32(b + 64);
  for (SectionKind kind : kFlashSectionKinds) {
    const SectionKindInfo& info = kSectionKinds[kindNumber(kind)];
    p.section(kind) = {loadLe32(b + info.indexField), loadLe32(b + info.offsetField)};
  }
  p.programSubsys = loadLe32(b + 204);
  p.programSubvendor = loadLe32(b + 208);
  p.pxeEnable = loadLe32(b + 212);
  return p;
}

void ProductRecord::encode(uint8_t* b) const {
  std::memset(b, 0, kSize);
  storeLe32(b, nameA);
  storeLe32(b + 4, nameC);
  storeLe32(b + 8, nameB);
  storeLe32(b + 28, subsys);
  storeLe32(b + 32, subvendor);
  storeLe32(b + 36, boardType);
  storeLe32(b + 40, chipRevision);
  storeLe32(b + 44, flags);
  storeLe32(b + 48, biosVersion);
  storeLe32(b + 56, productWord);
  storeLe32(b + 64, md5TableOffset);
  for (SectionKind kind : kFlashSectionKinds) {
    const SectionKindInfo& info = kSectionKinds[kindNumber(kind)];
    storeLe32(b + info.indexField, section(kind).fileIndex);
    storeLe32(b + info.offsetField, section(kind).flashOffset);
  }
  storeLe32(b + 204, programSubsys);
  storeLe32(b + 208, programSubvendor);
  storeLe32(b + 212, pxeEnable);
}

std::optional<std::string_view> StringTable::text(uint32_t offset) const {
  if (offset == kNone || offset >= plain_.size()) return std::nullopt;
  std::string_view rest(plain_.data() + offset, plain_.size() - offset);
  return rest.substr(0, rest.find('\0'));
}

std::string_view StringTable::nameOrNull(uint32_t offset) const { return text(offset).value_or("(null)"); }

void scrambleStrings(std::span<uint8_t> bytes, uint32_t key) {
  const uint8_t k = static_cast<uint8_t>(key);
  for (uint8_t& b : bytes) b ^= k;
}

}  // namespace burnkit
