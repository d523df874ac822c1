#include "sw/tools/flashLoader/frontend/interrupt_handler.h"

#include <chrono>
#include <future>

#include "sw/tools/flashLoader/frontend/front_end_test_fixture.h"
#include "sw/tools/flashLoader/runstate/flash_write_phase.h"
#include "sw/tools/flashLoader/runstate/tool_output_capture.h"

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
    capture_tool_stdout();
    EXPECT_TRUE(console_control_handler(event));
    EXPECT_EQ(capturedOut(),
              "Calling signal Handler, flash_write is [1]\n"
              "WARNING: Writing in Flash is critical operation.Do not interrupt it till Completion.\n");
  }
}

TEST_F(InterruptHandlerTest, TheWritePhaseWaitsForAHandlerThatIsDeciding) {
  std::unique_lock<std::mutex> deciding(flash_write_decision());
  std::future<void> writer = std::async(std::launch::async, [] {
    FlashWriteInProgress writing;
    EXPECT_EQ(g_flash_write.load(), 1);
  });
  EXPECT_EQ(writer.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
  EXPECT_EQ(g_flash_write.load(), 0) << "the write phase began while the handler decided";
  deciding.unlock();
  writer.get();
  EXPECT_EQ(g_flash_write.load(), 0) << "the mark is cleared when the phase ends";
}

TEST_F(InterruptHandlerTest, OtherEventsAreLeftToTheSystem) {
  useHost();
  for (platform::ConsoleEvent event :
       {platform::ConsoleEvent::CtrlBreak, platform::ConsoleEvent::Logoff, platform::ConsoleEvent::Shutdown}) {
    capture_tool_stdout();
    EXPECT_FALSE(console_control_handler(event));
    EXPECT_EQ(capturedOut(), "Calling signal Handler, flash_write is [0]\n");
  }
}

TEST_F(InterruptHandlerTest, InstallsTheHandlerOnTheConsole) {
  corvane_test::ScriptedHost* host = useHost();
  ASSERT_TRUE(install_interrupt_handler());
  ASSERT_TRUE(host->scriptedConsole().handler());
  g_flash_write.store(1);
  capture_tool_stdout();
  EXPECT_TRUE(host->scriptedConsole().handler()(platform::ConsoleEvent::CtrlC));
  EXPECT_NE(capturedOut().find("WARNING: Writing in Flash"), std::string::npos);
}

}  // namespace
