// The unattended upgrade (-u) and the administrator's restore (-r) under one
// injected fault each, as real processes, at positions spread over their
// driver calls. After the run, and after the recovery it leads to (the
// upgrade run again; for the restore, the restore run again), the flash is
// exactly what it was before or what a clean run makes, the board's own
// areas are never lost, the flash verifies and the protocol checker saw
// nothing wrong. A run that ends with 0 must have done all its work.
#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "simhost/provision/demo_package.h"
#include "tests/fault_campaign.h"

namespace {

using corvane_test::RunResult;

const Board kCard{"b26", 0x26, 0x01264040, 2, 5, 0x42, "SN26C", {0x00, 0x0E, 0x1E, 0x26, 0x00, 0x10}, 0x26000000000000C3};

class UpdateFaultCampaign : public FaultCampaignScenario {
 protected:
  void SetUp() override {
    add(kCard, "4.0.500");
    std::string error;
    ASSERT_TRUE(simhost::writeDemoPackage(host_.dir(), "4.0.593", &error)) << error;
    package_ = simhost::demoPackageDir(host_.dir());
    report_ = package_ + "/nicdiscovery.xml";
  }

  RunResult inPackage(const std::vector<std::string>& args, const std::string& input = "") const {
    return host_.runIn(package_, "burnkit", args, input);
  }
  std::vector<uint8_t> flashNow() const { return flashOf(kCard.name); }
  void loadFlash(const std::vector<uint8_t>& bytes) const { FaultCampaignScenario::loadFlash(kCard.name, bytes); }
  ::testing::AssertionResult verifies() const {
    RunResult r = inPackage({"-i", "5:0.0", "--testflash"});
    if (r.exitCode == 0 && r.out.find("FLASH/NVRAM                 PASSED\n") != std::string::npos)
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the self-test did not pass (" << r.exitCode << ")\n" << r.out << r.err;
  }
  std::vector<std::string> backups() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(package_))
      if (entry.path().filename().string().rfind("flashbackup_", 0) == 0) names.push_back(entry.path().string());
    return names;
  }
  void removeBackups() const {
    for (const std::string& path : backups()) std::filesystem::remove(path);
  }
  // The arguments of the command a failed run names to put the flash back:
  // "Put it back with: burnkit -i "X" -f -r "Y"".
  static std::vector<std::string> namedRecovery(const std::string& err) {
    const std::regex named("Put it back with: burnkit -i \"([^\"]*)\" -f -r \"([^\"]*)\"");
    std::smatch m;
    if (!std::regex_search(err, m, named)) return {};
    return {"-i", m[1], "-f", "-r", m[2]};
  }
  struct Tally {
    int runs = 0, whole = 0, asBefore = 0, recovered = 0;
  };

  // One campaign: `operation` run under each fault; `recover` is what the
  // administrator does after a failed or killed run. Outcomes are checked
  // against the flash before and after a clean run.
  void campaign(const char* what, const std::vector<uint8_t>& before, const std::vector<uint8_t>& after,
                const std::map<uint32_t, uint64_t>& cleanCalls, const std::function<RunResult()>& operation,
                const std::function<RunResult()>& recover, Tally* tally) {
    for (const FaultKind& kind : kFaultKinds) {
      for (double at : kFaultPositions) {
        loadFlash(before);
        const uint64_t position = armFault(kCard.name, kind, at, cleanCalls);
        SCOPED_TRACE(std::string(what) + ": " + kind.action + (kind.transient ? " once" : " from") + " call " +
                     std::to_string(position) + " of command " + std::to_string(kind.command));
        RunResult r = operation();
        sim("fault", {kCard.name, "--clear"});
        clearRunLeftovers(kCard.name);
        ++tally->runs;
        const bool killed = killedBy(kind, r.exitCode);
        if (!killed && r.exitCode == 0) {
          EXPECT_TRUE(flashNow() == after) << "exit 0, yet the flash is not the clean run's\n" << r.out << r.err;
          ++tally->whole;
        } else if (!killed && flashNow() == before) {
          ++tally->asBefore;
        } else {
          // What the run names, else the same run again (a killed run named
          // nothing; the next run repairs what it left).
          const std::vector<std::string> named = namedRecovery(r.err);
          RunResult again = named.empty() ? recover() : inPackage(named, "y\ny\n");
          clearRunLeftovers(kCard.name);
          EXPECT_EQ(again.exitCode, 0u) << "the recovery failed\n"
                                        << again.out << again.err << "\nafter the run:\n" << r.out << r.err;
          EXPECT_TRUE(flashNow() == after || flashNow() == before) << "recovered, yet neither before nor after";
          ++tally->recovered;
        }
        EXPECT_TRUE(verifies());
        EXPECT_EQ(host_.violations(), "");
      }
    }
  }

  std::string package_;
  std::string report_;
};

