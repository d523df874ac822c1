// The whole chain on the demo server: updeck loads Brightwell from the
// package directory, which runs the real Keelson, which runs burnkit once
// per board.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include <gtest/gtest.h>

#include "simhost/provision/demo_package.h"
#include "simhost/provision/provision.h"
#include "tests/support/scenario.h"

namespace corvane_test {
namespace {

namespace fs = std::filesystem;

const char* const kDemoCards[] = {"sfp26", "quad24", "mezz22", "lom29"};

class UpdeckDemo : public ::testing::Test {
 protected:
  // A fresh demo server with the programs linked into its package
  // directory.
  void prepare() {
    cleanup();
    std::string pattern = (fs::temp_directory_path() / "updeck_demo_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    host_ = root_ + "/host";
    std::string error;
    ASSERT_TRUE(simhost::createDemoHost(simhost::HostDir(host_), &error)) << error;
    package_ = simhost::demoPackageDir(simhost::HostDir(host_));
    ASSERT_TRUE(simhost::installDemoPrograms(simhost::HostDir(host_), binDir(), &error)) << error;
  }
  void cleanup() {
    std::error_code ignored;
    if (!root_.empty()) fs::remove_all(root_, ignored);
    root_.clear();
  }
  void TearDown() override { cleanup(); }

  RunResult tool(const std::string& program, const std::vector<std::string>& args) const {
    return runProgram(binDir() + "/" + program, args, "", "CORVANE_SIMHOST", host_, package_);
  }
  std::map<std::string, std::string> firmwareByCard() const {
    RunResult r = tool("corvane-sim", {"show", host_, "--json"});
    std::map<std::string, std::string> out;
    nlohmann::json j = nlohmann::json::parse(r.out, nullptr, false);
    if (j.is_discarded()) return out;
    for (const auto& card : j["cards"]) out[card["name"]] = card["firmware"];
    return out;
  }
  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }

  std::string root_, host_, package_;
};

TEST_F(UpdeckDemo, SilentInstallUpgradesEveryBoardOrReportsTheOneThatFailed) {
  struct Case {
    std::string faultedCard;  // empty: none
    int result;
    std::string message;
    std::string mainLine;
  };
  const Case cases[] = {
      {"", 2, "All firmware installations were successful.  See log for more information.\r\n",
       "All firmware installations were successful.  A reboot is required. See log for more information."},
      {"quad24", 0,
       "An error occured during the firmware installation or update process.  See log for more information.\r\n",
       "An error occured during the firmware installation or update process. See log for more information."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.faultedCard.empty() ? "no fault" : c.faultedCard + " faulted");
    prepare();
    if (HasFatalFailure()) return;
    const std::map<std::string, std::string> before = firmwareByCard();
    if (!c.faultedCard.empty()) {
      // Every flash word write of that card fails: its upgrade cannot finish.
      RunResult f = tool("corvane-sim", {"fault", host_, c.faultedCard, "--action", "fail", "--cmd", "51"});
      ASSERT_EQ(f.exitCode, 0u) << f.err;
    }
    const std::string logDir = root_ + "/manager-logs";
    RunResult run = tool("updeck", {"--json", "--verbose", "--log-dir", logDir, "install", "--silent"});
    EXPECT_EQ(static_cast<int>(run.exitCode), c.result) << run.out << run.err;
    nlohmann::json j = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_FALSE(j.is_discarded()) << run.out;
    EXPECT_EQ(j["install"]["message"], c.message);

    const std::map<std::string, std::string> after = firmwareByCard();
    for (const char* card : kDemoCards) {
      const std::string expected = card == c.faultedCard ? before.at(card) : "4.0.593";
      EXPECT_EQ(after.at(card), expected) << card;
    }
    const std::string mainLog = read(host_ + "/drive_c/kstsystem/log/kstsetup.log");
    EXPECT_NE(mainLog.find(c.mainLine), std::string::npos) << mainLog;
    const std::string verbose = read(logDir + "/ksz3fw.exe.log");
    EXPECT_NE(verbose.find("Entering Brightwell::Install function.\r\n"), std::string::npos);
    EXPECT_NE(verbose.find("Exiting Brightwell::Install function.\r\n"), std::string::npos);
    // The wrapper's own log shows the runs.
    EXPECT_NE(read(host_ + "/drive_c/kstsystem/log/burnkit.log").size(), 0u);
    RunResult check = tool("corvane-sim", {"check", host_});
    EXPECT_EQ(check.exitCode, 0u) << check.out << check.err;
  }
}

TEST_F(UpdeckDemo, ReportsThroughTheRealWrapper) {
  prepare();
  ASSERT_FALSE(HasFatalFailure());
  struct Step {
    std::vector<std::string> host;
    int result;
    std::string message;
    std::string writtenFile;  // in the package directory; empty: none
  };
  const Step steps[] = {
      {{"/v"}, 1, "Version report completed successfully.\r\n", "NICFWVersion.xml"},
      {{"/v", "versions.xml"}, 1, "Version report completed successfully.\r\n", "versions.xml"},
      {{"/d", "report.xml"}, 3, "All firmware discovery successful.  Details in discovery xml file.\r\n", "report.xml"},
      {{"/u", "report.xml"}, 1, "Discovery XML file read and firmware upgrade completed successfully.\r\n", ""},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.host[0]);
    std::vector<std::string> args = {"--json", "install", "--silent"};
    args.insert(args.end(), step.host.begin(), step.host.end());
    RunResult run = tool("updeck", args);
    EXPECT_EQ(static_cast<int>(run.exitCode), step.result) << run.out << run.err;
    nlohmann::json j = nlohmann::json::parse(run.out, nullptr, false);
    ASSERT_FALSE(j.is_discarded()) << run.out;
    EXPECT_EQ(j["install"]["message"], step.message);
    if (!step.writtenFile.empty()) {
      EXPECT_TRUE(fs::exists(package_ + "/" + step.writtenFile));
    }
  }
  // The upgrade from the report reached every board.
  for (const auto& [card, firmware] : firmwareByCard()) EXPECT_EQ(firmware, "4.0.593") << card;
  RunResult check = tool("corvane-sim", {"check", host_});
  EXPECT_EQ(check.exitCode, 0u) << check.out << check.err;
}

}  // namespace
}  // namespace corvane_test
