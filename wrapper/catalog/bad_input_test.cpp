// Configuration and report files that are malformed, truncated, huge,
// deeply nested or in an unexpected encoding: the read is refused or
// bounded with its error number or warning, never a crash or a hang.
#include <gtest/gtest.h>

#include "wrapper/catalog/configuration.h"
#include "wrapper/catalog/discovery.h"
#include "wrapper/catalog/discovery_state.h"
#include "wrapper/toolrun/wrapper_host_fixture.h"
#include "wrapper/xml/xml_document.h"

namespace keelson {
namespace {

constexpr size_t kTenMiB = 10 << 20;
constexpr int kSyntax = -1;  // any syntax error of the parser

const std::string kGoodEntry =
    "<nic name=\"Dual\" venid=\"4040\" devid=\"0100\" subvenid=\"4040\" subdevid=\"0126\" rom=\"4.0.593\"/>";

std::string configuration(const std::string& inner) {
  return "<nic_fw_package version=\"1\"><nic>" + inner + "</nic></nic_fw_package>";
}

std::string reportDevice(const std::string& bus) {
  return "<device><venid value=\"4040\"/><devid value=\"0100\"/><subvenid value=\"4040\"/>"
         "<subdevid value=\"0126\"/><busnumber value=\"" +
         bus +
         "\"/><devicenumber value=\"0\"/><funcnumber value=\"0\"/><nictype value=\"CVZ3\"/>"
         "<fw_item><type value=\"ROM\"/><active_version value=\"4.0.534\"/></fw_item></device>";
}

std::string report(const std::string& devices) {
  return "<orl_rom_discovery><type value=\"CORVANE_NIC\"/><devices>" + devices + "</devices></orl_rom_discovery>";
}

std::string utf16le(const std::string& ascii) {
  std::string out;
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

class BadInputTest : public WrapperHostTest {
 protected:
  void SetUp() override {
    WrapperHostTest::SetUp();
    versionReportValues() = VersionReportValues{};
  }

  // The configuration error number logged for these bytes (0: none), and
  // the entries the catalog then holds.
  int loadConfigurationFrom(const std::string& bytes) {
    firmwareCatalog().clear();
    std::filesystem::remove(runState().logPath);
    writeFile("NICFWData.xml", bytes);
    loadConfiguration();
    const std::string log = logText();
    const std::string label = "Error code: ";
    const size_t at = log.find(label);
    return at == std::string::npos ? 0 : std::stoi(log.substr(at + label.size()));
  }
};

TEST_F(BadInputTest, ConfigurationFilesOfEveryShape) {
  std::string deep;
  for (int i = 0; i < 200000; ++i) deep += "<nic>";
  std::string hugeValue =
      configuration("<nic venid=\"4040\" devid=\"0100\" subvenid=\"4040\" subdevid=\"0126\" rom=\"4." +
                    std::string(kTenMiB, '5') + "\"/>");
  std::string manyEntries;
  while (manyEntries.size() < kTenMiB) manyEntries += kGoodEntry + "\n";
  const struct {
    const char* what;
    std::string bytes;
    int error;
    size_t entries;
  } cases[] = {
      {"UTF-16 with a mark", "\xFF\xFE" + utf16le(configuration(kGoodEntry)), 0, 1},
      {"UTF-16 with a mark and half a character", "\xFF\xFE" + utf16le(configuration(kGoodEntry)) + "\n", 14, 0},
      {"UTF-16 without a mark, odd length", utf16le(configuration(kGoodEntry)) + " ", kSyntax, 0},
      // Not UTF-16 to the text test: its text ends at the first NUL, after the mark.
      {"big-endian UTF-16", "\xFE\xFF" + utf16le(configuration(kGoodEntry)).substr(1) + "\0", 11, 0},
      {"Latin-1 byte in UTF-8", configuration("<nic name=\"Caf\xE9\"/>"), kSyntax, 0},
      {"truncated", configuration(kGoodEntry).substr(0, 50), kSyntax, 0},
      {"nested 200000 deep", deep, 90, 0},
      {"a 10 MiB rom text", hugeValue, 0, 0},
      {"10 MiB of entries", configuration(manyEntries), 0, 1},
      {"only zero bytes", std::string(1000, '\0'), 9, 0},
  };
  for (const auto& c : cases) {
    const int error = loadConfigurationFrom(c.bytes);
    if (c.error == kSyntax) {
      EXPECT_GE(error, kXmlSyntaxErrorBase) << c.what;
    } else {
      EXPECT_EQ(error, c.error) << c.what;
    }
    EXPECT_EQ(firmwareCatalog().size(), c.entries) << c.what;
  }
  // The refused rom text is quoted shortly in its warning.
  loadConfigurationFrom(hugeValue);
  EXPECT_LT(logText().size(), 300u);
}

TEST_F(BadInputTest, ReportFilesOfEveryShape) {
  writeFile("NICFWData.xml", configuration(kGoodEntry));
  std::string manyDevices;
  while (manyDevices.size() < kTenMiB) manyDevices += reportDevice("5");
  std::string deep = report(reportDevice("5"));
  for (int i = 0; i < 5000; ++i) deep.insert(deep.find("<devices>") + 9, "<device>");
  const struct {
    const char* what;
    std::string bytes;
    int result;
    size_t adapters;
  } cases[] = {
      {"UTF-16 without a mark", utf16le(report(reportDevice("5"))), 0, 1},
      {"truncated in a device", report(reportDevice("5") + reportDevice("6")).substr(0, 300), 1, 0},
      {"10 MiB of devices", report(manyDevices), 0, manyDevices.size() / reportDevice("5").size()},
      {"devices nested 5000 deep", deep, 1, 0},
      {"a bus number of 100000 digits", report(reportDevice(std::string(100000, '9'))), 0, 1},
      {"empty", "", 1, 0},
  };
  for (const auto& c : cases) {
    runState() = RunState{};
    runState().logPath = logFilePathOfHost();
    loadConfiguration();
    writeFile("report.xml", c.bytes);
    EXPECT_EQ(processDiscoveryReport("report.xml"), c.result) << c.what;
    EXPECT_EQ(runState().adapters.size(), c.adapters) << c.what;
  }
  EXPECT_EQ(runState().adapters.empty(), true);
}

}  // namespace
}  // namespace keelson
