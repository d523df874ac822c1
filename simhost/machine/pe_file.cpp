// Writes the simulated drive's PE files: headers, a three-byte code section and
// a resource tree RT_VERSION -> VS_VERSION_INFO (1) -> English (0x409) leading
// to the version block. The checksum is filled in because the loader insists
// on one for drivers.
#include "simhost/machine/pe_file.h"

#include <cstdio>
#include <vector>

namespace simhost {

namespace {

constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kPeHeaderOffset = 0x40;
constexpr uint32_t kCodeRva = 0x1000;
constexpr uint32_t kResourceRva = 0x2000;
constexpr uint16_t kRtVersion = 16;
constexpr uint16_t kVersionInfoId = 1;
constexpr uint16_t kLanguageEnglishUs = 0x0409;

constexpr uint32_t align(uint32_t value, uint32_t to) { return (value + to - 1) / to * to; }

// Little-endian writes into a byte buffer that grows as needed.
class Bytes {
 public:
  std::string data;

  void put16(size_t at, uint16_t v) { put(at, v, 2); }
  void put32(size_t at, uint32_t v) { put(at, v, 4); }
  void put64(size_t at, uint64_t v) { put(at, v, 8); }
  void putText(size_t at, const std::string& text) {
    grow(at + text.size());
    data.replace(at, text.size(), text);
  }
  void padTo(uint32_t alignment) { grow(align(static_cast<uint32_t>(data.size()), alignment)); }

 private:
  void grow(size_t size) {
    if (data.size() < size) data.resize(size, '\0');
  }
  void put(size_t at, uint64_t v, int bytes) {
    grow(at + bytes);
    for (int i = 0; i < bytes; ++i) data[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  }
};

std::string utf16z(const std::string& ascii) {
  std::string out;
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  out.append(2, '\0');
  return out;
}

// One block of a version resource: length, value length, type, key, value,
// then the children, each starting on a 32-bit boundary. valueLength counts
// bytes for binary values and characters for text values (type 1).
struct VersionBlock {
  std::string key;
  std::string value;
  uint16_t valueLength = 0;
  uint16_t type = 0;
  std::vector<VersionBlock> children;

