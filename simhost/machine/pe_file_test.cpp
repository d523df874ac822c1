// The drive writer's images: header fields a loader checks, the kind chosen by
// the file name, and the version texts. Reading versions back is tested with
// the platform's reader (platform/common/pe_version_test.cpp).
#include "simhost/machine/pe_file.h"

#include <gtest/gtest.h>

namespace simhost {
namespace {

uint32_t get(const std::string& d, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(d[at + i]);
  return v;
}

std::string utf16(const std::string& ascii) {
  std::string out;
  for (char c : ascii) out += std::string{c, '\0'};
  return out;
}

TEST(PeFile, VersionTextsReadAndWrite) {
  struct Case {
    const char* text;
    bool ok;
    uint32_t ms, ls;
  };
  const Case cases[] = {
      {"4.0.593", true, 0x00040000, 0x02510000},  {"1.2.3.4", true, 0x00010002, 0x00030004},
      {"65535.0", true, 0xFFFF0000, 0},           {"65536.0", false, 0, 0},
      {"7", false, 0, 0},                         {"1.2.3.4.5", false, 0, 0},
      {"1..2", false, 0, 0},                      {"1.2.", false, 0, 0},
      {"", false, 0, 0},                          {"v1.2", false, 0, 0},
      {"1.2 ", false, 0, 0},
  };
  for (const Case& c : cases) {
    platform::FileVersion v{};
    ASSERT_EQ(parseFileVersionText(c.text, &v), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(v.fileMs, c.ms) << c.text;
    EXPECT_EQ(v.fileLs, c.ls) << c.text;
    EXPECT_EQ(v.productMs, c.ms) << c.text;
    EXPECT_EQ(v.productLs, c.ls) << c.text;
  }
  EXPECT_EQ(fileVersionText(0x00040000, 0x02510000), "4.0.593.0");
  EXPECT_EQ(fileVersionText(0xFFFFFFFF, 0x00010002), "65535.65535.1.2");
}

TEST(PeFile, HeadersDescribeTheFileAsWritten) {
  for (PeBitness bitness : {PeBitness::Pe32Plus, PeBitness::Pe32}) {
    const bool wide = bitness == PeBitness::Pe32Plus;
    const std::string image = makePeWithVersion({0x10002, 0x30004, 0x10002, 0x30004}, "tool.exe", bitness);
    ASSERT_EQ(image.compare(0, 2, "MZ"), 0);
    const size_t pe = get(image, 0x3C, 4);
    ASSERT_EQ(image.compare(pe, 4, std::string("PE\0\0", 4)), 0);
    EXPECT_EQ(get(image, pe + 4, 2), wide ? 0x8664u : 0x014Cu);
    const size_t optional = pe + 24;
    EXPECT_EQ(get(image, optional, 2), wide ? 0x20Bu : 0x10Bu);
    EXPECT_EQ(get(image, pe + 20, 2), wide ? 240u : 224u);

    // Sections follow each other in the file, end where the file ends, and
    // lie inside the image size.
    const size_t sections = optional + get(image, pe + 20, 2);
    const uint32_t fileAlignment = get(image, optional + 36, 4);
    const uint32_t imageSize = get(image, optional + 56, 4);
    uint32_t expectedRaw = get(image, optional + 60, 4);  // size of headers
    for (size_t i = 0; i < get(image, pe + 6, 2); ++i) {
      const size_t s = sections + 40 * i;
      EXPECT_EQ(get(image, s + 20, 4), expectedRaw) << "section " << i;
      EXPECT_EQ(get(image, s + 16, 4) % fileAlignment, 0u);
      EXPECT_LE(get(image, s + 12, 4) + get(image, s + 8, 4), imageSize);
      expectedRaw += get(image, s + 16, 4);
    }
    EXPECT_EQ(image.size(), expectedRaw);
    EXPECT_EQ(imageSize % get(image, optional + 32, 4), 0u);
    EXPECT_NE(get(image, optional + 64, 4), 0u) << "checksum";
  }
}

TEST(PeFile, NameChoosesTheKindOfFile) {
  struct Case {
    const char* name;
    uint32_t subsystem;
    uint32_t fileType;  // VS_FIXEDFILEINFO dwFileType
    bool dll;
  };
  const Case cases[] = {
      {"orlnd5x64.sys", 1, 3, false},
      {"ORLND5.SYS", 1, 3, false},
      {"Brightwell.dll", 2, 2, true},
      {"burnkit.exe", 3, 1, false},
      {"burnkit_x64", 3, 1, false},
  };
  for (const Case& c : cases) {
    const std::string image = makePeWithVersion({0x40000, 0x2510000, 0x40000, 0x2510000}, c.name);
    const size_t pe = get(image, 0x3C, 4);
    EXPECT_EQ(get(image, pe + 24 + 68, 2), c.subsystem) << c.name;
    EXPECT_EQ((get(image, pe + 22, 2) & 0x2000) != 0, c.dll) << c.name;
    const size_t fixed = image.find(std::string("\xBD\x04\xEF\xFE", 4));
    ASSERT_NE(fixed, std::string::npos) << c.name;
    EXPECT_EQ(get(image, fixed + 36, 4), c.fileType) << c.name;
    EXPECT_NE(image.find(utf16(c.name)), std::string::npos) << c.name;
    EXPECT_NE(image.find(utf16("4.0.593.0")), std::string::npos) << c.name;
  }
}

}  // namespace
}  // namespace simhost
