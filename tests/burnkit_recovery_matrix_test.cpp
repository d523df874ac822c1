// Every way a run can be interrupted, against the three runs that write a
// board: the upgrade (-a), the restore (-r) and a board-sector setting
// change (PXE on). Each interruption lands at a driver call spread over the
// run's phases: a power cut (the simulated host's kill fault), SIGKILL of
// the process, the console's close, Ctrl+C (the process stopped at that
// call by a pause fault and signalled there), and a device restart that asks
// for a reboot. After each comes the documented recovery: the command the
// run named, if any, then the next run of the same operation (answering the
// stale-lock question when asked); an upgrade that cannot be finished is
// undone with -f -r and its backup. Then the card is as it must be: every
// function enabled and in normal mode, no lock file, no ROM semaphore held,
// no protocol violation, the flash passing its self-test, and the flash
// either as it was or as the operation makes it, the board's own data
// (MACs, serial, feature and vNIC areas) as before. A Ctrl+C or close that
// meets the write phase must let the whole run complete.
#include <signal.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "tests/card_run_fixture.h"

namespace {

using corvane_test::RunResult;

const Board& kCard = kServiceCard;

enum class Cut { power, sigkill, close, ctrlc, reboot };

const char* cutName(Cut cut) {
  switch (cut) {
    case Cut::power: return "power cut";
    case Cut::sigkill: return "SIGKILL";
    case Cut::close: return "console close";
    case Cut::ctrlc: return "Ctrl+C";
    case Cut::reboot: return "reboot request";
  }
  return "?";
}

// Where it lands: at `at` of the clean run's calls of `command`; for a
// reboot request, at device state change number `at` (counted from 0).
struct Interruption {
  Cut cut;
  uint32_t command;
  double at;
};

// Reads, register writes (erases, status, the ROM lock) and flash writes
// spread over the run; the switch's state changes at its quiescent and its
// normal half. The address sanitizer's build takes one point of each kind
// (Ctrl+C and the close in the write phase, SIGKILL outside it).
#if defined(__SANITIZE_ADDRESS__)
const std::vector<Interruption> kInterruptions = {
    {Cut::power, 51, 0.5}, {Cut::sigkill, 2, 0.5}, {Cut::close, 51, 0.5}, {Cut::ctrlc, 51, 0.5}, {Cut::reboot, 0, 1},
};
#else
const std::vector<Interruption> kInterruptions = {
    {Cut::power, 51, 0.5},   {Cut::power, 2, 0.1},    {Cut::power, 2, 0.9},    {Cut::sigkill, 50, 0.2},
    {Cut::sigkill, 51, 0.5}, {Cut::sigkill, 2, 0.95}, {Cut::close, 50, 0.2},   {Cut::close, 51, 0.1},
    {Cut::close, 51, 0.9},   {Cut::close, 2, 0.97},   {Cut::ctrlc, 50, 0.2},   {Cut::ctrlc, 51, 0.5},
    {Cut::ctrlc, 2, 0.97},   {Cut::reboot, 0, 1},     {Cut::reboot, 0, 4},
};
#endif

using Operation = CardOperation;

class RecoveryMatrix : public CardRunScenario {
 protected:
  // "Put it back with: burnkit -i "X" [-f] -r "Y"": the command's arguments.
  static std::vector<std::string> namedRecovery(const std::string& err) {
    const std::regex named("Put it back with: burnkit -i \"([^\"]*)\"( -f)? -r \"([^\"]*)\"");
    std::smatch m;
    if (!std::regex_search(err, m, named)) return {};
    std::vector<std::string> args{"-i", m[1]};
    if (m[2].matched) args.push_back("-f");
    args.insert(args.end(), {"-r", m[3]});
    return args;
  }

