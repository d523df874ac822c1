// burnkit -i ... -F (--testflash) as a real process: provisioned boards
// pass, a flipped bit fails its sector with the tool's lines, the words the
// board sector leaves unsealed and sector 61's skip, and boards whose extra
// MAC slots were repaired still pass.
#include <string>
#include <vector>

#include "tests/board_fixture.h"

namespace {

using corvane_test::RunResult;

const Board kDual{"dual", 0x26, 0x01264040, 2, 3, 0x42, "SN0001", {0x00, 0x0E, 0x1E, 0x26, 0x00, 0x10}, 0x1111};
const Board kHalyard{"b29", 0x29, 0x705A103C, 4, 4, 0x42, "SN29", {0x00, 0x0E, 0x1E, 0x29, 0x00, 0x10}, 0x2929};
const Board kModule{"b80", 0x80, 0x3251103C, 4, 5, 0x42, "SN80", {0x00, 0x0E, 0x1E, 0x80, 0x00, 0x10}, 0x8080};

constexpr uint64_t kFlashWords = 0x400000 / 4;
const std::string kHeader = "Running Flash Test \n Please be patient...\n";
const std::string kPassed = kHeader + "FLASH/NVRAM                 PASSED\n";

class TestFlashScenario : public BoardScenario {
 protected:
  void SetUp() override {
    for (const Board& b : {kDual, kHalyard, kModule}) add(b);
  }
  RunResult testFlash(const std::string& location) const { return burnkit({"-i", location, "-F"}); }
};

TEST_F(TestFlashScenario, ProvisionedBoardsPassReadingEachWordOnce) {
  for (const Board& b : {kDual, kHalyard, kModule}) {
    SCOPED_TRACE(b.name);
    sim("stats", {b.name, "--reset"});
    RunResult r = burnkit({"-i", std::to_string(b.bus) + ":0.0", "--testflash"});
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.out, kPassed);
    EXPECT_EQ(r.err, "");
    // The adapter check's four, every word, the 64 stored digests, sector
    // 61's first word.
    EXPECT_EQ(calls(b.name, 50), 4 + kFlashWords + 64 * 4 + 1);
  }
}

TEST_F(TestFlashScenario, AFlippedBitFailsItsSectorWithTheToolsLines) {
  setFlashWord("dual", 0x70010, flashWord("dual", 0x70010) ^ 0x100);
  RunResult r = testFlash("3:0.0");
  EXPECT_EQ(r.exitCode, 13u);
  EXPECT_EQ(r.err, "Error in MD5 of flash sector 7\n read      expected  Error in MD5 of sector 7 of flash\n");
  // The stored and the computed digest, one line each, between the header
  // and the verdict.
  ASSERT_EQ(r.out.size(), kHeader.size() + 66 + 35);
  EXPECT_EQ(r.out.substr(0, kHeader.size()), kHeader);
  EXPECT_EQ(r.out.substr(kHeader.size() + 32, 1), "\n");
  EXPECT_NE(r.out.substr(kHeader.size(), 32), r.out.substr(kHeader.size() + 33, 32));
  EXPECT_EQ(r.out.substr(kHeader.size() + 66), "FLASH/NVRAM                 FAILED\n");
}

TEST_F(TestFlashScenario, Sector61WithAFirstWordOfZeroIsSkipped) {
  setFlashWord("dual", 0x3D0000, 0);
  sim("stats", {"dual", "--reset"});
  RunResult r = testFlash("3:0.0");
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_EQ(r.out, kPassed);
  EXPECT_EQ(calls("dual", 50), 4 + kFlashWords - 0x4000 + 63 * 4 + 1);
}

TEST_F(TestFlashScenario, UnreadableFlashFailsTheTestNeverPassesIt) {
  for (const char* action : {"fail", "ffff"}) {
    SCOPED_TRACE(action);
    sim("fault", {"dual", "--action", action, "--cmd", "50", "--offset", "0x90000-0x9FFFF", "--times", "1"});
    RunResult r = testFlash("3:0.0");
    EXPECT_EQ(r.exitCode, 13u);
    EXPECT_NE(r.out.find("FLASH/NVRAM                 FAILED\n"), std::string::npos);
    EXPECT_EQ(r.err, " Error in MD5 of sector 9 of flash\n");
    sim("fault", {"dual", "--clear"});
  }
}

TEST_F(TestFlashScenario, RepairedMacSlotsStillPassAndTheProductWordsMayChange) {
  // Board 0x29 comes without its extra slots; board 0x80's slot 16 is blanked.
  setFlashWord("b80", 0x3E8418 + 8 * 16, 0xFFFFFFFF);
  setFlashWord("b80", 0x3E8418 + 8 * 16 + 4, 0xFFFFFFFF);
  for (const Board& b : {kHalyard, kModule}) {
    SCOPED_TRACE(b.name);
    const std::string location = std::to_string(b.bus) + ":0.0";
    RunResult info = burnkit({"-i", location, "--info"});
    ASSERT_EQ(info.exitCode, 0u);
    ASSERT_NE(info.out.find("Updating Halyard MAC addresses\n"), std::string::npos);
    // Slots 16-19: slot 0's address (..:XX:00:10) plus 4, 8, 2 and 3, kept
    // last byte first: 1X 00 XX 1E, then 0E 00 and two zero bytes.
    const uint8_t last[4] = {0x14, 0x18, 0x12, 0x13};
    for (int i = 0; i < 4; ++i) {
      const uint32_t at = 0x3E8418 + 8 * (16 + i);
      EXPECT_EQ(flashWord(b.name, at), uint32_t{last[i]} | uint32_t{b.mac[3]} << 16 | 0x1Eu << 24);
      EXPECT_EQ(flashWord(b.name, at + 4), 0x0000000Eu);
    }
    EXPECT_EQ(testFlash(location).out, kPassed);

    // The two product words of the user area may change afterwards.
    setFlashWord(b.name, 0x3E8410, 0x0000ABCD);
    setFlashWord(b.name, 0x3E8414, 0x12345678);
    EXPECT_EQ(testFlash(location).out, kPassed);
  }
}

}  // namespace
