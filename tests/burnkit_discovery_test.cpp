// burnkit -d and -u as the upgrade wrapper runs them: the discovery report
// of a machine with several Corvane cards and another maker's adapter, and
// the unattended upgrade of the cards an edited report selects.
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "simhost/machine/files.h"
#include "simhost/provision/demo_package.h"
#include "tests/board_fixture.h"

namespace {

using corvane_test::RunResult;

const Board kNcsi{"b26", 0x26, 0x705B103C, 2, 5, 0x42, "SN26C", {0x00, 0x0E, 0x1E, 0x26, 0x00, 0x10}, 0x26000000000000C3};
const Board kQuad{"b24", 0x24, 0x01244040, 4, 4, 0x42, "SN-24", {0x00, 0x0E, 0x1E, 0x24, 0x00, 0x10}, 0x24000000000000B2};
const Board kTenT{"b27", 0x27, 0x01274040, 2, 6, 0x42, "SN27", {0x00, 0x0E, 0x1E, 0x27, 0x00, 0x10}, 0x27000000000000A7};
const Board kGen2{"b0e", 0x0E, 0x170E103C, 2, 8, 0x24, "SN0EF", {0x00, 0x0E, 0x1E, 0x0E, 0x00, 0x10}, 0};

class BurnkitDiscoveryTest : public BoardScenario {
 protected:
  void SetUp() override {
    add(kNcsi, "4.0.500");  // older than the package: upgrade
    add(kQuad, "4.0.593");  // the package's own: rewrite
    add(kTenT, "4.1.0");    // newer: downgrade
    add(kGen2, "4.0.500");  // the package holds nothing for it
    simhost::NicOrder other;
    other.vendor = 0x8086;
    other.device = 0x10FB;
    other.connection = "Onboard Ethernet";
    host_.addNic(other);
    std::string error;
    ASSERT_TRUE(simhost::writeDemoPackage(host_.dir(), "4.0.593", &error)) << error;
    package_ = simhost::demoPackageDir(host_.dir());
    report_ = package_ + "/nicdiscovery.xml";
  }

  RunResult inPackage(const std::vector<std::string>& args) const {
    return host_.runIn(package_, "burnkit", args);
  }
  std::string report() const {
    std::string text;
    EXPECT_TRUE(simhost::readFile(report_, &text, nullptr));
    return text;
  }
  void writeReport(const std::string& text) const { ASSERT_TRUE(simhost::writeFileAtomic(report_, text, nullptr)); }
  bool wellFormed(const std::string& path) const {
    return corvane_test::runProgram("/usr/bin/xmllint", {"--noout", path}, "", "", "").exitCode == 0;
  }
  std::string runningFirmware(const std::string& name) const {
    const nlohmann::json shown = nlohmann::json::parse(host_.sim("show", {"--json"}).out);
    for (const auto& c : shown["cards"])
      if (c["name"] == name) return c["firmware"];
    return "";
  }
  void resetStats() const {
    for (const char* name : {"b26", "b24", "b27", "b0e"}) sim("stats", {name, "--reset"});
  }

  std::string package_;
  std::string report_;
};

// The device elements of a report, each from "<device>" to "</device>\n".
std::vector<std::string> devices(const std::string& report) {
  std::vector<std::string> found;
  for (size_t at = report.find("<device>\n"); at != std::string::npos; at = report.find("<device>\n", at + 1)) {
    const size_t end = report.find("</device>\n", at);
    if (end == std::string::npos) break;
    found.push_back(report.substr(at, end + 10 - at));
  }
  return found;
}

std::string deviceOnBus(const std::string& report, int bus) {
  for (const std::string& d : devices(report))
    if (d.find("<busnumber value=\"" + std::to_string(bus) + "\"/>") != std::string::npos) return d;
  return "";
}

int functionOf(const std::string& device) {
  std::smatch m;
  std::regex re("<funcnumber value=\"([0-9]+)\"/>");
  return std::regex_search(device, m, re) ? std::stoi(m[1]) : -1;
}

std::string macText(const simhost::MacAddress& base, int port) {
  char text[32];
  std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", base[0], base[1], base[2], base[3], base[4],
                base[5] + port);
  return text;
}

