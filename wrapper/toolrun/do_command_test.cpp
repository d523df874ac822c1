#include "wrapper/toolrun/do_command.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "wrapper/toolrun/hw_flags.h"
#include "wrapper/toolrun/tool_commands.h"
#include "wrapper/toolrun/wrapper_host_fixture.h"

namespace keelson {
namespace {

class DoCommandTest : public WrapperHostTest {
 protected:
  // The board information of the adapter at location, by the captured form.
  std::string boardInfo(const std::string& location) {
    EXPECT_EQ(do_command(hwFlagsInfoCommand(location), "info.txt"), 0u);
    std::string info = readFile("info.txt");
    std::filesystem::remove("info.txt");
    return info;
  }
};

TEST_F(DoCommandTest, BuildsEveryCommandLineOfTheFlashTool) {
  EXPECT_EQ(discoveryCommand(), "burnkit.exe -d tempNicList.xml");
  EXPECT_EQ(reportDiscoveryCommand("report.xml"), "burnkit -d report.xml");
  EXPECT_EQ(reportUpdateCommand("report.xml"), "burnkit -u report.xml");
  EXPECT_EQ(adapterUpgradeCommand("5:0.1"), "burnkit.exe -i 5:0.1 -f -a ");
  EXPECT_EQ(hwFlagsInfoCommand("5:0.1"), "burnkit.exe -i 5:0.1 --info");
  EXPECT_EQ(hwFlagsClearCommand("5:0.1"), "burnkit.exe -i 5:0.1 --hwflags 0");
}

// Each command line, run as the wrapper runs it, does what the flash tool
// does for those arguments; its output never reaches the wrapper's console.
TEST_F(DoCommandTest, TheFlashToolActsOnEachCommandLine) {
  scenario_.addImagedCard("sfp26", 0x26, 0x01264040, 2, 5);
  scenario_.addImagedCard("quad24", 0x24, 0x01244040, 4, 6);
  writePackage();

  ::testing::internal::CaptureStdout();
  EXPECT_EQ(do_command(discoveryCommand()), 0u);
  EXPECT_NE(readFile("tempNicList.xml").find("<busnumber value=\"5\"/>"), std::string::npos);
  EXPECT_EQ(do_command(reportDiscoveryCommand("report.xml")), 0u);
  EXPECT_NE(readFile("report.xml").find("<busnumber value=\"6\"/>"), std::string::npos);

  EXPECT_EQ(do_command(adapterUpgradeCommand("5:0.0")), 0u);
  EXPECT_NE(boardInfo("5:0.0").find("Firmware version(on Flash) : 4.0.593"), std::string::npos);
  EXPECT_NE(boardInfo("6:0.0").find("Firmware version(on Flash) : 4.0.500"), std::string::npos);

  EXPECT_EQ(do_command(reportUpdateCommand("report.xml")), 0u);
  EXPECT_NE(boardInfo("6:0.0").find("Firmware version(on Flash) : 4.0.593"), std::string::npos);

  EXPECT_NE(boardInfo("6:0.0").find("Hardware Flags             : set to 3"), std::string::npos);
  EXPECT_EQ(do_command(hwFlagsClearCommand("6:0.0")), 0u);
  EXPECT_NE(boardInfo("6:0.0").find("Hardware Flags             : set to 0"), std::string::npos);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");

  EXPECT_EQ(do_command("burnkit.exe -i 9:0.0 --info"), 255u);  // no such adapter: the tool's -1
  EXPECT_FALSE(runState().commandFailed);
  EXPECT_EQ(scenario_.violations(), "");
}

TEST_F(DoCommandTest, LogsTheCommandLineAndTheExitCode) {
  runState().consoleDebug = true;  // every entry echoed too
  ::testing::internal::CaptureStdout();
  do_command(reportDiscoveryCommand("report.xml"));  // no adapter on the host: the tool's -1
  const std::string expected = "burnkit -d report.xml\ndo_command: exitCode: 255\n";
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), expected);
  EXPECT_EQ(logText(), expected);
}

TEST_F(DoCommandTest, CaptureReplacesAnOlderFileWithTheToolsOutput) {
  scenario_.addImagedCard("lom29", 0x29, 0x705A103C, 4, 8);
  writeFile("hwflagStatus.dat", std::string(100000, 'x') + "\nHardware Flags : set to 0\n");
  EXPECT_EQ(do_command(hwFlagsInfoCommand("8:0.0"), "hwflagStatus.dat"), 0u);
  const std::string captured = readFile("hwflagStatus.dat");
  EXPECT_EQ(captured.find('x' + std::string(10, 'x')), std::string::npos);
  EXPECT_EQ(captured.rfind("Board Type                 : 0x29", 0), 0u);
}

TEST_F(DoCommandTest, AToolThatCannotStartGivesOneAndTheFailedFlag) {
  for (bool captured : {false, true}) {
    runState() = RunState{};
    runState().logPath = logFilePathOfHost();
    std::filesystem::remove(runState().logPath);
    const std::string command = "no_such_tool.exe -d tempNicList.xml";
    EXPECT_EQ(captured ? do_command(command, "out.dat") : do_command(command), 1u);
    EXPECT_TRUE(runState().commandFailed);
    EXPECT_EQ(logText(), command + "\nCreateProcess error:2\n");
  }
}

TEST_F(DoCommandTest, ACaptureFileThatCannotBeMadeRunsNothing) {
  scenario_.addImagedCard("sfp26", 0x26, 0x01264040, 2, 5);
  EXPECT_EQ(do_command(discoveryCommand(), "no_such_dir/out.dat"), 0u);
  EXPECT_FALSE(std::filesystem::exists("tempNicList.xml"));
  EXPECT_FALSE(runState().commandFailed);
  EXPECT_EQ(logText(), "burnkit.exe -d tempNicList.xml\nFailed to create file \n");
}

}  // namespace
}  // namespace keelson
