// burnkit's setting changes as a real process: --pxe-on/off, --wol-on/off,
// --ncsi-on/off and --hwflags on boards where they apply and where they do
// not. Each change may touch only its own words and the MD5 table's slots
// of the sectors it rewrote, and the flash must verify afterwards.
#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/board_fixture.h"

namespace {

using corvane_test::RunResult;

const Board kDual{"dual", 0x26, 0x01264040, 2, 3, 0x42, "SN0001", {0x00, 0x0E, 0x1E, 0x26, 0x00, 0x10}, 0x1111};
const Board kNcsi{"ncsi", 0x26, 0x705B103C, 2, 4, 0x42, "SN0002", {0x00, 0x0E, 0x1E, 0x5B, 0x00, 0x10}, 0x2222};
const Board kQuad{"quad", 0x29, 0x705A103C, 4, 5, 0x42, "SN0003", {0x00, 0x0E, 0x1E, 0x29, 0x00, 0x10}, 0x3333};
const Board kFirstGeneration{"gen2", 0x24, 0x01244040, 4, 6, 0x25, "SN0004", {0x00, 0x0E, 0x1E, 0x24, 0x00, 0x10}, 0};

constexpr uint32_t kPxeWord = 0x3E8840;
constexpr uint32_t kHwFlagsWord = 0x3E8844;
constexpr uint32_t kLiveWol = 0x08202188;
constexpr uint32_t kWolEntry = 0x41602184;
constexpr uint32_t kNcsiEntry = 0x416020B4;
constexpr uint32_t kFlashSize = 0x400000;
constexpr uint64_t kOpenReads = 4;  // the adapter check at -i
constexpr uint64_t kSectorWords = 0x10000 / 4;

uint32_t md5Slot(uint32_t sector) { return 0x3E8000 + 16 * sector; }

std::string location(const Board& b) { return std::to_string(b.bus) + ":0.0"; }

class SettingsScenario : public BoardScenario {
 protected:
  void SetUp() override {
    for (const Board& b : {kDual, kNcsi, kQuad, kFirstGeneration}) add(b);
  }

  // The runs' working directory, where board edits keep their sector copies.
  std::string work() const { return host_.root(); }
  RunResult change(const Board& b, std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), {"-i", location(b)});
    return host_.runIn(work(), "burnkit", args, input);
  }
  std::vector<std::string> sectorCopies() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(work()))
      if (entry.path().filename().string().find("sectorbackup_") != std::string::npos)
        names.push_back(entry.path().filename().string());
    return names;
  }
  void expectVerifies(const Board& b) {
    RunResult r = burnkit({"-i", location(b), "--testflash"});
    EXPECT_EQ(r.exitCode, 0u) << r.out << r.err;
    EXPECT_NE(r.out.find("FLASH/NVRAM                 PASSED\n"), std::string::npos);
  }
  std::vector<uint32_t> words(const Board& b) const {
    std::shared_ptr<simhost::Card> c = card(b.name);
    std::vector<uint32_t> all(kFlashSize / 4);
    std::memcpy(all.data(), c->flash().data(), kFlashSize);
    return all;
  }
  // The word offsets where the flash now differs from before.
  std::set<uint32_t> changedWords(const Board& b, const std::vector<uint32_t>& before) const {
    std::vector<uint32_t> after = words(b);
    std::set<uint32_t> changed;
    for (size_t i = 0; i < after.size(); ++i)
      if (after[i] != before[i]) changed.insert(static_cast<uint32_t>(4 * i));
    return changed;
  }
  // Every changed word is one of the allowed words or within an MD5 slot of
  // the sectors given.
  void expectOnlyChanged(const Board& b, const std::vector<uint32_t>& before, std::set<uint32_t> allowed,
                         std::initializer_list<uint32_t> digestSectors) {
    for (uint32_t sector : digestSectors)
      for (uint32_t w = 0; w < 16; w += 4) allowed.insert(md5Slot(sector) + w);
    for (uint32_t offset : changedWords(b, before))
      EXPECT_TRUE(allowed.count(offset)) << std::hex << "word 0x" << offset << " changed";
  }
  // Flash offset of the value of the register table's entry.
  uint32_t entryAt(const Board& b, uint32_t reg) const {
    const uint32_t placement = flashWord(b.name, 4);
    for (uint32_t i = 0; i < (placement >> 16); ++i) {
      const uint32_t at = 4 * ((placement & 0xFFFF) + 2 * i);
      if (flashWord(b.name, at + 4) == reg) return at;
    }
    ADD_FAILURE() << "no entry for " << reg;
    return 0;
  }
  uint32_t liveWol(const Board& b) const { return card(b.name)->peekRegister(kLiveWol); }
  // Non-erased words of a sector: what one rewrite of it sends.
  uint64_t nonErased(const Board& b, uint32_t sector) const {
    std::vector<uint32_t> all = words(b);
    auto begin = all.begin() + sector * kSectorWords;
    return std::count_if(begin, begin + kSectorWords, [](uint32_t w) { return w != 0xFFFFFFFF; });
  }
  uint64_t boardSectorWritten(const Board& b) const { return nonErased(b, 62); }
};

