// Keelson's command line end to end: help anywhere, the refused option
// combinations, and arguments it does not know. A refused line runs nothing:
// no board is touched.
#include <filesystem>
#include <string>
#include <vector>

#include "tests/keelson_fixture.h"

namespace {

class KeelsonCommandLineTest : public KeelsonScenario {
 protected:
  void SetUp() override {
    add(kSfp26, "4.0.500");
    package();
    const corvane_test::RunResult help = keelson({"-h"});
    ASSERT_EQ(help.exitCode, 0u);
    usage_ = help.out;
    ASSERT_TRUE(usage_.starts_with("USAGE: Keelson [ -s  ]")) << usage_;
  }
  std::string usage_;
};

TEST_F(KeelsonCommandLineTest, HelpAnywhereIsTheUsageAloneWithoutLogHeader) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-c", "-h"}, {"-y", "/H"}, {"-n", "?"}, {"-e", "-HELP"}, {"-d"}, {"-y", "/u"},
        {"-x"}, {"-y", "stray"}, {"/help"}}) {
    const corvane_test::RunResult r = keelson(args);
    EXPECT_EQ(r.exitCode, 0u) << args[0];
    EXPECT_EQ(r.out, usage_) << args[0];
  }
  const corvane_test::RunResult silentHelp = keelson({"-s", "-h"});
  EXPECT_EQ(silentHelp.exitCode, 0u);
  EXPECT_EQ(silentHelp.out, "");
  EXPECT_FALSE(std::filesystem::exists(logPath()));
  EXPECT_EQ(driverCalls("sfp26"), 0u);
}

TEST_F(KeelsonCommandLineTest, RefusedCombinationsShowTheUsageAndRunNothing) {
  const std::string f = "report.xml";
  struct Refused {
    std::vector<std::string> args;
    bool usageSeen;  // false: silent keeps the console quiet
  };
  const std::vector<Refused> refused = {
      {{"-s", "-c"}, true},           {{"/s", "-Y"}, true},           {{"-f", "-c"}, true},
      {{"-f", "-y"}, true},           {{"-f", "-sv"}, true},          {{"-y", "-d", f}, true},
      {{"-y", "-u", f}, true},        {{"-y", "-sv"}, true},          {{"-c", "-d", f}, true},
      {{"-c", "-u", f}, true},        {{"-c", "-sv"}, true},          {{"-c", "-v", f}, true},
      {{"-c", "-n"}, true},           {{"-n", "-s"}, false},
      {{"-n", "-d", f}, true},        {{"-n", "-u", f}, true},        {{"-n", "-sv"}, true},
      {{"-v", f, "-f"}, true},        {{"-v", f, "-d", f}, true},     {{"-v", f, "-u", f}, true},
      {{"-v", f, "-sv"}, true},       {{"-d", f, "-u", f}, true},     {{"-d", f, "-f"}, true},
      {{"-d", f, "-sv"}, true},       {{"-u", f, "-sv"}, true},       {{"-sv", "-v", f}, true},
  };
  for (const Refused& c : refused) {
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    const corvane_test::RunResult r = keelson(c.args);
    EXPECT_EQ(r.exitCode, 0u) << line;
    if (c.usageSeen)
      EXPECT_TRUE(r.out.ends_with(usage_)) << line << "\n" << r.out;
    else
      EXPECT_EQ(r.out, "") << line;
    EXPECT_EQ(driverCalls("sfp26"), 0u) << line;
  }
  EXPECT_FALSE(std::filesystem::exists(package_ + "/" + f));
  // Silent with -c: the usage shows although silent was asked, without the
  // banner that silent kept off the console.
  EXPECT_EQ(keelson({"-s", "-c"}).out, usage_);
  EXPECT_EQ(firmware("sfp26"), "4.0.500");
}

}  // namespace
