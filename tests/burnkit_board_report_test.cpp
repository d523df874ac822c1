// burnkit -i ... --info, run as a real process against boards of several
// types provisioned from ROM images: every line byte for byte, the board 0x22
// MAC registers and their fallback, the extra MAC slots of board 0x29, and
// what the report costs in driver round trips.
#include <string>
#include <vector>

#include "tests/board_fixture.h"

namespace {

using corvane_test::RunResult;

const Board kBlade{"b22", 0x22, 0x171B103C, 2, 3, 0x41, "SN22A", {0x00, 0x0E, 0x1E, 0x22, 0x00, 0x10}, 0x22000000000000A1};
const Board kQuad{"b24", 0x24, 0x01244040, 4, 4, 0x42, "SN-24", {0x00, 0x0E, 0x1E, 0x24, 0x00, 0x10}, 0x24000000000000B2};
const Board kNcsi{"b26", 0x26, 0x705B103C, 2, 5, 0x42, "SN26C", {0x00, 0x0E, 0x1E, 0x26, 0x00, 0x10}, 0x26000000000000C3};
const Board kHalyard{"b29", 0x29, 0x705A103C, 4, 6, 0x42, "SN29D", {0x00, 0x0E, 0x1E, 0x29, 0x00, 0xFE}, 0x29000000000000D4};
const Board kModule{"b80", 0x80, 0x3251103C, 4, 7, 0x42, "SN80E", {0x00, 0x0E, 0x1E, 0x80, 0x00, 0x10}, 0x80000000000000E5};
const Board kGen2{"b0e", 0x0E, 0x170E103C, 2, 8, 0x24, "SN0EF", {0x00, 0x0E, 0x1E, 0x0E, 0x00, 0x10}, 0};

// What every one of these boards shows between the efuse and the MAC lines:
// the image's firmware 4.0.500 on flash and running, the driver, the BIOS.
const std::string kVersions =
    "Firmware version(on Flash) : 4.0.500\n"
    "Active Firmware version    : 4.0.500\n"
    "Driver version             : 4.0.593\n"
    "BIOS version               : 2.1.14\n";

// The progress of one VPD area write (256 words): each new whole percentage,
// then " - DONE". The run's first loop starts from 0 shown, later ones from
// the 100 the loop before ended with.
std::string vpdWriteProgress(bool firstOfRun) {
  std::string text;
  int last = firstOfRun ? 0 : 100;
  for (int word = 1; word <= 256; ++word) {
    const int percent = word * 100 / 256;
    if (percent == last) continue;
    char shown[16];
    std::snprintf(shown, sizeof shown, "\r %03d%% ", percent);
    text += shown;
    last = percent;
  }
  return text + " - DONE\n";
}

class BoardReportScenario : public BoardScenario {
 protected:
  void SetUp() override {
    for (const Board& b : {kBlade, kQuad, kNcsi, kHalyard, kModule, kGen2}) add(b);
  }
};

TEST_F(BoardReportScenario, EveryBoardTypeShowsItsReportByteForByte) {
  struct Case {
    const Board& board;
    uint32_t port;
    std::string out;
  };
  const Case cases[] = {
      {kBlade, 1,
       "Board Type                 : 0x22 (Corvane 2-port 10GbE Multifunction Blade Mezzanine)\n"
       "Board Chip Rev             : B1\n"
       "Serial Id                  : SN22A\n"
       "Efuse ID    \t\t   : 0x22000000000000a1\n" +
           kVersions +
           "MAC Addr                   : 00:0E:1E:22:00:11\n"
           "Subsystem ID               : 0x171b103c\n"
           "Hardware Flags             : uninitialized\n"
           "Base PXE Status            : Enabled\n"},
      {kQuad, 3,
       "Board Type                 : 0x24 (Corvane Z3 4-port 1GbE Server Adapter)\n"
       "Board Chip Rev             : B2\n"
       "Serial Id                  : \n"
       "Efuse ID    \t\t   : 0x24000000000000b2\n" +
           kVersions +
           "MAC Addr 3                 : 00:0E:1E:24:00:13 \n"
           "Subsystem ID               : 0x01244040\n"
           "Hardware Flags             : uninitialized\n"
           "PXE Status 3               : Enabled\n"
           "WOL Status 3               : Disabled\n"},
      {kNcsi, 0,
       "Board Type                 : 0x26 (Corvane 2-port 10GbE SFP+ Server Adapter)\n"
       "Board Chip Rev             : B2\n"
       "Serial Id                  : SN26C\n"
       "Efuse ID    \t\t   : 0x26000000000000c3\n" +
           kVersions +
           "MAC Addr 0                 : 00:0E:1E:26:00:10 \n"
           "Subsystem ID               : 0x705b103c\n"
           "Hardware Flags             : uninitialized\n"
           "PXE Status 0               : Enabled\n"
           "WOL Status 0               : Disabled\n"
           "NCSI Status                : Enabled\n"},
      {kHalyard, 2,
       "Board Type                 : 0x29 (Corvane Integrated 4-port 1GbE Multifunction Adapter)\n"
       "Board Chip Rev             : B2\n"
       "Serial Id                  : SN29D\n"
       "Efuse ID    \t\t   : 0x29000000000000d4\n" +
           kVersions + "Updating Halyard MAC addresses\n" + vpdWriteProgress(true) + vpdWriteProgress(false) +
           vpdWriteProgress(false) + vpdWriteProgress(false) +
           "MAC Addr 2                 : 00:0E:1E:29:01:00 \n"
           "Subsystem ID               : 0x705a103c\n"
           "Hardware Flags             : uninitialized\n"
           "PXE Status 2               : Enabled\n"
           "WOL Status 2               : Disabled\n"},
      {kModule, 1,
       "Board Type                 : 0x80 (Corvane Integrated 4-port 1GbE with 10GbE SFP+ Module)\n"
       "Board Chip Rev             : B2\n"
       "Serial Id                  : SN80E\n"
       "Efuse ID    \t\t   : 0x80000000000000e5\n" +
           kVersions +
           "MAC Addr 1                 : 00:0E:1E:80:00:11 \n"
           "Subsystem ID               : 0x3251103c\n"
           "Hardware Flags             : uninitialized\n"
           "PXE Status 1               : Enabled\n"
           "WOL Status 1               : Disabled\n"},
      {kGen2, 1,
       "Board Type                 : 0xe (Corvane 2-port 10GbE Blade Daughter Card)\n"
       "Board Chip Rev             : C0\n"
       "Serial Id                  : SN0EF\n" +
           kVersions +
           "MAC Addr 1                 : 00:0E:1E:0E:00:11 \n"
           "Subsystem ID               : 0x170e103c\n"
           "Hardware Flags             : uninitialized\n"
           "PXE Status 1               : Enabled\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.board.name);
    const std::string location = std::to_string(c.board.bus) + ":0." + std::to_string(c.port);
    RunResult r = burnkit({"-i", location, "--info"});
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, "");
  }
}

TEST_F(BoardReportScenario, TheReportCostsOneUserAreaReadAndTheStatusReads) {
  // The repair of board 0x29's extra slots is a one-off: run it first.
  ASSERT_EQ(burnkit({"-i", "6:0.0", "--info"}).exitCode, 0u);
  struct Case {
    const Board& board;
    bool wol, ncsi;  // which register-table reads the status lines need
  };
  for (const Case& c : {Case{kBlade, false, false}, Case{kQuad, true, false}, Case{kNcsi, true, true},
                        Case{kHalyard, true, false}, Case{kModule, true, false}, Case{kGen2, false, false}}) {
    SCOPED_TRACE(c.board.name);
    sim("stats", {c.board.name, "--reset"});
    ASSERT_EQ(burnkit({"-i", std::to_string(c.board.bus) + ":0.0", "--info"}).exitCode, 0u);
    const uint64_t table = 1 + 2 * uint64_t{crbinitEntries(c.board.name)};
    // The adapter check's four, the user area's 536, the PXE word.
    EXPECT_EQ(calls(c.board.name, 50), 4 + 536 + 1 + (c.wol ? table : 0) + (c.ncsi ? table : 0));
    EXPECT_EQ(calls(c.board.name, 51), 0u);
  }
}

TEST_F(BoardReportScenario, Board22FallsBackToFlashWhenItsMacRegistersAreBlank) {
  sim("reg", {"b22", "0x082021C8", "0xFFFFFFFF"});  // port 1's high register
  RunResult r = burnkit({"-i", "3:0.1", "--info"});
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_NE(r.out.find("BIOS version               : 2.1.14\nMAC Addr                   : 00:0E:1E:22:00:11 \n"),
            std::string::npos);
  sim("reg", {"b22", "0x082021C0", "0xFFFFFFFF"});  // port 0's low register
  r = burnkit({"-i", "3:0.0", "--info"});
  EXPECT_NE(r.out.find("\nMAC Addr                   : 00:0E:1E:22:00:10 \n"), std::string::npos);
}

TEST_F(BoardReportScenario, AnUnpublishedBoardTypeIsReadFromFlash) {
  sim("reg", {"b26", "0x08202248", "0x55555555"});
  RunResult r = burnkit({"-i", "5:0.0", "--info"});
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1),
            "Board Type                 : 0x26 (Corvane 2-port 10GbE SFP+ Server Adapter)\n");
  EXPECT_NE(r.out.find("WOL Status 0"), std::string::npos);
}

TEST_F(BoardReportScenario, WrittenHardwareFlagsShowTheirValue) {
  struct Case {
    uint32_t word;
    const char* line;
  };
  for (const Case& c : {Case{0x80000000, "Hardware Flags             : set to 0\n"},
                        Case{0x80000001, "Hardware Flags             : set to 1\n"},
                        Case{0x80000003, "Hardware Flags             : set to 3\n"},
                        Case{0x7FFFFFFF, "Hardware Flags             : uninitialized\n"},
                        Case{0xFFFFFFFF, "Hardware Flags             : uninitialized\n"}}) {
    setFlashWord("b26", 0x3E8844, c.word);
    RunResult r = burnkit({"-i", "5:0.0", "--info"});
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_NE(r.out.find(std::string("Subsystem ID               : 0x705b103c\n") + c.line), std::string::npos);
  }
}

}  // namespace