TEST_F(SettingsScenario, PxeOnRewritesTheBoardSectorPxeOffClearsOneWord) {
  const uint32_t initial = flashWord("dual", kPxeWord);
  ASSERT_EQ(initial & 0b10, 0b10u) << "provisioned boards boot from every port";

  // Off on port 1: the board sector rewritten once, sealed with its digest.
  std::vector<uint32_t> before = words(kDual);
  sim("stats", {"dual", "--reset"});
  RunResult off = change(kDual, {"--pxe-off"}, "1\n");
  EXPECT_EQ(off.exitCode, 0u) << off.err;
  EXPECT_EQ(off.out, "Enter the port number[0-1]:");
  EXPECT_EQ(off.err, "PXE : Disabled\n");
  EXPECT_EQ(flashWord("dual", kPxeWord), initial & ~0b10u);
  expectOnlyChanged(kDual, before, {kPxeWord}, {62});
  EXPECT_EQ(calls("dual", 51), boardSectorWritten(kDual));
  expectVerifies(kDual);

  // Off again: nothing written.
  sim("stats", {"dual", "--reset"});
  EXPECT_EQ(change(kDual, {"--pxe-off"}, "1\n").exitCode, 0u);
  EXPECT_EQ(calls("dual", 51), 0u);

  // On: the same one rewrite with the bit set.
  before = words(kDual);
  sim("stats", {"dual", "--reset"});
  RunResult on = change(kDual, {"--pxe-on"}, "1\n");
  EXPECT_EQ(on.exitCode, 0u) << on.err;
  EXPECT_EQ(on.err, "PXE : Enabled\n");
  EXPECT_EQ(flashWord("dual", kPxeWord), initial);
  expectOnlyChanged(kDual, before, {kPxeWord}, {62});
  EXPECT_EQ(calls("dual", 51), boardSectorWritten(kDual));
  // Reads: the open's four, the board sector's digest slot (an earlier edit
  // cut short leaves it erased), the PXE word, the board sector whole before
  // the erase and again to compare it with what was meant, the digest's four
  // words read back after the seal; no full-flash pass.
  EXPECT_EQ(calls("dual", 50), kOpenReads + 4 + 1 + 2 * kSectorWords + 4);
  expectVerifies(kDual);

  // On again: nothing written.
  sim("stats", {"dual", "--reset"});
  EXPECT_EQ(change(kDual, {"--pxe-on"}, "1\n").exitCode, 0u);
  EXPECT_EQ(calls("dual", 51), 0u);
}

