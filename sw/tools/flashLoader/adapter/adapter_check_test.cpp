// Opening an adapter for work: the nic type, the ROM lock (someone else's,
// or one left by an earlier run of the tool) and the flash's first bytes.
#include "sw/tools/flashLoader/adapter/adapter_check.h"

#include "sw/tools/flashLoader/adapter/adapter_registers.h"
#include "sw/tools/flashLoader/adapter/adapter_test_fixture.h"
#include "sw/tools/flashLoader/adapter/flash_read.h"

namespace {

class AdapterCheckTest : public AdapterTest {
 protected:
  // The board added, the host in place, the adapter not yet opened.
  void useBoard(const simhost::CardOrder& order, bool imaged, const std::string& input = std::string()) {
    addBoard(order, imaged);
    console_ = corvane_test::useScriptedSimHost(host_.root(), input);
    std::string error;
    card_ = simhost::Card::open(host_.dir().cardDir(order.name), &error);
    ASSERT_TRUE(card_) << error;
  }
  int check(const std::string& name = "Local Area Connection 2") {
    port_ = 99;
    captureOutput();
    const int result = check_adapter(name, &port_, false);
    out_ = capturedOut();
    err_ = capturedErr();
    return result;
  }
  uint32_t port_ = 0;
  std::string out_, err_;
};

TEST_F(AdapterCheckTest, AGoodBoardOpensWithItsPortAndNicType) {
  useBoard(dualBoard(), true);
  EXPECT_EQ(check(), 0);
  EXPECT_EQ(port_, 1u);
  EXPECT_EQ(g_adapter.nicType, 3);
  EXPECT_EQ(g_adapter.lastChipRevision, 0x42);
  EXPECT_EQ(out_ + err_, "");
  EXPECT_NE(adapter_handle(), nullptr);
  EXPECT_EQ(calls(50), 4u);  // byte offsets 0, 1, 2 and 3
}

TEST_F(AdapterCheckTest, ANameThatIsNoCorvanePortFails) {
  useBoard(dualBoard(), true);
  EXPECT_EQ(check("Local Area Connection 9"), -1);
  EXPECT_EQ(port_, 0u);
  EXPECT_EQ(err_, "'Local Area Connection 9' is not a Corvane Interface\n");
  uint32_t port = 5;
  EXPECT_EQ(check_adapter("Local Area Connection 9", &port, true), -1);  // report mode: silent
}

TEST_F(AdapterCheckTest, ALockHeldBySomeoneElseNeedsAReboot) {
  useBoard(dualBoard(), true);
  g_poll_limits.romLockRetries = 50;
  fault(simhost::FaultAction::kLockHeld, std::nullopt);  // another owner id
  EXPECT_EQ(check(), kFlashNotReadable);
  EXPECT_EQ(err_, "Failed to acquire ROM Lock. Please reboot the system.\n");
  EXPECT_EQ(calls(50), 0u);
  card().setSemaphore({});
}

TEST_F(AdapterCheckTest, ALockThisToolLeftBehindIsUsedAndGivenBack) {
  useBoard(dualBoard(), true);
  g_poll_limits.romLockRetries = 50;
  simhost::FaultRule rule;
  rule.action = simhost::FaultAction::kLockHeld;
  rule.owner = kRomLockOwnerId;
  std::string error;
  ASSERT_TRUE(card().addFaultRule(rule, &error)) << error;
  EXPECT_EQ(check(), 0);
  EXPECT_EQ(out_ + err_, "");
  EXPECT_EQ(calls(50), 4u);
}

TEST_F(AdapterCheckTest, AnErasedFlashAsksWhetherToGoOn) {
  struct Case {
    const char* input;
    int result;
    const char* out;
  };
  const Case cases[] = {
      {"y\n", 0, ""}, {"Y\n", 0, ""}, {"n\n", kBadFlashRefused, ""}, {"yes\n", kBadFlashRefused, "Wrong Input!!\n"},
      {"", kBadFlashRefused, "Wrong Input!!\n"},
  };
  simhost::CardOrder order = dualBoard();
  useBoard(order, false);  // factory flash: sector 0 erased
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    console_->scriptedConsole() = corvane_test::ScriptedConsole(c.input);
    EXPECT_EQ(check(), c.result);
    EXPECT_EQ(err_, "Flash verification failed. Bad flash!...\n");
    EXPECT_EQ(out_, std::string("Do you want to proceed (Y/N): ") + c.out);
    EXPECT_FALSE(card().semaphore().held);
  }
}

TEST_F(AdapterCheckTest, AFlashThatDoesNotAnswerIsNotReadable) {
  useBoard(dualBoard(), true);
  for (auto action : {simhost::FaultAction::kFail, simhost::FaultAction::kFfff}) {
    fault(action, 50, 2, std::nullopt, 1);  // the third byte offset
    EXPECT_EQ(check(), kFlashNotReadable);
    EXPECT_FALSE(card().semaphore().held);
    clearFaults();
  }
}

TEST_F(AdapterCheckTest, ANicTypeThatCannotBeSetStopsTheCheck) {
  simhost::CardOrder order = dualBoard();
  order.chipRevision = 0x31;
  useBoard(order, true);
  EXPECT_EQ(check(), -1);
  EXPECT_EQ(out_, "Unknown Chip Type\nError In set_nic_type\n");
  EXPECT_EQ(calls(50), 0u);
}

}  // namespace