TEST_F(UpdateFaultCampaign, TheUnattendedUpgradeEndsWholeOrAsBeforeOrIsRecovered) {
  ASSERT_EQ(inPackage({"-d", report_}).exitCode, 0u);
  const std::vector<uint8_t> before = flashNow();
  sim("stats", {kCard.name, "--reset"});
  RunResult clean = inPackage({"-u", report_});
  ASSERT_EQ(clean.exitCode, 0u) << clean.out << clean.err;
  const std::map<uint32_t, uint64_t> cleanCalls = callsOf(kCard.name);
  const std::vector<uint8_t> after = flashNow();
  ASSERT_NE(after, before);
  removeBackups();

  Tally tally;
  campaign(
      "-u", before, after, cleanCalls, [&] { return inPackage({"-u", report_}); },
      [&] { return inPackage({"-u", report_}); }, &tally);
  removeBackups();
  std::printf("-u: %d fault runs: %d whole, %d as before, %d recovered by the next -u\n", tally.runs, tally.whole,
              tally.asBefore, tally.recovered);
}

// A device restart that asks for a reboot in the middle of the quiescent
// switch leaves the port's function disabled with the switch's marker set.
// The next -i run for that adapter (by connection name or PCI location)
// repairs it before it needs the function open, and then does its work.
TEST_F(UpdateFaultCampaign, ASwitchLeftByARebootRequestIsRepairedByTheNextRun) {
  for (const std::string& port : {std::string("5:0.0"), std::string("Local Area Connection")}) {
    SCOPED_TRACE(port);
    const std::vector<uint8_t> before = flashNow();
    sim("fault", {kCard.name, "--action", "reboot", "--after", "1", "--times", "1"});
    RunResult broken = inPackage({"-i", port, "-a"}, "y\n");
    sim("fault", {kCard.name, "--clear"});
    EXPECT_NE(broken.exitCode, 0u) << broken.out << broken.err;
    EXPECT_NE(broken.out.find("You must restart your computer"), std::string::npos) << broken.out;
    const nlohmann::json left = nlohmann::json::parse(host_.sim("show", {"--json"}).out)["cards"][0]["ports"];
    ASSERT_FALSE(left[0]["enabled"].get<bool>() && left[0]["mode"] == "normal") << left.dump();
    EXPECT_TRUE(flashNow() == before);

    RunResult next = inPackage({"-i", port, "--testflash"}, "y\n");
    EXPECT_EQ(next.exitCode, 0u) << next.out << next.err;
    EXPECT_NE(next.out.find("FLASH/NVRAM                 PASSED\n"), std::string::npos) << next.out;
    const nlohmann::json now = nlohmann::json::parse(host_.sim("show", {"--json"}).out)["cards"][0]["ports"];
    for (const auto& p : now) {
      EXPECT_TRUE(p["enabled"].get<bool>()) << now.dump();
      EXPECT_EQ(p["mode"], "normal") << now.dump();
    }
    EXPECT_EQ(host_.violations(), "");
  }
}

TEST_F(UpdateFaultCampaign, TheRestoreEndsWholeOrAsBeforeOrIsRecovered) {
  // A backup of the board as it is, then a change the restore takes back.
  const std::string backup = host_.root() + "/backup.bin";
  sim("flash", {kCard.name, "--dump", backup});
  ASSERT_EQ(inPackage({"-i", "5:0.0", "--pxe-off"}, "1\n").exitCode, 0u);
  const std::vector<uint8_t> before = flashNow();
  sim("stats", {kCard.name, "--reset"});
  RunResult clean = inPackage({"-i", "5:0.0", "-r", backup}, "y\ny\n");
  ASSERT_EQ(clean.exitCode, 0u) << clean.out << clean.err;
  const std::map<uint32_t, uint64_t> cleanCalls = callsOf(kCard.name);
  const std::vector<uint8_t> after = flashNow();
  ASSERT_NE(after, before);

  Tally tally;
  auto restore = [&] { return inPackage({"-i", "5:0.0", "-r", backup}, "y\ny\n"); };
  campaign("-r", before, after, cleanCalls, restore, restore, &tally);
  std::printf("-r: %d fault runs: %d whole, %d as before, %d recovered by the restore run again\n", tally.runs,
              tally.whole, tally.asBefore, tally.recovered);
}

}  // namespace