TEST_F(SettingsScenario, WolChangesTheTableEntryAndTheLiveRegister) {
  const uint32_t entry = entryAt(kQuad, kWolEntry);
  ASSERT_EQ(flashWord("quad", entry), 0u);

  std::vector<uint32_t> before = words(kQuad);
  sim("stats", {"quad", "--reset"});
  RunResult on = change(kQuad, {"--wol-on"}, "2\n");
  EXPECT_EQ(on.exitCode, 0u) << on.err;
  EXPECT_EQ(on.out, "Enter the port number[0-3]:Enabling WOL on port 2.......\nUpdating MD5 checksum...\nWOL : Enabled\n");
  EXPECT_EQ(on.err, "");
  EXPECT_EQ(flashWord("quad", entry), 0b100u);
  EXPECT_EQ(liveWol(kQuad) & 0b100, 0b100u);
  expectOnlyChanged(kQuad, before, {entry}, {0, 62});
  // Reads: the open's four, the board sector's digest slot (an earlier edit
  // cut short leaves it erased), sector 0 and the board sector whole before
  // they are erased and again to compare them with what was meant, the board
  // sector's digest read back after the seal.
  EXPECT_EQ(calls("quad", 50), kOpenReads + 4 + 4 * kSectorWords + 4);
  EXPECT_EQ(calls("quad", 51), nonErased(kQuad, 0) + boardSectorWritten(kQuad));
  expectVerifies(kQuad);

  // Already enabled in flash: only the live register is put right.
  ASSERT_TRUE(card("quad")->pokeRegister(kLiveWol, 0));
  sim("stats", {"quad", "--reset"});
  RunResult again = change(kQuad, {"--wol-on"}, "2\n");
  EXPECT_EQ(again.exitCode, 0u);
  EXPECT_EQ(again.out,
            "Enter the port number[0-3]:Enabling WOL on port 2.......\nWOL on port 2 is already enabled!\nWOL : Enabled\n");
  EXPECT_EQ(liveWol(kQuad), 0b100u);
  EXPECT_EQ(calls("quad", 51), 0u);

  before = words(kQuad);
  RunResult off = change(kQuad, {"--wol-off"}, "2\n");
  EXPECT_EQ(off.exitCode, 0u) << off.err;
  EXPECT_EQ(off.out,
            "Enter the port number[0-3]:Disabling WOL on port 2.......\nUpdating MD5 checksum...\nWOL : Disabled\n");
  EXPECT_EQ(flashWord("quad", entry), 0u);
  EXPECT_EQ(liveWol(kQuad) & 0b100, 0u);
  expectOnlyChanged(kQuad, before, {entry}, {0, 62});
  expectVerifies(kQuad);

  ASSERT_TRUE(card("quad")->pokeRegister(kLiveWol, 0b100));
  sim("stats", {"quad", "--reset"});
  RunResult offAgain = change(kQuad, {"--wol-off"}, "2\n");
  EXPECT_EQ(offAgain.out,
            "Enter the port number[0-3]:Disabling WOL on port 2.......\nWOL is already disabled on port 2 !\nWOL : Disabled\n");
  EXPECT_EQ(liveWol(kQuad), 0u);
  EXPECT_EQ(calls("quad", 51), 0u);
}

TEST_F(SettingsScenario, NcsiTakesOnlyTheExactValueAsEnabled) {
  const uint32_t entry = entryAt(kNcsi, kNcsiEntry);
  ASSERT_EQ(flashWord("ncsi", entry), 0x9C51u);
  sim("stats", {"ncsi", "--reset"});
  RunResult same = change(kNcsi, {"--ncsi-on"});
  EXPECT_EQ(same.exitCode, 0u);
  EXPECT_EQ(same.out, "Enabling NCSI .......\n");
  EXPECT_EQ(calls("ncsi", 51), 0u);

  std::vector<uint32_t> before = words(kNcsi);
  RunResult off = change(kNcsi, {"--ncsi-off"});
  EXPECT_EQ(off.exitCode, 0u) << off.err;
  EXPECT_EQ(off.out, "Disabling NCSI .......\nUpdating MD5 checksum...\n");
  EXPECT_EQ(off.err, "NCSI : Disabled\n");
  EXPECT_EQ(flashWord("ncsi", entry), 0u);
  expectOnlyChanged(kNcsi, before, {entry}, {0, 62});
  expectVerifies(kNcsi);

  // 0xFFFF holds every bit of 0x9C51 but is not the setting: on writes it.
  // (Changed behind the tool's back: sector 0 no longer verifies until the
  // change brings its digest up to date.)
  setFlashWord("ncsi", entry, 0xFFFF);
  RunResult on = change(kNcsi, {"--ncsi-on"});
  EXPECT_EQ(on.exitCode, 0u) << on.err;
  EXPECT_NE(on.out.find("Enabling NCSI .......\nUpdating MD5 checksum...\n"), std::string::npos);
  EXPECT_EQ(flashWord("ncsi", entry), 0x9C51u);
  expectVerifies(kNcsi);
}

TEST_F(SettingsScenario, HardwareFlagsWriteBit31AndTheValue) {
  for (uint32_t value : {2u, 1u, 0u, 3u}) {
    SCOPED_TRACE(value);
    std::vector<uint32_t> before = words(kDual);
    RunResult r = change(kDual, {"--hwflags", std::to_string(value)});
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_EQ(r.out, "Hardware flags configuration successful\n");
    EXPECT_EQ(flashWord("dual", kHwFlagsWord), 0x80000000u | value);
    expectOnlyChanged(kDual, before, {kHwFlagsWord}, {62});
  }
  expectVerifies(kDual);
}

