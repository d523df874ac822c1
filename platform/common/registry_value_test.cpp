#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry.h"

namespace platform {
namespace {

std::vector<uint8_t> bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(RegValue, BuildsTheBytesRegQueryValueExAGives) {
  EXPECT_EQ(RegValue::sz("Net").data, bytes(std::string("Net\0", 4)));
  EXPECT_EQ(RegValue::sz("").data, bytes(std::string("\0", 1)));
  EXPECT_EQ(RegValue::dword(0x12345678).data, (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12}));
  EXPECT_EQ(RegValue::multiSz({"a", "bc"}).data, bytes(std::string("a\0bc\0\0", 6)));
  EXPECT_EQ(RegValue::multiSz({}).data, bytes(std::string("\0", 1)));
  EXPECT_EQ(RegValue::binary({1, 2}).data, (std::vector<uint8_t>{1, 2}));
  EXPECT_EQ(RegValue::sz("x").type, RegType::Sz);
  EXPECT_EQ(RegValue::dword(1).type, RegType::Dword);
  EXPECT_EQ(RegValue::multiSz({}).type, RegType::MultiSz);
  EXPECT_EQ(RegValue::binary({}).type, RegType::Binary);
}

TEST(RegValue, ReadsTextsAsTheirConsumersDo) {
  struct Case {
    std::string data;
    std::string text;
    std::vector<std::string> texts;
  };
  const std::vector<Case> cases = {
      {std::string("a\0bc\0\0", 6), "a", {"a", "bc"}},
      {std::string("a\0bc", 4), "a", {"a", "bc"}},  // last text without its NUL
      {std::string("a\0\0b\0\0", 6), "a", {"a"}},   // the empty text ends the list
      {std::string("\0", 1), "", {}},
      {"", "", {}},
      {"plain", "plain", {"plain"}},
  };
  for (const Case& c : cases) {
    RegValue value;
    value.data = bytes(c.data);
    EXPECT_EQ(value.text(), c.text);
    EXPECT_EQ(value.texts(), c.texts);
  }
  EXPECT_EQ(RegValue::multiSz({"x", "y z"}).texts(), (std::vector<std::string>{"x", "y z"}));
}

TEST(RegValue, DwordNeedsFourBytes) {
  EXPECT_EQ(RegValue::dword(0xFEDCBA98).asDword(), 0xFEDCBA98u);
  EXPECT_EQ(RegValue::binary({1, 2, 3}).asDword(), 0u);
  EXPECT_EQ(RegValue::binary({1, 0, 0, 0, 9}).asDword(), 1u);
}

TEST(RegJoin, JoinsWithOneBackslash) {
  EXPECT_EQ(regJoin("SYSTEM\\CurrentControlSet", "Control"), "SYSTEM\\CurrentControlSet\\Control");
  EXPECT_EQ(regJoin("", "SYSTEM"), "SYSTEM");
  EXPECT_EQ(regJoin("SYSTEM", ""), "SYSTEM");
  EXPECT_EQ(regJoin("", ""), "");
}

}  // namespace
}  // namespace platform
