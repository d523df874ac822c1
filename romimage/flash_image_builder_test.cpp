#include "romimage/flash_image_builder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "romimage/md5_table.h"
#include "romimage/string2version.h"
#include "romimage/test_image_fixture.h"

namespace burnkit {
namespace {

using test::changeProduct;
using test::smallImage;
using test::smallManifest;

struct Built {
  int result = 1;
  std::string messages;
  FlashImage picture;
};

Built build(const std::vector<uint8_t>& image, uint32_t subsys = 0x0126, uint32_t board = 0x26,
            uint32_t chipRevision = 0x42) {
  Built b;
  MemoryImageSource source(image);
  MessageLog log;
  b.result = findProductAndBuild(source, log, b.picture, subsys, 0x4040, chipRevision, board);
  b.messages = log.text();
  return b;
}

bool isErased(std::span<const uint8_t> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0xFF; });
}

TEST(FlashImageBuilder, PlacesSectionsAndFillsTheUserArea) {
  const ImageManifest manifest = smallManifest();
  Built b = build(writeImage(manifest));
  ASSERT_EQ(b.result, 0) << b.messages;
  EXPECT_EQ(b.messages, "");
  const FlashImage& p = b.picture;

  for (SectionKind kind : kFlashSectionKinds) {
    const auto& placed = manifest.products[0].section(kind);
    if (!placed) continue;
    const std::vector<uint8_t>& data = *placed->file.data;
    EXPECT_TRUE(std::equal(data.begin(), data.end(), p.data() + placed->flashOffset)) << sectionKindName(kind);
  }
  EXPECT_EQ(p.word(0x4008), 0x26u);
  EXPECT_TRUE(isErased(p.bytes().subspan(0x100000, 0x10000)));                            // nothing placed there
  EXPECT_TRUE(std::equal(p.sector(0).begin(), p.sector(0).end(), p.sector(63).begin()));  // crbinit backup

  EXPECT_EQ(p.word(0x3E8404), 0x100u);  // boot loader size
  EXPECT_EQ(p.word(0x3E840C), 0x200u);  // firmware size
  const uint8_t version[4] = {4, 0, 0x51, 0x02};
  EXPECT_TRUE(std::equal(version, version + 4, p.data() + 0x3E8408));
  EXPECT_EQ(p.word(0x3E8410), 0x2642u);      // product word
  EXPECT_EQ(p.word(0x3E8818), 0x01364041u);  // the subsystem to program
  const uint8_t bios[4] = {2, 1, 14, 0};
  EXPECT_TRUE(std::equal(bios, bios + 4, p.data() + 0x3E883C));
  EXPECT_EQ(p.word(0x3E8840), 0x3u);
  EXPECT_TRUE(isErased(p.bytes().subspan(0x3E8844, 4)));
}

TEST(FlashImageBuilder, Md5TableMakesThePicturePassTheSelfTest) {
  Built b = build(smallImage());
  ASSERT_EQ(b.result, 0);
  FlashImage& p = b.picture;
  EXPECT_TRUE(sectorsFailingMd5Table(p.bytes()).empty());

  // Slot n is the reversed digest of sector n; slot 62 covers sector 62
  // with its own slot as zeros.
  Digest d5 = md5(p.sector(5));
  EXPECT_TRUE(std::equal(d5.rbegin(), d5.rend(), p.data() + md5SlotOffset(5)));
  std::vector<uint8_t> board(p.sector(62).begin(), p.sector(62).end());
  std::fill_n(board.begin() + 0x83E0, 16, 0);
  Digest d62 = md5(board);
  EXPECT_TRUE(std::equal(d62.rbegin(), d62.rend(), p.data() + md5SlotOffset(62)));

  // The self-test's view: a changed byte fails its sector; words 0x410/0x414
  // may change; sector 61 with a first word of 0 is not checked.
  p.data()[0x40001] ^= 1;
  EXPECT_EQ(sectorsFailingMd5Table(p.bytes()), std::vector<uint32_t>{4});
  p.data()[0x40001] ^= 1;
  p.setWord(0x3D0000, 0);
  EXPECT_TRUE(sectorsFailingMd5Table(p.bytes()).empty());
  p.setWord(0x3D0004, 0);
  EXPECT_TRUE(sectorsFailingMd5Table(p.bytes()).empty());
  p.setWord(0x3D0000, 1);
  EXPECT_EQ(sectorsFailingMd5Table(p.bytes()), std::vector<uint32_t>{61});
}