// The boards and tables a setting does not apply to: 38, the refusal line
// on its stream, nothing written.
TEST_F(SettingsScenario, UnsupportedSettingsChangeNothing) {
  struct Case {
    const Board* board;
    std::vector<std::string> args;
    std::string input;
    uint32_t code;
    std::string out;
    std::string err;
  };
  const std::vector<Case> cases = {
      {&kDual, {"--wol-on"}, "0\n", 38, "Enter the port number[0-1]:WOL Enable not supported\n", ""},
      {&kDual, {"--ncsi-on"}, "", 38, "NCSI Enable is not supported\n", ""},
      {&kQuad, {"--ncsi-off"}, "", 38, "NCSI Disable is not supported\n", ""},
      {&kFirstGeneration, {"--wol-off"}, "", 38, "", "WOL Not Supported on this hardware\n"},
      {&kFirstGeneration, {"--hwflags", "1"}, "", 38, "", "Hardware flags not supported on this hardware\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.board->name + std::string(" ") + c.args[0]);
    std::vector<uint32_t> before = words(*c.board);
    RunResult r = change(*c.board, c.args, c.input);
    EXPECT_EQ(r.exitCode, c.code);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, c.err);
    EXPECT_TRUE(changedWords(*c.board, before).empty());
  }

  // A table without the WOL entry (its register renamed).
  setFlashWord("quad", entryAt(kQuad, kWolEntry) + 4, 0x41602188);
  std::vector<uint32_t> before = words(kQuad);
  RunResult on = change(kQuad, {"--wol-on"}, "1\n");
  EXPECT_EQ(on.exitCode, 38u) << on.out << on.err;
  EXPECT_NE(on.out.find("Enabling WOL on port 1.......\nWOL Enable not supported\n"), std::string::npos);
  RunResult off = change(kQuad, {"--wol-off"}, "1\n");
  EXPECT_EQ(off.exitCode, 38u);
  EXPECT_EQ(off.err, "Failed to disable WOL\n");
  EXPECT_TRUE(changedWords(kQuad, before).empty());
}

// A fault while a sector is rewritten: the edit fails with its code, and the
// sector is written back as it was, so the board is exactly as before.
TEST_F(SettingsScenario, AFailedRewritePutsTheSectorBackAsItWas) {
  struct Case {
    const Board* board;
    std::vector<std::string> args;
    std::string input;
    std::vector<std::string> fault;
    uint32_t code;
    std::string err;
  };
  const std::string back62 = "Sector 62 holds again what it held before.\n";
  const std::vector<Case> cases = {
      {&kDual, {"--pxe-off"}, "1\n", {"--action", "fail", "--cmd", "51", "--times", "1"}, 11,
       "Failed to write pxe_enable flag\n" + back62 + "Failed to disable PXE\n"},
      {&kDual, {"--pxe-on"}, "0\n", {"--action", "fail", "--cmd", "51", "--after", "10", "--times", "1"}, 1,
       "Failed to write user area...\n" + back62 + "Failed to enable PXE\n"},
      {&kQuad, {"--hwflags", "2"}, "", {"--action", "fail", "--cmd", "51", "--after", "10", "--times", "1"}, 1,
       "Failed to write user area...\n" + back62 + "Failed to configure hardware flags\n"},
      // The word takes one bit wrong: read back, it is no success.
      {&kQuad, {"--hwflags", "1"}, "",
       {"--action", "bitflip", "--cmd", "51", "--offset", "0x3E8844-0x3E8847", "--times", "1"}, 1,
       "Failed to write user area...\n" + back62 + "Failed to configure hardware flags\n"},
      // The erase does not finish.
      {&kDual, {"--pxe-on"}, "0\n", {"--action", "timeout", "--cmd", "2", "--offset", "0x3E0000-0x3EFFFF", "--times", "1"}, 1, back62},
      {&kNcsi, {"--ncsi-off"}, "", {"--action", "fail", "--cmd", "51", "--after", "10", "--times", "1"}, 1,
       "Failed to write crbinit...\nSector 0 holds again what it held before.\nFailed to disable NCSI\n"},
      // Sector 0 is written, the board sector with its new digest is not:
      // both go back.
      {&kNcsi, {"--ncsi-off"}, "", {"--action", "fail", "--cmd", "51", "--offset", "0x3E0000-0x3EFFFF", "--times", "1"},
       31, back62 + "Sector 0 holds again what it held before.\nFailed to disable NCSI\n"},
  };
  ASSERT_EQ(change(kDual, {"--pxe-off"}, "0\n").exitCode, 0u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.board->name + std::string(" ") + c.args[0] + " " + c.fault[1]);
    const std::vector<uint32_t> before = words(*c.board);
    std::vector<std::string> fault = c.fault;
    fault.insert(fault.begin(), c.board->name);
    sim("fault", fault);
    RunResult r = change(*c.board, c.args, c.input);
    EXPECT_EQ(r.exitCode, c.code) << r.out << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    sim("fault", {c.board->name, "--clear"});
    EXPECT_TRUE(changedWords(*c.board, before).empty());
    EXPECT_EQ(sectorCopies(), std::vector<std::string>{}) << "a copy outlived an edit that was undone";
    expectVerifies(*c.board);
  }
}

