#include "simhost/chip/card_config.h"

#include <gtest/gtest.h>

#include "simhost/chip/test_card_fixture.h"
#include "simhost/machine/files.h"

namespace simhost {
namespace {

using testing::TempHost;

const char* kValidCard = R"({
  "name": "card0", "board": "0x26", "subsys": 19284032, "chiprev": "0x42",
  "efuse": "0x0123456789ABCDEF", "driver": "4.0.593", "dialect": "alternate",
  "bus": 5, "wp_pin": true,
  "ports": [{"port": 0, "function": 0, "guid": "{11111111-2222-3333-4444-555555555550}"},
            {"port": 1, "function": 1, "guid": "{11111111-2222-3333-4444-555555555551}"}]
})";

TEST(CardConfig, LoadsHexTextsAndNumbersAndDefaultsTheOptionalFields) {
  TempHost host;
  std::string path = host.host().root + "/card.json";
  ASSERT_TRUE(writeFileAtomic(path, kValidCard, nullptr));
  CardConfig c;
  std::string error;
  ASSERT_TRUE(loadCardConfig(path, &c, &error)) << error;
  EXPECT_EQ(c.board, 0x26u);
  EXPECT_EQ(c.subsys, 0x01264040u);
  EXPECT_EQ(c.chipRevision, 0x42);
  EXPECT_EQ(c.efuse, 0x0123456789ABCDEFull);
  EXPECT_EQ(c.driverVersion, 0x04000251u);
  EXPECT_EQ(c.dialect, DriverDialect::kAlternate);
  EXPECT_TRUE(c.writeProtectPin);
  EXPECT_EQ(c.device, 0u);
  EXPECT_EQ(c.boardTypeRegister, 0x26u) << "defaults to the board";
  ASSERT_EQ(c.ports.size(), 2u);
  EXPECT_EQ(c.ports[1].function, 1u);

  // What save writes, load reads back unchanged.
  c.boardTypeRegister = 0x99;
  ASSERT_TRUE(saveCardConfig(path, c, &error)) << error;
  CardConfig again;
  ASSERT_TRUE(loadCardConfig(path, &again, &error)) << error;
  EXPECT_EQ(again.boardTypeRegister, 0x99u);
  EXPECT_EQ(again.efuse, c.efuse);
  EXPECT_EQ(again.ports[1].guid, c.ports[1].guid);
  EXPECT_EQ(again.dialect, c.dialect);
}

// Each broken file gives one error naming the file and the field.
TEST(CardConfig, BrokenFilesNameTheFileAndTheField) {
  const std::string port0 = R"({"port": 0, "function": 0, "guid": "{11111111-2222-3333-4444-555555555550}"})";
  const std::string base = R"("name": "c", "board": 38, "subsys": 1, "bus": 1)";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"{" + base + "}", "\"ports\" is missing"},
      {R"({"board": 38, "subsys": 1, "bus": 1, "ports": [)" + port0 + "]}", "\"name\""},
      {R"({"name": "c", "board": "0xZZ", "subsys": 1, "bus": 1, "ports": [)" + port0 + "]}", "\"board\""},
      {"{" + base + R"(, "chiprev": 256, "ports": [)" + port0 + "]}", "\"chiprev\""},
      {"{" + base + R"(, "driver": "4.0", "ports": [)" + port0 + "]}", "\"driver\""},
      {"{" + base + R"(, "dialect": "other", "ports": [)" + port0 + "]}", "\"dialect\""},
      {"{" + base + R"(, "wp_pin": "yes", "ports": [)" + port0 + "]}", "\"wp_pin\""},
      {"{" + base + R"(, "wp-pin": true, "ports": [)" + port0 + "]}", "\"wp-pin\" is not a card field"},
      {"{" + base + R"(, "ports": [{"port": 0, "function": 0, "guid": "{1111-22}"}]})", "\"ports[0].guid\""},
      {"{" + base + R"(, "ports": [{"port": 0, "function": 0, "guid": "{aaaaaaaa-2222-3333-4444-555555555550}"}]})",
       "\"ports[0].guid\""},
      {"{" + base + R"(, "ports": [{"port": 0, "function": 9, "guid": "{11111111-2222-3333-4444-555555555550}"}]})",
       "\"ports[0].function\""},
      {"{" + base + R"(, "ports": [)" + port0 + "," +
           R"({"port": 0, "function": 1, "guid": "{11111111-2222-3333-4444-555555555551}"}]})",
       "\"ports[1].port\" repeats"},
      {"{" + base + R"(, "ports": []})", "\"ports\" must list at least one port"},
      {"{" + base + R"(, "ports": [)" + port0 + "]", "malformed JSON"},
  };
  TempHost host;
  std::string path = host.host().root + "/card.json";
  for (const auto& [json, expected] : cases) {
    ASSERT_TRUE(writeFileAtomic(path, json, nullptr));
    CardConfig c;
    std::string error;
    EXPECT_FALSE(loadCardConfig(path, &c, &error)) << json;
    EXPECT_NE(error.find(path + ": "), std::string::npos) << error;
    EXPECT_NE(error.find(expected), std::string::npos) << "wanted " << expected << " in: " << error;
  }
}

}  // namespace
}  // namespace simhost
