// The properties the update manager reads through updeck: the install state
// with its localized texts for each version status the wrapper reports, the
// manager's own request overriding it, and the log the manager hands over.
#include <algorithm>

#include "tests/updeck_fixture.h"

namespace corvane_test {
namespace {

const std::map<std::string, std::string> kString1 = {
    {"en", "At least 1 NIC on the system has older firmware than that which is available in the component. Firmware "
           "update is recommended. Press install to display installed version(s) and firmware available in this "
           "component.\r\n"},
    {"ja", "このコンポーネントで提供されているファームウェアよりも古いファームウェアを持つNICが、システムに少なくとも1つあ"
           "ります。ファームウェアの更新をお勧めします。インストールを押すと、インストールされているバージョンとこのコンポー"
           "ネントで提供されているファームウェアが表示されます。\r\n"},
};
const std::string kString2 =
    "All NICs in the system for which there is a corresponding firmware version in this component have the same "
    "version of firmware as that which is available in the component. Firmware upgrade is not necessary. To display "
    "installed version(s) and firmware available in this component, press install.\r\n";
const std::string kString3 =
    "All NICs in the system for which there is a corresponding firmware version in the component are either the same "
    "or newer than the firmware version available in the component. At least 1 NIC on the system has newer firmware "
    "than that which is available in the component. Firmware upgrade is not recommended. To display installed "
    "version(s) and firmware available in this component, press install.\r\n";
const std::string kString4 =
    "Checking all NICs in the system for installed firmware and generating discovery XML file.\r\n";
const std::string kString5 = "Reading discovery XML file and performing firmware updates.\r\n";
const std::string kString5Japanese = "ディスカバリXMLファイルを読み込み、ファームウェアを更新しています。\r\n";
const std::string kString21 =
    "Dependencies Failed -- Driver and firmware set are not allowed for update. Please install driver version "
    "4.3.11.407 prior to performing firmware upgrade on devices with firmware version 4.0.550 or earlier installed. "
    "See burnkit.log for further details.\r\n";

class UpdeckProperties : public UpdeckFixture {
 protected:
  nlohmann::json property(const nlohmann::json& j, int id) {
    for (const nlohmann::json& p : j["properties"]) {
      if (p["id"] == id) return p;
    }
    ADD_FAILURE() << "no property " << id;
    return {};
  }
  // The package with only an older operating system supported.
  void onlyOldSystemsSupported() {
    std::string package = simhost::componentPackageDefinition("4.0.593");
    const std::string at = "    <supported_devices>";
    package.insert(package.find(at),
                   "    <supported_operating_systems>\n"
                   "      <supported_operating_system platform=\"nt_x86-64\" major=\"5\" minor=\"2\"/>\n"
                   "    </supported_operating_systems>\n");
    write(simhost::kComponentPackageFile, package);
  }
};

TEST_F(UpdeckProperties, EveryPropertyAndTheInstallStateInEachLanguage) {
  struct Case {
    std::string language;
    std::string versionStatus;  // the wrapper's answer to "/N"
    int state;
    std::string message;
    std::string name;
  };
  const std::string english = "Corvane Z3 Adapter Firmware";
  const Case cases[] = {
      {"en", "4", 2, kString1.at("en"), english},
      {"en", "5", 1, kString2, english},
      {"en", "6", 3, kString3, english},
      {"en", "7", 1, kString2, english},  // outside 4 to 6: same
      {"en", "0", 1, kString2, english},
      {"de", "4", 2, kString1.at("en"), "Corvane Z3 Adapter-Firmware"},
      {"ja-JP", "4", 2, kString1.at("ja"), "Corvane Z3 アダプタ ファームウェア"},
      {"fr", "6", 3, kString3, english},  // no French name: the English one
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language + " /N " + c.versionStatus);
    set({"ui-language", c.language});
    answers({{"/N", c.versionStatus}, {"/sv", "1"}});
    RunResult run;
    nlohmann::json j = updeckJson({"properties"}, &run);
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(j["interfaceVersion"], 100);
    EXPECT_EQ(j["installState"]["result"], 1);
    EXPECT_EQ(j["installState"]["state"], c.state);
    EXPECT_EQ(j["installState"]["message"], c.message);
    EXPECT_EQ(property(j, 1)["text"], c.name);
    EXPECT_EQ(property(j, 3)["text"], "See Information below.\r\n");
    EXPECT_EQ(property(j, 4)["text"], "4.0.593");
    for (int id : {6, 7, 8}) EXPECT_EQ(property(j, id)["value"], 1) << id;
    EXPECT_EQ(wrapperCalls(), (std::vector<std::string>{"/N", "/sv"}));
  }
}

TEST_F(UpdeckProperties, TheManagersRequestOverridesTheState) {
  struct Case {
    std::vector<std::string> host;
    std::string language;
    bool oldSystemsOnly;
    std::string dependencies;  // the wrapper's answer to "/sv"
    int state;
    std::string message;
  };
  const Case cases[] = {
      {{"/u", "up.xml"}, "en", false, "1", 2, kString5},
      {{"/d", "r.xml"}, "en", false, "1", 2, kString4},
      {{"/d", "r.xml", "/u", "up.xml"}, "en", false, "1", 2, kString5},  // upgrade is tried first here
      {{}, "en", false, "0", 7, kString21},
      {{"/u", "up.xml"}, "en", false, "0", 2, kString21 + kString5},
      // The base's own verdict and text stay in front of the request's.
      {{"/u", "up.xml"}, "en", true, "1", 2, "The OS is not supported.\r\n" + kString5},
      {{"/u", "up.xml"}, "de", true, "1", 2, "Das Betriebssystem wird nicht unterstützt\r\n" + kString5},
      {{"/u", "up.xml"}, "ja", true, "1", 2, "このOSはサポートされていません。\r\n" + kString5Japanese},
      {{}, "ja", true, "1", 7, "このOSはサポートされていません。\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language + " " + (c.host.empty() ? "" : c.host[0]) + " /sv " + c.dependencies);
    set({"ui-language", c.language});
    if (c.oldSystemsOnly) {
      onlyOldSystemsSupported();
    } else {
      write(simhost::kComponentPackageFile, simhost::componentPackageDefinition("4.0.593"));
    }
    answers({{"/N", "5"}, {"/sv", c.dependencies}});
    std::vector<std::string> args = {"properties"};
    args.insert(args.end(), c.host.begin(), c.host.end());
    nlohmann::json j = updeckJson(args);
    EXPECT_EQ(j["installState"]["state"], c.state);
    EXPECT_EQ(j["installState"]["message"], c.message);
    // With a request on the line the version status asks no wrapper; on an
    // unsupported system nothing is asked.
    const std::vector<std::string> calls = wrapperCalls();
    const bool askedStatus = std::find(calls.begin(), calls.end(), "/N") != calls.end();
    EXPECT_EQ(askedStatus, c.host.empty() && !c.oldSystemsOnly);
    EXPECT_EQ(calls.empty(), c.oldSystemsOnly);
  }
}

TEST_F(UpdeckProperties, NoSupportedHardwareOrAnUnlistedModelIsNotApplicable) {
  std::string package = simhost::componentPackageDefinition("4.0.593");
  for (size_t at = package.find("\"dev\">0100"); at != std::string::npos; at = package.find("\"dev\">0100", at)) {
    package.replace(at, 10, "\"dev\">0999");
  }
  struct Case {
    bool boardsPresent;
    std::string dependencyFile;
    std::vector<std::string> host;
    int state;
    std::string message;
  };
  const Case cases[] = {
      {false, "", {}, 6, ""},
      {false, "", {"/u", "up.xml"}, 2, kString5},
      {true, "<componentdependencies/>", {}, 6, "System model not supported."},
      {true,
       "<componentdependencies><dependent_hardware><platforms><platform model=\"Other Server\"/></platforms>"
       "</dependent_hardware></componentdependencies>",
       {}, 6, "System model not supported."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.state) + " " + c.dependencyFile);
    write(simhost::kComponentPackageFile,
          c.boardsPresent ? simhost::componentPackageDefinition("4.0.593") : package);
    std::filesystem::remove(component_ + "/dependency.xml");
    if (!c.dependencyFile.empty()) write("dependency.xml", c.dependencyFile);
    answers({{"/N", "5"}, {"/sv", "1"}});
    std::vector<std::string> args = {"properties"};
    args.insert(args.end(), c.host.begin(), c.host.end());
    nlohmann::json j = updeckJson(args);
    EXPECT_EQ(j["installState"]["state"], c.state);
    EXPECT_EQ(j["installState"]["message"], c.message);
    wrapperCalls();
  }
}

TEST_F(UpdeckProperties, HandedOverLogTakesTheVerboseLogUnderThePackagesName) {
  answers({{"/N", "4"}, {"/sv", "1"}});
  const std::string logDir = s_.root() + "/manager-logs";
  const std::string verboseLog = logDir + "/ksz3fw.exe.log";

  // Not verbose: the component keeps its own log; nothing is relocated.
  nlohmann::json j = updeckJson({"--log-dir", logDir, "properties"});
  EXPECT_EQ(j["logger"]["result"], 1);
  EXPECT_EQ(j["logger"]["hostLogEntries"], 0);
  EXPECT_FALSE(std::filesystem::exists(verboseLog));

  // Verbose, twice: the second session is appended to the first.
  for (int session = 1; session <= 2; ++session) {
    j = updeckJson({"--verbose", "--log-dir", logDir, "properties"});
    EXPECT_GT(j["logger"]["hostLogEntries"], 0);
    EXPECT_EQ(j["hostCommandLine"], "updeck /verbose_log");
  }
  const std::string text = read(verboseLog);
  size_t sessions = 0;
  for (size_t at = text.find("Verbose Log Session Start"); at != std::string::npos;
       at = text.find("Verbose Log Session Start", at + 1)) {
    ++sessions;
  }
  EXPECT_EQ(sessions, 2u);
  EXPECT_NE(text.find("Stub Version:    updeck 1.0\r\n"), std::string::npos);
  // The component's own lines from before the hand-over came along.
  EXPECT_NE(text.find("Locating package definition file... Done.\r\n"), std::string::npos);
  // Trace lines carry the time, the component's source name and the line.
  const std::string enter = "Enter Brightwell::GetInstallState function.\r\n";
  const size_t at = text.find(enter);
  ASSERT_NE(at, std::string::npos);
  const size_t lineStart = text.rfind('\n', at) + 1;
  const std::string header = text.substr(lineStart, at - lineStart);
  EXPECT_EQ(header.substr(0, 1), "[");
  EXPECT_NE(header.find("]::component.cpp["), std::string::npos) << header;
  // Only "updeck.log" was ever the manager's verbose file; it moved.
  EXPECT_FALSE(std::filesystem::exists(logDir + "/updeck.log"));
  for (const auto& entry : std::filesystem::directory_iterator(s_.dir().logDir())) {
    EXPECT_EQ(entry.path().filename(), "kstsetup.log");  // the component's own verbose log merged away
  }
  // Trace lines never reach the main log.
  EXPECT_EQ(mainLog().find("Enter Brightwell::"), std::string::npos);
}

}  // namespace
}  // namespace corvane_test
