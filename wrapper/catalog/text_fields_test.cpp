#include "wrapper/catalog/text_fields.h"

#include <gtest/gtest.h>

#include "wrapper/catalog/configuration.h"

namespace keelson {
namespace {

TEST(TextFieldsTest, HexIdsAreReadStrictly) {
  const struct {
    const char* text;
    bool valid;
    uint32_t value;
  } cases[] = {
      {"4040", true, 0x4040},
      {"0x10fB", true, 0x10FB},
      {" 0100", true, 0x100},
      {"7FFFFFFE", true, 0x7FFFFFFE},
      {"-1", true, 0xFFFFFFFF},
      {"", false, 0},
      {"40G0", false, 0},
      {"4040 ", false, 0},
      {"0x", false, 0},
      {"7FFFFFFF", false, 0},
      {"80000000", false, 0},
      {"-80000000", false, 0},
      {"FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF", false, 0},
  };
  for (const auto& c : cases) {
    uint32_t value = 12345;
    EXPECT_EQ(parseHexId(c.text, &value), c.valid) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(TextFieldsTest, LocationNumbersAreDecimalAndFitAnInt) {
  const struct {
    const char* text;
    bool valid;
    int32_t value;
  } cases[] = {
      {"5", true, 5},
      {" 12 ", true, 12},
      {"2147483647", true, 2147483647},
      {"2147483648", false, 0},
      {"", false, 0},
      {"-1", false, 0},
      {"0x5", false, 0},
      {"99999999999999999999999", false, 0},
  };
  for (const auto& c : cases) {
    int32_t value = 7;
    EXPECT_EQ(parseDecimalNumber(c.text, &value), c.valid) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(TextFieldsTest, RomVersionsTakeOneMajorDigitAndAtMostThreeMore) {
  const struct {
    const char* text;
    bool valid;
    VersionTriple version;
  } cases[] = {
      {"4.0.585", true, {4, 0, 585}},
      {"v4.0.585", true, {4, 0, 585}},    // text before the major digit is skipped
      {"14.2.3", true, {4, 2, 3}},        // the major part is one character
      {"4.0.585.12", true, {4, 0, 585}},  // a fourth part is ignored
      {"4.x.5b", true, {4, 0, 5}},        // no digits give 0
      {"4.0.1000", false, {}},
      {"4.1000.1", false, {}},
      {"4593", false, {}},
      {".0.593", false, {}},
      {"4.0", false, {}},
      {"", false, {}},
  };
  for (const auto& c : cases) {
    VersionTriple v{9, 9, 9};
    EXPECT_EQ(parseRomVersion(c.text, &v), c.valid) << c.text;
    if (c.valid) {
      EXPECT_EQ(versionText(v), versionText(c.version)) << c.text;
    }
  }
}

TEST(TextFieldsTest, CatalogKeysPadIdsToFourCharacters) {
  EXPECT_EQ(catalogKey("4040", "100", "0", ""), "4040-0100-0000-0000");
  EXPECT_EQ(catalogKey("4040", "0100", "103c", "12345"), "4040-0100-103c-12345");
}

}  // namespace
}  // namespace keelson
