#include <gtest/gtest.h>

#include "tests/support/scenario.h"
#include "tests/support/scripted_host.h"
#include "wrapper/selection/ask_user.h"
#include "wrapper/selection/select_adapter.h"
#include "wrapper/state/run_state.h"

namespace keelson {
namespace {

// The decision on one adapter, each question answered with an empty line
// (its default): what it gives and whether it asked.
class DecideUpgrade : public ::testing::Test {
 protected:
  void SetUp() override { runState() = RunState(); }
  void TearDown() override { runState() = RunState(); }

  int decide(VersionTriple installed, const std::string& options, bool* asked, const std::string& input = "\n") {
    runState() = RunState();
    RunState& s = runState();
    for (char o : options) {
      s.rewrite |= o == 'e';
      s.downgrade |= o == 'g';
      s.force |= o == 'f';
      s.yes |= o == 'y';
      s.silent |= o == 's';
    }
    s.consoleSilent = s.silent;
    SupportedNic nic;
    nic.name = "Corvane Z3 test";
    nic.location = "5:0.0";
    nic.installed = installed;
    nic.package = {4, 0, 600};
    nic.flags = kNicSupported;
    s.adapters = {nic};
    s.supportedCount = 1;
    corvane_test::ScriptedHost* host = corvane_test::useScriptedSimHost(host_.root(), input);
    const int result = decideUpgrade(0);
    *asked = host->scriptedConsole().unread().empty() && !input.empty();
    return result;
  }

  corvane_test::Scenario host_;
};

TEST_F(DecideUpgrade, OptionTable) {
  const VersionTriple older{4, 0, 500}, same{4, 0, 600}, newer{4, 1, 0};
  struct Case {
    VersionTriple installed;
    const char* options;
    int result;
    bool asked;
  };
  const Case cases[] = {
      {older, "", kAnswerYes, true},    {older, "e", kAnswerYes, true},    {older, "g", kAnswerYes, true},
      {older, "f", kAnswerYes, true},   {older, "y", kAnswerYes, false},   {older, "s", kAnswerYes, false},
      {same, "", kAnswerNo, true},      {same, "e", kAnswerYes, true},     {same, "g", kNotOffered, false},
      {same, "f", kAnswerYes, true},    {same, "y", kAnswerNo, false},     {same, "s", kAnswerNo, false},
      {same, "sf", kAnswerYes, false},  {same, "ey", kAnswerYes, false},   {same, "es", kAnswerYes, false},
      {newer, "", kAnswerNo, true},     {newer, "e", kNotOffered, false},  {newer, "g", kAnswerYes, true},
      {newer, "f", kAnswerYes, true},   {newer, "y", kAnswerNo, false},    {newer, "s", kAnswerNo, false},
      {newer, "sf", kAnswerYes, false}, {newer, "gy", kAnswerYes, false},  {newer, "gs", kAnswerYes, false},
  };
  for (const Case& c : cases) {
    bool asked = false;
    EXPECT_EQ(decide(c.installed, c.options, &asked), c.result)
        << versionText(c.installed) << " -" << c.options;
    EXPECT_EQ(asked, c.asked) << versionText(c.installed) << " -" << c.options;
  }
}

TEST_F(DecideUpgrade, TypedAnswers) {
  struct Case {
    const char* input;
    int result;
  };
  const Case cases[] = {{"y\n", kAnswerYes},  {"YES\n", kAnswerYes},  {"Yes\r\n", kAnswerYes}, {"yES\n", kAnswerNo},
                        {"Y \n", kAnswerNo},  {"q\n", kAnswerQuit},   {"QUIT\n", kAnswerQuit}, {"qUIT\n", kAnswerNo},
                        {"n\n", kAnswerNo},   {"", kAnswerQuit},      {"y", kAnswerYes},       {"\n", kAnswerYes}};
  for (const Case& c : cases) {
    bool asked = false;
    EXPECT_EQ(decide({4, 0, 500}, "", &asked, c.input), c.result) << c.input;
  }
  // An answer longer than any word is no, whatever its bytes.
  bool asked = false;
  EXPECT_EQ(decide({4, 0, 500}, "", &asked, "y" + std::string(300, '\0') + "\n"), kAnswerNo);
}

TEST_F(DecideUpgrade, StatusOnlySetsTheRunsStatusAndNeverAsks) {
  runState() = RunState();
  RunState& s = runState();
  s.statusOnly = true;
  for (VersionTriple installed : {VersionTriple{4, 1, 0}, VersionTriple{4, 0, 500}}) {
    SupportedNic nic;
    nic.installed = installed;
    nic.package = {4, 0, 600};
    nic.flags = kNicSupported;
    s.adapters.push_back(nic);
  }
  corvane_test::useScriptedSimHost(host_.root(), "y\ny\n");
  EXPECT_EQ(decideUpgrade(0), kAnswerNo);
  EXPECT_EQ(decideUpgrade(1), kAnswerNo);
  EXPECT_TRUE(s.newerVersionInstalled && s.updateRecommended);
  EXPECT_FALSE(s.sameVersionInstalled);
}

}  // namespace
}  // namespace keelson
