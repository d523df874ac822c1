// Word and byte reads, sector and area writes and erases against a
// simulated flash: what reaches the driver, what the flash holds afterwards,
// and the failure codes and lines.
#include <algorithm>

#include "sw/tools/flashLoader/adapter/adapter_test_fixture.h"
#include "sw/tools/flashLoader/adapter/write_protection.h"
#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/flash_write.h"
#include "sw/tools/flashLoader/adapter/progress_output.h"

namespace {

using FlashAccessTest = AdapterTest;
using simhost::FaultAction;

constexpr uint32_t kScratchSector = 0x200000;  // sector 32

TEST_F(FlashAccessTest, ReadBytesReadsWholeWordsAndOneMoreForATail) {
  DeviceHandle handle = openBoard();
  const std::vector<uint8_t> expected = flash();
  struct Case {
    size_t bytes;
    uint64_t wordReads;
  };
  for (const Case& c : {Case{6, 2}, Case{3, 1}, Case{8, 2}, Case{0, 0}}) {
    SCOPED_TRACE(c.bytes);
    card().resetStats();
    std::vector<uint8_t> bytes(c.bytes + 1, 0xAA);  // one guard byte
    EXPECT_EQ(read_bytes(handle, std::span(bytes).first(c.bytes), 0x40001, false), 0);
    EXPECT_EQ(calls(50), c.wordReads);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + c.bytes, expected.begin() + 0x40001));
    EXPECT_EQ(bytes.back(), 0xAA);
  }
}

TEST_F(FlashAccessTest, FailedReadsGiveTheirCodes) {
  DeviceHandle handle = openBoard();
  std::vector<uint32_t> words(4);
  std::vector<uint8_t> bytes(6);
  struct Case {
    FaultAction action;
    uint64_t after;  // flash word calls that go through first
    int wordsResult, bytesResult;
    const char* out;
  };
  const Case cases[] = {
      {FaultAction::kFail, 0, -1, -1, "IO CONTROL FAILED = 0x1f \n"},
      {FaultAction::kFfff, 0, -1, -1, ""},
      // Only the tail word of the byte read fails: its bytes are copied anyway.
      {FaultAction::kFail, 1, -1, kFlashTailWordFailed, "IO CONTROL FAILED = 0x1f \n"},
      {FaultAction::kFfff, 1, -1, kFlashTailWordFailed, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.after);
    fault(c.action, 50, c.after, std::nullopt, 1);
    captureOutput();
    EXPECT_EQ(read_bytes(handle, bytes, 0x1000, false), c.bytesResult);
    EXPECT_EQ(capturedOut(), c.out);
    capturedErr();
    clearFaults();
    fault(c.action, 50, 0, std::nullopt, 1);
    captureOutput();
    EXPECT_EQ(read_words(handle, 0x1000, words), c.wordsResult);
    capturedOut();
    capturedErr();
    clearFaults();
  }
}

TEST_F(FlashAccessTest, ASectorImageSendsOnlyTheWordsThatAreNotErased) {
  DeviceHandle handle = openBoard();
  std::vector<uint32_t> image(kSectorWords, 0xFFFFFFFF);
  for (size_t i = 0; i < image.size(); i += 7) image[i] = static_cast<uint32_t>(i * 0x01010101u);
  const uint64_t written = static_cast<uint64_t>(std::count_if(image.begin(), image.end(), [](uint32_t w) {
    return w != 0xFFFFFFFF;
  }));

  ASSERT_EQ(erase_sector(handle, kScratchSector + 0x1234), 0);  // any offset inside the sector
  card().resetStats();
  EXPECT_EQ(write_sector_image(handle, std::span<const uint32_t, kSectorWords>(image.data(), kSectorWords),
                               kScratchSector),
            0);
  EXPECT_EQ(calls(51), written);
  for (size_t i = 0; i < image.size(); ++i) ASSERT_EQ(flashWord(kScratchSector + 4 * static_cast<uint32_t>(i)), image[i]);

  // An all-erased sector is erased only.
  std::fill(image.begin(), image.end(), 0xFFFFFFFF);
  ASSERT_EQ(erase_sector(handle, kScratchSector), 0);
  card().resetStats();
  EXPECT_EQ(write_sector_image(handle, std::span<const uint32_t, kSectorWords>(image.data(), kSectorWords),
                               kScratchSector),
            0);
  EXPECT_EQ(calls(51), 0u);
}

