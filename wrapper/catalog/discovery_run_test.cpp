// Discovery and the report runs with the real flash tool on a simulated
// host.
#include <gtest/gtest.h>

#include <vector>

#include "wrapper/catalog/discovery.h"
#include "wrapper/catalog/discovery_state.h"
#include "wrapper/catalog/installed_firmware.h"
#include "wrapper/catalog/report_runs.h"
#include "wrapper/state/exit_codes.h"
#include "wrapper/toolrun/do_command.h"
#include "wrapper/toolrun/wrapper_host_fixture.h"

namespace keelson {
namespace {

class DiscoveryRunTest : public WrapperHostTest {
 protected:
  void SetUp() override {
    WrapperHostTest::SetUp();
    versionReportValues() = VersionReportValues{};
  }

  void addBoards() {
    simhost::CardOrder dual;
    dual.name = "sfp26";
    dual.board = 0x26;
    dual.subsys = 0x01264040;
    dual.ports = 2;
    dual.bus = 5;
    dual.firmware = "4.0.534";
    scenario_.addImagedCard(dual);
    simhost::CardOrder lom = dual;
    lom.name = "lom29";
    lom.board = 0x29;
    lom.subsys = 0x705A103C;
    lom.ports = 4;
    lom.bus = 8;
    lom.firmware = "4.0.585";
    scenario_.addImagedCard(lom);
  }

  std::string firmwareOnFlash(const std::string& location) {
    runState().adapters.clear();
    do_command("burnkit.exe -i " + location + " --info", "info.txt");
    const std::string info = readFile("info.txt");
    const std::string label = "Firmware version(on Flash) : ";
    const size_t at = info.find(label);
    return at == std::string::npos ? "" : info.substr(at + label.size(), info.find('\n', at) - at - label.size());
  }

