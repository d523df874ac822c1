// Console behaviour in child processes of their own (signal masks, handlers
// and standard streams are process-wide): control events run on a thread of
// their own, the handlers' answers decide whether the process lives, and
// piped input and redirected output are left alone.
#include "platform/posix/console_posix.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace platform {
namespace {

using namespace std::chrono_literals;

// What the handlers saw, shared with the thread that runs them.
struct Record {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::string> calls;
  bool allOffMain = true;
  std::thread::id mainThread = std::this_thread::get_id();

  ConsoleHandler handler(const std::string& name, bool answer) {
    return [this, name, answer](ConsoleEvent event) {
      std::lock_guard<std::mutex> lock(mutex);
      calls.push_back(name + ":" + std::to_string(static_cast<unsigned>(event)));
      if (std::this_thread::get_id() == mainThread) allOffMain = false;
      changed.notify_all();
      return answer;
    };
  }
  bool waitForCalls(size_t count) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, 10s, [&] { return calls.size() >= count; });
  }
  std::string summary() {
    std::lock_guard<std::mutex> lock(mutex);
    std::string text;
    for (const std::string& c : calls) text += c + " ";
    return text + (allOffMain ? "off main" : "ON MAIN");
  }
};

// Sleeps long enough for a signal to end the process; if none does, says so.
[[noreturn]] void waitToBeEnded(Record& record) {
  std::this_thread::sleep_for(10s);
  std::fprintf(stderr, "still alive after %s\n", record.summary().c_str());
  std::_Exit(3);
}

void handledCtrlCChild() {
  Record record;
  auto console = makePosixConsole();
  // The later handler is asked first; declining passes the event on.
  if (!console->setControlHandler(record.handler("first", true)) ||
      !console->setControlHandler(record.handler("second", false))) {
    std::_Exit(2);
  }
  kill(getpid(), SIGINT);
  if (!record.waitForCalls(2)) std::_Exit(4);
  kill(getpid(), SIGINT);  // still running, still listening
  if (!record.waitForCalls(4)) std::_Exit(5);
  std::fprintf(stderr, "[%s]\n", record.summary().c_str());
  std::fflush(stderr);
  std::_Exit(0);
}

void declinedCtrlCChild() {
  static Record record;
  auto console = makePosixConsole();
  console->setControlHandler([](ConsoleEvent event) {
    bool answer = record.handler("declined", false)(event);
    std::fprintf(stderr, "[%s]\n", record.summary().c_str());
    return answer;
  });
  kill(getpid(), SIGINT);
  waitToBeEnded(record);
}

void hangUpChild() {
  static Record record;
  auto console = makePosixConsole();
  console->setControlHandler([](ConsoleEvent event) {
    bool answer = record.handler("close", true)(event);
    std::fprintf(stderr, "[%s]\n", record.summary().c_str());
    return answer;
  });
  kill(getpid(), SIGHUP);
  waitToBeEnded(record);
}

// A close handler that never returns holds the close only for the grace.
void closeHeldPastTheGraceChild() {
  static Record record;
  auto console = makePosixConsole([] { return std::chrono::milliseconds(200); });
  console->setControlHandler([](ConsoleEvent event) -> bool {
    record.handler("held", true)(event);
    std::fprintf(stderr, "[%s]\n", record.summary().c_str());
    std::this_thread::sleep_for(60s);
    return true;
  });
  kill(getpid(), SIGHUP);
  waitToBeEnded(record);
}

// Within the grace the close waits for its handler, and ends the process
// once the handler returns.
void closeWaitsForItsHandlerChild() {
  static Record record;
  auto console = makePosixConsole([] { return std::chrono::milliseconds(8000); });
  console->setControlHandler([](ConsoleEvent event) -> bool {
    record.handler("slow", true)(event);
    std::this_thread::sleep_for(300ms);
    std::fprintf(stderr, "[%s returned]\n", record.summary().c_str());
    return true;
  });
  kill(getpid(), SIGHUP);
  waitToBeEnded(record);
}

void handlerExitsChild() {
  static Record record;
  auto console = makePosixConsole();
  console->setControlHandler([](ConsoleEvent) -> bool { std::exit(42); });
  kill(getpid(), SIGINT);
  waitToBeEnded(record);
}

