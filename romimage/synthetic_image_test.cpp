#include "romimage/synthetic_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "romimage/flash_image_builder.h"
#include "romimage/image_writer.h"
#include "romimage/md5_table.h"

namespace burnkit {
namespace {

constexpr uint32_t v4_0_534 = 0x04000216, v4_0_593 = 0x04000251;

// The register-initialisation entries of sector 0 as an upgrade reads them:
// first entry's word index at byte 4, entry count at byte 6, then (value,
// register) pairs.
std::map<uint32_t, uint32_t> crbinitEntries(const FlashImage& p) {
  std::map<uint32_t, uint32_t> entries;
  const uint32_t first = loadLe16(p.data() + 4), count = loadLe16(p.data() + 6);
  for (uint32_t i = 0; i < count; ++i) entries[p.word(4 * (first + 2 * i) + 4)] = p.word(4 * (first + 2 * i));
  return entries;
}

FlashImage buildFor(const std::vector<uint8_t>& image, const SyntheticProduct& p) {
  MemoryImageSource source(image);
  MessageLog log;
  FlashImage picture;
  EXPECT_EQ(findProductAndBuild(source, log, picture, p.subsys, p.subvendor, p.chipRevision, p.boardType), 0)
      << log.text();
  return picture;
}

TEST(KnownBoards, TableIsConsistent) {
  std::set<std::tuple<uint32_t, uint32_t, uint32_t, uint32_t>> seen;
  for (const KnownBoard& b : knownBoards()) {
    const SyntheticProduct& p = b.product;
    EXPECT_TRUE(seen.insert({p.boardType, p.subsys, p.subvendor, p.chipRevision}).second) << b.name;
    EXPECT_LE(p.subsys, 0xFFFFu);
    EXPECT_LE(p.subvendor, 0xFFFFu);
    EXPECT_TRUE(b.ports == 1 || b.ports == 2 || b.ports == 4) << b.name;
    EXPECT_TRUE(p.chipRevision == 0x30 || p.chipRevision == 0x32 || p.chipRevision >= 0x40) << b.name;
    // NC-SI exists on one OEM board only.
    EXPECT_EQ(b.ncsi, p.subsys == 0x705B && p.subvendor == 0x103C) << b.name;
  }
}

TEST(SyntheticImage, EveryKnownProductBuildsARealisticPicture) {
  const std::vector<SyntheticProduct> products = allKnownProducts();
  const std::vector<uint8_t> image = writeImage(syntheticManifest(v4_0_593, products));
  for (const KnownBoard& b : knownBoards()) {
    SCOPED_TRACE(b.name);
    const FlashImage p = buildFor(image, b.product);
    EXPECT_TRUE(sectorsFailingMd5Table(p.bytes()).empty());
    EXPECT_EQ(p.word(0x4008), b.product.boardType);
    EXPECT_EQ(p.word(0x3E8408), versionToUserAreaWord(v4_0_593));
    EXPECT_EQ(p.word(0x3E8818), b.product.subsys << 16 | b.product.subvendor);
    EXPECT_EQ(p.word(0x3E8840), (1u << b.ports) - 1);
    EXPECT_TRUE(std::equal(p.sector(0).begin(), p.sector(0).end(), p.sector(63).begin()));

    std::map<uint32_t, uint32_t> crb = crbinitEntries(p);
    EXPECT_EQ(crb.count(kRegWolMask), 1u);
    EXPECT_EQ(crb.count(kRegFunctionMaskLow), 1u);
    EXPECT_EQ(crb.count(kRegFunctionMaskHigh), 1u);
    EXPECT_EQ(crb.count(kRegNcsi), b.ncsi ? 1u : 0u);
    if (b.ncsi) {
      EXPECT_EQ(crb[kRegNcsi], kNcsiEnabled);
    }
    EXPECT_EQ(crb[kRegFunctionMaskLow] & 1, 1u);  // function 0 enabled

    // VPD: identifier tag first, the fields the upgrade writes in place,
    // and a checksum over bytes 0x00-0x74.
    const uint8_t* vpd = p.data() + 0x3E8C00;
    EXPECT_EQ(vpd[0], 0x82);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(vpd + 0x45), 3), std::string("V1\x0C"));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(vpd + 0x6A), 3), std::string("V2\x04"));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(vpd + 0x71), 2), "RV");
    uint8_t sum = 0;
    for (int i = 0; i <= 0x74; ++i) sum = static_cast<uint8_t>(sum + vpd[i]);
    EXPECT_EQ(sum, 0);

    EXPECT_EQ(p.data()[0x300000], 0x55);  // PXE option ROM
    EXPECT_EQ(p.data()[0x300001], 0xAA);
  }
}

