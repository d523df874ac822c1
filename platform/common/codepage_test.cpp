// Code page conversions: the published byte tables, Windows' substitutions,
// and UTF-8 with malformed input.
#include "platform/common/codepage.h"

#include <string>

#include <gtest/gtest.h>

namespace platform {
namespace {

std::string allBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  return bytes;
}

TEST(CodePage, SingleBytePagesReadEveryByteAndWriteItBack) {
  for (uint32_t page : {kCodePageWestern, kCodePageOemUs}) {
    std::u16string text = fromCodePage(allBytes(), page);
    ASSERT_EQ(text.size(), 256u);
    // Distinct characters for distinct bytes, so writing gives every byte back.
    EXPECT_EQ(toCodePage(text, page), allBytes()) << "code page " << page;
  }
}

TEST(CodePage, TablesMatchThePublishedPages) {
  struct Entry {
    uint32_t page;
    unsigned char byte;
    char16_t character;
  };
  const Entry entries[] = {
      {1252, 0x80, u'\u20AC'}, {1252, 0x81, u'\u0081'}, {1252, 0x8A, u'\u0160'},
      {1252, 0x8D, u'\u008D'}, {1252, 0x92, u'\u2019'}, {1252, 0x96, u'\u2013'},
      {1252, 0x99, u'\u2122'}, {1252, 0x9F, u'\u0178'}, {1252, 0xA0, u'\u00A0'},
      {1252, 0xE9, u'\u00E9'}, {1252, 0xFF, u'\u00FF'}, {437, 0x80, u'\u00C7'},
      {437, 0x9E, u'\u20A7'},  {437, 0xB3, u'\u2502'},  {437, 0xC9, u'\u2554'},
      {437, 0xE1, u'\u00DF'},  {437, 0xE3, u'\u03C0'},  {437, 0xFF, u'\u00A0'},
      {65001, 'A', u'A'},
  };
  for (const Entry& e : entries) {
    std::string byte(1, static_cast<char>(e.byte));
    EXPECT_EQ(fromCodePage(byte, e.page), std::u16string(1, e.character))
        << "byte " << int(e.byte) << " of " << e.page;
  }
}

TEST(CodePage, CharactersAPageLacksBecomeQuestionMarks) {
  // Cyrillic, an emoji (one '?' for the surrogate pair), a lone surrogate.
  std::u16string text = u"a\u0416b\U0001F600c\xD800" u"d\u00E9";
  EXPECT_EQ(toCodePage(text, kCodePageWestern), "a?b?c?d\xE9");
  EXPECT_EQ(toCodePage(text, kCodePageOemUs), "a?b?c?d\x82");
  EXPECT_EQ(toCodePage(u"\u20AC", kCodePageOemUs), "?");
}

TEST(CodePage, UnknownPagesAreReadAsWestern) {
  EXPECT_FALSE(isSupportedCodePage(1251));
  EXPECT_EQ(fromCodePage("\x80", 1251), u"\u20AC");
  EXPECT_EQ(toCodePage(u"\u20AC", 1251), "\x80");
}

TEST(CodePage, Utf8CarriesEveryCharacter) {
  std::u16string text = u"plain \u00E9\u20AC\u0416 \U0001F600\U0010FFFF";
  std::string utf8 = toCodePage(text, kCodePageUtf8);
  EXPECT_EQ(utf8, "plain \xC3\xA9\xE2\x82\xAC\xD0\x96 \xF0\x9F\x98\x80\xF4\x8F\xBF\xBF");
  EXPECT_EQ(fromCodePage(utf8, kCodePageUtf8), text);
  EXPECT_EQ(toCodePage(std::u16string(1, u'\xDC00'), kCodePageUtf8), "\xEF\xBF\xBD");
}

TEST(CodePage, MalformedUtf8BecomesReplacementCharacters) {
  const std::pair<std::string, std::u16string> cases[] = {
      {"\xC0\xAF", u"\uFFFD\uFFFD"},              // overlong
      {"a\xE2\x82", u"a\uFFFD\uFFFD"},            // cut short
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},    // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
      {"\x80z", u"\uFFFDz"},                      // stray continuation
      {"\xE2(\xAC", u"\uFFFD(\uFFFD"},            // continuation missing
  };
  for (const auto& [bytes, expected] : cases) {
    EXPECT_EQ(fromCodePage(bytes, kCodePageUtf8), expected);
  }
}

}  // namespace
}  // namespace platform