// When the sector cannot be written back either, the run names the copy it
// kept and the command that puts it back; that command restores the board.
TEST_F(SettingsScenario, ASectorThatCannotBePutBackIsRestoredFromItsCopy) {
  for (const char* edit : {"--pxe-off", "--wol-on"}) {
    SCOPED_TRACE(edit);
    const Board& b = std::string(edit) == "--pxe-off" ? kDual : kQuad;
    const std::vector<uint32_t> before = words(b);
    sim("fault", {b.name, "--action", "fail", "--cmd", "51", "--after", "10"});
    RunResult r = change(b, {edit}, "1\n");
    sim("fault", {b.name, "--clear"});
    EXPECT_NE(r.exitCode, 0u);
    EXPECT_NE(r.err.find("Flash may be corrupted...\n"), std::string::npos) << r.err;
    const std::vector<std::string> copies = sectorCopies();
    ASSERT_EQ(copies.size(), 1u) << r.err;
    const std::string command = " -r \"" + copies[0] + "\"\n";
    EXPECT_NE(r.err.find("\". Put it back with: burnkit -i \""), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(command), std::string::npos) << r.err;

    if (&b == &kQuad) {
      // The table is left half written: a later edit must not decide from it
      // or seal it, and names the copy again.
      const std::vector<uint32_t> left = words(b);
      RunResult again = change(b, {edit}, "y\n1\n");  // go on despite the failed check; the port
      EXPECT_EQ(again.exitCode, 13u) << again.out << again.err;
      EXPECT_NE(again.err.find("Sector 0 does not match its digest: an earlier edit may have been cut short. "
                               "Nothing was written.\n"),
                std::string::npos)
          << again.err;
      EXPECT_NE(again.err.find(command), std::string::npos) << again.err;
      EXPECT_TRUE(changedWords(b, left).empty());
    }

    // Another board's copy is refused before anything is written.
    const Board& other = &b == &kDual ? kQuad : kDual;
    const std::vector<uint32_t> otherBefore = words(other);
    RunResult refused = change(other, {"-r", copies[0]}, "y\ny\n");
    EXPECT_EQ(refused.exitCode, 5u) << refused.out << refused.err;
    EXPECT_NE(refused.err.find("Wrong Backup Romimage!!\n"), std::string::npos);
    EXPECT_TRUE(changedWords(other, otherBefore).empty());

    RunResult restored = change(b, {"-r", copies[0]}, "y\ny\n");
    EXPECT_EQ(restored.exitCode, 0u) << restored.out << restored.err;
    EXPECT_TRUE(changedWords(b, before).empty());
    expectVerifies(b);
    std::filesystem::remove(work() + "/" + copies[0]);
  }
}

// A board whose write-protect pin keeps the flash's status register locked:
// every change refuses before it asks for a port or writes anything.
TEST_F(SettingsScenario, WritesDisabledOnTheBoardRefuseEveryChange) {
  sim("set", {"wp-pin", "dual", "on"});
  card("dual")->setFlashStatus(0x80);
  struct Case {
    std::vector<std::string> args;
    std::string failed;
  };
  const std::vector<Case> cases = {{{"--pxe-on"}, "Failed to enable PXE\n"},
                                   {{"--pxe-off"}, "Failed to disable PXE\n"},
                                   {{"--ncsi-off"}, "Failed to disable NCSI\n"},
                                   {{"--wol-off"}, "Failed to disable WOL\n"},
                                   {{"--hwflags", "1"}, "Failed to configure hardware flags\n"}};
  const std::vector<uint32_t> before = words(kDual);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    RunResult r = change(kDual, c.args, "0\n");
    EXPECT_EQ(r.exitCode, 31u);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Flash writes are disabled on this board!!!\n" + c.failed);
  }
  EXPECT_TRUE(changedWords(kDual, before).empty());
}