  // Runs the operation with the interruption armed or delivered.
  RunResult interrupted(const Operation& op, const Interruption& cut, const std::map<uint32_t, uint64_t>& cleanCalls,
                        bool* reached) const {
    *reached = true;
    const std::vector<std::string> args = onCard(op.args);
    if (cut.cut == Cut::reboot) {
      sim("fault", {kCard.name, "--action", "reboot", "--after", std::to_string(static_cast<int>(cut.at)), "--times",
                    "1"});
      return burnkitIn(args, op.input);
    }
    const FaultKind kind{cut.cut == Cut::power ? "kill" : "pause", cut.command, true};
    armFault(kCard.name, kind, cut.at, cleanCalls);
    if (cut.cut == Cut::power) return burnkitIn(args, op.input);
    const int signal = cut.cut == Cut::sigkill ? SIGKILL : cut.cut == Cut::close ? SIGHUP : SIGINT;
    return host_.runSignalledAtPause(package_, "burnkit", args, op.input, signal, reached);
  }

  // The documented recovery: the operation again, after the command that
  // the last run named, if any (a killed run names nothing; the next run
  // names what it left); an upgrade that cannot be finished is undone with
  // its backup. The last step's result.
  RunResult recover(const Operation& op, const RunResult& r, bool isUpgrade) const {
    RunResult step = r;
    for (int round = 0; round < 2; ++round) {
      if (std::vector<std::string> named = namedRecovery(step.err); !named.empty()) {
        RunResult put = burnkitIn(named, lockAnswer() + "y\ny\ny\n");
        if (put.exitCode != 0) return put;
      } else if (round > 0) {
        break;
      }
      step = burnkitIn(onCard(op.args), lockAnswer() + op.input);
      if (step.exitCode == 0) return step;
    }
    if (!isUpgrade) return step;
    const std::vector<std::string> backups = filesStarting("flashbackup_");
    if (backups.empty()) return step;
    RunResult undone = burnkitIn(onCard({"-f", "-r", backups.front()}), lockAnswer() + "y\ny\n");
    if (undone.exitCode != 0) return undone;
    return burnkitIn(onCard(op.args), lockAnswer() + op.input);
  }

};

TEST_F(RecoveryMatrix, EveryInterruptedRunIsBroughtBackByTheDocumentedRecovery) {
  const std::string backup = host_.root() + "/backup.bin";
  const std::vector<uint8_t> original = flashOf(kCard.name);
  sim("flash", {kCard.name, "--dump", backup});
  const std::vector<Operation> operations = {
      {"upgrade", {"-a"}, "y\n", true},
      {"restore", {"-r", backup}, "y\ny\n", true},
      {"pxe on", {"--pxe-on"}, "1\n", false},
  };
  std::map<std::string, int> outcomes;
  std::map<Cut, int> heldInTheWritePhase;
  for (const Operation& op : operations) {
    // The flash the operation starts from: PXE off, so that both the PXE
    // change and the restore have something to do.
    loadFlash(kCard.name, original);
    ASSERT_EQ(burnkitIn(onCard({"--pxe-off"}), "1\n").exitCode, 0u);
    const std::vector<uint8_t> before = flashOf(kCard.name);
    sim("stats", {kCard.name, "--reset"});
    RunResult clean = burnkitIn(onCard(op.args), op.input);
    ASSERT_EQ(clean.exitCode, 0u) << op.name << "\n" << clean.out << clean.err;
    const std::map<uint32_t, uint64_t> cleanCalls = callsOf(kCard.name);
    const std::vector<uint8_t> after = flashOf(kCard.name);
    ASSERT_NE(after, before) << op.name;
    ASSERT_TRUE(boardData(after) == boardData(before)) << op.name << ": a clean run changed the board's own data";
    removeRunFiles();
    const bool isUpgrade = std::string(op.name) == "upgrade";

    for (const Interruption& cut : kInterruptions) {
      if (cut.cut == Cut::reboot && !op.switchesDriver) continue;
      SCOPED_TRACE(std::string(op.name) + ", " + cutName(cut.cut) + " at " + std::to_string(cut.at) +
                   (cut.cut == Cut::reboot ? " of the state changes" : " of command " + std::to_string(cut.command)));
      loadFlash(kCard.name, before);
      bool reached = false;
      RunResult r = interrupted(op, cut, cleanCalls, &reached);
      sim("fault", {kCard.name, "--clear"});
      EXPECT_TRUE(reached) << "the run never reached the point";

      // Ctrl+C or a close that met the write phase lets the run finish it and
      // its clean-up: the whole run completes.
      const bool metTheWritePhase = r.out.find("Calling signal Handler, flash_write is [1]") != std::string::npos;
      if (metTheWritePhase) {
        EXPECT_EQ(r.exitCode, 0u) << "interrupted in the write phase, yet the run did not finish\n" << r.out << r.err;
        ++heldInTheWritePhase[cut.cut];
      }
      std::string outcome;
      if (r.exitCode == 0) {
        outcome = "completed";
        EXPECT_TRUE(flashOf(kCard.name) == after) << "exit 0, yet the flash is not the operation's\n" << r.out << r.err;
      } else {
        outcome = "recovered";
        RunResult last = recover(op, r, isUpgrade);
        EXPECT_EQ(last.exitCode, 0u) << "the recovery failed\n"
                                     << last.out << last.err << "\nafter the interrupted run (" << r.exitCode
                                     << "):\n" << r.out << r.err;
      }
      ++outcomes[std::string(cutName(cut.cut)) + ": " + outcome];
      const std::vector<uint8_t> now = flashOf(kCard.name);
      EXPECT_TRUE(now == before || now == after) << "the flash is neither as it was nor as the operation makes it";
      EXPECT_TRUE(boardData(now) == boardData(before)) << "the board's own data changed";
      EXPECT_TRUE(cardIsBack());
      removeRunFiles();
    }
  }
  for (const auto& [what, count] : outcomes) std::printf("%-30s %d\n", what.c_str(), count);
  EXPECT_GT(heldInTheWritePhase[Cut::close], 0) << "no close met a write phase";
  EXPECT_GT(heldInTheWritePhase[Cut::ctrlc], 0) << "no Ctrl+C met a write phase";
}

}  // namespace

