// The main job as an administrator runs it: burnkit -i PORT -a against a
// board with older firmware, the backup it leaves, a restore from that
// backup, and the recovery after a power cut in the middle of the write.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "simhost/machine/files.h"
#include "simhost/provision/demo_package.h"
#include "tests/support/scenario.h"

namespace {

using corvane_test::RunResult;
using corvane_test::Scenario;

const std::string kPort = "Local Area Connection";

class BurnkitUpgradeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    simhost::CardOrder order;
    order.name = "sfp";
    order.board = 0x26;
    order.subsys = 0x01264040;
    order.ports = 2;
    order.bus = 5;
    order.firmware = "4.0.500";
    order.serial = "CV12345678";
    host_.addImagedCard(order);
    work_ = host_.root() + "/../work";
    std::filesystem::create_directories(work_);
    std::string error;
    ASSERT_TRUE(simhost::writeSingleProductImage(work_ + "/quarry_romimage", "4.0.593", 0x26, 0x01264040, 0x42,
                                                 &error))
        << error;
    original_ = flash();
  }
  void TearDown() override {
    EXPECT_FALSE(std::filesystem::exists(host_.dir().tempDir() + "/corvane_lock_file"));
    EXPECT_EQ(host_.violations(), "");
  }

  RunResult burnkit(const std::vector<std::string>& args, const std::string& input = std::string()) const {
    return host_.runIn(work_, "burnkit", args, input);
  }
  std::string flash() const {
    std::string dump = host_.root() + "/../dump.bin", bytes;
    EXPECT_EQ(host_.sim("flash", {"sfp", "--dump", dump}).exitCode, 0u);
    EXPECT_TRUE(simhost::readFile(dump, &bytes, nullptr));
    return bytes;
  }
  std::string runningFirmware() const {
    return nlohmann::json::parse(host_.sim("show", {"--json"}).out)["cards"][0]["firmware"];
  }
  // The backup files burnkit left in the working directory.
  std::vector<std::string> backups() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(work_))
      if (e.path().filename().string().rfind("flashbackup_", 0) == 0) names.push_back(e.path().string());
    return names;
  }
  bool selfTestPasses() const {
    RunResult r = burnkit({"-i", kPort, "-F"});
    return r.exitCode == 0 && r.out.find("FLASH/NVRAM                 PASSED") != std::string::npos;
  }

  Scenario host_;
  std::string work_;
  std::string original_;
};