void otherSignalChild() {
  static Record record;
  auto console = makePosixConsole();
  console->setControlHandler(record.handler("unexpected", true));
  kill(getpid(), SIGTERM);
  waitToBeEnded(record);
}

class PosixConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(PosixConsoleTest, HandledCtrlCRunsOffTheMainThreadAndTheProcessGoesOn) {
  EXPECT_EXIT(handledCtrlCChild(), ::testing::ExitedWithCode(0),
              R"(\[second:0 first:0 second:0 first:0 off main\])");
}

TEST_F(PosixConsoleTest, DeclinedCtrlCEndsTheProcessBySigint) {
  EXPECT_EXIT(declinedCtrlCChild(), ::testing::KilledBySignal(SIGINT), R"(\[declined:0 off main\])");
}

TEST_F(PosixConsoleTest, HangUpIsTheCloseEventAndEndsTheProcessAfterTheHandler) {
  EXPECT_EXIT(hangUpChild(), ::testing::KilledBySignal(SIGHUP), R"(\[close:2 off main\])");
}

TEST_F(PosixConsoleTest, ACloseHandlerIsWaitedForUntilItReturnsOrTheGraceRunsOut) {
  EXPECT_EXIT(closeWaitsForItsHandlerChild(), ::testing::KilledBySignal(SIGHUP), R"(\[slow:2 off main returned\])");
  EXPECT_EXIT(closeHeldPastTheGraceChild(), ::testing::KilledBySignal(SIGHUP), R"(\[held:2 off main\])");
}

TEST_F(PosixConsoleTest, HandlerMayEndTheProcessItself) {
  EXPECT_EXIT(handlerExitsChild(), ::testing::ExitedWithCode(42), "");
}

TEST_F(PosixConsoleTest, OtherSignalsKeepTheirDefaultAction) {
  EXPECT_EXIT(otherSignalChild(), ::testing::KilledBySignal(SIGTERM), "");
}

void pipedInputChild() {
  int ends[2];
  if (pipe(ends) != 0) std::_Exit(2);
  const std::string typed = "first line\nsecond\r\nlast";
  if (write(ends[1], typed.data(), typed.size()) != static_cast<ssize_t>(typed.size())) std::_Exit(2);
  close(ends[1]);
  dup2(ends[0], STDIN_FILENO);
  auto console = makePosixConsole();
  std::string a, b, c, d;
  int ch = console->readChar();
  console->discardPendingInput();  // a pipe: nothing is dropped
  bool got = console->readLine(&a) && console->readLine(&b) && console->readLine(&c);
  bool atEnd = !console->readLine(&d) && console->readChar() == -1;
  std::fprintf(stderr, "[%c|%s|%s|%s|%d]\n", ch, a.c_str(), b.c_str(), c.c_str(), got && atEnd);
  std::_Exit(0);
}

TEST_F(PosixConsoleTest, PipedInputIsKeptAndReadLineByLine) {
  EXPECT_EXIT(pipedInputChild(), ::testing::ExitedWithCode(0), R"(\[f\|irst line\|second\|last\|1\])");
}

void redirectedOutputChild(const std::string& path) {
  std::FILE* file = std::freopen(path.c_str(), "w", stdout);
  if (!file) std::_Exit(2);
  auto console = makePosixConsole();
  console->setTitle("Flash update");
  bool console1 = console->outputIsConsole();
  bool window = console->setWindowSize(80, 25);
  bool buffer = console->setBufferSize(80, 300);
  std::fflush(stdout);
  uintmax_t written = std::filesystem::file_size(path);
  std::filesystem::remove(path);
  std::fprintf(stderr, "[%d%d%d %ju bytes]\n", console1, window, buffer, written);
  std::_Exit(0);
}

TEST_F(PosixConsoleTest, RedirectedOutputIsNoConsoleAndGetsNoControlSequences) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("console_posix_test." + std::to_string(getpid()))).string();
  EXPECT_EXIT(redirectedOutputChild(path), ::testing::ExitedWithCode(0), R"(\[000 0 bytes\])");
}

}  // namespace
}  // namespace platform