namespace {

// A console closed in the write phase of the first card of a report lets
// that card's upgrade finish, and begins no other: the next card is left as
// it was, for the next run.
TEST_F(RecoveryMatrix, AReportUpgradeClosedInAWritePhaseFinishesThatCardAndBeginsNoOther) {
  const Board second{"second", 0x26, 0x01264040, 2, 6, 0x42, "SN26N", {0x00, 0x0E, 0x1E, 0x26, 0x00, 0x30}, 0x2600000000000E5};
  add(second, "4.0.500");
  const std::string report = package_ + "/nicdiscovery.xml";
  ASSERT_EQ(burnkitIn({"-d", report}, "").exitCode, 0u);
  const std::vector<uint8_t> secondBefore = flashOf(second.name);
  sim("fault", {kCard.name, "--action", "pause", "--cmd", "51", "--after", "100", "--times", "1"});
  bool paused = false;
  RunResult r = host_.runSignalledAtPause(package_, "burnkit", {"-u", report}, "", SIGHUP, &paused);
  sim("fault", {kCard.name, "--clear"});
  ASSERT_TRUE(paused);
  EXPECT_EQ(r.exitCode, 255u) << r.out << r.err;
  EXPECT_NE(r.out.find("Calling signal Handler, flash_write is [1]"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("Interrupted: the cards not yet upgraded are left as they are.\n"), std::string::npos) << r.err;
  EXPECT_TRUE(flashOf(second.name) == secondBefore) << "the second card was begun";
  EXPECT_TRUE(cardIsBack());
  const nlohmann::json shown = nlohmann::json::parse(host_.sim("show", {"--json"}).out);
  for (const auto& c : shown["cards"])
    EXPECT_EQ(c["firmware"], c["name"] == kCard.name ? "4.0.593" : "4.0.500") << c.dump();

  RunResult next = burnkitIn({"-u", report}, "");
  EXPECT_EQ(next.exitCode, 0u) << next.out << next.err;
  EXPECT_FALSE(flashOf(second.name) == secondBefore) << "the next run did not upgrade the second card";
}

}  // namespace
