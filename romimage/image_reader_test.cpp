#include "romimage/image_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "romimage/flash_image_builder.h"
#include "romimage/test_image_fixture.h"

namespace burnkit {
namespace {

using test::changeEntry;
using test::changeProduct;
using test::EntryAt;
using test::findEntry;
using test::smallImage;

// Runs the whole read-and-build for the SFP board and returns what it said.
// One picture for every build of these tests: most of them fail long before
// it is used, and a fresh 4 MiB per case adds up over thousands of cases.
FlashImage& scratchPicture() {
  static FlashImage picture;
  return picture;
}

std::string buildMessages(const std::vector<uint8_t>& image, int* result = nullptr) {
  MemoryImageSource source(image);
  MessageLog log;
  FlashImage& picture = scratchPicture();
  int r = findProductAndBuild(source, log, picture, 0x0126, 0x4040, 0x42, 0x26);
  if (result) *result = r;
  return log.text();
}

TEST(ImageReader, ReadsTheTablesOfAnIntactImage) {
  std::vector<uint8_t> image = smallImage();
  MemoryImageSource source(image);
  MessageLog log;
  ImageDirectory dir;
  ASSERT_EQ(readDirectory(source, log, &dir), 0);
  EXPECT_EQ(dir.header.formatVersion, kFormatPxeEnable);

  ProductTable products;
  ASSERT_EQ(readProductTable(dir, &products), 0);
  ASSERT_EQ(products.size(), 2u);
  EXPECT_EQ(products[1].boardType, 0x24u);
  EXPECT_EQ(products[1].section(SectionKind::vpd).fileIndex, kNone);

  StringTable strings;
  ASSERT_EQ(readStringTable(dir, &strings), 0);
  EXPECT_EQ(strings.nameOrNull(products[0].nameB), "SFP board");
  EXPECT_EQ(strings.nameOrNull(products[1].nameB), "Quad board");

  SectionTable firmware;
  ASSERT_TRUE(readDataTable(dir, SectionKind::firmware, &firmware));
  EXPECT_EQ(firmware.size(), 2u);
  SectionTable none;
  EXPECT_FALSE(readDataTable(dir, SectionKind::keltune, &none));
  EXPECT_EQ(log.text(), "");
}

TEST(ImageReader, HeaderDigestCoversEveryOtherHeaderByte) {
  const std::vector<uint8_t> image = smallImage();
  EXPECT_EQ(buildMessages(image), "");
  for (size_t byte = 0; byte < ImageHeader::kDigestField; ++byte) {
    std::vector<uint8_t> damaged = image;
    damaged[byte] ^= 0x01;
    int result = 0;
    EXPECT_EQ(buildMessages(damaged, &result),
              "Top file header MD5 mismatch... this image is hosed!readDirectory failed.")
        << "header byte " << byte;
    EXPECT_EQ(result, 1);
  }
  // A changed header whose digest field is right passes.
  std::vector<uint8_t> changed = image;
  storeLe32(changed.data() + 12, 0xA5A5A5A5);  // the field the format does not use
  Digest digest = headerDigestOf(std::span<const uint8_t, ImageHeader::kSize>(changed.data(), ImageHeader::kSize));
  std::copy(digest.begin(), digest.end(), changed.begin() + ImageHeader::kDigestField);
  int result = 1;
  EXPECT_EQ(buildMessages(changed, &result), "");
  EXPECT_EQ(result, 0);
}

struct Damage {
  const char* what;
  void (*apply)(std::vector<uint8_t>&);
  const char* messages;
};

void flipTableByte(std::vector<uint8_t>& image, SectionKind kind, size_t at) {
  image[findEntry(image, kind).entry.offset + at] ^= 0x40;
}

// Each check refuses with its own text, and the first failing check in the
// order of use is the one reported.
TEST(ImageReader, EachCheckRefusesInItsOrder) {
  const Damage cases[] = {
      {"directory bytes", [](auto& i) { i[ImageHeader::kSize + 4] ^= 1; },
       "Directory table MD5 mismatch... this image is hosed!readDirectory failed."},
      {"header and directory",
       [](auto& i) {
         i[ImageHeader::kSize + 4] ^= 1;
         i[32] ^= 1;
       },
       "Top file header MD5 mismatch... this image is hosed!readDirectory failed."},
      {"product table", [](auto& i) { flipTableByte(i, SectionKind::productTable, 40); },
       "Product Table failed MD5 check... this file's pretty much hosed.readProductTable failed."},
      {"product and string table",
       [](auto& i) {
         flipTableByte(i, SectionKind::productTable, 40);
         flipTableByte(i, SectionKind::stringTable, 0);
       },
       "Product Table failed MD5 check... this file's pretty much hosed.readProductTable failed."},
      {"string table", [](auto& i) { flipTableByte(i, SectionKind::stringTable, 0); },
       "String table failed MD5 check... strings may look a little whacky.readStringTable failed."},
      {"firmware data table", [](auto& i) { flipTableByte(i, SectionKind::firmware, 5); },
       "Data Table for section 'firmware' failed MD5."
       "firmware section for [Corvane Z3 SFP board B2] not found in unified image."},
      {"firmware section bytes",
       [](auto& i) {
         MemoryImageSource source(i);
         MessageLog log;
         ImageDirectory dir;
         readDirectory(source, log, &dir);
         SectionTable rows;
         readDataTable(dir, SectionKind::firmware, &rows);
         i[rows[0].offset + 7] ^= 1;
       },
       "firmware section for [Corvane Z3 SFP board B2] failed MD5"},
      {"no product table", [](auto& i) { changeEntry(i, SectionKind::productTable, [](auto& e) { e.kind = 99; }); },
       "Product Table lookup in the directory failed.readProductTable failed."},
      {"no string table", [](auto& i) { changeEntry(i, SectionKind::stringTable, [](auto& e) { e.kind = 99; }); },
       "readStringTable failed."},
      {"no pxe table", [](auto& i) { changeEntry(i, SectionKind::pxe, [](auto& e) { e.kind = 99; }); },
       "pxe section for [Corvane Z3 SFP board B2] not found in unified image."},
      {"firmware index past its table",
       [](auto& i) { changeProduct(i, 0, [](auto& p) { p.section(SectionKind::firmware).fileIndex = 2; }); },
       "firmware file index for [Corvane Z3 SFP board B2] is 'DNE'."},
  };
  const std::vector<uint8_t> image = smallImage();
  for (const Damage& d : cases) {
    std::vector<uint8_t> damaged = image;
    d.apply(damaged);
    int result = 0;
    EXPECT_EQ(buildMessages(damaged, &result), d.messages) << d.what;
    EXPECT_EQ(result, 1) << d.what;
  }
}

// Every section is attempted: two broken sections are both reported.
TEST(ImageReader, BuildReportsEveryBrokenSection) {
  std::vector<uint8_t> image = smallImage();
  changeProduct(image, 0, [](auto& p) {
    p.section(SectionKind::bootld).fileIndex = 7;
    p.section(SectionKind::pxe).fileIndex = 9;
  });
  EXPECT_EQ(buildMessages(image),
            "bootld file index for [Corvane Z3 SFP board B2] is 'DNE'."
            "pxe file index for [Corvane Z3 SFP board B2] is 'DNE'.");
}

TEST(ImageReader, TruncatedImagesAreRefusedAtEveryLength) {
  const std::vector<uint8_t> image = smallImage();
  for (size_t length = 0; length < image.size(); ++length) {
    std::vector<uint8_t> cut(image.begin(), image.begin() + length);
    int result = 0;
    std::string messages = buildMessages(cut, &result);
    ASSERT_EQ(result, 1) << "length " << length;
    ASSERT_FALSE(messages.empty()) << "length " << length;
  }
  std::vector<uint8_t> headerOnly(image.begin(), image.begin() + 20);
  EXPECT_EQ(buildMessages(headerOnly),
            "couldn't read the file header"
            "Top file header MD5 mismatch... this image is hosed!readDirectory failed.");
  std::vector<uint8_t> noDirectory(image.begin(), image.begin() + ImageHeader::kSize);
  EXPECT_EQ(buildMessages(noDirectory), "DirectoryTable fread(): unexpected end of file\nreadDirectory failed.");
  std::vector<uint8_t> shortSection(image.begin(), image.end() - 1);
  EXPECT_NE(buildMessages(shortSection).find("reading section from unified rom: unexpected end of file\n"),
            std::string::npos);
}

TEST(ImageReader, BadTableGeometryIsRefusedWithoutReadingPastTheFile) {
  struct Case {
    const char* what;
    void (*apply)(std::vector<uint8_t>&);
    const char* messages;
  };
  const Case cases[] = {
      {"product table past the end",
       [](auto& i) { changeEntry(i, SectionKind::productTable, [](auto& e) { e.offset = 0xFFFFFF00; }); },
       "Product Table fread(): unexpected end of file\nreadProductTable failed."},
      {"product rows overflow 32 bits",
       [](auto& i) { changeEntry(i, SectionKind::productTable, [](auto& e) { e.rows = 0xFFFFFFFF; }); },
       "Product Table fread(): unexpected end of file\nreadProductTable failed."},
      {"product rows above the record",
       [](auto& i) {
         changeEntry(i, SectionKind::productTable, [](auto& e) {
           e.rowSize = 221;
           e.rows = 1;
         });
       },
       "Product Table row size 221 is larger than its 220-byte record.readProductTable failed."},
      {"product rows of no bytes",
       [](auto& i) {
         changeEntry(i, SectionKind::productTable, [](auto& e) {
           e.rowSize = 0;
           e.rows = 0x80000000;
         });
       },
       "Product Table has 2147483648 rows of 0 bytes.readProductTable failed."},
      {"data rows above the record",
       [](auto& i) {
         changeEntry(i, SectionKind::firmware, [](auto& e) {
           e.rowSize = 29;
           e.rows = 1;
         });
       },
       "Data Table for section 'firmware' row size 29 is larger than its 28-byte record."
       "firmware section for [Corvane Z3 SFP board B2] not found in unified image."},
      {"string table past the end",
       [](auto& i) { changeEntry(i, SectionKind::stringTable, [](auto& e) { e.rows = 0xFFFFFFFF; }); },
       "readStringTable failed."},
      {"directory entries above the record",
       [](auto& i) {
         storeLe32(i.data() + 8, 40);
         storeLe32(i.data() + 4, 1);
         resealImage(i);
       },
       "DirectoryTable row size 40 is larger than its 36-byte record.readDirectory failed."},
      {"directory count overflows 32 bits",
       [](auto& i) {
         storeLe32(i.data() + 4, 0xFFFFFFFF);
         resealImage(i);
       },
       "DirectoryTable fread(): unexpected end of file\nreadDirectory failed."},
      {"section data past the end",
       [](auto& i) {
         EntryAt t = findEntry(i, SectionKind::pxe);
         storeLe32(i.data() + t.entry.offset, 0xFFFFFFF0);
         resealImage(i);
       },
       "reading section from unified rom: unexpected end of file\n"},
  };
  const std::vector<uint8_t> image = smallImage();
  for (const Case& c : cases) {
    std::vector<uint8_t> damaged = image;
    c.apply(damaged);
    int result = 0;
    EXPECT_EQ(buildMessages(damaged, &result), c.messages) << c.what;
    EXPECT_EQ(result, 1) << c.what;
  }
}

// Rows shorter than the record read the missing fields as 0xFF bytes.
TEST(ImageReader, ShortProductRowsReadTheRestAsErased) {
  std::vector<uint8_t> image = smallImage();
  EntryAt table = findEntry(image, SectionKind::productTable);
  // Repack both rows at 204 bytes each, in the same place.
  std::vector<uint8_t> rows(image.begin() + table.entry.offset, image.begin() + table.entry.offset + 2 * 220);
  std::memcpy(image.data() + table.entry.offset, rows.data(), 204);
  std::memcpy(image.data() + table.entry.offset + 204, rows.data() + 220, 204);
  changeEntry(image, SectionKind::productTable, [](auto& e) { e.rowSize = 204; });

  MemoryImageSource source(image);
  MessageLog log;
  FlashImage picture;
  ASSERT_EQ(findProductAndBuild(source, log, picture, 0x0124, 0x4040, 0x42, 0x24), 0) << log.text();
  // No subsystem to program: the product's own; no PXE word: erased.
  EXPECT_EQ(picture.word(0x3E8818), 0x01244040u);
  EXPECT_EQ(picture.word(0x3E8840), 0xFFFFFFFFu);
}

TEST(ImageReader, NameTextsOutsideTheStringTablePrintAsNull) {
  std::vector<uint8_t> image = smallImage();
  changeProduct(image, 0, [](auto& p) {
    p.nameA = 0x7FFFFFF0;  // past the table
    p.nameB = kNone;
    p.section(SectionKind::firmware).fileIndex = 5;
  });
  EXPECT_EQ(buildMessages(image), "firmware file index for [(null) (null) B2] is 'DNE'.");

  // A text running to the table's end without a terminator stops there.
  std::vector<uint8_t> plain = {'a', 'b', 0, 'c', 'd'};
  StringTable strings(std::vector<char>(plain.begin(), plain.end()));
  EXPECT_EQ(strings.nameOrNull(0), "ab");
  EXPECT_EQ(strings.nameOrNull(3), "cd");
  EXPECT_EQ(strings.nameOrNull(5), "(null)");
}

TEST(ImageReader, FileSourceReadsAsMemoryDoes) {
  const std::vector<uint8_t> image = smallImage();
  std::string path = ::testing::TempDir() + "/small_romimage";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(image.data(), 1, image.size(), f);
  std::fclose(f);

  std::string reason;
  std::unique_ptr<FileImageSource> source = FileImageSource::open(path, &reason);
  ASSERT_TRUE(source) << reason;
  EXPECT_EQ(source->size(), image.size());
  MessageLog log;
  FlashImage fromFile, fromMemory;
  ASSERT_EQ(findProductAndBuild(*source, log, fromFile, 0x0126, 0x4040, 0x42, 0x26), 0) << log.text();
  MemoryImageSource memory(image);
  ASSERT_EQ(findProductAndBuild(memory, log, fromMemory, 0x0126, 0x4040, 0x42, 0x26), 0);
  EXPECT_TRUE(std::equal(fromFile.bytes().begin(), fromFile.bytes().end(), fromMemory.bytes().begin()));

  EXPECT_FALSE(FileImageSource::open(path + ".missing", &reason));
  EXPECT_EQ(reason, "No such file or directory");
  EXPECT_FALSE(FileImageSource::open(::testing::TempDir(), &reason));
  EXPECT_EQ(reason, "Is a directory");
  std::remove(path.c_str());
}

}  // namespace
}  // namespace burnkit
