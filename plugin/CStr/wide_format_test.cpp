#include "plugin/CStr/wide_format.h"

#include <gtest/gtest.h>

namespace brightwell {
namespace {

TEST(WideFormat, ConversionsOfTheLogTexts) {
  EXPECT_EQ(formatWideText(u"[%s]::%s[%d] ", u"14:02:03", u"basecomp.cpp", 84), u"[14:02:03]::basecomp.cpp[84] ");
  EXPECT_EQ(formatWideText(u"%d.%d.%d.%d", 4, 0, 593, 12), u"4.0.593.12");
  EXPECT_EQ(formatWideText(u"%S|%hs|%c|%%|%5s|%-4s|%.2s", "ab", "cd", u'ä', u"x", u"y", u"xyz"),
            u"ab|cd|ä|%|    x|y   |xy");
  EXPECT_EQ(formatWideText(u"%08X %u %ld %lld %x", 0x1A2Bu, 4000000000u, -5L, -6LL, 255u), u"00001A2B 4000000000 -5 -6 ff");
  EXPECT_EQ(formatWideText(u"%s", static_cast<const char16_t*>(nullptr)), u"(null)");
  EXPECT_EQ(formatWideText(u"%*d|%.*s", 4, 7, 1, u"ab"), u"   7|a");
  EXPECT_EQ(formatWideText(u"%n|%q|end%", static_cast<int*>(nullptr)), u"|%q|end%");
  EXPECT_EQ(formatWideText(u""), u"");
}

TEST(WideFormat, LongTextsComeOutWhole) {
  std::u16string big(5000, u'z');
  std::u16string text = formatWideText(u"<%s>", big.c_str());
  EXPECT_EQ(text, u"<" + big + u">");
}

}  // namespace
}  // namespace brightwell