// Nothing is written when the setting cannot be read or the port is not
// one of the board's.
TEST_F(SettingsScenario, UnreadableSettingsAndBadPortsWriteNothing) {
  struct Case {
    std::vector<std::string> args;
    std::string input;
    bool readFault;
    uint32_t code;
    std::string err;
  };
  const std::vector<Case> cases = {
      {{"--pxe-on"}, "1\n", true, 12, "Failed to enable PXE\n"},
      {{"--ncsi-on"}, "", true, 12, "Failed to enable NCSI\n"},
      {{"--hwflags", "3"}, "", true, 12, "Failed to configure hardware flags\n"},
      {{"--pxe-off"}, "2\n", false, 31, "Invalid port number entered\n"},
      {{"--pxe-off"}, "one\n", false, 31, "Invalid port number entered\n"},
      {{"--wol-on"}, "-1\n", false, 31, "Invalid port number entered\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.input);
    const Board& b = c.args[0] == "--ncsi-on" ? kNcsi : c.args[0] == "--wol-on" ? kQuad : kDual;
    std::vector<uint32_t> before = words(b);
    // Flash reads after the open's own (its flash check) fail.
    sim("stats", {b.name, "--reset"});
    ASSERT_EQ(change(b, {}).exitCode, 0u);
    const std::string openReads = std::to_string(calls(b.name, 50));
    if (c.readFault) sim("fault", {b.name, "--action", "fail", "--cmd", "50", "--after", openReads});
    sim("stats", {b.name, "--reset"});
    RunResult r = change(b, c.args, c.input);
    EXPECT_EQ(r.exitCode, c.code);
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    EXPECT_EQ(calls(b.name, 51), 0u);
    EXPECT_TRUE(changedWords(b, before).empty());
    sim("fault", {b.name, "--clear"});
  }
}

}  // namespace