// Sector 62 is checked with user-area words 0x410 and 0x414 as erased, and
// again as they are: hashed while erased, they may change later; hashed with
// a value, they must keep it.
TEST(FlashImageBuilder, UnsealedUserAreaWords) {
  Built b = build(smallImage());
  ASSERT_EQ(b.result, 0);
  FlashImage& p = b.picture;
  EXPECT_TRUE(sectorsFailingMd5Table(p.bytes()).empty());  // the product word, as read
  p.setWord(0x3E8414, 0x12345678);
  EXPECT_EQ(sectorsFailingMd5Table(p.bytes()), std::vector<uint32_t>{62});

  p.setWord(0x3E8410, 0xFFFFFFFF);
  p.setWord(0x3E8414, 0xFFFFFFFF);
  std::vector<uint8_t> board(p.sector(62).begin(), p.sector(62).end());
  std::fill_n(board.begin() + 0x83E0, 16, 0);
  storeSlotDigest(std::span<uint8_t, 16>(p.data() + md5SlotOffset(62), 16), md5(board));
  p.setWord(0x3E8410, 1);
  p.setWord(0x3E8414, 2);
  EXPECT_TRUE(sectorsFailingMd5Table(p.bytes()).empty());
}

TEST(FlashImageBuilder, MissingOptionalSectionStaysErased) {
  Built b = build(smallImage(), 0x0124, 0x24);
  ASSERT_EQ(b.result, 0) << b.messages;
  EXPECT_TRUE(isErased(b.picture.bytes().subspan(0x3E8C00, 0x400)));
  EXPECT_EQ(b.picture.word(0x3E840C), 0x180u);
  EXPECT_EQ(b.picture.word(0x3E8408), versionToUserAreaWord(0x04000249));  // 4.0.585
}

TEST(FlashImageBuilder, FirstFlashableMatchingRowIsBuilt) {
  ImageManifest m = smallManifest();
  ManifestProduct second = test::sfpProduct();
  second.section(SectionKind::pxe) = PlacedSection{test::patternFile("pxe2.bin", 0x40, 99), 0x300000};
  m.products.push_back(second);  // row 2 matches too
  Built b = build(writeImage(m));
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.picture.data()[0x300000], 5);  // row 0's PXE

  // Row 0 not flashable: row 2 is built.
  m.products[0].flags = 0xFFFFFFFE;
  b = build(writeImage(m));
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.picture.data()[0x300000], 99);

  // No flashable row matches.
  m.products[2].flags = 0x2;
  b = build(writeImage(m));
  EXPECT_EQ(b.result, 1);
  EXPECT_EQ(b.messages, "Flashable product not found : subsys=0x0126 subvend=0x4040 chiprev=0x42 brdtype=0x26.");
}

TEST(FlashImageBuilder, EveryIdentityFieldMustMatch) {
  const std::vector<uint8_t> image = smallImage();
  struct Id {
    uint32_t subsys, board, chipRevision;
  };
  for (Id id : {Id{0x0127, 0x26, 0x42}, Id{0x0126, 0x27, 0x42}, Id{0x0126, 0x26, 0x41}}) {
    Built b = build(image, id.subsys, id.board, id.chipRevision);
    EXPECT_EQ(b.result, 1);
    EXPECT_EQ(b.messages.rfind("Flashable product not found : ", 0), 0u) << b.messages;
  }
  ImageManifest empty;
  Built b = build(writeImage(empty));
  EXPECT_EQ(b.messages, "Flashable product not found : subsys=0x0126 subvend=0x4040 chiprev=0x42 brdtype=0x26.");
}

TEST(FlashImageBuilder, RowsThatDoNotFitTheFlashAreRefused) {
  struct Case {
    const char* what;
    void (*change)(ProductRecord&);
    const char* messages;
  };
  const Case cases[] = {
      {"firmware past 4 MiB", [](ProductRecord& p) { p.section(SectionKind::firmware).flashOffset = 0x3FFF00; },
       "firmware section for [Corvane Z3 SFP board B2] does not fit in the flash: 0x200 bytes at 0x3fff00."},
      {"pxe at no offset", [](ProductRecord& p) { p.section(SectionKind::pxe).flashOffset = kNone; },
       "pxe section for [Corvane Z3 SFP board B2] does not fit in the flash: 0x40 bytes at 0xffffffff."},
      {"MD5 table beyond the flash", [](ProductRecord& p) { p.md5TableOffset = 0x400000; },
       "MD5 table offset 0x400000 for [Corvane Z3 SFP board B2] lies outside the flash."},
      {"user area would cross the end", [](ProductRecord& p) { p.md5TableOffset = 0x3FF800; },
       "MD5 table offset 0x3ff800 for [Corvane Z3 SFP board B2] lies outside the flash."},
      {"no firmware", [](ProductRecord& p) { p.section(SectionKind::firmware).fileIndex = kNone; },
       "Product [Corvane Z3 SFP board B2] has no firmware section."},
      {"no boot loader", [](ProductRecord& p) { p.section(SectionKind::bootld).fileIndex = kNone; },
       "Product [Corvane Z3 SFP board B2] has no bootld section."},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> image = smallImage();
    changeProduct(image, 0, c.change);
    Built b = build(image);
    EXPECT_EQ(b.result, 1) << c.what;
    EXPECT_EQ(b.messages, c.messages) << c.what;
  }
}

