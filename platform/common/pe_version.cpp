// Reads the version of a PE file the way the system's version functions find
// it: headers -> resource table -> RT_VERSION -> VS_VERSION_INFO -> first
// language -> VS_FIXEDFILEINFO. Files here may be cut short by a failed copy or
// simply not be programs, so every offset is checked against the bytes that
// are really there before it is followed.
#include "platform/common/pe_version.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>
#include <vector>

namespace platform {

namespace {

constexpr uint32_t kSubdirectoryBit = 0x80000000;
constexpr uint32_t kRtVersion = 16;
constexpr uint32_t kVersionInfoId = 1;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr uint32_t kFixedInfoSize = 52;

// Little-endian reads that fail instead of reading past the end.
class View {
 public:
  View(const std::string& data, uint64_t begin, uint64_t size) : data_(data), begin_(begin), size_(size) {}
  explicit View(const std::string& data) : View(data, 0, data.size()) {}

  uint64_t size() const { return size_; }
  bool has(uint64_t at, uint64_t length) const { return at <= size_ && length <= size_ - at; }

  std::optional<uint32_t> u16(uint64_t at) const { return read(at, 2); }
  std::optional<uint32_t> u32(uint64_t at) const { return read(at, 4); }
  bool matches(uint64_t at, const std::string& bytes) const {
    return has(at, bytes.size()) && data_.compare(begin_ + at, bytes.size(), bytes) == 0;
  }
  // The bytes [at, at + length) as a view of their own, when they are there.
  std::optional<View> sub(uint64_t at, uint64_t length) const {
    if (!has(at, length)) return std::nullopt;
    return View(data_, begin_ + at, length);
  }

 private:
  std::optional<uint32_t> read(uint64_t at, int bytes) const {
    if (!has(at, bytes)) return std::nullopt;
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
      value = value << 8 | static_cast<unsigned char>(data_[begin_ + at + i]);
    }
    return value;
  }

  const std::string& data_;
  uint64_t begin_;
  uint64_t size_;
};

struct Section {
  uint32_t rva;
  uint32_t rawSize;
  uint32_t rawOffset;
};

struct Headers {
  std::vector<Section> sections;
  uint32_t resourceRva = 0;
  uint32_t resourceSize = 0;
};

WinError readHeaders(const View& file, Headers* headers) {
  if (!file.matches(0, "MZ")) return kErrorBadFormat;
  auto pe = file.u32(0x3C);
  if (!pe || !file.matches(*pe, std::string("PE\0\0", 4))) return kErrorBadFormat;
  const uint64_t coff = uint64_t{*pe} + 4;
  auto sectionCount = file.u16(coff + 2);
  auto optionalSize = file.u16(coff + 16);
  const uint64_t optional = coff + 20;
  auto magic = file.u16(optional);
  if (!sectionCount || !optionalSize || !magic) return kErrorBadFormat;

  uint64_t directories = 0;
  if (*magic == 0x10B) {
    directories = 96;
  } else if (*magic == 0x20B) {
    directories = 112;
  } else {
    return kErrorBadFormat;
  }
  auto directoryCount = file.u32(optional + directories - 4);
  if (!directoryCount || directories > *optionalSize) return kErrorBadFormat;
  // The resource table is directory 2, when the header has room for it.
  if (*directoryCount > 2 && directories + 3 * 8 <= *optionalSize) {
    auto rva = file.u32(optional + directories + 16);
    auto size = file.u32(optional + directories + 20);
    if (!rva || !size) return kErrorBadFormat;
    headers->resourceRva = *rva;
    headers->resourceSize = *size;
  }

  const uint64_t table = optional + *optionalSize;
  for (uint32_t i = 0; i < *sectionCount; ++i) {
    const uint64_t at = table + uint64_t{i} * 40;
    auto rva = file.u32(at + 12);
    auto rawSize = file.u32(at + 16);
    auto rawOffset = file.u32(at + 20);
    if (!rva || !rawSize || !rawOffset) return kErrorBadFormat;
    headers->sections.push_back({*rva, *rawSize, *rawOffset});
  }
  return kErrorSuccess;
}

// The file bytes from an address of the loaded image to the end of its
// section's data (as far as the file really holds them).
std::optional<View> atAddress(const View& file, const Headers& headers, uint32_t rva) {
  for (const Section& s : headers.sections) {
    if (rva < s.rva || rva - s.rva >= s.rawSize) continue;
    const uint64_t offset = uint64_t{s.rawOffset} + (rva - s.rva);
    if (offset >= file.size()) return std::nullopt;
    const uint64_t end = std::min<uint64_t>(uint64_t{s.rawOffset} + s.rawSize, file.size());
    return file.sub(offset, end - offset);
  }
  return std::nullopt;
}

struct Entry {
  uint32_t id;
  uint32_t target;
};

// The entries of the resource directory at `at`; offsets are relative to
// the start of the resource table.
std::optional<std::vector<Entry>> directoryEntries(const View& resources, uint64_t at) {
  auto named = resources.u16(at + 12);
  auto numbered = resources.u16(at + 14);
  if (!named || !numbered) return std::nullopt;
  std::vector<Entry> entries;
  for (uint32_t i = 0; i < *named + *numbered; ++i) {
    auto id = resources.u32(at + 16 + uint64_t{i} * 8);
    auto target = resources.u32(at + 20 + uint64_t{i} * 8);
    if (!id || !target) return std::nullopt;
    entries.push_back({*id, *target});
  }
  return entries;
}

// The subdirectory of the numbered entry `id`: its offset, or an error.
WinError findSubdirectory(const View& resources, uint64_t at, uint32_t id, WinError missing,
                          uint64_t* subdirectory) {
  auto entries = directoryEntries(resources, at);
  if (!entries) return kErrorBadFormat;
  for (const Entry& e : *entries) {
    if (e.id != id) continue;  // a name entry has the high bit set, so never matches
    if (!(e.target & kSubdirectoryBit)) return kErrorBadFormat;
    *subdirectory = e.target & ~kSubdirectoryBit;
    return kErrorSuccess;
  }
  return missing;
}

std::string utf16z(const std::string& ascii) {
  std::string out;
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out + std::string(2, '\0');
}

WinError readFixedInfo(const View& block, FileVersion* version) {
  auto length = block.u16(0);
  auto valueLength = block.u16(2);
  if (!length || !valueLength) return kErrorInvalidData;
  auto own = block.sub(0, std::min<uint64_t>(*length, block.size()));
  static const std::string key = utf16z("VS_VERSION_INFO");
  // The value follows the key on a 32-bit boundary: 6 + 32 bytes -> 40.
  constexpr uint64_t kValue = 40;
  if (!own || !own->matches(6, key) || *valueLength < kFixedInfoSize) return kErrorInvalidData;
  auto fixed = own->sub(kValue, kFixedInfoSize);
  if (!fixed || fixed->u32(0) != kFixedInfoSignature) return kErrorInvalidData;
  version->fileMs = *fixed->u32(8);
  version->fileLs = *fixed->u32(12);
  version->productMs = *fixed->u32(16);
  version->productLs = *fixed->u32(20);
  return kErrorSuccess;
}

}  // namespace

