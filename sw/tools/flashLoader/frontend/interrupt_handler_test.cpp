#include "sw/tools/flashLoader/frontend/interrupt_handler.h"

#include <chrono>
#include <atomic>
#include <future>
#include <memory>
#include <thread>

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
    g_stop_requested.store(false);
    FrontEndTest::TearDown();
  }
};

// Ctrl+C in the write phase is answered at once; the run is asked to end
// once the phase and its clean-up are over.
TEST_F(InterruptHandlerTest, CtrlCInTheWritePhaseLetsTheRunFinishThenEnd) {
  useHost();
  g_flash_write.store(1);
  capture_tool_stdout();
  EXPECT_TRUE(console_control_handler(platform::ConsoleEvent::CtrlC));
  EXPECT_EQ(capturedOut(),
            "Calling signal Handler, flash_write is [1]\n"
            "WARNING: Writing in Flash is critical operation.Do not interrupt it till Completion.\n");
  EXPECT_TRUE(g_stop_requested.load());
}

// A close in the write phase is held: its handler does not return (the
// system would end the process), and the write phase can still end.
TEST_F(InterruptHandlerTest, ACloseInTheWritePhaseIsHeldWhileThePhaseEnds) {
  useHost();
  auto writing = std::make_unique<FlashWriteInProgress>();
  static std::atomic<bool> returned{false};
  std::thread([] { returned = console_control_handler(platform::ConsoleEvent::Close); }).detach();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!g_stop_requested.load() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(g_stop_requested.load());
  std::future<void> leaving = std::async(std::launch::async, [&] { writing.reset(); });
  EXPECT_EQ(leaving.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "the write phase cannot end";
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(returned.load()) << "the close was let through";
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
