// The upgrade when the hardware or the driver fails during the write phase:
// whatever happens, the board ends verified on its old firmware (exactly
// its flash before the upgrade) or on its new one, and only the new one is
// reported as success. A power cut leaves a backup file from which a forced
// restore brings the board back.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "sw/tools/flashLoader/adapter/driver_switch.h"
#include "sw/tools/flashLoader/update/flash_upgrade.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/update/update_test_fixture.h"
#include "sw/tools/flashLoader/update/user_restore.h"

namespace update_test {
namespace {

using simhost::FaultAction;
using simhost::FaultRule;

constexpr uint32_t kFirmwareSector = 0x040000;  // differs between the releases
constexpr uint32_t kBoardSector = 0x3E0000;

FaultRule rule(FaultAction action, std::optional<uint32_t> command, uint64_t after,
               std::optional<simhost::OffsetRange> offsets = std::nullopt) {
  FaultRule r;
  r.action = action;
  r.command = command;
  r.after = after;
  r.offsets = offsets;
  if (action != FaultAction::kKill) r.times = 1;
  return r;
}

class UpgradeFaultTest : public UpgradeTest {
 protected:
  void SetUp() override {
    UpgradeTest::SetUp();
    // A controller that never answers is given up on quickly.
    g_poll_limits.controllerPolls = 2000;
    g_poll_limits.romLockRetries = 2000;
  }

  int upgrade(Printed* p, const std::string& input = "y\n") {
    answer(input);
    openAdapter();
    uint32_t port = 0;
    int result = -100;
    *p = printed([&] { result = upgrade_adapter_flash(kPort, &port, "", 1); });
    return result;
  }

