// Configuration and discovery-report reading, over files written by the
// tests (the flash tool is not run here).
#include <gtest/gtest.h>

#include <vector>

#include "wrapper/catalog/configuration.h"
#include "wrapper/catalog/discovery.h"
#include "wrapper/catalog/discovery_state.h"
#include "wrapper/toolrun/wrapper_host_fixture.h"

namespace keelson {
namespace {

const char* const kConfiguration =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<nic_fw_package version=\"1.0\">\n"
    "  <nic>\n"
    "    <nic name=\"Dual\" venid=\"4040\" devid=\"0100\" subvenid=\"4040\" subdevid=\"0126\" rom=\"4.0.593\" "
    "fwFile=\"quarry_romimage\"/>\n"
    "    <nic name=\"Quad\" venid=\"4040\" devid=\"0100\" subvenid=\"4040\" subdevid=\"0124\" rom=\"4.0.585\"/>\n"
    "    <nic NAME=\"Quad again\" VENID=\"4040\" devid=\"100\" subvenid=\"4040\" subdevid=\"0124\" ROM=\"4.0.600\"/>\n"
    "    <nic name=\"Mezzanine\" venid=\"4040\" devid=\"0100\" subvenid=\"103c\" subdevid=\"171b\" rom=\"4.0.593\"/>\n"
    "    <nic name=\"Lom\" venid=\"4040\" devid=\"0100\" subvenid=\"103C\" subdevid=\"705A\" rom=\"4593\"/>\n"
    "    <other venid=\"4040\" devid=\"0100\" subvenid=\"4040\" subdevid=\"0001\" rom=\"4.0.1\"/>\n"
    "  </nic>\n"
    "  <nics><nic venid=\"4040\" devid=\"0100\" subvenid=\"4040\" subdevid=\"0002\" rom=\"4.0.1\"/></nics>\n"
    "</nic_fw_package>\n";

struct Device {
  std::string venid = "4040", devid = "0100", subvenid = "4040", subdevid = "0126";
  std::string bus = "5", device = "0", function = "0";
  std::string nicType = "CVZ3", fwType = "ROM", active = "4.0.534", action = "upgrade        ";
  std::string name = "  Dual port adapter ";
  std::string mac = "02:C0:4A:00:00:01";
  std::string product = "Corvane Z3 2-port 10GbE";
};

std::string element(const std::string& name, const std::string& value) {
  return "<" + name + " value=\"" + value + "\"/>\n";
}

std::string deviceXml(const Device& d) {
  return "<device>\n" + element("device_id", d.name) + element("venid", d.venid) + element("devid", d.devid) +
         element("subvenid", d.subvenid) + element("subdevid", d.subdevid) + element("macaddress", d.mac) +
         element("product_id", d.product) + element("busnumber", d.bus) + element("devicenumber", d.device) +
         element("funcnumber", d.function) + element("slotnumber", "FFFFFFFF") + element("nictype", d.nicType) +
         "<fw_item>\n" + element("type", d.fwType) + element("version", "4.0.593") +
         element("active_version", d.active) + element("action", d.action) + "</fw_item>\n</device>\n";
}

std::string report(const std::vector<Device>& devices, const std::string& type = "CORVANE_NIC") {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<orl_rom_discovery version=\"2.0.0.0\">\n" +
                    element("type", type) + element("version", "4.0.593") + element("takes_effect", "reboot") +
                    "<devices>\n";
  for (const Device& d : devices) xml += deviceXml(d);
  return xml + "</devices>\n</orl_rom_discovery>\n";
}

class DiscoveryReportTest : public WrapperHostTest {
 protected:
  void SetUp() override {
    WrapperHostTest::SetUp();
    versionReportValues() = VersionReportValues{};
    writeFile("NICFWData.xml", kConfiguration);
  }

  // Loads the configuration, then reads the report; the log of both.
  int process(const std::string& reportXml) {
    std::filesystem::remove(runState().logPath);
    loadConfiguration();
    writeFile("report.xml", reportXml);
    return processDiscoveryReport("report.xml");
  }