  std::string bytes() const {
    Bytes out;
    out.putText(6, utf16z(key));
    out.padTo(4);
    out.putText(out.data.size(), value);
    for (const VersionBlock& child : children) {
      out.padTo(4);
      out.putText(out.data.size(), child.bytes());
    }
    out.put16(0, static_cast<uint16_t>(out.data.size()));
    out.put16(2, valueLength);
    out.put16(4, type);
    return out.data;
  }
};

VersionBlock textEntry(const std::string& key, const std::string& text) {
  std::string value = utf16z(text);
  return {key, value, static_cast<uint16_t>(value.size() / 2), 1, {}};
}

struct FileKind {
  uint16_t subsystem;
  uint16_t characteristics;
  uint32_t fileType;
  uint32_t fileSubtype;
};

FileKind kindOf(const std::string& name) {
  auto endsWith = [&](const char* suffix) {
    std::string lower;
    for (char c : name) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    std::string s(suffix);
    return lower.size() >= s.size() && lower.compare(lower.size() - s.size(), s.size(), s) == 0;
  };
  if (endsWith(".sys")) return {1, 0, 3, 6};            // native, VFT_DRV, VFT2_DRV_NETWORK
  if (endsWith(".dll")) return {2, 0x2000, 2, 0};       // GUI, IMAGE_FILE_DLL, VFT_DLL
  return {3, 0, 1, 0};                                  // console, VFT_APP
}

std::string versionInfo(const platform::FileVersion& v, const std::string& name, const FileKind& kind) {
  Bytes fixed;
  fixed.put32(0, 0xFEEF04BD);  // signature
  fixed.put32(4, 0x00010000);  // structure version 1.0
  fixed.put32(8, v.fileMs);
  fixed.put32(12, v.fileLs);
  fixed.put32(16, v.productMs);
  fixed.put32(20, v.productLs);
  fixed.put32(24, 0x3F);        // flags mask
  fixed.put32(28, 0);           // flags
  fixed.put32(32, 0x00040004);  // VOS_NT_WINDOWS32
  fixed.put32(36, kind.fileType);
  fixed.put32(40, kind.fileSubtype);
  fixed.put32(48, 0);           // file date (none)

  VersionBlock strings{"StringFileInfo", "", 0, 1,
                       {{"040904B0", "", 0, 1,
                         {textEntry("FileVersion", fileVersionText(v.fileMs, v.fileLs)),
                          textEntry("OriginalFilename", name),
                          textEntry("ProductVersion", fileVersionText(v.productMs, v.productLs))}}}};
  Bytes translation;
  translation.put16(0, kLanguageEnglishUs);
  translation.put16(2, 1200);  // Unicode
  VersionBlock vars{"VarFileInfo", "", 0, 1, {{"Translation", translation.data, 4, 0, {}}}};

  VersionBlock root{"VS_VERSION_INFO", fixed.data, 52, 0, {strings, vars}};
  return root.bytes();
}

// The .rsrc section: three one-entry directories, the data entry, the block.
std::string resourceSection(const std::string& version) {
  constexpr uint32_t kSubdirectory = 0x80000000;
  constexpr uint32_t kNameDir = 24, kLanguageDir = 48, kDataEntry = 72, kData = 88;
  Bytes out;
  auto directory = [&](uint32_t at, uint32_t id, uint32_t target) {
    out.put16(at + 14, 1);  // one entry with a numeric id
    out.put32(at + 16, id);
    out.put32(at + 20, target);
  };
  directory(0, kRtVersion, kSubdirectory | kNameDir);
  directory(kNameDir, kVersionInfoId, kSubdirectory | kLanguageDir);
  directory(kLanguageDir, kLanguageEnglishUs, kDataEntry);
  out.put32(kDataEntry, kResourceRva + kData);
  out.put32(kDataEntry + 4, static_cast<uint32_t>(version.size()));
  out.putText(kData, version);
  return out.data;
}

// The image checksum: 16-bit one's-complement-style sum of the file with the
// checksum field counted as zero, plus the file length.
uint32_t imageChecksum(const std::string& image, size_t checksumAt) {
  uint64_t sum = 0;
  for (size_t i = 0; i < image.size(); i += 2) {
    if (i == checksumAt || i == checksumAt + 2) continue;
    uint32_t word = static_cast<unsigned char>(image[i]);
    if (i + 1 < image.size()) word |= static_cast<uint32_t>(static_cast<unsigned char>(image[i + 1])) << 8;
    sum += word;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint32_t>(sum + image.size());
}

}  // namespace

std::string fileVersionText(uint32_t ms, uint32_t ls) {
  char text[48];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF);
  return text;
}

bool parseFileVersionText(const std::string& text, platform::FileVersion* version) {
  uint32_t parts[4] = {0, 0, 0, 0};
  size_t count = 0;
  size_t pos = 0;
  while (true) {
    size_t start = pos;
    uint32_t value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      value = value * 10 + static_cast<uint32_t>(text[pos] - '0');
      if (value > 0xFFFF) return false;
      ++pos;
    }
    if (pos == start || count == 4) return false;
    parts[count++] = value;
    if (pos == text.size()) break;
    if (text[pos] != '.') return false;
    ++pos;
  }
  if (count < 2) return false;
  version->fileMs = version->productMs = parts[0] << 16 | parts[1];
  version->fileLs = version->productLs = parts[2] << 16 | parts[3];
  return true;
}

std::string makePeWithVersion(const platform::FileVersion& version, const std::string& originalFileName,
                              PeBitness bitness) {
  const bool wide = bitness == PeBitness::Pe32Plus;
  const FileKind kind = kindOf(originalFileName);
  const std::string code = "\x31\xC0\xC3";  // xor eax, eax; ret
  const std::string resources = resourceSection(versionInfo(version, originalFileName, kind));

  const uint32_t optionalSize = wide ? 240 : 224;
  const uint32_t optional = kPeHeaderOffset + 24;
  const uint32_t sections = optional + optionalSize;
  const uint32_t headersSize = align(sections + 2 * 40, kFileAlignment);
  const uint32_t codeRaw = headersSize;
  const uint32_t codeRawSize = align(static_cast<uint32_t>(code.size()), kFileAlignment);
  const uint32_t resourceRaw = codeRaw + codeRawSize;
  const uint32_t resourceRawSize = align(static_cast<uint32_t>(resources.size()), kFileAlignment);
  const uint32_t imageSize = align(kResourceRva + static_cast<uint32_t>(resources.size()), kSectionAlignment);

  Bytes pe;
  pe.putText(0, "MZ");
  pe.put32(0x3C, kPeHeaderOffset);
  pe.putText(kPeHeaderOffset, std::string("PE\0\0", 4));

  const uint32_t coff = kPeHeaderOffset + 4;
  pe.put16(coff, wide ? 0x8664 : 0x014C);  // AMD64 or i386
  pe.put16(coff + 2, 2);                   // sections
  pe.put16(coff + 16, static_cast<uint16_t>(optionalSize));
  pe.put16(coff + 18, static_cast<uint16_t>(0x0002 | kind.characteristics |
                                            (wide ? 0x0020 : 0x0100)));  // executable; large-address or 32-bit

  pe.put16(optional, wide ? 0x20B : 0x10B);
  pe.put32(optional + 4, codeRawSize);       // size of code
  pe.put32(optional + 8, resourceRawSize);   // size of initialised data
  pe.put32(optional + 16, kCodeRva);         // entry point
  pe.put32(optional + 20, kCodeRva);         // base of code
  if (wide) {
    pe.put64(optional + 24, 0x140000000ull);
  } else {
    pe.put32(optional + 24, kResourceRva);   // base of data
    pe.put32(optional + 28, 0x00400000);
  }
  pe.put32(optional + 32, kSectionAlignment);
  pe.put32(optional + 36, kFileAlignment);
  pe.put16(optional + 40, 6);   // operating system 6.1
  pe.put16(optional + 42, 1);
  pe.put16(optional + 48, 6);   // subsystem 6.1
  pe.put16(optional + 50, 1);
  pe.put32(optional + 56, imageSize);
  pe.put32(optional + 60, headersSize);
  const uint32_t checksumAt = optional + 64;
  pe.put16(optional + 68, kind.subsystem);
  pe.put16(optional + 70, 0x0100);           // NX compatible
  const uint32_t stack = optional + 72;  // stack and heap sizes, 8 or 4 bytes each
  if (wide) {
    pe.put64(stack, 0x100000);
    pe.put64(stack + 8, 0x1000);
    pe.put64(stack + 16, 0x100000);
    pe.put64(stack + 24, 0x1000);
  } else {
    pe.put32(stack, 0x100000);
    pe.put32(stack + 4, 0x1000);
    pe.put32(stack + 8, 0x100000);
    pe.put32(stack + 12, 0x1000);
  }
  const uint32_t directories = optional + (wide ? 112 : 96);
  pe.put32(directories - 4, 16);                                        // number of directories
  pe.put32(directories + 2 * 8, kResourceRva);                          // resource table
  pe.put32(directories + 2 * 8 + 4, static_cast<uint32_t>(resources.size()));

  auto section = [&](uint32_t at, const char* name, uint32_t virtualSize, uint32_t rva,
                     uint32_t rawSize, uint32_t raw, uint32_t characteristics) {
    pe.putText(at, name);
    pe.put32(at + 8, virtualSize);
    pe.put32(at + 12, rva);
    pe.put32(at + 16, rawSize);
    pe.put32(at + 20, raw);
    pe.put32(at + 36, characteristics);
  };
  section(sections, ".text", static_cast<uint32_t>(code.size()), kCodeRva, codeRawSize, codeRaw,
          0x60000020);  // code, execute, read
  section(sections + 40, ".rsrc", static_cast<uint32_t>(resources.size()), kResourceRva,
          resourceRawSize, resourceRaw, 0x40000040);  // initialised data, read

  pe.putText(codeRaw, code);
  pe.putText(resourceRaw, resources);
  pe.data.resize(resourceRaw + resourceRawSize, '\0');
  pe.put32(checksumAt, imageChecksum(pe.data, checksumAt));
  return pe.data;
}

}  // namespace simhost
