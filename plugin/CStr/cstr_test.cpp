#include "plugin/CStr/cstr.h"

#include <gtest/gtest.h>

namespace brightwell {
namespace {

TEST(CStr, CaseInsensitiveComparison) {
  EXPECT_TRUE(equalsNoCase(u"SHIFT_jis", u"shift_JIS"));
  EXPECT_TRUE(equalsNoCase(u"ÄRGER", u"ärger"));
  EXPECT_FALSE(equalsNoCase(u"en", u"eng"));
  EXPECT_EQ(findNoCase(u"x /Verbose_Log y", u"/verbose_log"), 2u);
  EXPECT_EQ(findNoCase(u"/verb", u"/verbose_log"), std::u16string_view::npos);
  EXPECT_EQ(lowerCase(u"DcR2Srvr"), u"dcr2srvr");
}

TEST(CStr, BoundedCopiesNeverPassTheirBuffer) {
  char16_t buffer[6];
  std::fill(std::begin(buffer), std::end(buffer), u'#');
  copyBounded(buffer, 4, u"abcdef");
  EXPECT_EQ(std::u16string(buffer), u"abc");
  EXPECT_EQ(buffer[4], u'#');
  appendBounded(buffer, 6, u"xyz");
  EXPECT_EQ(std::u16string(buffer), u"abcxy");
  appendBounded(buffer, 6, u"more");
  EXPECT_EQ(std::u16string(buffer), u"abcxy");
  copyBounded(buffer, 0, u"ignored");
  EXPECT_EQ(std::u16string(buffer), u"abcxy");
  char16_t full[3] = {u'a', u'b', u'c'};  // no terminator: left alone
  appendBounded(full, 3, u"d");
  EXPECT_EQ(full[2], u'c');
}

TEST(CStr, DecimalNumbersAsTheRuntimeReadsThem) {
  struct Case {
    const char16_t* text;
    int32_t value;
  } cases[] = {{u"2", 2}, {u" -1", -1}, {u"+7x", 7}, {u"", 0}, {u"abc", 0}, {u"99999999999", INT32_MAX},
               {u"-99999999999", INT32_MIN}};
  for (const Case& c : cases) EXPECT_EQ(decimalOf(c.text), c.value);
}

}  // namespace
}  // namespace brightwell
