// Keelson's default run end to end: the question for each adapter answered
// through standard input or by the options, the upgrades by burnkit, the
// summary and the exit code, the boards' firmware afterwards.
#include <ostream>
#include <string>
#include <vector>

#include "tests/keelson_fixture.h"

namespace {

struct UpgradeCase {
  const char* what;
  const char* installed;  // the board's firmware; the package holds 4.0.593
  std::vector<std::string> args;
  std::string input;
  uint32_t exitCode;
  const char* summary;   // the run's last console line
  bool asked;            // the question was shown
  bool upgraded;         // the board runs 4.0.593 afterwards
};

void PrintTo(const UpgradeCase& c, std::ostream* os) { *os << c.what; }

const char kComplete[] = "NIC firmware update complete\n";
const char kNoneSelected[] = "No firmware is selected for update.\n";
const char kCancelled[] = "Firmware upgrade is cancelled by User!\n";

class KeelsonUpgradeTest : public KeelsonScenario, public ::testing::WithParamInterface<UpgradeCase> {};

TEST_P(KeelsonUpgradeTest, AnswersOptionsSummaryAndFlash) {
  const UpgradeCase& c = GetParam();
  add(kSfp26, c.installed);
  package();
  const corvane_test::RunResult r = keelson(c.args, c.input);
  EXPECT_EQ(r.exitCode, c.exitCode) << r.out;
  EXPECT_EQ(r.err, "");
  const bool silent = !c.args.empty() && (c.args[0] == "-s" || c.args[0] == "/S");
  if (silent) {
    EXPECT_EQ(r.out, "");
  } else {
    EXPECT_TRUE(r.out.ends_with(c.summary)) << r.out;
    EXPECT_TRUE(contains(r.out, "Found "));
  }
  EXPECT_EQ(contains(r.out, " y/n/q ("), c.asked) << r.out;
  EXPECT_TRUE(contains(log(), c.summary)) << log();
  EXPECT_EQ(firmware("sfp26"), c.upgraded ? "4.0.593" : c.installed);
  EXPECT_EQ(contains(log(), " -f -a \n"), c.upgraded) << log();
}

INSTANTIATE_TEST_SUITE_P(
    Answers, KeelsonUpgradeTest,
    ::testing::Values(
        UpgradeCase{"older_yes", "4.0.500", {}, "y\n", 1, kComplete, true, true},
        UpgradeCase{"older_no", "4.0.500", {}, "n\n", 3, kNoneSelected, true, false},
        UpgradeCase{"older_quit", "4.0.500", {}, "q\n", 3, kCancelled, true, false},
        UpgradeCase{"older_empty_is_yes", "4.0.500", {}, "\n", 1, kComplete, true, true},
        UpgradeCase{"y_and_space_is_no", "4.0.500", {}, "Y \n", 3, kNoneSelected, true, false},
        UpgradeCase{"end_of_input_quits", "4.0.500", {}, "", 3, kCancelled, true, false},
        UpgradeCase{"long_line_is_no", "4.0.500", {}, std::string(5000, 'y') + "\ny\n", 3, kNoneSelected, true, false},
        UpgradeCase{"silent", "4.0.500", {"-s"}, "", 1, kComplete, false, true},
        UpgradeCase{"silent_slash_upper", "4.0.500", {"/S"}, "", 1, kComplete, false, true},
        UpgradeCase{"yes_option", "4.0.500", {"-y"}, "", 1, kComplete, false, true},
        UpgradeCase{"same_empty_is_no", "4.0.593", {}, "\n", 3, kNoneSelected, true, false},
        UpgradeCase{"same_force_empty_is_yes", "4.0.593", {"-f"}, "\n", 1, kComplete, true, true},
        UpgradeCase{"same_rewrite", "4.0.593", {"-e"}, "yes\n", 1, kComplete, true, true},
        UpgradeCase{"same_downgrade_not_offered", "4.0.593", {"-g"}, "y\n", 3, kNoneSelected, false, false},
        UpgradeCase{"same_yes_option_is_no", "4.0.593", {"-y"}, "", 3, kNoneSelected, false, false},
        UpgradeCase{"same_silent_is_no", "4.0.593", {"-s"}, "", 3, kNoneSelected, false, false},
        UpgradeCase{"same_silent_force_is_yes", "4.0.593", {"-s", "-f"}, "", 1, kComplete, false, true},
        UpgradeCase{"same_rewrite_yes_option", "4.0.593", {"-e", "-y"}, "", 1, kComplete, false, true},
        UpgradeCase{"newer_downgrade", "4.1.0", {"-g"}, "\n", 1, kComplete, true, true},
        UpgradeCase{"newer_rewrite_not_offered", "4.1.0", {"-e"}, "y\n", 3, kNoneSelected, false, false},
        UpgradeCase{"newer_empty_is_no", "4.1.0", {}, "\n", 3, kNoneSelected, true, false},
        UpgradeCase{"status_older", "4.0.500", {"-n"}, "", 4, "NIC firmware update is recommended.\n", false, false},
        UpgradeCase{"status_same", "4.0.593", {"/N"}, "", 5, "NIC firmware update is not recommended.\n", false, false},
        UpgradeCase{"status_newer", "4.1.0", {"-n", "-e"}, "", 6, "NIC firmware update is not recommended.\n", false,
                    false}),
    [](const ::testing::TestParamInfo<UpgradeCase>& info) { return std::string(info.param.what); });

class KeelsonTwoBoardTest : public KeelsonScenario {
 protected:
  void SetUp() override {
    add(kSfp26, "4.0.500");
    add(kQuad24, "4.0.500");
    package();
  }
};

TEST_F(KeelsonTwoBoardTest, OneFailedUpgradeEndsWithErrorsAndTheOtherBoardIsUpgraded) {
  // One flash word of the first board is written wrong: its verification
  // fails and burnkit restores the old flash.
  sim("fault", {"sfp26", "--action", "bitflip", "--cmd", "51", "--times", "1"});
  const corvane_test::RunResult r = keelson({"-y"});
  EXPECT_EQ(r.exitCode, 0u) << r.out;
  EXPECT_TRUE(r.out.ends_with("NIC firmware update completed with errors\n")) << r.out;
  EXPECT_TRUE(contains(r.out, "Command to upgrade firmware failed\n burnkit.exe -i 5:0.")) << r.out;
  EXPECT_TRUE(contains(r.out, "upgrade SUCCESS!")) << r.out;
  EXPECT_EQ(firmware("sfp26"), "4.0.500");
  EXPECT_EQ(firmware("quad24"), "4.0.593");
  EXPECT_EQ(host_.runIn(package_, "burnkit", {"-i", "6:0.0", "-F"}).exitCode, 0u);
}

TEST_F(KeelsonTwoBoardTest, FlashToolKilledMidUpgradeIsAFailureAndTheNextBoardIsUpgraded) {
  // Power is cut in the middle of the first board's writes: its burnkit
  // ends at once.
  sim("fault", {"sfp26", "--action", "kill", "--cmd", "51", "--after", "1000", "--times", "1"});
  const corvane_test::RunResult r = keelson({"-s"});
  EXPECT_EQ(r.exitCode, 0u) << log();
  EXPECT_TRUE(contains(log(), "Command to upgrade firmware failed\n burnkit.exe -i 5:0.")) << log();
  EXPECT_TRUE(contains(log(), "NIC firmware update completed with errors")) << log();
  EXPECT_EQ(firmware("quad24"), "4.0.593");
}

TEST_F(KeelsonTwoBoardTest, QuitAtTheFirstQuestionUpgradesNothing) {
  const corvane_test::RunResult r = keelson({}, "q\ny\n");
  EXPECT_EQ(r.exitCode, 3u);
  EXPECT_TRUE(r.out.ends_with("Firmware upgrade is cancelled by User!\n")) << r.out;
  EXPECT_EQ(firmware("sfp26"), "4.0.500");
  EXPECT_EQ(firmware("quad24"), "4.0.500");
  // Nothing runs after the quit, not even the hardware-flag step.
  EXPECT_FALSE(contains(log(), "iPE/dPE")) << log();
}

using KeelsonStatusTest = KeelsonScenario;

TEST_F(KeelsonStatusTest, OneOlderBoardMakesTheUpdateRecommendedWhateverTheOthersHold) {
  add(kSfp26, "4.1.0");
  add(kQuad24, "4.0.500");
  package();
  const corvane_test::RunResult r = keelson({"-n"});
  EXPECT_EQ(r.exitCode, 4u);
  EXPECT_TRUE(r.out.ends_with("NIC firmware update is recommended.\n")) << r.out;
  EXPECT_EQ(firmware("sfp26"), "4.1.0");
  EXPECT_EQ(firmware("quad24"), "4.0.500");
}

TEST_F(KeelsonTwoBoardTest, SilentRunLogsEveryStepInOrder) {
  const corvane_test::RunResult r = keelson({"-s"});
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(firmware("sfp26"), "4.0.593");
  EXPECT_EQ(firmware("quad24"), "4.0.593");
  EXPECT_TRUE(inOrder(log(), {"Checking for any other instance of Corvane tool!",
                              "Administrator privilege verified!.",
                              "Started Corvane Z3 device discovery!",
                              "burnkit.exe -d tempNicList.xml",
                              "Found ",
                              "Found ",
                              "The Firmware Upgrade will take several minutes.Please be patient.",
                              "Selecting ",
                              " -f -a \ndo_command: exitCode: 0\n",
                              "upgrade SUCCESS!",
                              "Selecting ",
                              " -f -a \ndo_command: exitCode: 0\n",
                              "upgrade SUCCESS!",
                              "NIC firmware update complete",
                              "Started verification of iPE/dPE setting for the supported NICs.",
                              "Finished verification of iPE/dPE setting for the supported NICs."}));
}

}  // namespace
