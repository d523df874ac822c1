#include "wrapper/flow/command_line.h"

#include <gtest/gtest.h>

#include "wrapper/flow/run_choice.h"

namespace keelson {
namespace {

TEST(CommandLine, FormsIgnoreCaseAndTheLastFileWins) {
  RunState s;
  ASSERT_EQ(readCommandLine({"/S", "-Rewrite", "-DOWNGRADE", "-Debug", "/d", "a.xml", "-V", "b.xml", "-sV"}, s),
            CommandLineOutcome::kRun);
  EXPECT_TRUE(s.silent && s.consoleSilent && s.rewrite && s.downgrade && s.consoleDebug && s.dependencyCheck);
  EXPECT_TRUE(s.discoveryReport && s.versionReport);
  EXPECT_EQ(s.reportFile, "b.xml");
  EXPECT_FALSE(s.list || s.force || s.yes || s.updateFromReport || s.statusOnly);
}

TEST(CommandLine, UsageStopsTheReading) {
  RunState s;
  EXPECT_EQ(readCommandLine({"-s", "?", "-c"}, s), CommandLineOutcome::kUsage);
  EXPECT_TRUE(s.consoleSilent);  // read before the help: the usage stays off the console
  EXPECT_FALSE(s.list);
  for (const std::vector<std::string>& args : {std::vector<std::string>{"-u"}, {"-y", "-V"}, {"-x"}, {"--s"},
                                               {"-/s"}, {"s"}, {""}, {"/downgrade"}, {"/rewrite"}, {"-d", "f", "extra"}}) {
    RunState t;
    EXPECT_EQ(readCommandLine(args, t), CommandLineOutcome::kUsage) << args.back();
  }
  // A file-taking option takes the next argument whatever it is.
  RunState t;
  EXPECT_EQ(readCommandLine({"-d", "-h"}, t), CommandLineOutcome::kRun);
  EXPECT_EQ(t.reportFile, "-h");
}

TEST(RunChoice, AllowedCombinations) {
  struct Case {
    std::vector<std::string> args;
    RunKind kind;
  };
  for (const Case& c : std::vector<Case>{
           {{}, RunKind::kUpgrade},
           {{"-s", "-d", "f"}, RunKind::kDiscoveryReport},
           {{"-s", "-u", "f"}, RunKind::kUpdateFromReport},
           {{"-f", "-u", "f"}, RunKind::kUpdateFromReport},
           {{"-s", "-v", "f"}, RunKind::kVersionReport},
           {{"-n", "-v", "f"}, RunKind::kVersionReport},
           {{"-s", "-sv"}, RunKind::kDependencyCheck},
           {{"-s", "-e", "-g", "-f"}, RunKind::kUpgrade},
           {{"-n", "-e", "-g", "-debug"}, RunKind::kUpgrade},
           {{"-y", "-e"}, RunKind::kUpgrade},
           {{"-c", "-e", "-g"}, RunKind::kList},
           {{"-c"}, RunKind::kList},
       }) {
    RunState s;
    ASSERT_EQ(readCommandLine(c.args, s), CommandLineOutcome::kRun);
    EXPECT_EQ(chooseRun(s), c.kind) << (c.args.empty() ? "" : c.args[0] + " " + c.args.back());
  }
}

TEST(RunChoice, SilentWithListOrYesShowsTheUsage) {
  RunState s;
  readCommandLine({"-s", "-y"}, s);
  EXPECT_EQ(chooseRun(s), RunKind::kUsage);
  EXPECT_FALSE(s.consoleSilent);
  RunState t;
  readCommandLine({"-s", "-n"}, t);
  EXPECT_EQ(chooseRun(t), RunKind::kUsage);
  EXPECT_TRUE(t.consoleSilent);
}

}  // namespace
}  // namespace keelson
