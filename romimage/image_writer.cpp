#include "romimage/image_writer.h"

#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>

namespace burnkit {

namespace {

// File layout: header, directory, string table, product table, data tables
// (kinds 1-9), then the section files, each starting on a 16-byte boundary.
constexpr uint32_t kSectionAlignment = 16;

struct DataTable {
  std::vector<SectionEntry> rows;
  std::vector<std::shared_ptr<const std::vector<uint8_t>>> files;
  std::map<std::pair<Digest, size_t>, uint32_t> index;  // content to row

  uint32_t add(const std::shared_ptr<const std::vector<uint8_t>>& data) {
    auto key = std::make_pair(md5(*data), data->size());
    auto found = index.find(key);
    if (found != index.end()) return found->second;
    uint32_t row = static_cast<uint32_t>(rows.size());
    SectionEntry entry;
    entry.size = static_cast<uint32_t>(data->size());
    entry.digest = key.first;
    rows.push_back(entry);
    files.push_back(data);
    index.emplace(key, row);
    return row;
  }
};

class StringBlock {
 public:
  uint32_t add(const std::optional<std::string>& text) {
    if (!text) return kNone;
    auto found = offsets_.find(*text);
    if (found != offsets_.end()) return found->second;
    uint32_t offset = static_cast<uint32_t>(bytes_.size());
    bytes_.insert(bytes_.end(), text->begin(), text->end());
    bytes_.push_back(0);
    offsets_.emplace(*text, offset);
    return offset;
  }
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  std::map<std::string, uint32_t> offsets_;
};

size_t alignUp(size_t value, size_t alignment) { return (value + alignment - 1) / alignment * alignment; }

void append(std::vector<uint8_t>& out, std::span<const uint8_t> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

bool inside(std::span<const uint8_t> image, uint64_t offset, uint64_t length) {
  return offset <= image.size() && length <= image.size() - offset;
}

void sealDataTable(std::span<uint8_t> image, const DirectoryEntry& entry) {
  if (entry.rowSize < SectionEntry::kSize || !inside(image, entry.offset, entry.tableBytes())) return;
  for (uint32_t i = 0; i < entry.rows; ++i) {
    uint8_t* row = image.data() + entry.offset + uint64_t(i) * entry.rowSize;
    SectionEntry section = SectionEntry::decode(row);
    if (!inside(image, section.offset, section.size)) continue;
    section.digest = md5(image.subspan(section.offset, section.size));
    section.encode(row);
  }
}

}  // namespace

std::vector<uint8_t> writeImage(const ImageManifest& manifest) {
  StringBlock strings;
  std::array<DataTable, kSectionKindCount> tables;
  std::vector<ProductRecord> products;
  for (const ManifestProduct& m : manifest.products) {
    ProductRecord p;
    p.nameA = strings.add(m.nameA);
    p.nameC = strings.add(m.nameC);
    p.nameB = strings.add(m.nameB);
    p.subsys = m.subsys;
    p.subvendor = m.subvendor;
    p.boardType = m.boardType;
    p.chipRevision = m.chipRevision;
    p.flags = m.flags;
    p.biosVersion = m.biosVersion;
    p.productWord = m.productWord;
    p.md5TableOffset = m.md5TableOffset;
    for (SectionKind kind : kFlashSectionKinds) {
      const std::optional<PlacedSection>& placed = m.section(kind);
      if (!placed) continue;
      p.section(kind) = {tables[kindNumber(kind)].add(placed->file.data), placed->flashOffset};
    }
    p.programSubsys = m.programSubsys;
    p.programSubvendor = m.programSubvendor;
    p.pxeEnable = m.pxeEnable;
    products.push_back(p);
  }

  // The directory: product table, the data tables that have files, strings.
  std::vector<DirectoryEntry> entries;
  DirectoryEntry productEntry;
  productEntry.rows = static_cast<uint32_t>(products.size());
  productEntry.rowSize = ProductRecord::kSize;
  productEntry.kind = kindNumber(SectionKind::productTable);
  entries.push_back(productEntry);
  for (SectionKind kind : kFlashSectionKinds) {
    if (tables[kindNumber(kind)].rows.empty()) continue;
    DirectoryEntry e;
    e.rows = static_cast<uint32_t>(tables[kindNumber(kind)].rows.size());
    e.rowSize = SectionEntry::kSize;
    e.kind = kindNumber(kind);
    entries.push_back(e);
  }
  DirectoryEntry stringEntry;
  stringEntry.rows = static_cast<uint32_t>(strings.bytes().size());
  stringEntry.rowSize = 1;
  stringEntry.kind = kindNumber(SectionKind::stringTable);
  entries.push_back(stringEntry);

  // Offsets of everything, then the bytes.
  size_t at = ImageHeader::kSize + entries.size() * DirectoryEntry::kSize;
  for (DirectoryEntry& e : entries) {
    e.offset = static_cast<uint32_t>(at);
    at += e.tableBytes();
  }
  for (DataTable& table : tables) {
    for (size_t i = 0; i < table.rows.size(); ++i) {
      at = alignUp(at, kSectionAlignment);
      table.rows[i].offset = static_cast<uint32_t>(at);
      at += table.files[i]->size();
    }
  }

  // Every offset in the file is 32 bits.
  if (at > 0xFFFFFFFF) throw std::length_error("a unified ROM image cannot be larger than 4 GiB");

  std::vector<uint8_t> scrambled = strings.bytes();
  scrambleStrings(scrambled, manifest.stringKey);
  std::vector<uint8_t> productBytes(products.size() * ProductRecord::kSize);
  for (size_t i = 0; i < products.size(); ++i) products[i].encode(productBytes.data() + i * ProductRecord::kSize);

  std::vector<std::vector<uint8_t>> tableBytes(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    DirectoryEntry& e = entries[i];
    if (e.kind == kindNumber(SectionKind::productTable)) {
      tableBytes[i] = productBytes;
    } else if (e.kind == kindNumber(SectionKind::stringTable)) {
      tableBytes[i] = scrambled;
    } else {
      const DataTable& table = tables[e.kind];
      tableBytes[i].resize(table.rows.size() * SectionEntry::kSize);
      for (size_t r = 0; r < table.rows.size(); ++r)
        table.rows[r].encode(tableBytes[i].data() + r * SectionEntry::kSize);
    }
    e.digest = md5(tableBytes[i]);
  }
  std::vector<uint8_t> directory(entries.size() * DirectoryEntry::kSize);
  for (size_t i = 0; i < entries.size(); ++i) entries[i].encode(directory.data() + i * DirectoryEntry::kSize);

  ImageHeader header;
  header.directoryOffset = ImageHeader::kSize;
  header.entryCount = static_cast<uint32_t>(entries.size());
  header.entrySize = DirectoryEntry::kSize;
  header.directoryDigest = md5(directory);
  header.formatVersion = manifest.formatVersion;
  header.stringKey = manifest.stringKey;

  std::vector<uint8_t> image(ImageHeader::kSize);
  header.encode(image.data());
  header.headerDigest = headerDigestOf(std::span<const uint8_t, ImageHeader::kSize>(image.data(), ImageHeader::kSize));
  header.encode(image.data());
  image.reserve(at);
  append(image, directory);
  for (const std::vector<uint8_t>& bytes : tableBytes) append(image, bytes);
  for (const DataTable& table : tables) {
    for (size_t i = 0; i < table.rows.size(); ++i) {
      image.resize(table.rows[i].offset, 0);
      append(image, *table.files[i]);
    }
  }
  return image;
}

void resealImage(std::span<uint8_t> image) {
  if (image.size() < ImageHeader::kSize) return;
  ImageHeader header = ImageHeader::decode(image.data());
  const uint64_t directoryBytes = uint64_t(header.entryCount) * header.entrySize;
  if (header.entrySize >= 32 && inside(image, header.directoryOffset, directoryBytes)) {
    for (uint32_t i = 0; i < header.entryCount; ++i) {
      uint8_t* raw = image.data() + header.directoryOffset + uint64_t(i) * header.entrySize;
      std::array<uint8_t, DirectoryEntry::kSize> padded;
      padded.fill(0xFF);
      std::memcpy(padded.data(), raw, std::min<size_t>(header.entrySize, padded.size()));
      DirectoryEntry entry = DirectoryEntry::decode(padded.data());
      if (entry.kind >= kindNumber(SectionKind::crbinit0) && entry.kind <= kindNumber(SectionKind::pxe))
        sealDataTable(image, entry);
      if (!inside(image, entry.offset, entry.tableBytes())) continue;
      Digest digest = md5(image.subspan(entry.offset, static_cast<size_t>(entry.tableBytes())));
      std::memcpy(raw + 16, digest.data(), digest.size());
    }
  }
  if (inside(image, header.directoryOffset, directoryBytes)) {
    header.directoryDigest = md5(image.subspan(header.directoryOffset, static_cast<size_t>(directoryBytes)));
    std::memcpy(image.data() + 16, header.directoryDigest.data(), 16);
  }
  Digest digest = headerDigestOf(std::span<const uint8_t, ImageHeader::kSize>(image.data(), ImageHeader::kSize));
  std::memcpy(image.data() + ImageHeader::kDigestField, digest.data(), digest.size());
}

}  // namespace burnkit