  // Old firmware exactly, or the new one verified; success only for the new.
  void expectOldOrVerifiedNew(int result, const Printed& p, const std::string& what) {
    const Bytes after = flash();
    EXPECT_TRUE(burnkit::sectorsFailingMd5Table(after).empty()) << what;
    if (result == kExitOk) {
      EXPECT_EQ(firmwareOf(after), "4.0.593") << what;
      expectBoardDataEqual(after, before_);
    } else {
      EXPECT_EQ(after, before_) << what << "\n" << p.out << p.err;
    }
    expectDriverNormal();
    EXPECT_EQ(host_.violations(), "") << what;
  }
};

TEST_F(UpgradeFaultTest, FailuresInTheWritePhaseRestoreTheBackup) {
  struct Case {
    const char* what;
    FaultRule fault;
    int result;
    const char* err;
  };
  const simhost::OffsetRange firmware{kFirmwareSector, kFirmwareSector + 0xFFFF};
  const simhost::OffsetRange board{kBoardSector, kBoardSector + 0xFFFF};
  const Case cases[] = {
      {"first write fails", rule(FaultAction::kFail, 51, 0), kExitWriteFailed, "Failed to write"},
      {"later write fails", rule(FaultAction::kFail, 51, 30000), kExitWriteFailed, "Failed to write"},
      {"write answers all ones", rule(FaultAction::kFfff, 51, 5000), kExitWriteFailed, "Failed to write"},
      {"firmware sector erase hangs", rule(FaultAction::kTimeout, std::nullopt, 0, firmware), kExitWriteFailed,
       "Rom Erase Sector wait failed"},
      {"board sector erase hangs", rule(FaultAction::kTimeout, std::nullopt, 0, board), kExitWriteFailed,
       "Rom Erase Sector wait failed"},
      {"bit flip early", rule(FaultAction::kBitflip, 51, 10), kExitVerifyFailed, "MD5 of flash didn't match.\n"},
      {"bit flip in the board sector", rule(FaultAction::kBitflip, 51, 0, board), kExitVerifyFailed,
       "MD5 of flash didn't match.\n"},
  };
  for (const Case& c : cases) {
    std::string error;
    ASSERT_TRUE(card_->clearFaultRules(&error)) << error;
    loadSealed(before_);
    for (const std::string& f : backups()) std::filesystem::remove(f);
    addFault(c.fault);
    Printed p;
    const int result = upgrade(&p);
    EXPECT_EQ(result, c.result) << c.what << "\n" << p.out << p.err;
    EXPECT_NE((p.out + p.err).find(c.err), std::string::npos) << c.what << "\n" << p.err;
    EXPECT_NE(p.out.find("Restoring flash...\n"), std::string::npos) << c.what;
    EXPECT_EQ(g_flash_write.load(), 0) << c.what;
    expectOldOrVerifiedNew(result, p, c.what);
  }
}

TEST_F(UpgradeFaultTest, LockTakenAwayOrDriverCallsFailingAtSeveralPoints) {
  // An upgrade of this board makes some 560 register reads (command 1),
  // 340 register writes (2) and 2.1 million flash reads (50): the points
  // spread over the backup, the write phase and the verification.
  struct Case {
    FaultAction action;
    uint32_t command;
    std::vector<uint64_t> points;
  };
  const Case cases[] = {
      {FaultAction::kLockHeld, 1, {150, 300, 450, 540}},
      {FaultAction::kFail, 1, {150, 300, 450, 540}},
      {FaultAction::kFail, 2, {100, 200, 280, 330}},
      {FaultAction::kFfff, 50, {500000, 1200000, 2000000}},
  };
  int failures = 0;
  for (const Case& c : cases) {
    for (uint64_t after : c.points) {
      const std::string what = describeFaultRule(rule(c.action, c.command, after));
      std::string error;
      ASSERT_TRUE(card_->clearFaultRules(&error)) << error;
      loadSealed(before_);
      answer("y\n");
      openAdapter();
      addFault(rule(c.action, c.command, after));
      uint32_t port = 0;
      int result = -100;
      Printed p = printed([&] { result = upgrade_adapter_flash(kPort, &port, "", 1); });
      std::vector<simhost::FaultRuleStatus> fired;
      ASSERT_TRUE(card_->faultRules(&fired, &error)) << error;
      ASSERT_EQ(fired.size(), 1u);
      EXPECT_EQ(fired[0].fired, 1u) << what << ": the fault came";
      expectOldOrVerifiedNew(result, p, what);
      failures += result != kExitOk;
    }
  }
  EXPECT_GT(failures, 0) << "some faults must have stopped the upgrade";
}

TEST_F(UpgradeFaultTest, ReportModeRestoresTheFlashItReadFirst) {
  g_xml_mode = 1;
  addFault(rule(FaultAction::kFail, 51, 40000));
  openAdapter();
  uint32_t port = 0;
  int result = -100;
  Printed p = printed([&] { result = upgrade_adapter_flash(kPort, &port, "", 1); });
  EXPECT_EQ(result, kExitWriteFailed);
  EXPECT_NE(p.out.find("Restoring flash...\n"), std::string::npos) << p.out;
  EXPECT_EQ(p.err.find("Flash may be corrupted."), std::string::npos) << p.err;
  // The restore came from memory; the backup file stays for a later one.
  const std::vector<std::string> files = backups();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(readFile(files[0]), before_);
  expectOldOrVerifiedNew(result, p, "report mode");
}

// Power cut: the process ends at once in the middle of the write phase.
// The next run clears the driver switch left behind, and a forced restore
// from the backup file brings back exactly the flash before the upgrade.
TEST_F(UpgradeFaultTest, PowerCutThenForcedRestoreFromTheBackup) {
  const simhost::OffsetRange board{kBoardSector, kBoardSector + 0xFFFF};
  const FaultRule cuts[] = {rule(FaultAction::kKill, 51, 0), rule(FaultAction::kKill, 51, 25000),
                            rule(FaultAction::kKill, 51, 200, board)};
  for (const FaultRule& cut : cuts) {
    const std::string what = simhost::describeFaultRule(cut);
    std::string error;
    ASSERT_TRUE(card_->clearFaultRules(&error)) << error;
    loadSealed(before_);
    for (const std::string& f : backups()) std::filesystem::remove(f);

    answer("y\n");
    openAdapter();
    addFault(cut);
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      std::freopen("/dev/null", "w", stdout);
      uint32_t port = 0;
      upgrade_adapter_flash(kPort, &port, "", 1);
      std::_Exit(0);  // the cut never came
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << what;
    EXPECT_NE(flash(), before_) << what << ": the cut came after writing began";
    ASSERT_EQ(backups().size(), 1u) << what;
    const std::string backup = backups()[0];
    EXPECT_EQ(readFile(backup), before_) << what;

    // The next run: the adapter opened, the leftover switch cleared, a
    // forced restore.
    close_adapter();
    resetState();
    answer("y\n");
    openAdapter();
    Printed p = printed([&] { EXPECT_EQ(cv_driver_quiescent_mode(kPort), 0) << what; });
    EXPECT_NE(p.out.find("Enabling devices"), std::string::npos) << what << ": a leftover switch was found";
    uint32_t port = 0;
    int result = -100;
    p = printed([&] { result = restore_from_backup(kPort, &port, backup, 0); });
    EXPECT_EQ(result, kExitOk) << what << "\n" << p.out << p.err;
    EXPECT_EQ(flash(), before_) << what;
    EXPECT_TRUE(burnkit::sectorsFailingMd5Table(flash()).empty()) << what;
    expectDriverNormal();
    EXPECT_EQ(host_.violations(), "") << what;
  }
}

}  // namespace
}  // namespace update_test