WinError parsePeFileVersion(const std::string& image, FileVersion* version) {
  const View file(image);
  Headers headers;
  if (WinError e = readHeaders(file, &headers)) return e;
  if (headers.resourceRva == 0 || headers.resourceSize == 0) return kErrorResourceDataNotFound;
  auto resources = atAddress(file, headers, headers.resourceRva);
  if (!resources) return kErrorBadFormat;

  uint64_t names = 0, languages = 0;
  if (WinError e = findSubdirectory(*resources, 0, kRtVersion, kErrorResourceTypeNotFound, &names)) return e;
  if (WinError e = findSubdirectory(*resources, names, kVersionInfoId, kErrorResourceNameNotFound, &languages)) {
    return e;
  }
  auto entries = directoryEntries(*resources, languages);
  if (!entries) return kErrorBadFormat;
  if (entries->empty()) return kErrorResourceLangNotFound;
  const uint32_t dataEntry = entries->front().target;
  if (dataEntry & kSubdirectoryBit) return kErrorBadFormat;
  auto dataRva = resources->u32(dataEntry);
  auto dataSize = resources->u32(uint64_t{dataEntry} + 4);
  if (!dataRva || !dataSize) return kErrorBadFormat;
  auto data = atAddress(file, headers, *dataRva);
  if (!data) return kErrorBadFormat;
  auto block = data->sub(0, *dataSize);
  if (!block) return kErrorBadFormat;
  return readFixedInfo(*block, version);
}

WinError readPeFileVersion(const std::string& path, FileVersion* version) {
  std::error_code ec;
  std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(status)) {
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    bool parentThere = parent.empty() || std::filesystem::is_directory(parent, ec);
    return parentThere ? kErrorFileNotFound : kErrorPathNotFound;
  }
  if (std::filesystem::is_directory(status)) return kErrorAccessDenied;
  std::ifstream in(path, std::ios::binary);
  if (!in) return kErrorAccessDenied;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) return kErrorAccessDenied;
  return parsePeFileVersion(bytes.str(), version);
}

}  // namespace platform