TEST_F(FlashAccessTest, FailedWritesGiveTheirCodes) {
  DeviceHandle handle = openBoard();
  std::vector<uint32_t> sector(kSectorWords, 0x12345678);
  std::vector<uint32_t> vpd(kVpdAreaWords, 0x82828282);
  auto sectorSpan = std::span<const uint32_t, kSectorWords>(sector.data(), kSectorWords);
  auto vpdSpan = std::span<const uint32_t, kVpdAreaWords>(vpd.data(), kVpdAreaWords);

  fault(FaultAction::kFail, 51, 10);
  captureOutput();
  EXPECT_EQ(write_sector_image(handle, sectorSpan, kScratchSector), kFlashWriteFailed);
  EXPECT_EQ(capturedOut(), "ERROR cvm_ppd_write ioctl failed ret = 31 \n");
  capturedErr();
  EXPECT_EQ(calls(51), 11u);  // stops at the failed word
  clearFaults();

  fault(FaultAction::kFfff, 51);
  captureOutput();
  EXPECT_EQ(write_vpd_area(handle, vpdSpan), kFlashWriteFailed);
  EXPECT_EQ(write_pxe_word(handle, 0), -1);
  capturedOut();
  capturedErr();
  clearFaults();

  g_poll_limits.romLockRetries = 20;
  card().setSemaphore({true, 0});
  EXPECT_EQ(write_sector_image(handle, sectorSpan, kScratchSector), kFlashLockNotTaken);
  captureOutput();
  EXPECT_EQ(write_vpd_area(handle, vpdSpan), -1);
  capturedOut();
  capturedErr();
  EXPECT_EQ(write_pxe_word(handle, 0), -1);
  card().setSemaphore({});
}

// Each register write of an erase that the driver did not carry out stops
// the erase: with the old address the controller would erase another
// sector, with the old opcode the done bit of the previous instruction
// would pass for the erase's.
TEST_F(FlashAccessTest, AnEraseWhoseSetUpFailedErasesNothing) {
  DeviceHandle handle = openBoard();
  ASSERT_EQ(unprotect(handle), 0);
  const std::vector<uint8_t> before = flash();
  // After the lock's owner id: address width and write-enable opcode, then
  // address, address width and erase opcode.
  for (uint64_t failing = 1; failing <= 5; ++failing) {
    SCOPED_TRACE(failing);
    fault(FaultAction::kFail, 2, failing, std::nullopt, 1);
    captureOutput();
    EXPECT_NE(erase_sector(handle, kScratchSector), 0);
    capturedOut();
    capturedErr();
    clearFaults();
    EXPECT_TRUE(flash() == before);
  }
  EXPECT_EQ(protect(handle), 0);
}

TEST_F(FlashAccessTest, APxeWordWriteCanOnlyClearBits) {
  DeviceHandle handle = openBoard();
  const uint32_t pxe = 0x3E8840;
  const uint32_t before = flashWord(pxe);
  ASSERT_NE(before & 1u, 0u);
  EXPECT_EQ(write_pxe_word(handle, before & ~1u), 0);
  EXPECT_EQ(flashWord(pxe), before & ~1u);
}

TEST_F(FlashAccessTest, ProgressShowsEachNewPercentageAndIsNotResetBetweenLoops) {
  DeviceHandle handle = openBoard();
  std::vector<uint32_t> vpd(kVpdAreaWords);
  for (size_t i = 0; i < kVpdAreaWords; ++i) vpd[i] = flashWord(0x3E8C00 + 4 * static_cast<uint32_t>(i));
  auto vpdSpan = std::span<const uint32_t, kVpdAreaWords>(vpd.data(), kVpdAreaWords);

  // Rewriting the words the flash holds changes nothing.
  captureOutput();
  ASSERT_EQ(write_vpd_area(handle, vpdSpan), 0);
  ASSERT_EQ(write_vpd_area(handle, vpdSpan), 0);
  const std::string out = capturedOut();
  capturedErr();

  // 256 words: percentages 0-100 of which the second loop shows 0 first,
  // the last one shown before it having been 100.
  std::string second;
  for (int p = 0; p <= 100; ++p) {
    char shown[16];
    std::snprintf(shown, sizeof shown, "\r %03d%% ", p);
    second += shown;
  }
  second += " - DONE\n";
  ASSERT_GE(out.size(), second.size());
  EXPECT_EQ(out.substr(out.size() - second.size()), second);
  EXPECT_EQ(out.substr(out.size() - second.size() - 15), "\r 100%  - DONE\n" + second);
  EXPECT_EQ(last_progress_shown(), 100);
}

}  // namespace
