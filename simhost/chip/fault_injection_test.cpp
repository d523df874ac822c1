#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "simhost/chip/card_files.h"
#include "simhost/chip/test_card_fixture.h"

namespace simhost {
namespace {

using testing::DriverClient;
using testing::makeCard;
using testing::runChild;
using testing::TempHost;
using testing::testConfig;
using testing::violationsText;

FaultRule rule(FaultAction action, std::optional<uint32_t> command = std::nullopt, uint64_t after = 0) {
  FaultRule r;
  r.action = action;
  r.command = command;
  r.after = after;
  return r;
}

class FaultInjection : public ::testing::Test {
 protected:
  void SetUp() override {
    card = makeCard(host);
    ASSERT_TRUE(card);
    client = std::make_unique<DriverClient>(card);
    ASSERT_TRUE(client->takeSemaphore());
  }
  void add(FaultRule r) {
    std::string error;
    ASSERT_TRUE(card->addFaultRule(r, &error)) << error;
  }

  TempHost host;
  std::shared_ptr<Card> card;
  std::unique_ptr<DriverClient> client;
};

TEST_F(FaultInjection, FailFiresFromCallAfterKForTimesCalls) {
  FaultRule r = rule(FaultAction::kFail, kCmdFlashRead, 2);
  r.times = 2;
  add(r);
  DriverRequest answer;
  std::vector<bool> ok;
  for (int i = 0; i < 5; ++i) ok.push_back(client->call(kCmdFlashRead, 0, 0, &answer));
  EXPECT_EQ(ok, (std::vector<bool>{true, true, false, false, true}));
  EXPECT_TRUE(client->call(kCmdRegisterRead, kRegSubsystem, 0, &answer)) << "other commands do not match";

  std::vector<FaultRuleStatus> rules;
  ASSERT_TRUE(card->faultRules(&rules, nullptr));
  ASSERT_EQ(rules.size(), 1u);
  EXPECT_EQ(rules[0].matched, 5u);
  EXPECT_EQ(rules[0].fired, 2u);
  EXPECT_EQ(describeFaultRule(rules[0].rule), "fail cmd 50 after 2 times 2");
}

TEST_F(FaultInjection, FailedCallReportsGenFailure) {
  add(rule(FaultAction::kFail));
  DriverRequest answer;
  EXPECT_FALSE(client->call(kCmdOpenProbe, 0, 0, &answer));
  EXPECT_EQ(client->error(), platform::kErrorGenFailure);
  EXPECT_EQ(card->stats().calls[kCmdOpenProbe], 1u) << "a failed call is still a call";
}

TEST_F(FaultInjection, FfffInAnOffsetRangeAnswersFailedAndChangesNothing) {
  FaultRule r = rule(FaultAction::kFfff, kCmdFlashWrite);
  r.offsets = OffsetRange{0x1000, 0x1FFF};
  add(r);
  EXPECT_EQ(client->flashWrite(0x0FFC, 0x11111111), kStatusDone);
  EXPECT_EQ(client->flashWrite(0x1000, 0x22222222), kStatusFailed);
  EXPECT_EQ(client->flashWrite(0x1FFC, 0x33333333), kStatusFailed);
  EXPECT_EQ(client->flashWrite(0x2000, 0x44444444), kStatusDone);
  EXPECT_EQ(card->flashWord(0x0FFC), 0x11111111u);
  EXPECT_EQ(card->flashWord(0x1000), 0xFFFFFFFFu);
  EXPECT_EQ(card->flashWord(0x1FFC), 0xFFFFFFFFu);
  EXPECT_EQ(card->flashWord(0x2000), 0x44444444u);
}

TEST_F(FaultInjection, BitflipStoresAWordThatDiffersFromTheOneWritten) {
  add(rule(FaultAction::kBitflip, std::nullopt, 1));
  const std::pair<uint32_t, uint32_t> writes[] = {
      {0x12345678, 0x12345678},  // the first write passes
      {0x12345678, 0x12345670},  // lowest set bit cleared
      {0x00000000, 0x00000001},  // nothing left to clear: a stuck bit shows instead
  };
  uint32_t offset = 0x100;
  for (const auto& [value, stored] : writes) {
    EXPECT_EQ(client->flashWrite(offset, value), kStatusDone);
    EXPECT_EQ(card->flashWord(offset), stored) << std::hex << value;
    offset += 4;
  }
  DriverRequest answer;
  EXPECT_TRUE(client->call(kCmdRegisterWrite, 0x7000, 1, &answer)) << "register writes are not flash writes";
  EXPECT_EQ(card->peekRegister(0x7000), 1u);
}

TEST_F(FaultInjection, LockHeldAppliesAtOnceOrOnTheMatchingCall) {
  client->releaseSemaphore();
  FaultRule now = rule(FaultAction::kLockHeld);
  now.owner = 0x06A106A1;
  add(now);
  EXPECT_EQ(card->semaphore().held, true);
  EXPECT_EQ(card->semaphore().holder, 0);
  EXPECT_EQ(client->read(kRegRomLockOwner), 0x06A106A1u);
  EXPECT_FALSE(client->takeSemaphore());
  client->releaseSemaphore();
  EXPECT_TRUE(client->takeSemaphore()) << "it applied once";
  client->releaseSemaphore();

  ASSERT_TRUE(card->clearFaultRules(nullptr));
  FaultRule third = rule(FaultAction::kLockHeld, kCmdRegisterRead, 2);
  third.times = 1;
  add(third);
  EXPECT_TRUE(client->takeSemaphore());
  client->releaseSemaphore();
  EXPECT_FALSE(client->takeSemaphore()) << "the third read finds it held by the foreign owner";
  EXPECT_EQ(card->semaphore().holder, 0);
  EXPECT_EQ(client->read(kRegRomLockOwner), kForeignLockOwner);
}

TEST_F(FaultInjection, TimeoutLeavesTheInstructionUndoneUntilTheNextOne) {
  std::vector<uint8_t> programmed(kFlashSize, 0x00);
  ASSERT_TRUE(card->loadFlashImage(programmed, nullptr));
  FaultRule r = rule(FaultAction::kTimeout);
  r.offsets = OffsetRange{0x20000, 0x2FFFF};  // only erases of sector 2
  add(r);
  client->eraseSector(0x10000);
  EXPECT_EQ(card->flashWord(0x10000), 0xFFFFFFFFu);

  client->writeEnable();
  client->write(kRegSpiAddress, 0x20000);
  client->write(kRegSpiAddressBytes, 3);
  EXPECT_FALSE(client->instruction(kSpiSectorErase));
  for (int poll = 0; poll < 100; ++poll)
    ASSERT_EQ(client->read(kRegSpiControllerStatus) & kSpiInstructionDone, 0u);
  EXPECT_EQ(card->flashWord(0x20000), 0u);
  EXPECT_TRUE(client->instruction(kSpiWriteDisable));
}

TEST_F(FaultInjection, RebootCountsDeviceStateChanges) {
  FaultRule r = rule(FaultAction::kReboot, std::nullopt, 1);
  r.times = 1;
  add(r);
  std::vector<bool> reboots;
  for (int i = 0; i < 3; ++i) reboots.push_back(card->takeRebootFault());
  EXPECT_EQ(reboots, (std::vector<bool>{false, true, false}));
}

TEST_F(FaultInjection, KillEndsTheProcessMidLoopLikeAPowerCut) {
  add(rule(FaultAction::kKill, kCmdFlashWrite, 10));
  client->releaseSemaphore();
  int status = runChild([&] {
    DriverClient child(Card::open(host.cardDir(), nullptr));
    child.takeSemaphore();
    child.writeEnable();
    for (uint32_t i = 0; i < 20; ++i) child.flashWrite(i * 4, i);
    ::_exit(0);
  });
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGKILL);
  for (uint32_t i = 0; i < 20; ++i)
    EXPECT_EQ(card->flashWord(i * 4), i < 10 ? i : 0xFFFFFFFFu) << "word " << i;
  EXPECT_FALSE(card->semaphore().held) << "the chip lost its power";
  EXPECT_EQ(card->flashStatus() & kFlashStatusWriteEnabled, 0);

