#include "sw/tools/flashLoader/frontend/interrupt_handler.h"

#include "sw/tools/flashLoader/frontend/front_end_test_fixture.h"

namespace {

// Ending the run (the flash-write flag at 0) ends the process; the
// end-to-end tests interrupt real runs for that.
class InterruptHandlerTest : public FrontEndTest {
 protected:
  void TearDown() override {
    g_flash_write.store(0);
    FrontEndTest::TearDown();
  }
};

TEST_F(InterruptHandlerTest, AFlashWriteIsNotInterrupted) {
  useHost();
  g_flash_write.store(1);
  for (platform::ConsoleEvent event : {platform::ConsoleEvent::CtrlC, platform::ConsoleEvent::Close}) {
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(console_control_handler(event));
    EXPECT_EQ(capturedOut(),
              "Calling signal Handler, flash_write is [1]\n"
              "WARNING: Writing in Flash is critical operation.Do not interrupt it till Completion.\n");
  }
}

TEST_F(InterruptHandlerTest, OtherEventsAreLeftToTheSystem) {
  useHost();
  for (platform::ConsoleEvent event :
       {platform::ConsoleEvent::CtrlBreak, platform::ConsoleEvent::Logoff, platform::ConsoleEvent::Shutdown}) {
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(console_control_handler(event));
    EXPECT_EQ(capturedOut(), "Calling signal Handler, flash_write is [0]\n");
  }
}

TEST_F(InterruptHandlerTest, InstallsTheHandlerOnTheConsole) {
  corvane_test::ScriptedHost* host = useHost();
  ASSERT_TRUE(install_interrupt_handler());
  ASSERT_TRUE(host->scriptedConsole().handler());
  g_flash_write.store(1);
  ::testing::internal::CaptureStdout();
  EXPECT_TRUE(host->scriptedConsole().handler()(platform::ConsoleEvent::CtrlC));
  EXPECT_NE(capturedOut().find("WARNING: Writing in Flash"), std::string::npos);
}

}  // namespace
