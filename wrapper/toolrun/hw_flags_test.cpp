#include "wrapper/toolrun/hw_flags.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "wrapper/toolrun/do_command.h"
#include "wrapper/toolrun/tool_commands.h"
#include "wrapper/toolrun/wrapper_host_fixture.h"

namespace keelson {
namespace {

class HwFlagsTest : public WrapperHostTest {
 protected:
  void addAdapter(const std::string& location) {
    SupportedNic nic;
    nic.location = location;
    nic.flags = kNicSupported;
    runState().adapters.push_back(nic);
    ++runState().supportedCount;
  }
};

TEST_F(HwFlagsTest, ReadsTheFirstDecidingLine) {
  const struct {
    const char* capture;
    int result;
    const char* logged;
  } cases[] = {
      {"Board Type : 0x29\n\nHardware Flags             : set to 0\n", kHwFlagsClear,
       "Current value - Hardware Flags             : set to 0\n"},
      {"Hardware Flags : set to 1\r\nHardware Flags : set to 0\r\n", kHwFlagsSet,
       "Current value - Hardware Flags : set to 1\n"},
      {"Hardware Flags : set to 2\n", kHwFlagsSet, "Current value - Hardware Flags : set to 2\n"},
      {"Hardware Flags : set to 3", kHwFlagsSet, "Current value - Hardware Flags : set to 3\n"},
      {"Hardware Flags             : uninitialized\n", kHwFlagsSet,
       "Current value - Hardware Flags             : uninitialized\n"},
      {"Hardware Flags : set to 7\nset to 0\nHardware Flags : set to 0\n", kHwFlagsClear,
       "Current value - Hardware Flags : set to 0\n"},
      {"Board Type : 0x29\nPXE Status 0 : Enabled\n", kHwFlagsUnknown, ""},
      {"", kHwFlagsUnknown, ""},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(runState().logPath);
    writeFile("capture.dat", c.capture);
    EXPECT_EQ(parseHwFlagCapture("capture.dat"), c.result) << c.capture;
    EXPECT_EQ(logText(), c.logged) << c.capture;
  }
  EXPECT_EQ(parseHwFlagCapture("no_such_capture.dat"), kHwFlagsUnknown);
}

TEST_F(HwFlagsTest, AsksTheFlashToolAndDeletesTheCapture) {
  scenario_.addImagedCard("lom29", 0x29, 0x705A103C, 4, 8);
  addAdapter("8:0.0");
  addAdapter("9:0.0");  // no such adapter: the tool fails

  writeFile("hwflagStatus.dat", "Hardware Flags : set to 0\n");
  EXPECT_EQ(readHwFlags(0), kHwFlagsSet);
  EXPECT_FALSE(std::filesystem::exists("hwflagStatus.dat"));

  ASSERT_EQ(do_command(hwFlagsClearCommand("8:0.0")), 0u);
  EXPECT_EQ(readHwFlags(0), kHwFlagsClear);

  EXPECT_EQ(readHwFlags(1), kHwFlagsUnknown);
  EXPECT_FALSE(std::filesystem::exists("hwflagStatus.dat"));
  EXPECT_EQ(readHwFlags(2), kHwFlagsUnknown);
  EXPECT_EQ(scenario_.violations(), "");
}

}  // namespace
}  // namespace keelson
