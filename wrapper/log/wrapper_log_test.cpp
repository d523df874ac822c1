#include "wrapper/log/wrapper_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "tests/support/scenario.h"
#include "tests/support/scripted_host.h"
#include "wrapper/state/run_state.h"

namespace keelson {
namespace {

class WrapperLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    runState() = RunState{};
    corvane_test::useScriptedSimHost(scenario_.root());
    kstsystem_ = scenario_.dir().driveC() + "/kstsystem";
    std::filesystem::remove_all(kstsystem_);
  }
  void TearDown() override { platform::setHost(nullptr); }

  static std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  // Runs f with standard output captured; what it wrote.
  template <typename F>
  static std::string console(F f) {
    ::testing::internal::CaptureStdout();
    f();
    return ::testing::internal::GetCapturedStdout();
  }

  corvane_test::Scenario scenario_;
  std::string kstsystem_;
};

const char* const kBanner =
    "\n----------------------------------------------------------------------------\n"
    "Orland Kestrel-Series Corvane Z3 Online Firmware Upgrade Utility for Windows (4.0.593.0)\n"
    "Upgrades the flash firmware of supported Corvane Z3 network adapters.\n"
    "----------------------------------------------------------------------------\n\n";

TEST_F(WrapperLogTest, EchoesAnEntryAsTheSwitchesSay) {
  console(writeLogHeader);
  const struct {
    bool consoleFlag, debug, silent, echoed;
  } cases[] = {
      {false, false, false, false}, {true, false, false, true}, {false, true, false, true},
      {true, true, false, true},    {true, false, true, false}, {false, true, true, false},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(runState().logPath);
    runState().consoleDebug = c.debug;
    runState().consoleSilent = c.silent;
    const std::string out = console([&] {
      WrapperLog log;
      log << "line " << 1 << " of " << -2 << '\n' << "two" << static_cast<uint64_t>(3);
      log.flush(c.consoleFlag);
      EXPECT_EQ(log.text(), "");
    });
    EXPECT_EQ(out, c.echoed ? "line 1 of -2\ntwo3\n" : "") << c.consoleFlag << c.debug << c.silent;
    EXPECT_EQ(readFile(runState().logPath), "line 1 of -2\ntwo3\n") << c.consoleFlag << c.debug << c.silent;
  }
}

TEST_F(WrapperLogTest, BeforeTheHeaderEntriesReachTheConsoleOnly) {
  EXPECT_EQ(console([] { logEntry("early", true); }), "early\n");
  EXPECT_FALSE(std::filesystem::exists(kstsystem_));
}

TEST_F(WrapperLogTest, HeaderMakesTheLogDirectoryAndWritesBannerAndTime) {
  const std::string out = console(writeLogHeader);
  EXPECT_EQ(runState().logPath, scenario_.dir().driveC() + "/kstsystem/log/burnkit.log");
  EXPECT_EQ(out, kBanner);
  const std::string log = readFile(runState().logPath);
  ASSERT_EQ(log.rfind(kBanner, 0), 0u);
  EXPECT_TRUE(std::regex_match(log.substr(std::string(kBanner).size()),
                               std::regex("Time: (Sun|Mon|Tue|Wed|Thu|Fri|Sat) [A-Z][a-z]{2} [ 123][0-9] "
                                          "[0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}\n-{30}\n")))
      << log;

  // A second run appends to the same log; debug shows the time on the console.
  runState().consoleDebug = true;
  const std::string debugOut = console(writeLogHeader);
  EXPECT_EQ(debugOut.rfind(std::string(kBanner) + "Time: ", 0), 0u);
  EXPECT_EQ(readFile(runState().logPath).size(), 2 * log.size());
}

TEST_F(WrapperLogTest, SilentRunsStillLog) {
  runState().consoleSilent = true;
  runState().consoleDebug = true;
  EXPECT_EQ(console([] {
              writeLogHeader();
              logEntry("entry", true);
            }),
            "");
  const std::string log = readFile(runState().logPath);
  EXPECT_EQ(log.substr(log.size() - 6), "entry\n");
}

TEST_F(WrapperLogTest, ALogThatCannotBeMadeLeavesTheRunGoing) {
  std::ofstream(kstsystem_) << "a file where the directory belongs";
  EXPECT_EQ(console([] {
              writeLogHeader();
              logEntry("still shown", true);
            }),
            std::string(kBanner) + "still shown\n");
  EXPECT_EQ(readFile(kstsystem_), "a file where the directory belongs");
}

TEST_F(WrapperLogTest, UsageIsElevenEntriesEachFollowedByAnEmptyLine) {
  EXPECT_EQ(console(printUsage),
            "USAGE: Keelson [ -s  ] [ -y  ] [ -c ] [ -h ] [ -d <fileName> ] [ -u <fileName> ] [ -n ] [ -v <fileName> ]"
            "\n\n"
            "With no options, interactively upgrade firmware,\n\t current firmware is saved.\n\n"
            "-s  Silent { Not with -c }\n\n"
            "-e  Enable re-write if the current firmware is the same, and upgrade if the current firmware is older."
            "\n\n"
            "-g  Enable downgrade if the current firmware is newer, and upgrade if the current firmware is older."
            "\n\n"
            "-c  Display currently installed firmware information.\n\n"
            "-h  Display this help menu.\n\n"
            "-d <fileName>  Generate xml discovery report to an XML file.\n\n"
            "-u <fileName>  Read XML discovery report and perform firmware upgrade.\n\n"
            "-n  No update is required just exit with firmware version status.( Used with Updeck.exe )\n\n"
            "-v <fileName> Generate XML report only with firmware version details.\n\n");
}

}  // namespace
}  // namespace keelson
