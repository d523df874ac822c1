// The hardware-flag step after an upgrade, end to end: boards at firmware
// 4.0.585 with their hardware flags set get them cleared by burnkit; flags
// already clear or unreadable leave the run's own outcome standing; a
// clearing that fails fails the run, and cleared flags never make a failed
// run done.
#include <filesystem>
#include <string>
#include <vector>

#include "tests/keelson_fixture.h"

namespace {

const char kFlagsClear[] = "Hardware Flags             : set to 0";
const char kFlagsSet[] = "Hardware Flags             : set to 3";

class KeelsonHardwareFlagsTest : public KeelsonScenario {
 protected:
  void setFlags(const std::string& location, const std::string& value) const {
    const corvane_test::RunResult r = host_.runIn(package_, "burnkit", {"-i", location, "--hwflags", value});
    ASSERT_EQ(r.exitCode, 0u) << r.out << r.err;
  }
  // sfp26 (bus 5) already at 4.0.585 and newer than the package, quad24
  // (bus 6) older: the run upgrades quad24 alone.
  void boardAt585BesideAnUpgrade() {
    add(kSfp26, "4.0.585");
    add(kQuad24, "4.0.400");
    package("4.0.500");
  }
};

TEST_F(KeelsonHardwareFlagsTest, FlagsSetAfterTheUpgradeAreCleared) {
  add(kSfp26, "4.0.500");
  package("4.0.585");
  const corvane_test::RunResult r = keelson({"-s"});
  EXPECT_EQ(r.exitCode, 1u) << log();
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(firmware("sfp26"), "4.0.585");
  EXPECT_TRUE(inOrder(log(), {"NIC firmware update complete", "have firmware version equal to v4.0.585.",
                              "burnkit.exe -i 5:0.", " --info\n", "Current value - Hardware Flags",
                              "burnkit.exe -i 5:0.", " --hwflags 0\n",
                              "\" - disabling the iPE/dPE setting Succeeded!."}));
  EXPECT_EQ(hardwareFlags("5:0.0"), kFlagsClear);
  EXPECT_FALSE(std::filesystem::exists(package_ + "/hwflagStatus.dat"));
}

TEST_F(KeelsonHardwareFlagsTest, FlagsAlreadyClearLeaveTheRunDone) {
  boardAt585BesideAnUpgrade();
  setFlags("5:0.0", "0");
  const corvane_test::RunResult r = keelson({"-y"});
  EXPECT_EQ(r.exitCode, 1u) << log();
  EXPECT_TRUE(r.out.ends_with("NIC firmware update complete\n")) << r.out;
  EXPECT_EQ(firmware("sfp26"), "4.0.585");
  EXPECT_EQ(firmware("quad24"), "4.0.500");
  EXPECT_TRUE(contains(log(), "iPE/dPE setting is already disabled for  \"")) << log();
  EXPECT_FALSE(contains(log(), "--hwflags 0"));
}

TEST_F(KeelsonHardwareFlagsTest, UnreadableFlagsLeaveTheRunDone) {
  boardAt585BesideAnUpgrade();
  setFlags("5:0.0", "3");
  // The capture file cannot be created: the board information is never read.
  std::filesystem::create_directories(package_ + "/hwflagStatus.dat/held");
  const corvane_test::RunResult r = keelson({"-y"});
  EXPECT_EQ(r.exitCode, 1u) << log();
  EXPECT_EQ(firmware("quad24"), "4.0.500");
  EXPECT_FALSE(contains(log(), "--hwflags 0")) << log();
  EXPECT_EQ(hardwareFlags("5:0.0"), kFlagsSet);
}

TEST_F(KeelsonHardwareFlagsTest, FailedClearingFailsTheRun) {
  add(kSfp26, "4.0.585");
  package("4.0.585");
  setFlags("5:0.0", "3");
  // Nothing to upgrade; the flag write after the run fails.
  sim("fault", {"sfp26", "--action", "fail", "--cmd", "51"});
  const corvane_test::RunResult r = keelson({"-y"});
  EXPECT_EQ(r.exitCode, 0u) << log();
  EXPECT_TRUE(r.out.ends_with("No firmware is selected for update.\n")) << r.out;
  EXPECT_TRUE(inOrder(log(), {"\" - disabling the iPE/dPE setting Failed!.\nburnkit.exe -i 5:0.", " --hwflags 0 - error code:",
                              "Verification/Setting of iPE/dPE completed with errors"}));
  sim("fault", {"sfp26", "--clear"});
}

TEST_F(KeelsonHardwareFlagsTest, ClearedFlagsNeverTurnAFailedRunIntoDone) {
  add(kSfp26, "4.0.585");
  package("4.0.585");
  setFlags("5:0.0", "3");
  const corvane_test::RunResult r = keelson({"-u", "absent.xml"});
  EXPECT_EQ(r.exitCode, 0u) << log();
  EXPECT_TRUE(contains(r.out, "Firmware upgrade error: File not found - absent.xml\n")) << r.out;
  EXPECT_EQ(hardwareFlags("5:0.0"), kFlagsClear);
}

}  // namespace
