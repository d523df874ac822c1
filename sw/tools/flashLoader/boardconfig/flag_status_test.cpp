// The PXE, WOL and NC-SI status lines against boards provisioned from ROM
// images, with the settings changed in flash behind the tool's back.
#include "sw/tools/flashLoader/boardconfig/flag_status.h"

#include "sw/tools/flashLoader/adapter/adapter_test_fixture.h"
#include "sw/tools/flashLoader/boardconfig/crbinit_table.h"

namespace {

using simhost::FaultAction;

class FlagStatusTest : public AdapterTest {
 protected:
  // The flash offset of the value of the crbinit entry for a register.
  uint32_t entryValueAt(uint32_t reg) {
    const uint32_t placement = flashWord(4);
    const uint32_t first = placement & 0xFFFF, count = placement >> 16;
    for (uint32_t i = 0; i < count; ++i)
      if (flashWord(4 * (first + 2 * i) + 4) == reg) return 4 * (first + 2 * i);
    ADD_FAILURE() << "no entry for " << reg;
    return 0;
  }
  std::string run(const std::function<int()>& status, int result) {
    captureOutput();
    EXPECT_EQ(status(), result);
    capturedErr();
    return capturedOut();
  }
};

TEST_F(FlagStatusTest, PxeStatusShowsThePortsBit) {
  DeviceHandle handle = openBoard();
  setFlashWord(0x3E8840, 0b0101);
  struct Case {
    uint32_t port;
    const char* line;
  };
  for (const Case& c : {Case{0, "PXE Status 0               : Enabled\n"}, Case{1, "PXE Status 1               : Disabled\n"},
                        Case{34, "PXE Status 34               : Enabled\n"}}) {
    EXPECT_EQ(run([&] { return pxe_status(handle, c.port); }, 0), c.line);
  }
  fault(FaultAction::kFfff, 50);
  EXPECT_EQ(run([&] { return pxe_status(handle, 0); }, 12), "");
}

TEST_F(FlagStatusTest, Board22HasOneBasePxeSetting) {
  simhost::CardOrder order = dualBoard();
  order.board = 0x22;
  order.subsys = 0x171B103C;
  order.chipRevision = 0x41;
  DeviceHandle handle = openBoard(order);
  setFlashWord(0x3E8840, 0b10);
  EXPECT_EQ(run([&] { return pxe_status(handle, 1); }, 0), "Base PXE Status            : Enabled\n");
  EXPECT_EQ(run([&] { return pxe_status(handle, 0); }, 0), "Base PXE Status            : Disabled\n");
}

TEST_F(FlagStatusTest, WolStatusReadsTheRegisterTableEntry) {
  DeviceHandle handle = openBoard();
  const uint32_t wol = entryValueAt(kCrbinitWolMask);
  setFlashWord(wol, 0b10);
  EXPECT_EQ(run([&] { return wol_status(handle, 1); }, 0), "WOL Status 1               : Enabled\n");
  EXPECT_EQ(run([&] { return wol_status(handle, 32); }, 0), "WOL Status 32               : Disabled\n");
  // Only the table's words are read, not the whole sector.
  card().resetStats();
  run([&] { return wol_status(handle, 0); }, 0);
  EXPECT_EQ(calls(50), 1u + 2u * (flashWord(4) >> 16));

  setFlashWord(wol + 4, 0x41600000);  // the entry now names another register
  EXPECT_EQ(run([&] { return wol_status(handle, 1); }, kExitGeneralFailure), "");
  fault(FaultAction::kFail, 50, 1);
  EXPECT_EQ(run([&] { return wol_status(handle, 1); }, 12), "IO CONTROL FAILED = 0x1f \n");
}

TEST_F(FlagStatusTest, NcsiStatusNeedsEveryBitOfTheEnabledValue) {
  simhost::CardOrder order = dualBoard();
  order.subsys = 0x705B103C;
  DeviceHandle handle = openBoard(order);
  const uint32_t ncsi = entryValueAt(kCrbinitNcsiSetting);
  struct Case {
    uint32_t value;
    const char* line;
  };
  for (const Case& c : {Case{0x9C51, "NCSI Status                : Enabled\n"},
                        Case{0xFFFF, "NCSI Status                : Enabled\n"},
                        Case{0x9C50, "NCSI Status                : Disabled\n"},
                        Case{0, "NCSI Status                : Disabled\n"}}) {
    setFlashWord(ncsi, c.value);
    EXPECT_EQ(run([&] { return ncsi_status(handle); }, 0), c.line);
  }
}

TEST_F(FlagStatusTest, ATableHeaderIsNeverFollowedOutOfSectorZero) {
  DeviceHandle handle = openBoard();
  struct Case {
    uint32_t placement;
    uint64_t reads;
  };
  // First entry at word 0x3FF0 with 0xFFFF entries: 8 of them fit.
  for (const Case& c : {Case{0xFFFF3FF0, 1 + 16}, Case{0xFFFFFFFF, 1}, Case{0x00004000, 1}}) {
    SCOPED_TRACE(c.placement);
    setFlashWord(4, c.placement);
    card().resetStats();
    std::vector<CrbinitEntry> entries;
    EXPECT_EQ(read_crbinit_entries(handle, &entries), 0);
    EXPECT_EQ(calls(50), c.reads);
    EXPECT_EQ(entries.size(), (c.reads - 1) / 2);
  }
  EXPECT_EQ(run([&] { return ncsi_status(handle); }, kExitGeneralFailure), "");
}

}  // namespace
