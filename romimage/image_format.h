// The unified ROM image file: its header, directory, product table, data
// tables and string table, as records decoded from (and encoded into) their
// little-endian bytes. The reader and the writer both go through these.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "romimage/md5.h"

namespace burnkit {

// A file index, string offset or product word that says "none".
inline constexpr uint32_t kNone = 0xFFFFFFFF;

// Format versions that add product fields: the subsystem to program (words
// 204 and 208) and the PXE enable word (212).
inline constexpr uint32_t kFormatProgramSubsystem = 0x01000001;
inline constexpr uint32_t kFormatPxeEnable = 0x01000002;

enum class SectionKind : uint32_t {
  productTable = 0,
  crbinit0 = 1,
  crbinit1 = 2,
  crbinit2 = 3,
  brdcfg = 4,
  keltune = 5,
  bootld = 6,
  firmware = 7,
  vpd = 8,
  pxe = 9,
  stringTable = 10,
};

struct SectionKindInfo {
  SectionKind kind;
  const char* name;      // as messages print it
  uint32_t indexField;   // product record: file index in the kind's data table (0: none)
  uint32_t offsetField;  // product record: flash offset
};

// Every kind, in kind order. The flash sections are kinds 1 to 9.
inline constexpr SectionKindInfo kSectionKinds[] = {
    {SectionKind::productTable, "product table", 0, 0},
    {SectionKind::crbinit0, "crbinit0", 68, 72},
    {SectionKind::crbinit1, "crbinit1", 76, 80},
    {SectionKind::crbinit2, "crbinit2", 84, 88},
    {SectionKind::brdcfg, "brdcfg", 92, 96},
    {SectionKind::keltune, "keltune", 100, 104},
    {SectionKind::bootld, "bootld", 108, 112},
    {SectionKind::firmware, "firmware", 116, 120},
    {SectionKind::vpd, "vpd", 124, 128},
    {SectionKind::pxe, "pxe", 132, 136},
    {SectionKind::stringTable, "string table", 0, 0},
};
inline constexpr uint32_t kSectionKindCount = 11;
inline constexpr SectionKind kFlashSectionKinds[] = {
    SectionKind::crbinit0, SectionKind::crbinit1, SectionKind::crbinit2, SectionKind::brdcfg, SectionKind::keltune,
    SectionKind::bootld,   SectionKind::firmware, SectionKind::vpd,      SectionKind::pxe,
};

const char* sectionKindName(SectionKind kind);
// nullopt for a number that is no kind; the name is then unknown.
std::optional<SectionKind> sectionKindFromNumber(uint32_t kind);
std::optional<SectionKind> sectionKindFromName(std::string_view name);
inline uint32_t kindNumber(SectionKind kind) { return static_cast<uint32_t>(kind); }

struct ImageHeader {
  static constexpr size_t kSize = 56;
  static constexpr size_t kDigestField = 40;

  uint32_t directoryOffset = 0;
  uint32_t entryCount = 0;
  uint32_t entrySize = 0;
  uint32_t unused = 0;
  Digest directoryDigest{};
  uint32_t formatVersion = 0;
  uint32_t stringKey = 0;  // its low byte scrambles the string table
  Digest headerDigest{};

  static ImageHeader decode(const uint8_t* bytes);
  void encode(uint8_t* bytes) const;
};

// The digest the header's last field must hold: MD5 of the 56 header bytes
// with that field taken as zeros.
Digest headerDigestOf(std::span<const uint8_t, ImageHeader::kSize> bytes);

struct DirectoryEntry {
  static constexpr size_t kSize = 36;

  uint32_t offset = 0;
  uint32_t rows = 0;  // the string table: its length in bytes
  uint32_t rowSize = 0;
  uint32_t unused = 0;
  Digest digest{};
  uint32_t kind = 0;

  // Bytes the table takes in the file (and its digest covers).
  uint64_t tableBytes() const;

