#include "romimage/synthetic_image.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <utility>

#include "romimage/byte_order.h"
#include "romimage/image_messages.h"

namespace burnkit {

namespace {

constexpr KnownBoard kKnownBoards[] = {
    {{0x23, 0x0123, 0x4040, 0x42}, 2, "2-port 10GbE CX4 Adapter", false},
    {{0x24, 0x0124, 0x4040, 0x42}, 4, "4-port 1GbE Server Adapter", false},
    {{0x25, 0x0125, 0x4040, 0x42}, 2, "2-port 10GbE Mezzanine Adapter", false},
    {{0x26, 0x0126, 0x4040, 0x42}, 2, "2-port 10GbE SFP+ Server Adapter", false},
    {{0x26, 0x0135, 0x4040, 0x42}, 2, "2-port 10GbE SFP+ Server Adapter, second variant", false},
    {{0x26, 0x705B, 0x103C, 0x42}, 2, "2-port 10GbE SFP+ Server Adapter with NC-SI", true},
    {{0x27, 0x0127, 0x4040, 0x42}, 2, "2-port 10GBASE-T Server Adapter", false},
    {{0x22, 0x171B, 0x103C, 0x41}, 2, "2-port 10GbE Multifunction Blade Mezzanine", false},
    {{0x29, 0x705A, 0x103C, 0x42}, 4, "Integrated 4-port 1GbE Multifunction Adapter", false},
    {{0x80, 0x3251, 0x103C, 0x42}, 4, "Integrated 4-port 1GbE with 10GbE SFP+ Module", false},
};

constexpr uint32_t kBiosVersion = 2u << 24 | 1u << 16 | 14;  // the PXE code's version, 2.1.14
constexpr size_t kBootLoaderSize = 0xA000;
constexpr size_t kTuningSize = 0x3000;
constexpr size_t kPxeSize = 0xE000;
constexpr size_t kBoardConfigSize = 0x200;
constexpr size_t kFirmwareModule = 0x10000;

using Bytes = std::vector<uint8_t>;
using SharedBytes = std::shared_ptr<const Bytes>;

uint64_t seedOf(const std::string& text) {
  uint64_t h = 0xCBF29CE484222325ull;
  for (unsigned char c : text) h = (h ^ c) * 0x100000001B3ull;
  return h;
}

void fillPseudoRandom(uint8_t* out, size_t n, const std::string& seedText) {
  std::mt19937_64 generator(seedOf(seedText));
  for (size_t i = 0; i < n; i += 8) {
    uint64_t v = generator();
    for (size_t j = 0; j < 8 && i + j < n; ++j) out[i + j] = static_cast<uint8_t>(v >> (8 * j));
  }
}

std::string hex(uint32_t value, int digits) { return formatText("%0*X", digits, value); }

const KnownBoard* knownBoard(const SyntheticProduct& p) {
  for (const KnownBoard& b : kKnownBoards)
    if (b.product.boardType == p.boardType && b.product.subsys == p.subsys && b.product.subvendor == p.subvendor)
      return &b;
  return nullptr;
}

const char* revisionName(uint32_t revision) {
  switch (revision) {
    case 0x24:
      return "C0";
    case 0x25:
      return "C1";
    case 0x30:
      return "A0";
    case 0x32:
      return "A2";
    case 0x40:
      return "B0";
    case 0x41:
      return "B1";
    case 0x42:
      return "B2";
    default:
      return nullptr;
  }
}

// The register-initialisation table format: a header word, then the word
// index of the first entry (low half) and the entry count (high half), two
// reserved words, and (value, register) pairs.
Bytes registerTable(uint32_t headerWord, const std::vector<std::pair<uint32_t, uint32_t>>& entries) {
  constexpr uint32_t kFirstEntryWord = 4;
  Bytes bytes(4 * kFirstEntryWord + 8 * entries.size(), 0);
  storeLe32(bytes.data(), headerWord);
  storeLe32(bytes.data() + 4, kFirstEntryWord | static_cast<uint32_t>(entries.size()) << 16);
  for (size_t i = 0; i < entries.size(); ++i) {
    storeLe32(bytes.data() + 4 * kFirstEntryWord + 8 * i, entries[i].first);
    storeLe32(bytes.data() + 4 * kFirstEntryWord + 8 * i + 4, entries[i].second);
  }
  return bytes;
}

std::vector<std::pair<uint32_t, uint32_t>> genericEntries(uint32_t base, int count, const std::string& seed) {
  Bytes values(4 * count);
  fillPseudoRandom(values.data(), values.size(), seed);
  std::vector<std::pair<uint32_t, uint32_t>> entries;
  for (int i = 0; i < count; ++i) entries.push_back({loadLe32(values.data() + 4 * i), base + 0x10 * i});
  return entries;
}

// Functions 0-3 of the first PCI function mask: bit 2k enables function k,
// bit 10 + k goes with it.
uint32_t functionMask(uint32_t ports) {
  uint32_t mask = 0;
  for (uint32_t k = 0; k < ports && k < 4; ++k) mask |= 1u << (2 * k) | 1u << (10 + k);
  return mask;
}

Bytes crbinit0(const SyntheticProduct& p, uint32_t ports, bool ncsi) {
  auto entries = genericEntries(0x41600000, 12, "crbinit0/" + hex(p.boardType, 2));
  entries.push_back({functionMask(ports), kRegFunctionMaskLow});
  entries.push_back({0, kRegFunctionMaskHigh});
  entries.push_back({0, kRegWolMask});
  if (ncsi) entries.push_back({kNcsiEnabled, kRegNcsi});
  return registerTable(0xC0B10000 | p.boardType, entries);
}

Bytes boardConfig(const SyntheticProduct& p, uint32_t ports) {
  Bytes bytes(kBoardConfigSize);
  fillPseudoRandom(bytes.data(), bytes.size(), "brdcfg/" + hex(p.boardType, 2) + "/" + hex(p.subsys, 4));
  storeLe32(bytes.data(), 0x43464742);  // "BGFC"
  storeLe32(bytes.data() + 4, 1);
  storeLe32(bytes.data() + 8, p.boardType);  // flash 0x4008: the board type word
  storeLe32(bytes.data() + 12, ports);
  storeLe32(bytes.data() + 16, p.subsys << 16 | p.subvendor);
  return bytes;
}

std::string versionText(uint32_t v) { return formatText("%u.%u.%u", v >> 24, (v >> 16) & 0xFF, v & 0xFFFF); }

// Firmware: 64 KiB modules, each of which changes only every 2^(2 + k mod 8)
// builds, so that a release touches some sectors and leaves others alone; a
// header with the version, and the " REV=" trailer at the end.
Bytes firmware(uint32_t board, uint32_t version) {
  const size_t size = 0xB0000 + (board & 0x0F) * 0x1800 + 0x1F3;
  Bytes bytes(size);
  const std::string release = formatText("%u.%u", version >> 24, (version >> 16) & 0xFF);
  for (size_t k = 0; k * kFirmwareModule < size; ++k) {
    const size_t at = k * kFirmwareModule, n = std::min(kFirmwareModule, size - at);
    const uint32_t revision = (version & 0xFFFF) >> (2 + k % 8);
    fillPseudoRandom(bytes.data() + at, n, formatText("fw/%02X/%zu/%s/%u", board, k, release.c_str(), revision));
  }
  std::memcpy(bytes.data(), "CVFW", 4);
  storeLe32(bytes.data() + 4, version);
  storeLe32(bytes.data() + 8, static_cast<uint32_t>(size));
  std::string trailer = " REV=" + versionText(version);
  if (trailer.size() < 17) trailer.push_back('\0');
  std::memcpy(bytes.data() + size - trailer.size(), trailer.data(), trailer.size());
  return bytes;
}

Bytes bootLoader() {
  Bytes bytes(kBootLoaderSize);
  fillPseudoRandom(bytes.data(), bytes.size(), "bootld");
  std::memcpy(bytes.data(), "CVBL", 4);
  return bytes;
}

Bytes tuning(uint32_t board) {
  Bytes bytes(kTuningSize);
  fillPseudoRandom(bytes.data(), bytes.size(), "keltune/" + hex(board, 2));
  return bytes;
}

Bytes pxe() {
  Bytes bytes(kPxeSize);
  fillPseudoRandom(bytes.data(), bytes.size(), "pxe");
  bytes[0] = 0x55;  // an option ROM: signature and size in 512-byte blocks
  bytes[1] = 0xAA;
  bytes[2] = static_cast<uint8_t>(kPxeSize / 512);
  return bytes;
}

// PCI VPD: the identifier string, then the read-only keywords laid out so
// that the MAC text lands at 0x48, the date code at 0x6D and the checksum
// byte at 0x74, then the end tag.
Bytes vpd(const std::string& name, const SyntheticProduct& p) {
  Bytes bytes;
  auto field = [&](const char* keyword, const std::string& value, size_t length) {
    bytes.push_back(static_cast<uint8_t>(keyword[0]));
    bytes.push_back(static_cast<uint8_t>(keyword[1]));
    bytes.push_back(static_cast<uint8_t>(length));
    std::string v = value.substr(0, length);
    v.resize(length, ' ');
    bytes.insert(bytes.end(), v.begin(), v.end());
  };
  std::string identifier = ("Corvane " + name).substr(0, 29);
  identifier.resize(29, ' ');
  bytes = {0x82, 29, 0};
  bytes.insert(bytes.end(), identifier.begin(), identifier.end());
  bytes.insert(bytes.end(), {0x90, 0x52, 0x00});
  field("PN", "CVZ3-" + hex(p.boardType, 2) + hex(p.subsys, 4), 10);
  field("EC", "A" + hex(p.chipRevision, 2), 18);
  field("V1", "000000000000", 12);  // the first MAC address, written by the upgrade
  field("SN", "", 19);
  field("V2", "0000", 4);  // the date code, written by the upgrade
  field("RV", std::string(1, '\0'), 1);
  uint8_t sum = 0;
  for (size_t i = 0; i < 0x74; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
  bytes[0x74] = static_cast<uint8_t>(-sum);
  bytes.push_back(0x78);
  return bytes;
}

SectionFile file(std::string name, Bytes bytes) {
  return {std::move(name), std::make_shared<const Bytes>(std::move(bytes))};
}

}  // namespace

std::span<const KnownBoard> knownBoards() { return kKnownBoards; }

std::vector<SyntheticProduct> allKnownProducts() {
  std::vector<SyntheticProduct> products;
  for (const KnownBoard& b : kKnownBoards) products.push_back(b.product);
  return products;
}

ImageManifest syntheticManifest(uint32_t firmwareVersion, std::span<const SyntheticProduct> products) {
  ImageManifest manifest;
  // Files shared by several products are made once.
  std::map<uint32_t, SectionFile> firmwareFiles, tuningFiles, crbinit1Files, crbinit2Files;
  const SectionFile boot = file("bootld.bin", bootLoader());
  const SectionFile option = file("pxe.bin", pxe());
  auto shared = [](std::map<uint32_t, SectionFile>& files, uint32_t key, auto make) -> const SectionFile& {
    auto found = files.find(key);
    if (found == files.end()) found = files.emplace(key, make()).first;
    return found->second;
  };

  for (const SyntheticProduct& p : products) {
    const KnownBoard* known = knownBoard(p);
    const uint32_t ports = known ? known->ports : 2;
    const std::string name = known ? known->name : formatText("Corvane board 0x%02X", p.boardType);
    const std::string tag =
        hex(p.boardType, 2) + "_" + hex(p.subsys, 4) + hex(p.subvendor, 4) + "_" + hex(p.chipRevision, 2);
    const std::string board = hex(p.boardType, 2);

    ManifestProduct m;
    m.nameA = "Corvane Z3";
    m.nameB = name;
    if (const char* revision = revisionName(p.chipRevision)) m.nameC = revision;
    m.subsys = p.subsys;
    m.subvendor = p.subvendor;
    m.boardType = p.boardType;
    m.chipRevision = p.chipRevision;
    m.biosVersion = kBiosVersion;
    m.productWord = p.boardType << 8 | p.chipRevision;
    m.programSubsys = p.subsys;
    m.programSubvendor = p.subvendor;
    m.pxeEnable = ports >= 32 ? 0xFFFFFFFF : (1u << ports) - 1;

    m.section(SectionKind::crbinit0) = PlacedSection{
        file("crbinit0_" + tag + ".bin", crbinit0(p, ports, known && known->ncsi)), SyntheticLayout::kCrbinit0};
    m.section(SectionKind::crbinit1) = PlacedSection{
        shared(crbinit1Files, p.boardType,
               [&] {
                 return file(
                     "crbinit1_" + board + ".bin",
                     registerTable(0xC0B11000 | p.boardType, genericEntries(0x41700000, 8, "crbinit1/" + board)));
               }),
        SyntheticLayout::kCrbinit1};
    m.section(SectionKind::crbinit2) = PlacedSection{
        shared(crbinit2Files, p.chipRevision,
               [&] {
                 const std::string rev = hex(p.chipRevision, 2);
                 return file(
                     "crbinit2_" + rev + ".bin",
                     registerTable(0xC0B12000 | p.chipRevision, genericEntries(0x41800000, 6, "crbinit2/" + rev)));
               }),
        SyntheticLayout::kCrbinit2};
    m.section(SectionKind::brdcfg) =
        PlacedSection{file("brdcfg_" + tag + ".bin", boardConfig(p, ports)), SyntheticLayout::kBoardConfig};
    m.section(SectionKind::keltune) = PlacedSection{
        shared(tuningFiles, p.boardType, [&] { return file("keltune_" + board + ".bin", tuning(p.boardType)); }),
        SyntheticLayout::kTuning};
    m.section(SectionKind::bootld) = PlacedSection{boot, SyntheticLayout::kBootLoader};
    m.section(SectionKind::firmware) = PlacedSection{
        shared(firmwareFiles, p.boardType,
               [&] { return file("firmware_" + board + ".bin", firmware(p.boardType, firmwareVersion)); }),
        SyntheticLayout::kFirmware};
    m.section(SectionKind::vpd) = PlacedSection{file("vpd_" + tag + ".bin", vpd(name, p)), SyntheticLayout::kVpd};
    m.section(SectionKind::pxe) = PlacedSection{option, SyntheticLayout::kPxe};
    manifest.products.push_back(std::move(m));
  }
  return manifest;
}

}  // namespace burnkit