// Two releases share most of their sectors: the boot loader, PXE code,
// tuning data and some firmware modules stay; other firmware modules and the
// board sector change.
TEST(SyntheticImage, ReleasesDifferInSomeSectorsOnly) {
  const std::vector<SyntheticProduct> one = {knownBoards()[3].product};
  const FlashImage older = buildFor(writeImage(syntheticManifest(v4_0_534, one)), one[0]);
  const FlashImage newer = buildFor(writeImage(syntheticManifest(v4_0_593, one)), one[0]);
  std::vector<uint32_t> differing, firmwareSame;
  const uint32_t firmwareEnd = FlashLayout::sectorOf(0x40000 + newer.word(0x3E840C) - 1);
  for (uint32_t s = 0; s < 64; ++s) {
    bool same = std::equal(older.sector(s).begin(), older.sector(s).end(), newer.sector(s).begin());
    if (!same) differing.push_back(s);
    if (same && s >= 4 && s <= firmwareEnd) firmwareSame.push_back(s);
  }
  EXPECT_FALSE(firmwareSame.empty());
  EXPECT_TRUE(std::find(differing.begin(), differing.end(), 4u) != differing.end());           // firmware header
  EXPECT_TRUE(std::find(differing.begin(), differing.end(), firmwareEnd) != differing.end());  // trailer
  EXPECT_TRUE(std::find(differing.begin(), differing.end(), 62u) != differing.end());          // user area
  for (uint32_t s : {0u, 1u, 2u, 48u, 63u})
    EXPECT_TRUE(std::find(differing.begin(), differing.end(), s) == differing.end()) << s;
}

TEST(SyntheticImage, SharedSectionFilesAreStoredOnce) {
  const std::vector<SyntheticProduct> all = allKnownProducts();
  const std::vector<uint8_t> image = writeImage(syntheticManifest(v4_0_593, all));
  MemoryImageSource source(image);
  MessageLog log;
  ImageDirectory dir;
  ASSERT_EQ(readDirectory(source, log, &dir), 0);
  SectionTable boot, firmware, vpd;
  ASSERT_TRUE(readDataTable(dir, SectionKind::bootld, &boot));
  ASSERT_TRUE(readDataTable(dir, SectionKind::firmware, &firmware));
  ASSERT_TRUE(readDataTable(dir, SectionKind::vpd, &vpd));
  std::set<uint32_t> boards;
  for (const SyntheticProduct& p : all) boards.insert(p.boardType);
  EXPECT_EQ(boot.size(), 1u);
  EXPECT_EQ(firmware.size(), boards.size());
  EXPECT_EQ(vpd.size(), all.size());
}

TEST(SyntheticImage, UnknownBoardsStillGetEverySection) {
  const std::vector<SyntheticProduct> odd = {{0x31, 0x0131, 0x4040, 0x40}};
  const FlashImage p = buildFor(writeImage(syntheticManifest(0x0A0B0C0D, odd)), odd[0]);
  EXPECT_EQ(p.word(0x4008), 0x31u);
  EXPECT_EQ(p.word(0x3E8408), versionToUserAreaWord(0x0A0B0C0D));
}

}  // namespace
}  // namespace burnkit