  static DirectoryEntry decode(const uint8_t* bytes);
  void encode(uint8_t* bytes) const;
};

// One section file in a data table (kinds 1-9).
struct SectionEntry {
  static constexpr size_t kSize = 28;

  uint32_t offset = 0;
  uint32_t size = 0;
  uint32_t unused = 0;
  Digest digest{};

  static SectionEntry decode(const uint8_t* bytes);
  void encode(uint8_t* bytes) const;
};

struct SectionPlacement {
  uint32_t fileIndex = kNone;  // row in the kind's data table; kNone: the product has no such section
  uint32_t flashOffset = kNone;
};

// One product row (kind 0).
struct ProductRecord {
  static constexpr size_t kSize = 220;

  uint32_t nameA = kNone;  // string-table offsets of the name texts
  uint32_t nameC = kNone;
  uint32_t nameB = kNone;
  uint32_t subsys = 0;
  uint32_t subvendor = 0;
  uint32_t boardType = 0;
  uint32_t chipRevision = 0;
  uint32_t flags = 0;        // bit 0: the product may be flashed
  uint32_t biosVersion = 0;  // major << 24 | minor << 16 | build
  uint32_t productWord = 0;
  uint32_t md5TableOffset = 0;
  std::array<SectionPlacement, kSectionKindCount> sections{};  // by kind; only 1-9 are used
  uint32_t programSubsys = kNone;
  uint32_t programSubvendor = kNone;
  uint32_t pxeEnable = kNone;

  bool flashable() const { return flags & 1; }
  const SectionPlacement& section(SectionKind kind) const { return sections[kindNumber(kind)]; }
  SectionPlacement& section(SectionKind kind) { return sections[kindNumber(kind)]; }

  static ProductRecord decode(const uint8_t* bytes);
  // Fields the format does not use are written as zeros.
  void encode(uint8_t* bytes) const;
};

// The rows of one table as stored: rows of rowSize bytes, each decoded into a
// Record on access. A row shorter than the record leaves the rest of the
// record as 0xFF bytes. Row sizes above the record size are refused before a
// table is made.
template <class Record>
class RecordTable {
 public:
  RecordTable() = default;
  RecordTable(std::vector<uint8_t> bytes, uint32_t rows, uint32_t rowSize)
      : bytes_(std::move(bytes)), rows_(rows), rowSize_(rowSize) {}

  uint32_t size() const { return rows_; }
  bool empty() const { return rows_ == 0; }
  uint32_t rowSize() const { return rowSize_; }

  // i < size().
  Record operator[](uint32_t i) const {
    std::array<uint8_t, Record::kSize> raw;
    raw.fill(0xFF);
    size_t take = rowSize_ < Record::kSize ? rowSize_ : Record::kSize;
    if (take > 0) std::memcpy(raw.data(), bytes_.data() + size_t(i) * rowSize_, take);
    return Record::decode(raw.data());
  }

 private:
  std::vector<uint8_t> bytes_;
  uint32_t rows_ = 0;
  uint32_t rowSize_ = 0;
};

using DirectoryTable = RecordTable<DirectoryEntry>;
using ProductTable = RecordTable<ProductRecord>;
using SectionTable = RecordTable<SectionEntry>;

// The string table in plain text. Name texts are zero-terminated strings at
// their offsets; an offset outside the table, or kNone, is no text.
class StringTable {
 public:
  StringTable() = default;
  explicit StringTable(std::vector<char> plain) : plain_(std::move(plain)) {}

  std::optional<std::string_view> text(uint32_t offset) const;
  // As messages print a name: "(null)" when there is none.
  std::string_view nameOrNull(uint32_t offset) const;
  size_t size() const { return plain_.size(); }

 private:
  std::vector<char> plain_;
};

// The string table is stored with every byte XORed with the key's low byte;
// the same operation turns it back.
void scrambleStrings(std::span<uint8_t> bytes, uint32_t key);

}  // namespace burnkit
