// burnkit's board edits under one injected fault each, as real processes:
// for every edit, every kind of fault at positions spread over the edit's
// driver calls. After the run, and after the recovery the run names (a -r
// of the sector copy it kept), the flash is exactly what it was (the edit
// failed: exit code not 0) or exactly what a clean run of the edit makes
// (exit code 0), it verifies, and the protocol checker saw nothing wrong.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/fault_campaign.h"

namespace {

using corvane_test::RunResult;

const Board kDual{"dual", 0x26, 0x01264040, 2, 3, 0x42, "SN0001", {0x00, 0x0E, 0x1E, 0x26, 0x00, 0x10}, 0x1111};
const Board kNcsi{"ncsi", 0x26, 0x705B103C, 2, 4, 0x42, "SN0002", {0x00, 0x0E, 0x1E, 0x5B, 0x00, 0x10}, 0x2222};
const Board kQuad{"quad", 0x29, 0x705A103C, 4, 5, 0x42, "SN0003", {0x00, 0x0E, 0x1E, 0x29, 0x00, 0x10}, 0x3333};

const std::string kTwoPlusOneVnics =
    "3\n"
    "0\n000E1E000001\n0000\n0\n0\n"
    "0\n000e1e000002\n0000\n10\n5\n"
    "1\n000E1E000003\n0000\n0\n0\n"
    "y\n";

struct Edit {
  const char* name;
  const Board* board;
  std::vector<std::string> args;
  std::string input;
  // An edit run first, without faults, so that this one has something to
  // change (PXE on needs the bit off).
  std::vector<std::string> setUpArgs;
  std::string setUpInput;
};

class EditFaultCampaign : public FaultCampaignScenario {
 protected:
  void SetUp() override {
    for (const Board& b : {kDual, kNcsi, kQuad}) add(b);
  }

  std::string work() const { return host_.root(); }
  RunResult run(const Board& b, std::vector<std::string> args, const std::string& input) const {
    args.insert(args.begin(), {"-i", std::to_string(b.bus) + ":0.0"});
    return host_.runIn(work(), "burnkit", args, input);
  }
  std::vector<std::string> sectorCopies() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(work()))
      if (entry.path().filename().string().rfind("sectorbackup_", 0) == 0)
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  bool verifies(const Board& b) const {
    RunResult r = run(b, {"--testflash"}, "");
    return r.exitCode == 0 && r.out.find("FLASH/NVRAM                 PASSED\n") != std::string::npos;
  }
};

TEST_F(EditFaultCampaign, EveryEditEndsWholeOrUndone) {
  const std::vector<Edit> edits = {
      {"pxe off", &kDual, {"--pxe-off"}, "1\n", {}, ""},
      {"pxe on", &kDual, {"--pxe-on"}, "1\n", {"--pxe-off"}, "1\n"},
      {"hwflags", &kQuad, {"--hwflags", "2"}, "", {}, ""},
      {"wol on", &kQuad, {"--wol-on"}, "2\n", {}, ""},
      {"ncsi off", &kNcsi, {"--ncsi-off"}, "", {}, ""},
      {"vnic commit", &kDual, {"-s"}, kTwoPlusOneVnics, {}, ""},
  };
  int runs = 0, applied = 0, undone = 0, recoveredFromCopy = 0;
  for (const Edit& edit : edits) {
    const Board& b = *edit.board;
    if (!edit.setUpArgs.empty()) {
      ASSERT_EQ(run(b, edit.setUpArgs, edit.setUpInput).exitCode, 0u) << edit.name;
    }
    const std::vector<uint8_t> before = flashOf(b.name);
    sim("stats", {b.name, "--reset"});
    RunResult clean = run(b, edit.args, edit.input);
    ASSERT_EQ(clean.exitCode, 0u) << edit.name << clean.out << clean.err;
    const std::map<uint32_t, uint64_t> cleanCalls = callsOf(b.name);
    const std::vector<uint8_t> after = flashOf(b.name);
    ASSERT_NE(after, before) << edit.name << ": the clean run changed nothing";
    for (const FaultKind& kind : kFaultKinds) {
      for (double at : kFaultPositions) {
        loadFlash(b.name, before);
        const uint64_t position = armFault(b.name, kind, at, cleanCalls);
        SCOPED_TRACE(std::string(edit.name) + ": " + kind.action + (kind.transient ? " once" : " from") +
                     " call " + std::to_string(position) + " of command " + std::to_string(kind.command));
        RunResult r = run(b, edit.args, edit.input);
        sim("fault", {b.name, "--clear"});
        ++runs;
        const bool killed = killedBy(kind, r.exitCode);

        // The recovery: every copy the run left is put back with -r.
        const std::vector<std::string> copies = sectorCopies();
        if (!killed && r.exitCode == 0) {
          EXPECT_TRUE(copies.empty()) << "a copy outlived a finished edit";
        }
        clearRunLeftovers(b.name);
        for (auto copy = copies.rbegin(); copy != copies.rend(); ++copy) {
          if (!killed) {
            EXPECT_NE(r.err.find(*copy), std::string::npos) << "the run did not name " << *copy << r.err;
          }
          RunResult restored = run(b, {"-r", *copy}, "y\ny\ny\n");
          EXPECT_EQ(restored.exitCode, 0u) << restored.out << restored.err;
          std::filesystem::remove(work() + "/" + *copy);
          ++recoveredFromCopy;
        }

        const std::vector<uint8_t> now = flashOf(b.name);
        if (!killed && r.exitCode == 0) {
          EXPECT_TRUE(now == after) << "exit 0, yet the flash is not the edit's" << r.err;
          ++applied;
        } else if (!killed) {
          EXPECT_TRUE(now == before) << "failed (" << r.exitCode << "), yet the flash changed" << r.out << r.err;
          ++undone;
        } else {
          EXPECT_TRUE(now == before || now == after) << "killed, and the flash is neither as it was nor as edited";
          now == after ? ++applied : ++undone;
        }
        EXPECT_TRUE(verifies(b));
        EXPECT_EQ(host_.violations(), "");
        clearRunLeftovers(b.name);
      }
    }
    loadFlash(b.name, before);
  }
  std::printf("%d fault runs: %d ended with the edit whole, %d with the board as it was; %d sector copies put back\n",
              runs, applied, undone, recoveredFromCopy);
}

}  // namespace