  std::vector<std::string> locations() const {
    std::vector<std::string> list;
    for (const SupportedNic& nic : runState().adapters) list.push_back(nic.location);
    return list;
  }
};

TEST_F(DiscoveryReportTest, ReadsTheConfigurationIntoTheCatalog) {
  loadConfiguration();
  const FirmwareCatalog& catalog = firmwareCatalog();
  std::vector<std::string> keys;
  for (const auto& [key, entry] : catalog) keys.push_back(key);
  // Ids compare as written: "103c" stays lower case; "100" is padded. The
  // entry whose "rom" cannot be read is refused with a warning.
  EXPECT_EQ(keys, (std::vector<std::string>{"4040-0100-103c-171b", "4040-0100-4040-0124", "4040-0100-4040-0126"}));
  const FirmwareEntry& quad = catalog.at("4040-0100-4040-0124");
  EXPECT_EQ(quad.name, "Quad again");  // the later of two entries with the same ids
  EXPECT_EQ(quad.rom, "4.0.600");
  EXPECT_EQ(versionText(quad.romVersion), "4.0.600");
  EXPECT_EQ(catalog.at("4040-0100-4040-0126").fwFile, "quarry_romimage");
  EXPECT_EQ(logText(),
            "Warning!!! - Invalid firmware version (rom) value '4593' for the NIC with PCI Id 4040-0100-103C-705A, "
            "entry ignored.\n");
}

TEST_F(DiscoveryReportTest, AConfigurationThatCannotBeReadLeavesTheCatalogAsItWas) {
  loadConfiguration();
  const size_t entries = firmwareCatalog().size();
  const struct {
    const char* what;
    std::string bytes;
    std::string logged;
  } cases[] = {
      {"missing", "",
       "\n\nLoading configuration file NICFWData.xml Error code: 10\nFile Not found!- Please make sure burnkit.exe "
       "and burnkit_x64.exe are present in the same directory where Keelson.exe is available.\n"},
      {"empty", "-", "\n\nLoading configuration file NICFWData.xml Error code: 3\n"},
      {"other root", "<package/>", "\n\nLoading configuration file NICFWData.xml Error code: 11\n"},
      {"truncated", "<nic_fw_package><nic><nic venid=\"40",
       "\n\nLoading configuration file NICFWData.xml Error code: 105\n"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove("NICFWData.xml");
    if (c.bytes == "-") writeFile("NICFWData.xml", "");
    if (c.bytes.size() > 1) writeFile("NICFWData.xml", c.bytes);
    std::filesystem::remove(runState().logPath);
    loadConfiguration();
    EXPECT_EQ(firmwareCatalog().size(), entries) << c.what;
    EXPECT_EQ(logText(), c.logged) << c.what;
  }
}

TEST_F(DiscoveryReportTest, KeepsTheDevicesTheCatalogKnows) {
  Device dual;
  Device quad;
  quad.subdevid = "0124";
  quad.bus = "6";
  quad.function = "1";
  quad.active = "4.0.585";
  quad.action = " skip ";
  Device mezzanine;  // configured with lower-case ids: never matches
  mezzanine.subvenid = "103C";
  mezzanine.subdevid = "171B";
  mezzanine.bus = "7";
  Device other;  // not configured
  other.subdevid = "0999";
  other.bus = "9";

  EXPECT_EQ(process(report({dual, mezzanine, quad, other})), 0);
  const std::vector<SupportedNic>& adapters = runState().adapters;
  ASSERT_EQ(adapters.size(), 2u);
  EXPECT_EQ(runState().supportedCount, 2u);
  const SupportedNic& first = adapters[0];
  EXPECT_EQ(first.name, "Dual port adapter");
  EXPECT_EQ(first.location, "5:0.0");
  EXPECT_EQ(first.pciId, "4040-0100-4040-0126");
  EXPECT_EQ(first.macAddress, "02:C0:4A:00:00:01");
  EXPECT_EQ(versionText(first.installed), "4.0.534");
  EXPECT_EQ(first.installedText, "4.0.534");
  EXPECT_EQ(versionText(first.package), "4.0.593");
  EXPECT_EQ(first.productId, "Corvane Z3 2-port 10GbE");
  EXPECT_EQ(first.flags, kNicSupported);
  EXPECT_EQ(first.action, "upgrade");
  EXPECT_EQ(adapters[1].location, "6:0.1");
  EXPECT_EQ(versionText(adapters[1].package), "4.0.600");
  EXPECT_EQ(adapters[1].action, "skip");
  EXPECT_EQ(logText(),
            "Warning!!! - Invalid firmware version (rom) value '4593' for the NIC with PCI Id 4040-0100-103C-705A, "
            "entry ignored.\n"
            "NIC with PCI Id 4040-0100-103C-171B is not identified as a supported Solvane Z3 NIC.\n"
            "NIC with PCI Id 4040-0100-4040-0999 is not identified as a supported Solvane Z3 NIC.\n");
}

TEST_F(DiscoveryReportTest, WarnsAboutFieldsThatCannotBeRead) {
  const struct {
    const char* what;
    Device device;
    int result;
    std::string location;
    std::string logged;
  } cases[] = {
      {"vendor id with a letter beyond F",
       [] {
         Device d;
         d.venid = "40G0";
         return d;
       }(),
       1, "",
       "Warning!!! - Invalid/Corrupted vendor Id (XML tag: venid) value.\n"
       "NIC with PCI Id 0000-0100-4040-0126 is not identified as a supported Solvane Z3 NIC.\n"},
      {"empty device id",
       [] {
         Device d;
         d.devid = "";
         return d;
       }(),
       1, "",
       "Warning!!! - Invalid/Corrupted device Id (XML tag: devid) value.\n"
       "NIC with PCI Id 4040-0000-4040-0126 is not identified as a supported Solvane Z3 NIC.\n"},
      {"sub-vendor id at the limit",
       [] {
         Device d;
         d.subvenid = "7FFFFFFF";
         return d;
       }(),
       1, "",
       "Warning!!! - Invalid/Corrupted sub-vendor Id (XML tag: subvenid) value.\n"
       "NIC with PCI Id 4040-0100-0000-0126 is not identified as a supported Solvane Z3 NIC.\n"},
      {"sub-device id of any length",
       [] {
         Device d;
         d.subdevid = std::string(5000, 'F');
         return d;
       }(),
       1, "",
       "Warning!!! - Invalid/Corrupted sub-device Id (XML tag: subdevid) value\n"
       "NIC with PCI Id 4040-0100-4040-0000 is not identified as a supported Solvane Z3 NIC.\n"},
      {"bus number beyond an int",
       [] {
         Device d;
         d.bus = "4294967301";
         return d;
       }(),
       0, "0:0.0", "Warning!!! - Invalid/Corrupted bus number (XML tag: busnumber) value.\n"},
      {"device and function not numbers",
       [] {
         Device d;
         d.device = "x";
         d.function = "-1";
         return d;
       }(),
       0, "5:0.0",
       "Warning!!! - Invalid/Corrupted device number (XML tag: devicenumber) value.\n"
       "Warning!!! - Invalid/Corrupted function number (XML tag: funcnumber) value.\n"},
      {"not a CVZ3 device",
       [] {
         Device d;
         d.nicType = "CVZ2";
         return d;
       }(),
       0, "5:0.0", "Warning!!! - Non CVZ3 device added!!!\n"},
      {"active version without a dot",
       [] {
         Device d;
         d.active = "4";
         return d;
       }(),
       0, "5:0.0", "Warning!!! - Invalid/Corrupted firmware version (XML tag: active_version) value.\n"},
  };
  for (const auto& c : cases) {
    runState() = RunState{};
    runState().logPath = logFilePathOfHost();
    EXPECT_EQ(process(report({c.device})), c.result) << c.what;
    EXPECT_EQ(runState().adapters.empty() ? "" : runState().adapters[0].location, c.location) << c.what;
    // The configuration's own warning comes first in every case.
    const std::string log = logText();
    EXPECT_EQ(log.substr(log.find('\n') + 1), c.logged) << c.what;
  }
}

TEST_F(DiscoveryReportTest, StopsAtAFirmwareTypeOtherThanRom) {
  Device dual;
  Device bios;
  bios.subdevid = "0124";
  bios.fwType = "BIOS";
  Device after;
  after.bus = "8";
  EXPECT_EQ(process(report({dual, bios, after})), 0);
  EXPECT_EQ(locations(), std::vector<std::string>{"5:0.0"});
  EXPECT_NE(
      logText().find("Warning!!! - firmware type is not expected!. Expected type is ROM, current value is BIOS\n"),
      std::string::npos);

  runState() = RunState{};
  EXPECT_EQ(process(report({bios, dual})), 1);
  EXPECT_TRUE(locations().empty());
}

TEST_F(DiscoveryReportTest, RefusesAReportOfAnotherKind) {
  EXPECT_EQ(process(report({Device{}}, "OTHER_NIC")), 1);
  EXPECT_TRUE(locations().empty());
  EXPECT_NE(logText().find("Not an expected file (report.xml). Expecting type value as 'CORVANE_NIC'\n"),
            std::string::npos);

  EXPECT_EQ(process("<orl_rom_discovery><devices>"), 1);
  EXPECT_NE(logText().find("Loading configuration file report.xmlFailed!. Error code: 1\n"), std::string::npos);
  std::filesystem::remove("report.xml");
  EXPECT_EQ(processDiscoveryReport("report.xml"), 1);
  EXPECT_NE(logText().find("Loading configuration file report.xmlFailed!. Error code: 10\n"), std::string::npos);
}

TEST_F(DiscoveryReportTest, ReadsAReportOnlyOncePerDiscovery) {
  EXPECT_EQ(process(report({Device{}})), 0);
  runState().discoveryDone = runState().discoveryReportRead = true;
  EXPECT_EQ(processDiscoveryReport("report.xml"), 0);
  EXPECT_EQ(runState().adapters.size(), 1u);
}

TEST_F(DiscoveryReportTest, WritesTheVersionReportWithTheLastValues) {
  runState().versionReport = true;
  runState().reportFile = "versions.xml";
  Device dual;
  Device quad;
  quad.subdevid = "0124";
  quad.active = "4.0.585";
  Device unknown;  // read last, matched by nothing
  unknown.subdevid = "0999";
  unknown.active = "4.0.4";
  ASSERT_EQ(process(report({dual, quad, unknown})), 0);
  const std::string document =
      "<orl_rom_discovery version=\"4.0.593.0\"><type value=\"CORVANE_NIC\"/>"
      "<alt_name value=\"Orland Kestrel-Series Corvane Z3 Online Firmware Upgrade Utility for Windows\"/>"
      "<current_version value=\"4.0.4\"/><package_version value=\"4.0.600\"/>"
      "<takes_effect value=\"reboot\"/></orl_rom_discovery>";
  EXPECT_EQ(readFile("versions.xml"), "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" + document);
  const std::string log = logText();
  EXPECT_EQ(log.substr(log.size() - document.size() - 56),
            "Created an XML file with Only FW version information.!\n" + document + "\n");
}

}  // namespace
}  // namespace keelson