TEST(FlashImageBuilder, FormatVersionDecidesTheLaterProductFields) {
  struct Case {
    uint32_t format;
    uint32_t subsystemWord;
    uint32_t pxeWord;
  };
  for (Case c : {Case{0x01000000, 0x01264040, 0xFFFFFFFF}, Case{0x01000001, 0x01364041, 0xFFFFFFFF},
                 Case{0x01000002, 0x01364041, 0x3}, Case{0x02000000, 0x01364041, 0x3}}) {
    ImageManifest m = smallManifest();
    m.formatVersion = c.format;
    Built b = build(writeImage(m));
    ASSERT_EQ(b.result, 0);
    EXPECT_EQ(b.picture.word(0x3E8818), c.subsystemWord) << std::hex << c.format;
    EXPECT_EQ(b.picture.word(0x3E8840), c.pxeWord) << std::hex << c.format;
  }
  ImageManifest m = smallManifest();
  m.products[0].programSubvendor = kNone;  // half a subsystem to program: the product's own
  Built b = build(writeImage(m));
  EXPECT_EQ(b.picture.word(0x3E8818), 0x01264040u);
}

TEST(FlashImageBuilder, FirmwareVersionTrailer) {
  struct Case {
    std::string tail;
    size_t size;
    uint32_t version;
    const char* messages;
  };
  const std::string nul(1, '\0');
  const Case cases[] = {
      {"xREV=4.0.593" + nul, 0x200, 0x04000251, ""},
      {"_REV=4.0.593" + nul, 0x200, 0, ""},                   // an underscore before it is no trailer
      {"xREV=4.0.593" + std::string(6, '\0'), 0x200, 0, ""},  // starts before the last 17 bytes
      {"xREV=4.0" + nul, 0x200, 0, "string2version failure"},
      {"xREV=10.255.65535", 0x200, 0x0AFFFFFF, ""},  // the longest text the window holds
      {"xREV=4.0.5", 0x200, 0x04000005, ""},         // nothing after the firmware is read
      {"xREV=4.0.593abc" + nul, 0x200, 0x04000251, ""},
      {"REV=1.2.3", 9, 0, ""},  // shorter than the window
      {"", 0, 0, ""},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> firmware(c.size, 0x11);
    std::copy(c.tail.begin(), c.tail.end(), firmware.end() - c.tail.size());
    MessageLog log;
    EXPECT_EQ(firmwareVersionFromTrailer(firmware, log), c.version) << c.tail;
    EXPECT_EQ(log.text(), c.messages) << c.tail;
  }
  // The same through a build: stored as major, minor, build low, build high.
  ImageManifest m = smallManifest();
  m.products[0].section(SectionKind::firmware)->file = test::firmwareFile("_REV=4.0.593" + nul);
  Built b = build(writeImage(m));
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(b.picture.word(0x3E8408), 0u);
}

TEST(String2Version, Cases) {
  using namespace std::string_view_literals;
  struct Case {
    std::string_view text;
    size_t length;
    int result;
    uint32_t version;
  };
  const Case cases[] = {
      {"4.0.593"sv, 16, 0, 0x04000251},
      {"4.0"sv, 16, 1, 0},
      {"4"sv, 16, 1, 0},
      {"4.0.593abc"sv, 16, 0, 0x04000251},
      {"4.08.1"sv, 16, 0, 0x04000001},          // "08" is octal and stops at the 8
      {"0x10.0x20.0x30"sv, 16, 0, 0x10200000},  // the build text ends at the x
      {"4.0.0593"sv, 16, 0, 0x04000005},        // a leading zero is octal: "05"
      {"300.1.70000"sv, 16, 0, 0x2C011170},     // each part cut to its width
      {"4.0.593"sv, 4, 0, 0x04000005},          // length + 1 characters: "4.0.5"
      {"4.0.593"sv, 2, 1, 0},                   // "4.0"
      {"4.\0.1"sv, 16, 1, 0},                   // the copy ends at a zero byte
  };
  for (const Case& c : cases) {
    uint32_t version = 0xDEADBEEF;
    EXPECT_EQ(string2version(c.text, c.length, &version), c.result) << c.text << " " << c.length;
    if (c.result == 0) {
      EXPECT_EQ(version, c.version) << std::hex << c.text;
    }
  }
}

}  // namespace
}  // namespace burnkit
