// Two burnkit runs on one card at once, for every ordered pair of the
// upgrade, the restore, a setting change (PXE on) and --info, with either
// answer waiting for the stale-lock question. The first run is stopped in
// the middle of its flash reads (a pause fault) while the second runs from
// start to end. The second must refuse at once, without asking, naming the
// run that holds the lock, and touch nothing: no driver call, the flash as
// it was. The first then finishes as if alone, and the card is back in
// service.
#include <map>
#include <string>
#include <vector>

#include "tests/card_run_fixture.h"

namespace {

using corvane_test::RunResult;

class ConcurrentRuns : public CardRunScenario {};

TEST_F(ConcurrentRuns, ASecondRunOnTheCardRefusesAtOnceAndTouchesNothing) {
  const std::string backup = host_.root() + "/backup.bin";
  const std::vector<uint8_t> original = flashOf(kServiceCard.name);
  sim("flash", {kServiceCard.name, "--dump", backup});
  // Every run starts from the board with PXE off: each of them then has
  // something to do.
  ASSERT_EQ(burnkitIn(onCard({"--pxe-off"}), "1\n").exitCode, 0u);
  const std::vector<uint8_t> before = flashOf(kServiceCard.name);

  const std::vector<CardOperation> operations = {
      {"upgrade", {"-a"}, "y\n", true},
      {"restore", {"-r", backup}, "y\ny\n", true},
      {"pxe on", {"--pxe-on"}, "1\n", false},
      {"info", {"--info"}, "", false},
  };
  // What each does alone: its flash afterwards and its flash reads.
  std::map<std::string, std::vector<uint8_t>> afterAlone;
  std::map<std::string, std::map<uint32_t, uint64_t>> callsAlone;
  for (const CardOperation& op : operations) {
    loadFlash(kServiceCard.name, before);
    sim("stats", {kServiceCard.name, "--reset"});
    RunResult alone = burnkitIn(onCard(op.args), op.input);
    ASSERT_EQ(alone.exitCode, 0u) << op.name << "\n" << alone.out << alone.err;
    afterAlone[op.name] = flashOf(kServiceCard.name);
    callsAlone[op.name] = callsOf(kServiceCard.name);
    removeRunFiles();
  }

  for (const CardOperation& first : operations) {
    for (const CardOperation& second : operations) {
      for (const std::string answer : {"y\n", "n\n"}) {
        SCOPED_TRACE(std::string(first.name) + " then " + second.name + ", answer " + answer.substr(0, 1));
        loadFlash(kServiceCard.name, before);
        armFault(kServiceCard.name, FaultKind{"pause", 50, true}, 0.5, callsAlone[first.name]);
        RunResult refused;
        bool paused = false;
        RunResult r = host_.runAtPause(package_, "burnkit", onCard(first.args), first.input, [&](int pid) {
          paused = true;
          const std::vector<uint8_t> flashThen = flashOf(kServiceCard.name);
          const uint64_t callsThen = card(kServiceCard.name)->stats().total;
          refused = burnkitIn(onCard(second.args), answer + second.input);
          EXPECT_EQ(refused.exitCode, 255u) << refused.out << refused.err;
          EXPECT_NE(refused.out.find("Another Corvane tool (process " + std::to_string(pid) + ") is running"),
                    std::string::npos)
              << refused.out;
          EXPECT_NE(refused.out.find("EXITING....!!\n"), std::string::npos) << refused.out;
          EXPECT_EQ(refused.out.find("Do you want to proceed anyway"), std::string::npos) << "it asked";
          EXPECT_EQ(card(kServiceCard.name)->stats().total, callsThen) << "the refused run called the driver";
          EXPECT_TRUE(flashOf(kServiceCard.name) == flashThen) << "the refused run changed the flash";
        });
        sim("fault", {kServiceCard.name, "--clear"});
        EXPECT_TRUE(paused) << "the first run never reached its pause";
        EXPECT_EQ(r.exitCode, 0u) << "the first run did not finish as if alone\n" << r.out << r.err;
        EXPECT_TRUE(flashOf(kServiceCard.name) == afterAlone[first.name]) << "the flash is not the first run's";
        EXPECT_TRUE(boardData(flashOf(kServiceCard.name)) == boardData(before));
        EXPECT_TRUE(cardIsBack());
        removeRunFiles();
      }
    }
  }
}

}  // namespace