// The run has read devices.json long before it restarts the card's driver;
// a change another process makes meanwhile (here every state change asking
// for a restart) is still what the driver switch meets.
TEST_F(BurnkitUpgradeTest, AHostChangeMadeWhileTheRunWaitsIsSeen) {
  RunResult r = host_.runDuring(
      "burnkit", {"-i", kPort, "-a"}, "Do you wish to upgrade? (Y/N) ",
      [&] { EXPECT_EQ(host_.sim("set", {"restart-needed", "on"}).exitCode, 0u); }, work_, "y\n");
  EXPECT_EQ(r.exitCode, 31u) << r.out << r.err;
  EXPECT_NE(r.out.find("Disabling devices\nYou must restart your computer for these changes to take effect.\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(flash(), original_);
  EXPECT_EQ(host_.sim("set", {"restart-needed", "off"}).exitCode, 0u);
}

TEST_F(BurnkitUpgradeTest, UpgradeKeepsABackupAndTheRestoreBringsTheOldFlashBack) {
  EXPECT_EQ(runningFirmware(), "4.0.500");
  RunResult up = burnkit({"-i", kPort, "-a"}, "y\n");
  ASSERT_EQ(up.exitCode, 0u) << up.out << up.err;
  EXPECT_NE(up.out.find("NIC binary romimage found in"), std::string::npos) << up.out;
  EXPECT_NE(up.out.find("Do you wish to upgrade? (Y/N) "), std::string::npos);
  EXPECT_NE(up.out.find("Flashing completed successfully.\n"), std::string::npos) << up.out;
  EXPECT_NE(up.out.find("Driver Loaded in Normal mode \n"), std::string::npos);
  EXPECT_NE(flash(), original_);
  EXPECT_EQ(runningFirmware(), "4.0.593");
  EXPECT_TRUE(selfTestPasses());

  std::vector<std::string> saved = backups();
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_NE(saved[0].find("flashbackup_CV12345678_v4.0.500_"), std::string::npos) << saved[0];
  std::string backup;
  ASSERT_TRUE(simhost::readFile(saved[0], &backup, nullptr));
  EXPECT_EQ(backup, original_);

  // Running the same upgrade again finds nothing to write.
  RunResult again = burnkit({"-i", kPort, "-f", "-a"});
  EXPECT_EQ(again.exitCode, 0u);
  EXPECT_NE(again.out.find("Flash already up-to-date.\n"), std::string::npos) << again.out;

  RunResult restore = burnkit({"-i", kPort, "-r", saved[0]}, "y\n");
  ASSERT_EQ(restore.exitCode, 0u) << restore.out << restore.err;
  EXPECT_NE(restore.out.find("Firmware version From Backup-file: 4.0.500\n"), std::string::npos) << restore.out;
  EXPECT_EQ(flash(), original_);
  EXPECT_EQ(runningFirmware(), "4.0.500");
}

TEST_F(BurnkitUpgradeTest, DeclinedAndDowngradedUpgradesWriteNothing) {
  RunResult declined = burnkit({"-i", kPort, "-a"}, "n\n");
  EXPECT_EQ(declined.exitCode, 0u);
  EXPECT_NE(declined.err.find("Aborted by user's request\n"), std::string::npos) << declined.err;
  std::string error;
  ASSERT_TRUE(simhost::writeSingleProductImage(work_ + "/old_romimage", "4.0.400", 0x26, 0x01264040, 0x42, &error));
  RunResult downgrade = burnkit({"-i", kPort, "-a", "old_romimage"});
  EXPECT_EQ(downgrade.exitCode, 34u);
  EXPECT_NE(downgrade.err.find("Downgrade of firmware is not allowed.\n"), std::string::npos) << downgrade.err;
  EXPECT_EQ(flash(), original_);
  EXPECT_TRUE(backups().empty());
}

// Power fails while sectors are being rewritten: the next run clears the
// driver switch left behind, and the backup restores the board.
TEST_F(BurnkitUpgradeTest, APowerCutMidWriteIsRecoveredFromTheBackup) {
  ASSERT_EQ(host_.sim("fault", {"sfp", "--action", "kill", "--cmd", "51", "--after", "2000"}).exitCode, 0u);
  RunResult cut = burnkit({"-i", kPort, "-f", "-a"});
  EXPECT_EQ(cut.exitCode, 128u + 9u) << cut.out << cut.err;
  EXPECT_NE(flash(), original_);
  std::vector<std::string> saved = backups();
  ASSERT_EQ(saved.size(), 1u);
  // The dead run's lock file is still there: the next run asks about it.
  RunResult restore = burnkit({"-i", kPort, "-f", "-r", saved[0]}, "y\n");
  ASSERT_EQ(restore.exitCode, 0u) << restore.out << restore.err;
  EXPECT_NE(restore.out.find("Do you want to proceed anyway ? (Y/N) \n"), std::string::npos) << restore.out;
  EXPECT_EQ(flash(), original_);
  EXPECT_TRUE(selfTestPasses());
  EXPECT_EQ(runningFirmware(), "4.0.500");
}

// A run killed while it writes the backup leaves no file that looks like a
// backup: the file is written under an "incomplete_" name and takes the
// backup's name only when complete. The flash is untouched, and the next
// run writes a whole backup.
TEST_F(BurnkitUpgradeTest, ABackupCutShortLeavesNothingThatLooksLikeABackup) {
  ASSERT_EQ(host_.sim("fault", {"sfp", "--action", "kill", "--cmd", "50", "--after", "300000"}).exitCode, 0u);
  RunResult cut = burnkit({"-i", kPort, "-f", "-a"});
  EXPECT_EQ(cut.exitCode, 128u + 9u) << cut.out << cut.err;
  EXPECT_TRUE(backups().empty());
  size_t incomplete = 0;
  for (const auto& e : std::filesystem::directory_iterator(work_))
    incomplete += e.path().filename().string().rfind("incomplete_flashbackup_", 0) == 0;
  EXPECT_EQ(incomplete, 1u);
  EXPECT_EQ(flash(), original_);

  ASSERT_EQ(host_.sim("fault", {"sfp", "--clear"}).exitCode, 0u);
  RunResult again = burnkit({"-i", kPort, "-f", "-a"}, "y\n");
  ASSERT_EQ(again.exitCode, 0u) << again.out << again.err;
  const std::vector<std::string> saved = backups();
  ASSERT_EQ(saved.size(), 1u);
  std::string bytes;
  ASSERT_TRUE(simhost::readFile(saved[0], &bytes, nullptr));
  EXPECT_EQ(bytes, original_);
}

// Ctrl+C while sectors are being written is refused with a warning and the
// upgrade runs to the end. Every sector of the board differs from the new
// picture, so that the write phase is long enough to be interrupted.
TEST_F(BurnkitUpgradeTest, CtrlCDuringTheWritePhaseIsRefused) {
  std::string old = original_;
  for (size_t s = 0; s < 64; ++s) old[s * 0x10000 + 0x8000] ^= 0x01;
  const std::string picture = host_.root() + "/../old.bin";
  ASSERT_TRUE(simhost::writeFileAtomic(picture, old, nullptr));

  // The warning reaches the output with the first sector's progress, once
  // the write is under way. On a busy machine the signal can still arrive
  // after the last sector (the handler then sees no write phase and ends
  // the run): such a run proves nothing, and the board is put back and the
  // run tried again.
  RunResult r;
  for (int attempt = 0; attempt < 4; ++attempt) {
    ASSERT_EQ(host_.sim("flash", {"sfp", "--load", picture}).exitCode, 0u);
    r = host_.runInterrupted("burnkit", {"-i", kPort, "-f", "-a"}, "Do not interrupt until operation is complete.\n",
                             work_);
    if (r.out.find("Calling signal Handler, flash_write is [0]\n") == std::string::npos) break;
  }
  EXPECT_EQ(r.exitCode, 0u) << r.out << r.err;
  EXPECT_NE(r.out.find("Calling signal Handler, flash_write is [1]\n"
                       "WARNING: Writing in Flash is critical operation.Do not interrupt it till Completion.\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("Flashing completed successfully.\n"), std::string::npos) << r.out;
  EXPECT_EQ(runningFirmware(), "4.0.593");
  EXPECT_TRUE(selfTestPasses());
}

}  // namespace