namespace {

constexpr uint32_t kVnicArea = 0x3E0000;
constexpr uint32_t kMaskLow = 0x3E8854;
constexpr uint32_t kMaskHigh = 0x3E8858;
constexpr uint32_t kKeptMaskBits = 0x000FC300;

// Two vNICs on port 0 and one on port 1, untagged; the second limited to
// 10/5; its MAC typed in lower case.
const std::string kTwoPlusOne =
    "3\n"
    "0\n000E1E000001\n0000\n0\n0\n"
    "0\n000e1e000002\n0000\n10\n5\n"
    "1\n000E1E000003\n0000\n0\n0\n";

// The committed area of kTwoPlusOne as the flash must hold it.
std::vector<uint8_t> twoPlusOneArea() {
  return {
      0xDE, 0xFA, 3, 0, 1, 0, 8, 0,  // magic, 3 vNICs, 1 block, 8 units
      0, 0, 2, 0, 0, 0, 0, 3,        // first vNIC 0, element 2 units, type 0, 3 vNICs
      0x00, 0x0E, 0x1E, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0,
      0x00, 0x0E, 0x1E, 0, 0, 2, 0, 0, 0, 0xFF, 0xFF, 0xFF, 10, 0, 5, 0,
      0x00, 0x0E, 0x1E, 0, 0, 3, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0,
  };
}

class VnicScenario : public SettingsScenario {
 protected:
  RunResult commit(const std::string& input) { return change(kDual, {"-s"}, input); }
  std::vector<uint8_t> vnicBytes(size_t count) const {
    std::shared_ptr<simhost::Card> c = card("dual");
    return {c->flash().begin() + kVnicArea, c->flash().begin() + kVnicArea + count};
  }
  // The masks in effect before any commit: the table's, since the user
  // area leaves them erased.
  std::pair<uint32_t, uint32_t> provisionedMasks() const {
    EXPECT_EQ(flashWord("dual", kMaskLow), 0xFFFFFFFFu);
    return {flashWord("dual", entryAt(kDual, 0x77312040)), flashWord("dual", entryAt(kDual, 0x77312048))};
  }
};

TEST_F(VnicScenario, CommitWritesTheAreaAndMasksAndKeepsTheRest) {
  const auto [low, high] = provisionedMasks();
  std::vector<uint32_t> before = words(kDual);
  sim("stats", {"dual", "--reset"});
  RunResult r = commit(kTwoPlusOne + "y\n");
  ASSERT_EQ(r.exitCode, 0u) << r.out << r.err;
  // The board sector whole before its erase and again to compare it, the
  // register table's entries: no pass over the rest of the flash.
  EXPECT_LT(calls("dual", 50), 3 * kSectorWords);
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("\nHow many vNICs do you want to configure? \n\nEnter vNIC 0 physical port: "
                       "Enter vNIC 0 MAC (12 hex digits): Enter vNIC 0 VLAN (4 hex digits, 0000 for untagged): "
                       "Enter vNIC 0 Tx max ratio (0 for unlimited): Enter vNIC 0 Tx min ratio: \n\nEnter vNIC 1"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("\nWARNING: This will be commited to flash:\n\nvNIC header magic  : 0xfade => vNIC ACTIVE\n"),
            std::string::npos);
  EXPECT_NE(r.out.find("\nWARNING: Do you want to commit to flash? (Y/N) 8/14 - User area\n"), std::string::npos);
  EXPECT_NE(r.out.find("9/14 - VPD area\n"), std::string::npos);

  EXPECT_EQ(vnicBytes(64), twoPlusOneArea());
  EXPECT_EQ(flashWord("dual", kMaskLow), (low & kKeptMaskBits) | 0x0401 | 0x1010 | 0x0804);
  EXPECT_EQ(flashWord("dual", kMaskHigh), high & kKeptMaskBits);
  std::set<uint32_t> area;
  for (uint32_t at = kVnicArea; at < kVnicArea + 64; at += 4) area.insert(at);
  area.insert({kMaskLow, kMaskHigh});
  expectOnlyChanged(kDual, before, area, {62});
  expectVerifies(kDual);

  RunResult print = change(kDual, {"-p"});
  EXPECT_EQ(print.exitCode, 0u) << print.err;
  EXPECT_NE(print.out.find("\nvNIC property print operation:\nPCIE Function Number  : 0\n\n"
                           "Programmed MAC Address 0    : 00:0E:1E:26:00:10 \n"),
            std::string::npos)
      << print.out;
  char masks[96];
  std::snprintf(masks, sizeof masks, "\nPCIE Setup Register  : 0x%x\nPCIE Setup2 Register : 0x%x\n\nFunction 0 : Enabled\n",
                flashWord("dual", kMaskLow), flashWord("dual", kMaskHigh));
  EXPECT_NE(print.out.find(masks), std::string::npos);
  EXPECT_NE(print.out.find("\nvNIC header magic  : 0xfade => vNIC ACTIVE\nvNIC header #vnics : 3\n"
                           "vNIC header #blocks: 1\nvNIC header size   : 64\n\n"
                           "vNIC descriptor type           : 0\nvNIC descriptor start vnic#    : 0\n"
                           "vNIC descriptor #vnics in block: 3\nvNIC descriptor element size   : 16\n"),
            std::string::npos);
  EXPECT_NE(print.out.find("\nvNIC 1 port : 0\nvNIC 1 MAC  : 00:0E:1E:00:00:02 \nvNIC 1 VLAN : 0x0000 (Untagged)\n"
                           "vNIC 1 txmax: 10\nvNIC 1 txmin: 5\n\nvNIC 2 port : 1\n"),
            std::string::npos);

  // Clean (-1): the area's bytes erased, the masks all ones again.
  before = words(kDual);
  RunResult clean = commit("-1\ny\n");
  EXPECT_EQ(clean.exitCode, 0u) << clean.err;
  EXPECT_NE(clean.out.find("\nWARNING: Do you want to clean vNIC properties? (Y/N) "), std::string::npos);
  EXPECT_EQ(vnicBytes(64), std::vector<uint8_t>(64, 0xFF));
  EXPECT_EQ(flashWord("dual", kMaskLow), 0xFFFFFFFFu);
  EXPECT_EQ(flashWord("dual", kMaskHigh), 0xFFFFFFFFu);
  expectOnlyChanged(kDual, before, area, {62});
  expectVerifies(kDual);
  EXPECT_NE(change(kDual, {"-p"}).out.find("vNIC header magic  : 0xffff => vNIC INACTIVE\n"), std::string::npos);
  const std::string inactive = commit("-1\n").out;
  EXPECT_EQ(inactive.substr(inactive.size() - 32), "vNIC area not active, giving up\n");
}

// Every refused layout ends the commit before anything is written.
TEST_F(VnicScenario, RefusedAnswersWriteNothing) {
  const std::string port0 = "0\n000E1E000001\n0000\n0\n0\n";
  const std::string port1 = "1\n000E1E000002\n0000\n0\n0\n";
  struct Case {
    std::string input;
    std::string err;
  };
  const std::vector<Case> cases = {
      {"9\n", "\nERROR: Can support only upto 8 vNICs currently\n\n"},
      {"0\n", "\nERROR: Can support only upto 8 vNICs currently\n\n"},
      {"two\n", "\nERROR: Can support only upto 8 vNICs currently\n\n"},
      {"1\n2\n", "\nERROR: Card supports ports 0 .. 1 \n\n"},
      {"1\nport\n", "\nERROR: Card supports ports 0 .. 1 \n\n"},
      {"1\n0\n000E1E00001\n", "Bad MAC/VLAN. Must be 12 hex digits\n"},
      {"1\n0\n000E1E00000G\n", "Bad digit in MAC/VLAN\n"},
      {"1\n0\n010000000001\n", "\nERROR: Invalid MAC Address\n\n"},
      {"1\n0\n000000000000\n", "\nERROR: Invalid MAC Address\n\n"},
      {"1\n0\n000E1E000001\n064\n", "Bad MAC/VLAN. Must be 4 hex digits\n"},
      {"1\n0\n000E1E000001\n0000\n0\n5\n", "\nERROR: Inconsistent Tx min/max values\n\n"},
      {"1\n0\n000E1E000001\n0000\n10\n20\n", "\nERROR: Inconsistent Tx min/max values\n\n"},
      {"1\n0\n000E1E000001\n0000\n70000\n", "\nERROR: Tx ratio must be a number from 0 to 65535\n\n"},
      {"1\n0\n000E1E000001\n0000\nfull\n", "\nERROR: Tx ratio must be a number from 0 to 65535\n\n"},
      {"2\n0\n000E1E000001\n0064\n0\n0\n" + port1, "\nERROR: Can not support mix of VLAN tagged and untagged on vNICs\n\n"},
      {"1\n" + port0, "\nERROR: Port 1 has no vnics\n\n"},
      {"3\n" + port0 + port0 + port1, "\nERROR: Port 0 has non unique MACs\n\n"},
      {"", "\nERROR: Can support only upto 8 vNICs currently\n\n"},
  };
  const std::vector<uint32_t> before = words(kDual);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    RunResult r = commit(c.input);
    EXPECT_EQ(r.exitCode, 31u);
    EXPECT_EQ(r.err, c.err);
  }
  // Declined at the last question: the layout shown, nothing written, not a failure.
  RunResult declined = commit(kTwoPlusOne + "n\n");
  EXPECT_EQ(declined.exitCode, 0u);
  EXPECT_EQ(declined.out.substr(declined.out.size() - 40), "Aborting vNIC property commit operation\n");
  EXPECT_TRUE(changedWords(kDual, before).empty());
}

// A word of the user area that fails is reported; the other areas are
// still written, the sector does not read back as meant, and the commit is
// undone: the board sector as it was, the run no success.
TEST_F(VnicScenario, AFailedAreaIsReportedAndTheCommitUndone) {
  const std::vector<uint32_t> before = words(kDual);
  sim("fault", {"dual", "--action", "fail", "--cmd", "51", "--offset", "0x3E8000-0x3E8857", "--times", "1"});
  RunResult r = commit(kTwoPlusOne + "y\n");
  EXPECT_EQ(r.exitCode, 14u);
  EXPECT_EQ(r.err, "Failed to restore user area\nSector 62 holds again what it held before.\n");
  EXPECT_NE(r.out.find("VPD area"), std::string::npos) << "the VPD area was not written";
  EXPECT_TRUE(changedWords(kDual, before).empty());
  EXPECT_EQ(sectorCopies(), std::vector<std::string>{});
  expectVerifies(kDual);
}

}  // namespace
