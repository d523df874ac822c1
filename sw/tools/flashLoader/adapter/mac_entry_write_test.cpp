// Writing one MAC address slot: the board sector rebuilt around it with its
// other areas intact and its digest up to date; refused addresses and
// failed reads change nothing.
#include "sw/tools/flashLoader/adapter/mac_entry_write.h"

#include <algorithm>

#include "sw/tools/flashLoader/adapter/adapter_registers.h"
#include "sw/tools/flashLoader/adapter/adapter_test_fixture.h"
#include "sw/tools/flashLoader/adapter/flash_digest.h"

namespace {

using MacEntryWriteTest = AdapterTest;
using simhost::FaultAction;

constexpr uint32_t kMacSlots = 0x3E8418;

std::vector<uint8_t> slotBytes(const std::vector<uint8_t>& flash, uint32_t slot) {
  return {flash.begin() + kMacSlots + 8 * slot, flash.begin() + kMacSlots + 8 * slot + 8};
}

TEST_F(MacEntryWriteTest, TheSlotIsWrittenAndTheFlashStillVerifies) {
  DeviceHandle handle = openBoard();
  setFlashWord(0x3E0000, 0x0001FADE);  // an active vNIC area of 2 units
  setFlashWord(0x3E0004, 0x00020001);
  setFlashWord(0x3E0008, 0x0102A0B0);
  setFlashWord(0x3E9FFC, 0x0BADCAFE);  // the feature area's last word
  const std::vector<uint8_t> before = flash();

  captureOutput();
  EXPECT_EQ(mac_entry_write(handle, 17, {0x00, 0x0E, 0x1E, 0x10, 0x20, 0x38}), 0);
  const std::string out = capturedOut();
  EXPECT_EQ(capturedErr(), "");
  // The VPD area's write shows its progress.
  EXPECT_EQ(out.substr(out.size() - 8), " - DONE\n");

  const std::vector<uint8_t> after = flash();
  EXPECT_EQ(slotBytes(after, 17), (std::vector<uint8_t>{0x38, 0x20, 0x10, 0x1E, 0x0E, 0x00, 0x00, 0x00}));
  EXPECT_EQ(slotBytes(after, 0), slotBytes(before, 0));
  EXPECT_TRUE(std::equal(before.begin() + 0x3E0000, before.begin() + 0x3E0010, after.begin() + 0x3E0000));
  EXPECT_TRUE(std::equal(before.begin() + 0x3E8C00, before.begin() + 0x3EA000, after.begin() + 0x3E8C00));
  EXPECT_NE(card().flashStatus() & kFlashStatusBlockProtect, 0u);  // protected again
  EXPECT_EQ(flash_self_test(handle), 0);
}

TEST_F(MacEntryWriteTest, RefusedAddressesAndFailedReadsWriteNothing) {
  DeviceHandle handle = openBoard();
  struct Case {
    const char* what;
    MacAddress mac;
    std::optional<simhost::OffsetRange> unreadable;
    int result;
    const char* err;
  };
  const Case cases[] = {
      {"group address", {0x01, 0, 0, 0, 0, 1}, std::nullopt, kMacRejected,
       "Invalid MAC Address. Bit [0] of the first byte must be '0'.\n"},
      {"all zeros", {0, 0, 0, 0, 0, 0}, std::nullopt, kMacRejected, "Invalid MAC Address. All 0's not allowed.\n"},
      {"VPD unreadable", {0, 0x0E, 0x1E, 1, 2, 3}, simhost::OffsetRange{0x3E8C00, 0x3E8FFF}, kVpdReadFailed, ""},
      {"feature area unreadable", {0, 0x0E, 0x1E, 1, 2, 3}, simhost::OffsetRange{0x3E9000, 0x3E9FFF}, kVpdReadFailed,
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.unreadable) fault(FaultAction::kFfff, 50, 0, c.unreadable);
    const std::vector<uint8_t> before = flash();
    card().resetStats();
    captureOutput();
    EXPECT_EQ(mac_entry_write(handle, 16, c.mac), c.result);
    capturedOut();
    EXPECT_EQ(capturedErr(), c.err);
    EXPECT_EQ(calls(51), 0u);
    EXPECT_TRUE(flash() == before);  // not even erased
    clearFaults();
  }
  EXPECT_EQ(mac_entry_write(handle, 128, {0, 0x0E, 0x1E, 1, 2, 3}), -1);  // no such slot
  EXPECT_EQ(flash_self_test(handle), 0);
}

TEST_F(MacEntryWriteTest, AWriteThatDoesNotReadBackIsRefused) {
  DeviceHandle handle = openBoard();
  // Bits flipped on the slot's first word as it is written.
  fault(FaultAction::kBitflip, 51, 0, simhost::OffsetRange{kMacSlots + 8 * 20, kMacSlots + 8 * 20 + 3}, 1);
  captureOutput();
  EXPECT_EQ(mac_entry_write(handle, 20, {0x00, 0x0E, 0x1E, 0x10, 0x20, 0x30}), kMacRejected);
  capturedOut();
  capturedErr();
}

}  // namespace
