#include "plugin/component/string_table.h"

#include <gtest/gtest.h>

namespace brightwell {
namespace {

constexpr uint32_t kIds[] = {1, 2, 3, 4, 5, 7, 8, 10, 11, 12, 13, 14, 15, 18, 19, 20, 21, 22};
constexpr StringVariant kVariants[] = {StringVariant::English, StringVariant::German,  StringVariant::Spanish,
                                       StringVariant::Italian, StringVariant::French, StringVariant::Japanese};

TEST(StringTable, VariantFollowsThePrimaryLanguage) {
  const std::pair<const char*, StringVariant> cases[] = {
      {"en", StringVariant::English},   {"en-US", StringVariant::English}, {"de", StringVariant::German},
      {"DE-at", StringVariant::German}, {"es", StringVariant::Spanish},    {"it", StringVariant::Italian},
      {"fr-BE", StringVariant::French}, {"ja_JP", StringVariant::Japanese}, {"nl", StringVariant::English},
      {"", StringVariant::English},
  };
  for (const auto& [tag, variant] : cases) EXPECT_EQ(variantOf(tag), variant) << tag;
}

TEST(StringTable, EveryVariantHoldsEveryTextEndingInALineBreakWithinTheBuffer) {
  for (StringVariant v : kVariants) {
    for (uint32_t id : kIds) {
      std::u16string_view text = resourceString(id, v);
      ASSERT_GE(text.size(), 2u) << "id " << id;
      EXPECT_EQ(text.substr(text.size() - 2), u"\r\n") << "id " << id;
      EXPECT_LT(text.size(), kStringBufferChars) << "id " << id;
    }
    EXPECT_TRUE(resourceString(6, v).empty());
  }
}

TEST(StringTable, OnlyGermanAndJapaneseDifferFromEnglish) {
  for (uint32_t id : kIds) {
    std::u16string_view english = resourceString(id, StringVariant::English);
    EXPECT_EQ(resourceString(id, StringVariant::Spanish), english);
    EXPECT_EQ(resourceString(id, StringVariant::Italian), english);
    EXPECT_EQ(resourceString(id, StringVariant::French), english);
    EXPECT_NE(resourceString(id, StringVariant::Japanese), english);
    bool germanOwn = id >= 13 && id <= 15;
    EXPECT_EQ(resourceString(id, StringVariant::German) != english, germanOwn) << "id " << id;
  }
  EXPECT_EQ(resourceString(15, StringVariant::German),
            u"All firmware installations were successful.  See burnkit.log for more information.\r\n");
}

}  // namespace
}  // namespace brightwell