TEST_F(BurnkitDiscoveryTest, ReportHasOneWellFormedDeviceElementPerCard) {
  resetStats();
  RunResult r = inPackage({"-d", report_});
  ASSERT_EQ(r.exitCode, 0u) << r.out << r.err;
  EXPECT_NE(r.out.find("card_index=4\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Warning: Creating XML file, missing field version value=\n"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("'Onboard Ethernet' is not a Corvane Interface\n"), std::string::npos) << r.err;
  EXPECT_TRUE(wellFormed(report_));

  const std::string text = report();
  const std::string header =
            "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
            "<orl_rom_discovery version=\"2.0.0.0\">\n"
            "<type value=\"CORVANE_NIC\"/>\n"
            "<alt_name value=\"Orland Kestrel-Series Corvane Online Firmware Upgrade Utility for Windows\"/>\n"
            "<version value=\"4.0.593\"/>\n"
            "<takes_effect value=\"reboot\"/>\n"
            "<devices>\n"
            "<device>\n";
  EXPECT_EQ(text.substr(0, header.size()), header);
  EXPECT_EQ(text.substr(text.size() - 31), "</devices>\n</orl_rom_discovery>");
  ASSERT_EQ(devices(text).size(), 4u) << text;

  const std::string sfp = deviceOnBus(text, kNcsi.bus);
  const int function = functionOf(sfp);
  ASSERT_GE(function, 0) << sfp;
  EXPECT_EQ(sfp,
            "<device>\n"
            "<device_id value=\"4040.0100.103C.705B\"/>\n"
            "<venid value=\"4040\"/>\n"
            "<devid value=\"0100\"/>\n"
            "<subvenid value=\"103C\"/>\n"
            "<subdevid value=\"705B\"/>\n"
            "<macaddress value=\"" + macText(kNcsi.mac, function) + "\"/>\n"
            "<product_id value=\"Corvane 2-port 10GbE SFP+ Server Adapter\"/>\n"
            "<busnumber value=\"5\"/>\n"
            "<devicenumber value=\"0\"/>\n"
            "<funcnumber value=\"" + std::to_string(function) + "\"/>\n"
            "<slotnumber value=\"FFFFFFFF\"/>\n"
            "<nictype value=\"CVZ3\"/>\n"
            "<fw_item>\n"
            "<type value=\"ROM\"/>\n"
            "<firmware_id value=\"\"/>\n"
            "<version value=\"4.0.593\"/>\n"
            "<active_version value=\"4.0.500\"/>\n"
            "<action value=\"upgrade        \"/>\n"
            "<duration value=\"180\"/>\n"
            "<message value=\"                              \"/>\n"
            "<shared value=\"no\"/>\n"
            "</fw_item>\n"
            "</device>\n");

  const std::string quad = deviceOnBus(text, kQuad.bus);
  EXPECT_NE(quad.find("<macaddress value=\"" + macText(kQuad.mac, functionOf(quad)) + "\"/>"), std::string::npos);
  EXPECT_NE(quad.find("<action value=\"rewrite        \"/>"), std::string::npos) << quad;
  EXPECT_NE(quad.find("<device_id value=\"4040.0100.4040.0124\"/>"), std::string::npos) << quad;
  EXPECT_NE(deviceOnBus(text, kTenT.bus).find("<action value=\"downgrade      \"/>"), std::string::npos);
  const std::string gen2 = deviceOnBus(text, kGen2.bus);
  EXPECT_NE(gen2.find("<devid value=\"0001\"/>\n"), std::string::npos) << gen2;
  EXPECT_NE(gen2.find("<nictype value=\"CVZ2\"/>\n"), std::string::npos) << gen2;
  EXPECT_NE(gen2.find("<version value=\"0.0.0\"/>\n"), std::string::npos) << gen2;

  // Each port is opened by the two checks that come before the card's
  // identity is known, and the card once more to collect its record; the
  // flash is read a word at a time, and only the areas the record needs.
  for (const Board& b : {kNcsi, kQuad}) {
    EXPECT_EQ(calls(b.name, 22), 2 * b.ports + 1) << b.name;
    EXPECT_LT(calls(b.name, 50), 1000u) << b.name;
    EXPECT_EQ(calls(b.name, 51), 0u) << b.name;
  }
}

TEST_F(BurnkitDiscoveryTest, EditedReportUpgradesOnlyTheSelectedCards) {
  ASSERT_EQ(inPackage({"-d", report_}).exitCode, 0u);
  const std::string text = report();
  const std::string sfp = deviceOnBus(text, kNcsi.bus), quad = deviceOnBus(text, kQuad.bus),
                    tenT = deviceOnBus(text, kTenT.bus), gen2 = deviceOnBus(text, kGen2.bus);
  std::string skipped = quad;
  skipped.replace(skipped.find("rewrite        "), 15, "skip");
  std::string stranger = sfp;
  stranger.replace(stranger.find(macText(kNcsi.mac, functionOf(sfp))), 17, "00:0E:1E:99:99:99");
  // The card the package has nothing for comes first: the run goes on past
  // it. A device listed three times is still one card, upgraded once.
  const size_t head = text.find("<device>\n");
  writeReport(text.substr(0, head) + tenT + gen2 + tenT + skipped + sfp + stranger + tenT +
              "</devices>\n</orl_rom_discovery>");

  resetStats();
  RunResult r = inPackage({"-u", report_});
  EXPECT_EQ(r.exitCode, 1u) << r.out << r.err;  // the unknown address
  EXPECT_EQ(runningFirmware("b26"), "4.0.593") << r.out << r.err;
  EXPECT_EQ(runningFirmware("b24"), "4.0.593");
  EXPECT_EQ(calls("b24", 51), 0u) << "the skipped card was written";
  EXPECT_EQ(runningFirmware("b27"), "4.0.593");  // report mode lets the downgrade through
  EXPECT_EQ(runningFirmware("b0e"), "4.0.500");
  EXPECT_NE(r.err.find("Failed to write flash for 'nic' product\n"), std::string::npos) << r.err;
  EXPECT_EQ(r.out.find("(Y/N)"), std::string::npos) << "report mode asks nothing";
  size_t upgrades = 0;
  for (size_t at = r.out.find("Flashing completed successfully."); at != std::string::npos;
       at = r.out.find("Flashing completed successfully.", at + 1))
    ++upgrades;
  EXPECT_EQ(upgrades, 2u) << r.out;  // b26 and b27, each once

  RunResult test = host_.run("burnkit", {"-i", "Local Area Connection", "-F"});
  EXPECT_EQ(test.exitCode, 0u) << test.out << test.err;
}

// A card whose checks fail (here its write-protect pin keeps the flash from
// taking writes) is reported and skipped; the cards after it are still
// upgraded, and the run ends with the skipped card's code.
TEST_F(BurnkitDiscoveryTest, ACardThatFailsItsChecksIsSkippedAndTheOthersUpgraded) {
  ASSERT_EQ(inPackage({"-d", report_}).exitCode, 0u);
  const std::string text = report();
  const std::string sfp = deviceOnBus(text, kNcsi.bus), tenT = deviceOnBus(text, kTenT.bus);
  const size_t head = text.find("<device>\n");
  writeReport(text.substr(0, head) + sfp + tenT + "</devices>\n</orl_rom_discovery>");
  sim("set", {"wp-pin", "b26", "on"});
  card("b26")->setFlashStatus(0x80);

  RunResult r = inPackage({"-u", report_});
  EXPECT_EQ(r.exitCode, 31u) << r.out << r.err;
  EXPECT_NE(r.err.find("Flash writes are disabled on this board!!!\n"
                       "The card of \""),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("is skipped (code 31).\n"), std::string::npos) << r.err;
  EXPECT_EQ(calls("b26", 51), 0u);
  EXPECT_EQ(runningFirmware("b26"), "4.0.500");
  EXPECT_EQ(runningFirmware("b27"), "4.0.593") << r.out << r.err;
}

TEST_F(BurnkitDiscoveryTest, ReportsThatSelectNothingEndWithOneAndWriteNothing) {
  ASSERT_EQ(inPackage({"-d", report_}).exitCode, 0u);
  const std::string text = report();
  const std::string first = devices(text).at(0);
  const std::string cutAfterMac = text.substr(0, text.find(first) + first.find("<product_id"));
  struct Case {
    const char* name;
    std::string content;
    bool create;  // false: no file at all
    const char* output;
  };
  const std::vector<Case> cases = {
      {"missing file", "", false,
       "Please Create the nicdiscovery.xml File before using -u option\nfopen::No such file or directory\n"
       "No Device selected for F/W upgrade.\n"},
      {"not xml", "this is not a report\n\x01\x02 at all", true, "No Device selected for F/W upgrade.\n"},
      {"cut before the action", cutAfterMac, true, "No Device selected for F/W upgrade.\n"},
      {"every card skipped", std::regex_replace(text, std::regex("(upgrade|downgrade|rewrite) *\""), "skip\""), true,
       "No Device selected for F/W upgrade.\n"},
  };
  for (const Case& c : cases) {
    std::remove(report_.c_str());
    if (c.create) writeReport(c.content);
    resetStats();
    RunResult r = inPackage({"-u", report_});
    EXPECT_EQ(r.exitCode, 1u) << c.name;
    EXPECT_NE(r.out.find(c.output), std::string::npos) << c.name << "\n" << r.out;
    for (const char* name : {"b26", "b24", "b27", "b0e"}) EXPECT_EQ(calls(name, 51), 0u) << c.name << " " << name;
  }
}

// The run goes on after a written report; a report that cannot be created
// ends it.
TEST_F(BurnkitDiscoveryTest, AReportThatCannotBeCreatedEndsTheRun) {
  RunResult r = inPackage({"-d", report_, "-d", package_ + "/no/such/dir.xml", "-v"});
  EXPECT_EQ(r.exitCode, 255u) << r.out << r.err;
  EXPECT_TRUE(wellFormed(report_));
  EXPECT_NE(r.out.find("Couldn't open XML file...\n"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("Failed to create XML file...\n"), std::string::npos) << r.err;
  EXPECT_EQ(r.out.find("Corvane burnkit version"), std::string::npos) << "the run went on";
}

}  // namespace
