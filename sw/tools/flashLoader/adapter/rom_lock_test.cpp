// The ROM lock against a simulated chip: taken once per operation, given
// back on every path, a stale lock broken once by word reads, and a lock
// held by someone else refused.
#include "sw/tools/flashLoader/adapter/rom_lock.h"

#include "sw/tools/flashLoader/adapter/adapter_registers.h"
#include "sw/tools/flashLoader/adapter/adapter_test_fixture.h"
#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/flash_write.h"

namespace {

using RomLockTest = AdapterTest;
using simhost::FaultAction;

TEST_F(RomLockTest, TakingWritesTheOwnerIdAndReleasingFreesTheSemaphore) {
  DeviceHandle handle = openBoard();
  ASSERT_EQ(take_rom_lock(handle), 0);
  EXPECT_TRUE(card().semaphore().held);
  EXPECT_EQ(card().peekRegister(kRegRomLockOwner), kRomLockOwnerId);
  // Not re-entrant: a second take by the holder fails.
  g_poll_limits.romLockRetries = 5;
  EXPECT_EQ(take_rom_lock(handle), -1);
  release_rom_lock(handle);
  EXPECT_FALSE(card().semaphore().held);
}

TEST_F(RomLockTest, WithNoAdapterOpenTheLockIsNotWaitedFor) {
  captureOutput();
  EXPECT_EQ(take_rom_lock(nullptr), -1);
  EXPECT_EQ(capturedOut(), "cvm_ppd_read:device handle null\n");
  capturedErr();
}

TEST_F(RomLockTest, EveryOperationGivesTheLockBackOnEveryPath) {
  DeviceHandle handle = openBoard();
  std::vector<uint32_t> words(8);
  std::vector<uint8_t> bytes(7);
  struct Case {
    const char* what;
    std::function<int()> run;
    int result;
  };
  const Case cases[] = {
      {"read words", [&] { return read_words(handle, 0x1000, words); }, 0},
      {"read bytes", [&] { return read_bytes(handle, bytes, 0x1000, false); }, 0},
      {"rom_fast_read", [&] { return rom_fast_read(handle); }, 1},
      {"erase", [&] { return erase_sector(handle, 0x200000); }, 0},
      {"pxe word", [&] { return write_pxe_word(handle, flashWord(0x3E8840)); }, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    captureOutput();
    EXPECT_EQ(c.run(), c.result);
    capturedOut();
    capturedErr();
    EXPECT_FALSE(card().semaphore().held);
  }
  // The same operations with every flash word call failing.
  fault(FaultAction::kFail, 50);
  fault(FaultAction::kFail, 51);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.what) + " failing");
    captureOutput();
    c.run();
    capturedOut();
    capturedErr();
    EXPECT_FALSE(card().semaphore().held);
  }
}

TEST_F(RomLockTest, ReadWordsBreaksAStaleLockOnce) {
  DeviceHandle handle = openBoard();
  g_poll_limits.romLockRetries = 50;
  std::vector<uint32_t> words(4);

  card().setSemaphore({true, 0});  // held by an owner that is gone
  EXPECT_EQ(read_words(handle, 0, words), 0);
  EXPECT_EQ(words[0], flashWord(0));
  EXPECT_FALSE(card().semaphore().held);

  // An owner that takes it again at once wins: 9, and nothing read.
  fault(FaultAction::kLockHeld, 1);
  const uint64_t reads = calls(50);
  EXPECT_EQ(read_words(handle, 0, words), kFlashLockNotTaken);
  EXPECT_EQ(calls(50), reads);
  clearFaults();
  card().setSemaphore({});
}

TEST_F(RomLockTest, OtherOperationsDoNotBreakALock) {
  DeviceHandle handle = openBoard();
  g_poll_limits.romLockRetries = 50;
  card().setSemaphore({true, 0});
  std::vector<uint8_t> bytes(4);
  EXPECT_EQ(read_bytes(handle, bytes, 0, false), kFlashLockNotTaken);
  EXPECT_EQ(erase_sector(handle, 0x200000), -1);
  EXPECT_TRUE(card().semaphore().held);
  EXPECT_EQ(calls(50), 0u);
  card().setSemaphore({});
}

}  // namespace

namespace {

// A release whose driver call failed would leave the semaphore held after
// the run: the driver and the firmware would wait on it for good.
TEST_F(RomLockTest, AReleaseTheDriverDidNotCarryOutIsTriedAgain) {
  DeviceHandle handle = openBoard();
  ASSERT_EQ(take_rom_lock(handle), 0);
  fault(FaultAction::kFail, 1, 0, std::nullopt, 2);  // the first two release calls fail
  captureOutput();
  release_rom_lock(handle);
  EXPECT_EQ(capturedOut(), "IO CONTROL FAILED = 0x1f \nIO CONTROL FAILED = 0x1f \n");
  capturedErr();
  EXPECT_FALSE(card().semaphore().held);
}

}  // namespace
