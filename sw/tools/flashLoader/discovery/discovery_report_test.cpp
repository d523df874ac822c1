// The discovery report's file format on its own: what the writer puts in a
// value, the action a version pair gives, and what the reader selects from
// reports as the wrapper may leave them.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sw/tools/flashLoader/discovery/discovery_report_reader.h"
#include "sw/tools/flashLoader/discovery/discovery_report_writer.h"
#include "sw/tools/flashLoader/runstate/tool_output_capture.h"

namespace {

class DiscoveryReportFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/discovery_report_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/nicdiscovery.xml";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void write(const std::string& text) const { std::ofstream(path_, std::ios::binary) << text; }
  std::string read() const {
    std::stringstream text;
    text << std::ifstream(path_, std::ios::binary).rdbuf();
    return text.str();
  }
  std::vector<std::string> selection() const {
    std::vector<std::string> selected;
    EXPECT_EQ(read_discovery_report(path_, &selected), 0);
    return selected;
  }

  std::string dir_;
  std::string path_;
};

std::string device(const std::string& mac, const std::string& action) {
  return "<device>\n<device_id value=\"4040.0100.4040.0126\"/>\n<macaddress value=\"" + mac +
         "\"/>\n<fw_item>\n<action value=\"" + action + "\"/>\n</fw_item>\n</device>\n";
}

TEST_F(DiscoveryReportFile, ValuesAreEscapedAndZeroFieldsWarned) {
  DiscoveredCard card;
  card.productId = "Tom & Jerry <\"10G\">";
  card.nicType = 3;
  card.newVersion = {4, 0, 593};
  card.macs = {MacAddress{0x00, 0x0E, 0x1E, 0x26, 0x00, 0x10}, MacAddress{0x00, 0x0E, 0x1E, 0x26, 0x00, 0x11}};
  card.location = {"5", "0", "1"};
  testing::internal::CaptureStdout();
  ASSERT_EQ(write_discovery_report(path_, {card}), 0);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out,
            "card_index=1\n"
            "Warning: Creating XML file, missing field subvenid value=\n"
            "Warning: Creating XML file, missing field subdevid value=\n"
            "Warning: Creating XML file, missing field active_version value=\n");

  const std::string text = read();
  EXPECT_NE(text.find("<product_id value=\"Tom &amp; Jerry &lt;&quot;10G&quot;&gt;\"/>\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("<macaddress value=\"00:0E:1E:26:00:11\"/>\n"), std::string::npos) << text;
  EXPECT_NE(text.find("<device_id value=\"4040.0100.0000.0000\"/>\n"), std::string::npos) << text;
  EXPECT_NE(text.find("<active_version value=\"0.0.0\"/>\n<action value=\"upgrade        \"/>\n"),
            std::string::npos);
  EXPECT_EQ(std::system(("xmllint --noout " + path_).c_str()), 0) << text;
}

TEST_F(DiscoveryReportFile, AFileThatCannotBeCreatedIsReported) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(write_discovery_report(dir_ + "/no/such/dir.xml", {}), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Couldn't open XML file...\n");
}

TEST(DiscoveryAction, ComparesMajorThenMinorThenBuild) {
  struct Case {
    VersionTriple current, offered;
    const char* action;
  };
  for (const Case& c : {Case{{4, 0, 500}, {4, 0, 593}, "upgrade"}, Case{{4, 1, 0}, {4, 0, 593}, "downgrade"},
                        Case{{3, 9, 999}, {4, 0, 0}, "upgrade"}, Case{{4, 0, 593}, {4, 0, 593}, "rewrite"},
                        Case{{4, 0, 600}, {4, 0, 593}, "downgrade"}, Case{{0, 0, 0}, {0, 0, 0}, "rewrite"}})
    EXPECT_STREQ(discovery_action(c.current, c.offered), c.action)
        << c.current.major << "." << c.current.minor << "." << c.current.build;
}

TEST_F(DiscoveryReportFile, SelectsTheDevicesWhoseActionAsksForIt) {
  write("<?xml version=\"1.0\"?>\n<orl_rom_discovery>\n<devices>\n" + device("00:0E:1E:00:00:01", "upgrade        ") +
        device("00:0E:1E:00:00:02", "skip") + device("00:0E:1E:00:00:03", "downgrade      ") +
        device("00:0E:1E:00:00:04", "rewrite        ") + device("00:0E:1E:00:00:05", "") +
        "</devices>\n</orl_rom_discovery>");
  EXPECT_EQ(selection(), (std::vector<std::string>{"00:0E:1E:00:00:01", "00:0E:1E:00:00:03", "00:0E:1E:00:00:04"}));
}

// Each report is cut or damaged somewhere; a device is selected only when
// its own address and action were read.
TEST_F(DiscoveryReportFile, DamagedReportsSelectOnlyCompleteDevices) {
  const std::string good = device("00:0E:1E:00:00:01", "upgrade");
  const std::string noMac = "<device>\n<fw_item>\n<action value=\"upgrade\"/>\n</fw_item>\n</device>\n";
  const std::string noAction = "<device>\n<macaddress value=\"00:0E:1E:00:00:09\"/>\n</device>\n";
  const std::string longLine = "<device>\n<product_id value=\"" + std::string(3000, 'x') + "\"/>\n" +
                               good.substr(9);
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> selected;
  };
  const std::vector<Case> cases = {
      {"empty file", "", {}},
      {"not xml", "\x01\x02 binary\nno devices here", {}},
      {"cut after the address", good + "<device>\n<macaddress value=\"00:0E:1E:00:00:07\"/>\n", {"00:0E:1E:00:00:01"}},
      {"cut inside the address", "<device>\n<macaddress value=\"00:0E", {}},
      {"device without address", noMac + good, {"00:0E:1E:00:00:01"}},
      {"device without action", noAction + good, {"00:0E:1E:00:00:01"}},
      {"line longer than a read", longLine, {"00:0E:1E:00:00:01"}},
  };
  for (const Case& c : cases) {
    write(c.text);
    EXPECT_EQ(selection(), c.selected) << c.name;
  }
}

TEST_F(DiscoveryReportFile, KeepsAtMost256Selections) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += device("00:0E:1E:00:01:" + std::to_string(i), "upgrade");
  write(text);
  const std::vector<std::string> selected = selection();
  ASSERT_EQ(selected.size(), 256u);
  EXPECT_EQ(selected.back(), "00:0E:1E:00:01:255");
}

TEST_F(DiscoveryReportFile, AMissingFileAsksForTheReport) {
  std::vector<std::string> selected{"left over"};
  testing::internal::CaptureStdout();
  EXPECT_EQ(read_discovery_report(dir_ + "/absent.xml", &selected), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Please Create the nicdiscovery.xml File before using -u option\nfopen::No such file or directory\n");
  EXPECT_TRUE(selected.empty());
}

}  // namespace