  // A power cut happens once: the recovery run writes.
  ASSERT_TRUE(client->takeSemaphore());
  EXPECT_EQ(client->flashWrite(40, 0x10), kStatusDone);
  EXPECT_EQ(card->flashWord(40), 0x10u);
}

TEST_F(FaultInjection, ProcessesThatOpenedTheCardSeeRulesAddedLater) {
  DriverRequest answer;
  ASSERT_TRUE(client->call(kCmdOpenProbe, 0, 0, &answer));
  int status = runChild([&] {
    std::shared_ptr<Card> other = Card::open(host.cardDir(), nullptr);
    ::_exit(other && other->addFaultRule(rule(FaultAction::kFail, kCmdOpenProbe), nullptr) ? 0 : 1);
  });
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(client->call(kCmdOpenProbe, 0, 0, &answer));

  std::shared_ptr<Card> other = Card::open(host.cardDir(), nullptr);
  ASSERT_TRUE(other->clearFaultRules(nullptr));
  EXPECT_TRUE(client->call(kCmdOpenProbe, 0, 0, &answer));
}

TEST_F(FaultInjection, RulesThatCouldNeverFireAreRefused) {
  std::vector<FaultRule> bad;
  bad.push_back(rule(FaultAction::kBitflip, kCmdFlashRead));
  bad.push_back(rule(FaultAction::kTimeout, kCmdFlashWrite));
  bad.push_back(rule(FaultAction::kReboot, kCmdRegisterRead));
  bad.push_back(rule(FaultAction::kFail, kCmdHardwareInfo));
  bad.back().offsets = OffsetRange{0, 10};
  bad.push_back(rule(FaultAction::kFail));
  bad.back().owner = 1;
  bad.push_back(rule(FaultAction::kFfff));
  bad.back().times = 0;
  for (const FaultRule& r : bad) {
    std::string error;
    EXPECT_FALSE(card->addFaultRule(r, &error)) << describeFaultRule(r);
    EXPECT_FALSE(error.empty());
  }
  std::vector<FaultRuleStatus> rules;
  ASSERT_TRUE(card->faultRules(&rules, nullptr));
  EXPECT_TRUE(rules.empty());
}

TEST_F(FaultInjection, RulesSurviveTheFileAndABrokenFileIsReported) {
  FaultRule r = rule(FaultAction::kLockHeld, kCmdFlashRead, 3);
  r.offsets = OffsetRange{0x3E0000, 0x3EFFFF};
  r.owner = 0x1234;
  add(r);
  std::vector<FaultRule> loaded;
  std::string error;
  ASSERT_TRUE(loadFaultRules(faultsPath(host.cardDir()), &loaded, &error)) << error;
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(describeFaultRule(loaded[0]), "lock-held cmd 50 after 3 offset 0x3E0000-0x3EFFFF owner 0x00001234");

  // A hand edit that breaks the file: adding refuses it, and a process that
  // loads it ignores the rules and says so where the check will see it.
  ASSERT_TRUE(writeFileAtomic(faultsPath(host.cardDir()), R"({"rules": [{"action": "melt"}]})", nullptr));
  EXPECT_FALSE(card->addFaultRule(rule(FaultAction::kFail), &error));
  EXPECT_NE(error.find("\"rules[0].action\""), std::string::npos) << error;
  DriverClient fresh(Card::open(host.cardDir(), nullptr));
  DriverRequest answer;
  EXPECT_TRUE(fresh.call(kCmdOpenProbe, 0, 0, &answer));
  EXPECT_NE(violationsText(host).find("card0: fault rules ignored: "), std::string::npos);
}

}  // namespace
}  // namespace simhost
