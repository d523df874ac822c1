// Opening an adapter with -i as a real process when the ROM lock is not
// free, and --info when driver calls fail or answer 0xFFFFFFFF at any point:
// the tool's message and code, never a crash or a success, the lock given
// back and the protocol checker clean.
#include <string>
#include <vector>

#include "tests/board_fixture.h"

namespace {

using corvane_test::RunResult;

const Board kDual{"dual", 0x26, 0x01264040, 2, 3, 0x42, "SN0001", {0x00, 0x0E, 0x1E, 0x26, 0x00, 0x10}, 0x1111};

class AdapterLockScenario : public BoardScenario {
 protected:
  void SetUp() override { add(kDual); }
  bool semaphoreHeld() const { return card("dual")->semaphore().held; }
};

TEST_F(AdapterLockScenario, ALockHeldBySomeoneElseNeedsAReboot) {
  sim("fault", {"dual", "--action", "lock-held"});
  RunResult r = burnkit({"-i", "Local Area Connection", "--info"});
  EXPECT_EQ(r.exitCode, 12u);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Failed to acquire ROM Lock. Please reboot the system.\nVerifying flash...Failed.\n");
  EXPECT_EQ(calls("dual", 50), 0u);
  EXPECT_TRUE(semaphoreHeld());  // not this tool's to break
  sim("fault", {"dual", "--clear"});
  card("dual")->setSemaphore({});
}

TEST_F(AdapterLockScenario, ALockThisToolLeftBehindDoesNotStopTheCheck) {
  sim("fault", {"dual", "--action", "lock-held", "--owner", "0x06A106A1"});
  RunResult r = burnkit({"-i", "Local Area Connection", "--info"});
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("PXE Status 0               : Enabled\n"), std::string::npos);
  EXPECT_FALSE(semaphoreHeld());
}

TEST_F(AdapterLockScenario, FailingDriverCallsGiveTheToolsMessagesAndCodes) {
  struct Case {
    const char* action;
    const char* cmd;
    const char* after;
    uint32_t exitCode;
    std::string err;  // empty: not compared
  };
  const Case cases[] = {
      {"fail", "22", "0", 255, "'Local Area Connection' is not a Corvane Interface\n"},
      {"ffff", "99", "0", 255, ""},  // the chip revision is unknown: set_nic_type fails
      {"fail", "50", "2", 12, "Verifying flash...Failed.\n"},
      {"ffff", "50", "0", 12, "Verifying flash...Failed.\n"},
      // The user area: the report fails, the status lines still run.
      {"fail", "50", "4", 255, "Failed to get board information.\nFailed to get board information\n"},
      {"ffff", "50", "300", 255, "Failed to get board information.\nFailed to get board information\n"},
      // The PXE word, then the WOL table.
      {"ffff", "50", "540", 12, "Failed to get PXE status information for port 0\n"},
      {"ffff", "50", "541", 12, "Failed to get WOL status information for port 0\n"},
      {"fail", "1", "5", 0, ""},   // a register read on the way: shown as 0, the report goes on
      {"fail", "105", "0", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.action) + " cmd " + c.cmd + " after " + c.after);
    sim("fault", {"dual", "--action", c.action, "--cmd", c.cmd, "--after", c.after, "--times", "1"});
    RunResult r = burnkit({"-i", "Local Area Connection", "--info"});
    EXPECT_EQ(r.exitCode, c.exitCode) << r.out << r.err;
    if (!c.err.empty()) {
      EXPECT_EQ(r.err, c.err);
    }
    EXPECT_FALSE(semaphoreHeld());
    sim("fault", {"dual", "--clear"});
  }
}

}  // namespace
