// The plug-in's requests through updeck, with a stand-in wrapper that
// answers chosen exit codes: which command lines the component gives the
// wrapper for each host command line, and how it maps the answers to its
// result, its message and its main log.
#include "tests/updeck_fixture.h"

namespace corvane_test {
namespace {

using Calls = std::vector<std::string>;

const std::string kString7 = "All firmware discovery successful.  Details in discovery xml file.\r\n";
const std::string kString8 = "An error occured during discovering hardware. See burnkit.log for more information.\r\n";
const std::string kString10 = "Error reading discovery XML file.\r\n";
const std::string kString11 = "Discovery XML file read and firmware upgrade completed successfully.\r\n";
const std::string kString12 = "Version report completed successfully.\r\n";
const std::string kString13 =
    "All firmware is up to date.  No updates were performed.  See log for more information.\r\n";
const std::string kString14 =
    "An error occured during the firmware installation or update process.  See log for more information.\r\n";
const std::string kString15 = "All firmware installations were successful.  See log for more information.\r\n";
const std::string kString18 =
    "Orland Kestrel-Series Solvane Z3P Multifunction Driver x64 Edition is required but is not currently installed "
    "and running.  Please install or load driver and retry setup.\r\n";
const std::string kString19 =
    "CVND6OR driver service is running.  Please update driver to version 4.3.11.407 or later for successful "
    "operation.\r\n";
const std::string kString20 =
    "Dependencies Failed -- Driver and firmware set are not allowed for update. Please install driver version "
    "4.0.539.13875 prior to performing firmware upgrade on devices with firmware version 4.0.550 or earlier "
    "installed. See burnkit.log for further details.\r\n";
const std::string kString21 =
    "Dependencies Failed -- Driver and firmware set are not allowed for update. Please install driver version "
    "4.3.11.407 prior to performing firmware upgrade on devices with firmware version 4.0.550 or earlier installed. "
    "See burnkit.log for further details.\r\n";

class UpdeckInstall : public UpdeckFixture {};

TEST_F(UpdeckInstall, SilentAndInteractiveInstallMapTheWrappersCodes) {
  struct Case {
    std::vector<std::string> args;
    std::string answer;  // the wrapper's answer to its first option
    Calls calls;
    int result;
    std::string message;
    std::string mainLine;
  };
  const std::string installed =
      "All firmware installations were successful.  A reboot is required. See log for more information.";
  const std::string upToDate = "All firmware is up to date. No updates were performed. See log for more information.";
  const std::string failed =
      "An error occured during the firmware installation or update process. See log for more information.";
  const Case cases[] = {
      {{"install", "--silent"}, "1", {"/s"}, 2, kString15, installed},
      {{"install", "--silent"}, "3", {"/s"}, 3, kString13, upToDate},
      {{"install", "--silent"}, "2", {"/s"}, 0, kString14, failed},
      {{"install", "--silent"}, "0", {"/s"}, 0, kString14, failed},
      {{"install", "--silent"}, "crash", {"/s"}, 0, kString14, failed},
      // A wrapper that writes more than any pipe holds still ends.
      {{"install", "--silent"}, "chatty 1", {"/s"}, 2, kString15, installed},
      {{"install", "--silent", "/f"}, "1", {"/s /f"}, 2, kString15, installed},
      {{"install", "--silent", "/G"}, "3", {"/s /f"}, 3, kString13, upToDate},
      {{"install"}, "1", {""}, 2, kString15, installed},
      {{"install", "/e"}, "1", {"/f"}, 2, kString15, installed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back() + " answered " + c.answer);
    answers({{"/s", c.answer}, {"none", c.answer}, {"/f", c.answer}});
    const size_t logBefore = mainLog().size();
    RunResult run;
    nlohmann::json j = updeckJson(c.args, &run);
    EXPECT_EQ(static_cast<int>(run.exitCode), c.result) << run.err;
    EXPECT_EQ(j["install"]["result"], c.result);
    EXPECT_EQ(j["install"]["message"], c.message);
    EXPECT_EQ(wrapperCalls(), c.calls);
    // Between the manager's session header and footer, the component's one
    // line.
    EXPECT_NE(mainLog().substr(logBefore).find("Log Session Start...\r\n\r\n" + c.mainLine +
                                               "\r\n\r\nLog Session End"),
              std::string::npos)
        << mainLog().substr(logBefore);
  }
}

TEST_F(UpdeckInstall, MissingWrapperFailsEveryRequestWithItsText) {
  std::filesystem::remove(component_ + "/Keelson");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"install", "--silent"}, kString14},
      {{"install"}, kString14},
      {{"install", "--silent", "/u", "up.xml"}, kString10},
  };
  for (const auto& [args, message] : cases) {
    RunResult run;
    nlohmann::json j = updeckJson(args, &run);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(j["install"]["message"], message);
  }
  // The dependency check cannot run the wrapper either.
  nlohmann::json j = updeckJson({"install", "--silent", "/d", "r.xml"});
  EXPECT_EQ(j["install"]["result"], 0);
  EXPECT_EQ(j["install"]["message"], kString21);
}

