#include "platform/text_unicode.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string utf16le(const std::string& ascii) {
  std::string out;
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

struct TextCase {
  const char* what;
  std::string bytes;
  bool unicode;
};

TEST(TextUnicodeTest, JudgesBuffersAsUtf16OrNot) {
  const TextCase cases[] = {
      {"byte-order mark", "\xFF\xFE" + utf16le("<a/>"), true},
      {"byte-order mark, odd length", "\xFF\xFE<", true},
      {"reverse byte-order mark", std::string("\xFE\xFF\0<\0a", 6), false},
      {"UTF-16 without mark", utf16le("<?xml version=\"1.0\"?>\n<a/>"), true},
      {"UTF-16 without mark, odd length", utf16le("<a/>") + "x", false},
      {"plain ASCII", "<?xml version=\"1.0\"?>\n<root a=\"1\"/>\n", false},
      {"ASCII with CR LF", "<ab>\r\n</ab>\r\n", false},
      {"ASCII, even length", "<config name=\"x\"/>", false},
      {"UTF-8 with mark", "\xEF\xBB\xBF<a/>\n", false},
      {"big-endian UTF-16 without mark", std::string("\0<\0a\0 \0/\0>\0\n", 12), false},
      {"one byte", "<", false},
      {"empty", "", false},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(platform::isTextUnicode(c.bytes.data(), c.bytes.size()), c.unicode) << c.what;
  }
}

TEST(TextUnicodeTest, LooksOnlyAtTheStartOfALongBuffer) {
  std::string text = utf16le(std::string(300, 'a'));
  text += "\xFF\xFF";  // past the examined start
  EXPECT_TRUE(platform::isTextUnicode(text.data(), text.size()));
}

}  // namespace