  void rediscover() {
    runState().discoveryReportRead = false;
    runState().adapters.clear();
    runState().supportedCount = 0;
  }
};

TEST_F(DiscoveryRunTest, FindsTheConfiguredBoardsOnce) {
  addBoards();
  writePackage();
  EXPECT_EQ(discoverAdapters(), 0u);
  ASSERT_EQ(runState().adapters.size(), 2u);
  EXPECT_EQ(runState().supportedCount, 2u);
  // In the order of the tool's report, each at the port it was found by.
  const SupportedNic& lom = runState().adapters[0];
  EXPECT_EQ(lom.location, "8:0.2");
  EXPECT_EQ(lom.pciId, "4040-0100-103C-705A");
  EXPECT_EQ(versionText(lom.installed), "4.0.585");
  EXPECT_EQ(versionText(lom.package), "4.0.593");
  const SupportedNic& dual = runState().adapters[1];
  EXPECT_EQ(dual.location, "5:0.1");
  EXPECT_EQ(dual.pciId, "4040-0100-4040-0126");
  EXPECT_EQ(versionText(dual.installed), "4.0.534");
  EXPECT_EQ(dual.productId, "Corvane Z3 2-port 10GbE SFP+ Server Adapter");
  EXPECT_TRUE(runState().discoveryDone && runState().discoveryReportRead);
  EXPECT_FALSE(std::filesystem::exists("tempNicList.xml"));
  EXPECT_EQ(logText(),
            "Started Corvane Z3 device discovery!\nburnkit.exe -d tempNicList.xml\ndo_command: exitCode: 0\n"
            "Corvane Z3 device discovery completed successfully.!\n");

  // Done for this run: nothing is run again until the flags are reset.
  EXPECT_EQ(discoverAdapters(), 0u);
  EXPECT_EQ(runState().adapters.size(), 2u);
  rediscover();
  runState().consoleDebug = true;
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(discoverAdapters(), 0u);
  EXPECT_NE(::testing::internal::GetCapturedStdout().find("tempNicList.xml is deleted!\n"), std::string::npos);
  EXPECT_EQ(runState().adapters.size(), 2u);
  EXPECT_EQ(scenario_.violations(), "");
}

TEST_F(DiscoveryRunTest, AFailedDiscoveryIsTriedAgain) {
  writePackage();  // no board on the host: the tool ends with -1
  EXPECT_EQ(discoverAdapters(), 255u);
  EXPECT_TRUE(runState().adapters.empty());
  EXPECT_FALSE(runState().discoveryDone);
  addBoards();
  EXPECT_EQ(discoverAdapters(), 0u);
  EXPECT_EQ(runState().adapters.size(), 2u);
}

TEST_F(DiscoveryRunTest, ReportRunsHaveTheFlashToolWriteAndApplyTheReport) {
  addBoards();
  writePackage();
  runState().reportFile = "report.xml";
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(runReportCommand("update"), kExitFailed);
  EXPECT_EQ(runReportCommand("discover"), kExitDone);
  EXPECT_TRUE(std::filesystem::exists("report.xml"));
  EXPECT_EQ(runReportCommand("update"), kExitDone);
  runState().reportFile = "no_such_dir/report.xml";
  EXPECT_EQ(runReportCommand("discover"), kExitFailed);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "Firmware upgrade error: File not found - report.xml\n"
            "Successfully generated NIC discovery report to report.xml\n"
            "The Firmware Upgrade will take several minutes.Please be patient.\n"
            "Successfully updated the NIC firmware from the file report.xml\n"
            "Failed to generate NIC discovery report tono_such_dir/report.xml\n");
  EXPECT_EQ(firmwareOnFlash("5:0.0"), "4.0.593");
  EXPECT_EQ(firmwareOnFlash("8:0.0"), "4.0.593");
  EXPECT_EQ(scenario_.violations(), "");
}

TEST_F(DiscoveryRunTest, RunsWithoutASupportedBoardHaveNothingToDo) {
  addBoards();
  writeFile("NICFWData.xml", "<nic_fw_package><nic/></nic_fw_package>");
  runState().reportFile = "report.xml";
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(runReportCommand("discover"), kExitNothingToDo);
  EXPECT_EQ(runVersionReport(), kExitNothingToDo);
  EXPECT_EQ(showInstalledFirmware(), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "No supported network adapters for firmware upgrade.\n"
            "No supported network adapters for firmware upgrade.\n");
  EXPECT_FALSE(std::filesystem::exists("report.xml"));
}

TEST_F(DiscoveryRunTest, VersionReportRun) {
  addBoards();
  writePackage();
  runState().versionReport = true;
  runState().reportFile = "versions.xml";
  writeFile("versions.xml", "stale");
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(runVersionReport(), kVersionReportCreated);
  // The values of the last device of the tool's report.
  EXPECT_NE(readFile("versions.xml").find("<current_version value=\"4.0.534\"/><package_version value=\"4.0.593\"/>"),
            std::string::npos);

  // A report that cannot be written is a failure, whatever file was there.
  std::filesystem::remove("versions.xml");
  std::filesystem::create_directory("versions.xml");
  rediscover();
  versionReportValues() = VersionReportValues{};
  EXPECT_EQ(runVersionReport(), kVersionReportMissing);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "Created File: versions.xml only with firmware version details.\n"
            "Failed to create file: versions.xml, only with firmware version details!.\n");
}

TEST_F(DiscoveryRunTest, ListsInstalledAndAvailableFirmware) {
  addBoards();
  writePackage();
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(showInstalledFirmware(), 1);
  const std::string console = ::testing::internal::GetCapturedStdout();
  std::string expected;
  for (const SupportedNic& nic : runState().adapters) {
    expected += "MAC                   PCI-ID                 NIC\n\n" + nic.macAddress + "    " + nic.pciId + "     " +
                nic.productId +
                "\n\n\n  (Installed)            (Available)             Interface                 WOL        PXE   "
                "     NCSI\n  Image    Version        Image    Version   \n" +
                std::string(112, '-') + "\n   ROM      " + nic.installedText + "        ROM     4.0.593  " + nic.name +
                "        n\\a       n\\a       n\\a\n\n";
  }
  EXPECT_EQ(console, expected);
  EXPECT_NE(console.find("02:C0:4A:"), std::string::npos);
  EXPECT_NE(console.find("   ROM      4.0.534        ROM     4.0.593  4040.0100.4040.0126        n\\a"),
            std::string::npos);
  const std::string log = logText();
  EXPECT_EQ(log.substr(log.size() - expected.size()), expected);
}

}  // namespace
}  // namespace keelson