TEST_F(UpdeckInstall, HostCommandLineChoosesTheRequestAndItsValue) {
  struct Case {
    std::vector<std::string> host;
    std::map<std::string, std::string> codes;
    Calls calls;
    int result;
    std::string message;
  };
  const Case cases[] = {
      // Discovery: dependencies first, then "/d" with the rest of the line.
      {{"/d", "r.xml"}, {{"/sv", "1"}, {"/d", "3"}}, {"/sv", "/d r.xml"}, 3, kString7},
      {{"/d", "r.xml"}, {{"/sv", "2"}, {"/d", "1"}}, {"/sv", "/d r.xml"}, 3, kString7},
      {{"/d", "r.xml"}, {{"/sv", "1"}, {"/d", "0"}}, {"/sv", "/d r.xml"}, 0, kString8},
      {{"/d", "C:\\reports\\r.xml", "/consoleout"}, {{"/sv", "1"}, {"/d", "3"}},
       {"/sv", "/d C:\\reports\\r.xml /consoleout"}, 3, kString7},
      {{"/d", "r.xml", "/u", "up.xml"}, {{"/sv", "1"}, {"/d", "3"}}, {"/sv", "/d r.xml /u up.xml"}, 3, kString7},
      {{"http://server/Dir/x"}, {{"/sv", "1"}, {"/d", "3"}}, {"/sv", "/d ir/x"}, 3, kString7},
      // Dependencies: another instance leaves the message empty; a refusal
      // gives the new generation's text.
      {{"/d", "r.xml"}, {{"/sv", "3"}}, {"/sv"}, 0, ""},
      {{"/d", "r.xml"}, {{"/sv", "0"}}, {"/sv"}, 0, kString21},
      // Upgrade from a report: no dependency check.
      {{"/u", "up.xml"}, {{"/u", "3"}}, {"/u up.xml"}, 1, kString11},
      {{"-u", "up.xml"}, {{"/u", "1"}}, {"/u up.xml"}, 1, kString11},
      {{"/u", "up.xml"}, {{"/u", "2"}}, {"/u up.xml"}, 0, kString10},
      // Version report: a report file always; the wrapper's 0 is success.
      {{"/v", "versions.xml"}, {{"/sv", "1"}, {"/v", "0"}}, {"/sv", "/v versions.xml"}, 1, kString12},
      {{"/v", "/f"}, {{"/sv", "1"}, {"/v", "0"}}, {"/sv", "/v NICFWVersion.xml"}, 1, kString12},
      {{"/v"}, {{"/sv", "1"}, {"/v", "3"}}, {"/sv", "/v NICFWVersion.xml"}, 3, kString13},
      {{"/v"}, {{"/sv", "1"}, {"/v", "1"}}, {"/sv", "/v NICFWVersion.xml"}, 0, kString8},
      {{"/v"}, {{"/sv", "0"}}, {"/sv"}, 0, kString21},
      // "/verbose_log" is no version report.
      {{"/Verbose_Log"}, {{"/s", "1"}}, {"/s"}, 2, kString15},
  };
  for (const Case& c : cases) {
    std::string line;
    for (const std::string& w : c.host) line += w + " ";
    SCOPED_TRACE(line);
    answers(c.codes);
    std::vector<std::string> args = {"install", "--silent"};
    args.insert(args.end(), c.host.begin(), c.host.end());
    RunResult run;
    nlohmann::json j = updeckJson(args, &run);
    EXPECT_EQ(static_cast<int>(run.exitCode), c.result) << run.err;
    EXPECT_EQ(j["install"]["message"], c.message);
    EXPECT_EQ(wrapperCalls(), c.calls);
  }
}

