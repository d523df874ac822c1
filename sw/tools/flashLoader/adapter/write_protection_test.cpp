// The flash part's protection and the controller's waits against a
// simulated part: block protection around writes, the status-register lock
// behind the write-protect pin, and instructions that never finish.
#include "sw/tools/flashLoader/adapter/write_protection.h"

#include "sw/tools/flashLoader/adapter/adapter_registers.h"
#include "sw/tools/flashLoader/adapter/adapter_test_fixture.h"
#include "sw/tools/flashLoader/adapter/flash_controller.h"
#include "sw/tools/flashLoader/adapter/flash_write.h"

namespace {

class WriteProtectionTest : public AdapterTest {
 protected:
  // A board whose status register shows the write-disable bit; with the
  // write-protect pin the bit cannot be cleared.
  void expectWriteEnableCheck(bool pin, int result, const std::string& err) {
    addBoard();
    editCardConfig([&](simhost::CardConfig& config) { config.writeProtectPin = pin; });
    DeviceHandle handle = openPort();
    card().setFlashStatus(kFlashStatusWriteDisable);
    captureOutput();
    EXPECT_EQ(check_flash_writes_enabled(handle), result);
    EXPECT_EQ(capturedErr(), err);
    EXPECT_EQ(capturedOut(), "");
    EXPECT_EQ((card().flashStatus() & kFlashStatusWriteDisable) != 0, pin);
  }
};
using simhost::FaultAction;

TEST_F(WriteProtectionTest, ProtectAndUnprotectSwitchBlockProtection) {
  DeviceHandle handle = openBoard();
  ASSERT_EQ(protect(handle), 0);
  EXPECT_NE(card().flashStatus() & kFlashStatusBlockProtect, 0u);
  // A protected part ignores an erase.
  const uint32_t firmware = 0x40000;
  const uint32_t word = flashWord(firmware);
  ASSERT_NE(word, 0xFFFFFFFFu);
  EXPECT_EQ(erase_sector(handle, firmware), 0);
  EXPECT_EQ(flashWord(firmware), word);

  ASSERT_EQ(unprotect(handle), 0);
  EXPECT_EQ(card().flashStatus() & kFlashStatusBlockProtect, 0u);
  EXPECT_EQ(erase_sector(handle, firmware), 0);
  EXPECT_EQ(flashWord(firmware), 0xFFFFFFFFu);
}

TEST_F(WriteProtectionTest, AStatusLockHeldByThePinDisablesWrites) {
  expectWriteEnableCheck(true, kExitGeneralFailure, "Flash writes are disabled on this board!!!\n");
}

TEST_F(WriteProtectionTest, AStatusLockWithoutThePinIsCleared) { expectWriteEnableCheck(false, 0, ""); }

TEST_F(WriteProtectionTest, AStatusRegisterThatCannotBeReadIsAFailure) {
  DeviceHandle handle = openBoard();
  g_poll_limits.controllerPolls = 100;
  fault(FaultAction::kTimeout, std::nullopt);
  EXPECT_EQ(check_flash_writes_enabled(handle), -1);
  EXPECT_EQ(protect(handle), -1);
  EXPECT_EQ(unprotect(handle), kUnprotectFailed);
}

TEST_F(WriteProtectionTest, AnEraseThatNeverFinishesIsReportedAndLeavesNoLockBehind) {
  DeviceHandle handle = openBoard();
  g_poll_limits.controllerPolls = 1000;
  // The erase instruction itself (the third instruction: write enable, erase).
  fault(FaultAction::kTimeout, 2, 0, simhost::OffsetRange{0x200000, 0x20FFFF});
  captureOutput();
  EXPECT_EQ(erase_sector(handle, 0x200000), -1);
  EXPECT_EQ(capturedOut(), "\nRom Erase Sector wait failed!!!\n");
  capturedErr();
  EXPECT_EQ(card().peekRegister(kRegSpiAddressBytes), 0u);
}

TEST_F(WriteProtectionTest, WaitsGiveUpAfterTheirCountWhenTheDriverStopsAnswering) {
  DeviceHandle handle = openBoard();
  g_poll_limits.controllerPolls = 1000;
  g_poll_limits.romLockRetries = 1000;
  fault(FaultAction::kFail, 1);
  captureOutput();
  EXPECT_EQ(wait_done(handle), -1);
  EXPECT_EQ(erase_sector(handle, 0x200000), -1);
  // One line per wait, not one per read.
  EXPECT_EQ(capturedOut(), "IO CONTROL FAILED = 0x1f \nIO CONTROL FAILED = 0x1f \n");
  capturedErr();
  EXPECT_GE(calls(1), 2000u);
}

}  // namespace