TEST_F(UpdeckInstall, DriverFilesAndServicesOfBothGenerations) {
  const std::string drivers = s_.dir().driversDir();
  struct Case {
    std::vector<std::vector<std::string>> knobs;
    std::string removeDriver;
    Calls calls;
    std::string message;
  };
  const Case cases[] = {
      {{}, "svxgnd64.sys", {}, kString18},
      {{{"service", "SVNDNIC", "stopped"}}, "", {}, kString18},
      {{{"service", "SVNDNIC", "absent"}, {"add-service", "CVND6OR", "running"}}, "", {}, kString18 + kString19},
      {{{"service", "SVNDNIC", "paused"}}, "", {"/sv"}, kString21},  // any state but stopped runs
      // The 5.2 family: its own driver file and service (which the host has).
      {{{"os", "5.2.3790"}}, "", {"/sv"}, kString20},
      {{{"os", "5.2.3790"}, {"service", "CVND5OR", "stopped"}}, "", {}, kString18},
      {{{"os", "5.2.3790"}}, "orlnd5x64.sys", {}, kString18},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message.substr(0, 30) + " " + c.removeDriver);
    for (const auto& knob : c.knobs) {
      if (knob[0] != "add-service") {
        set(knob);
        continue;
      }
      std::string error;
      ASSERT_TRUE(simhost::addDriverService(s_.dir(), knob[1], "system32\\DRIVERS\\cvnd6or.sys", knob[2], &error));
    }
    if (!c.removeDriver.empty()) std::filesystem::remove(drivers + "/" + c.removeDriver);
    answers({{"/sv", "0"}});
    nlohmann::json j = updeckJson({"install", "--silent", "/d", "r.xml"});
    EXPECT_EQ(j["install"]["result"], 0);
    EXPECT_EQ(j["install"]["message"], c.message);
    EXPECT_EQ(wrapperCalls(), c.calls);
    // Undo for the next case.
    set({"os", "6.1.7601"});
    set({"service", "SVNDNIC", "running"});
    set({"service", "CVND5OR", "running"});
    set({"service", "CVND6OR", "absent"});
    if (!c.removeDriver.empty()) {
      set({"driver-file", c.removeDriver, c.removeDriver == "svxgnd64.sys" ? "4.3.13.700" : "4.0.550.0"});
    }
  }
}

TEST_F(UpdeckInstall, LongHostCommandLinesAreCutNeverOverrun) {
  answers({{"/sv", "1"}, {"/d", "3"}, {"/s", "1"}});
  // Windows command lines end at 32767 characters; Linux takes a word of
  // up to 128 KiB.
  const std::string huge(30000, 'x');
  nlohmann::json j = updeckJson({"install", "--silent", "/d", huge});
  EXPECT_EQ(j["install"]["result"], 3);
  Calls calls = wrapperCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1], "/d " + std::string(259, 'x'));

  j = updeckJson({"install", "--silent", huge, huge, huge});
  EXPECT_EQ(j["install"]["result"], 2);
  EXPECT_EQ(wrapperCalls(), Calls{"/s"});
}

}  // namespace
}  // namespace corvane_test
