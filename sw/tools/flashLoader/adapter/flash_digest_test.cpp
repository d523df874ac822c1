// The flash's MD5 table against a board provisioned from a ROM image: the
// self-test, one sector's check and its lines, the words that may change
// without a new digest, sector 61's skip, and bringing a slot up to date.
#include "sw/tools/flashLoader/adapter/flash_digest.h"

#include <algorithm>

#include "sw/tools/flashLoader/adapter/adapter_test_fixture.h"
#include "sw/tools/flashLoader/adapter/board_sector_edit.h"
#include "sw/tools/flashLoader/adapter/sector_digest_update.h"
#include "sw/tools/flashLoader/adapter/write_protection.h"

namespace {

using FlashDigestTest = AdapterTest;
using simhost::FaultAction;

constexpr uint64_t kFlashWords = 0x400000 / 4;
constexpr uint64_t kStoredDigestWords = 64 * 4;
constexpr uint32_t kSectorSize = 0x10000;

std::string hex(const uint8_t* bytes, size_t n) {
  std::string text;
  char two[3];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(two, sizeof two, "%02X", bytes[i]);
    text += two;
  }
  return text;
}

// Slot n of the flash's MD5 table, in normal digest order.
std::string slotDigestText(const std::vector<uint8_t>& flash, uint32_t sector) {
  std::vector<uint8_t> slot(flash.begin() + 0x3E8000 + 16 * sector, flash.begin() + 0x3E8000 + 16 * sector + 16);
  std::reverse(slot.begin(), slot.end());
  return hex(slot.data(), slot.size());
}

// A host whose MD5 service cannot be had.
class NoCryptoHost : public platform::Host {
 public:
  explicit NoCryptoHost(std::unique_ptr<platform::Host> inner) : inner_(std::move(inner)) {}
  platform::DriverChannels& drivers() override { return inner_->drivers(); }
  platform::Registry& registry() override { return inner_->registry(); }
  platform::DeviceSet& devices() override { return inner_->devices(); }
  platform::Crypto& crypto() override { return crypto_; }
  platform::Console& console() override { return inner_->console(); }
  platform::System& system() override { return inner_->system(); }
  platform::Process& process() override { return inner_->process(); }

 private:
  class NoCrypto : public platform::Crypto {
   public:
    std::unique_ptr<platform::Md5Hash> beginMd5(platform::WinError* error) override {
      *error = platform::kErrorNotSupported;
      return nullptr;
    }
  };
  std::unique_ptr<platform::Host> inner_;
  NoCrypto crypto_;
};

TEST_F(FlashDigestTest, AProvisionedBoardPassesWithEachWordReadOnce) {
  DeviceHandle handle = openBoard();
  card().resetStats();
  captureOutput();
  EXPECT_EQ(flash_self_test(handle), 0);
  EXPECT_EQ(capturedOut(), "");
  EXPECT_EQ(capturedErr(), "");
  // Every word once, the 64 stored digests, sector 61's first word.
  EXPECT_EQ(calls(50), kFlashWords + kStoredDigestWords + 1);
  // The lock once per sector, once per stored digest, once for sector 61's
  // first word: each take writes the owner id once.
  EXPECT_EQ(calls(2), 64u + 64u + 1u);
}

TEST_F(FlashDigestTest, AFlippedBitInAnySectorFailsThatSectorWithItsLines) {
  DeviceHandle handle = openBoard();
  const std::vector<uint8_t> original = flash();
  for (uint32_t sector = 0; sector < 64; ++sector) {
    SCOPED_TRACE(sector);
    const uint32_t at = sector * kSectorSize + 0x100;
    setFlashWord(at, flashWord(at) ^ 0x00010000);
    captureOutput();
    EXPECT_EQ(check_sector(handle, sector), kMd5Mismatch);
    const std::string out = capturedOut();
    EXPECT_EQ(capturedErr(), "Error in MD5 of flash sector " + std::to_string(sector) + "\n read      expected ");
    ASSERT_EQ(out.size(), 66u);
    EXPECT_EQ(out.substr(0, 33), slotDigestText(original, sector) + "\n");
    EXPECT_NE(out.substr(33, 32), out.substr(0, 32));
    setFlashWord(at, flashWord(at) ^ 0x00010000);
    EXPECT_EQ(check_sector(handle, sector), 0);
  }
}

TEST_F(FlashDigestTest, TheSelfTestChecksEverySectorAndNamesEachBadOne) {
  DeviceHandle handle = openBoard();
  for (uint32_t at : {0x30000u, 0x280040u}) setFlashWord(at, flashWord(at) ^ 0x80);
  card().resetStats();
  captureOutput();
  EXPECT_EQ(flash_self_test(handle), kMd5Mismatch);
  capturedOut();
  const std::string err = capturedErr();
  EXPECT_NE(err.find("Error in MD5 of flash sector 3\n"), std::string::npos);
  EXPECT_NE(err.find(" Error in MD5 of sector 3 of flash\n"), std::string::npos);
  EXPECT_NE(err.find(" Error in MD5 of sector 40 of flash\n"), std::string::npos);
  EXPECT_EQ(calls(50), kFlashWords + kStoredDigestWords + 1);
}

TEST_F(FlashDigestTest, TheBoardSectorPassesWhenItsProductWordsChange) {
  DeviceHandle handle = openBoard();
  // The image's table hashed the product word as it was: the second
  // comparison, with the words as read, is the one that passes.
  ASSERT_NE(flashWord(0x3E8410), 0xFFFFFFFFu);
  EXPECT_EQ(check_sector(handle, 62), 0);

  // A digest the tool makes hashes both words as erased, so that they may
  // change afterwards without a new one.
  ASSERT_EQ(unprotect(handle), 0);
  ASSERT_EQ(update_sector_digest(handle, 62), 0);
  ASSERT_EQ(protect(handle), 0);
  setFlashWord(0x3E8410, 0x00002642);
  setFlashWord(0x3E8414, 0x12345678);
  EXPECT_EQ(check_sector(handle, 62), 0);
  // Any other word of the user area is sealed.
  setFlashWord(0x3E8418, flashWord(0x3E8418) ^ 1);
  captureOutput();
  EXPECT_EQ(check_sector(handle, 62), kMd5Mismatch);
  capturedOut();
  capturedErr();
}

TEST_F(FlashDigestTest, Sector61IsSkippedWhenItsFirstWordIsZero) {
  DeviceHandle handle = openBoard();
  setFlashWord(0x3D0000, 0);  // its digest no longer matches either
  card().resetStats();
  EXPECT_EQ(flash_self_test(handle), 0);
  EXPECT_EQ(calls(50), kFlashWords - kSectorSize / 4 + kStoredDigestWords - 4 + 1);

  setFlashWord(0x3D0000, 0x61616161);
  captureOutput();
  EXPECT_EQ(flash_self_test(handle), kMd5Mismatch);
  capturedOut();
  EXPECT_NE(capturedErr().find(" Error in MD5 of sector 61 of flash\n"), std::string::npos);
}

TEST_F(FlashDigestTest, ASectorThatCannotBeReadOrHashedNeverPasses) {
  DeviceHandle handle = openBoard();
  struct Case {
    FaultAction action;
    simhost::OffsetRange range;
    const char* out;
  };
  const Case cases[] = {
      {FaultAction::kFail, {0xA0000, 0xAFFFF}, "IO CONTROL FAILED = 0x1f \n"},
      {FaultAction::kFfff, {0xA0000, 0xAFFFF}, ""},
      {FaultAction::kFfff, {0x3E80A0, 0x3E80AF}, ""},  // the stored digest of sector 10
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.range.low);
    fault(c.action, 50, 0, c.range, 1);
    captureOutput();
    EXPECT_EQ(check_sector(handle, 10), kMd5Mismatch);
    EXPECT_EQ(capturedOut(), c.out);
    capturedErr();
    clearFaults();
  }

  std::string error;
  std::unique_ptr<platform::Host> sim = platform::makeSimHost(host_.root(), &error);
  ASSERT_TRUE(sim) << error;
  platform::setHost(std::make_unique<NoCryptoHost>(std::move(sim)));
  console_ = nullptr;
  captureOutput();
  EXPECT_EQ(check_sector(handle, 10), kMd5Mismatch);
  EXPECT_EQ(capturedOut(), "CryptAcquireContext failed: 50\n");
  capturedErr();
}

TEST_F(FlashDigestTest, AnUpdatedSlotMakesAnEditedSectorPassAgain) {
  DeviceHandle handle = openBoard();
  // A vNIC area, feature data and a stray word outside the board areas.
  setFlashWord(0x3E0000, 0x0001FADE);
  setFlashWord(0x3E0004, 0x00040001);
  setFlashWord(0x3E0010, 0xA1B2C3D4);
  setFlashWord(0x3E9010, 0x5EA7F00D);
  setFlashWord(0x3EA000, 0x12345678);
  setFlashWord(0x50000, flashWord(0x50000) & 0x0F0F0F0F);  // sector 5 edited
  const std::vector<uint8_t> before = flash();

  ASSERT_EQ(unprotect(handle), 0);
  EXPECT_EQ(update_sector_digest(handle, 5), 0);
  EXPECT_EQ(update_sector_digest(handle, 62), 0);
  ASSERT_EQ(protect(handle), 0);

  captureOutput();
  EXPECT_EQ(flash_self_test(handle), 0);
  capturedOut();
  EXPECT_EQ(capturedErr(), "");
  const std::vector<uint8_t> after = flash();
  auto same = [&](uint32_t from, uint32_t size) {
    return std::equal(before.begin() + from, before.begin() + from + size, after.begin() + from);
  };
  EXPECT_TRUE(same(0x3E0000, 32));    // the vNIC area (4 units)
  EXPECT_TRUE(same(0x3E8C00, 1024));  // VPD
  EXPECT_TRUE(same(0x3E9000, 4096));  // feature area
  EXPECT_TRUE(same(0x3E8400, 0x460));  // the user area after the MD5 table
  EXPECT_EQ(flashWord(0x3EA000), 0xFFFFFFFFu);  // not one of the board's areas: gone
  EXPECT_TRUE(same(0, 0x3E0000));
  EXPECT_TRUE(same(0x3F0000, kSectorSize));
}

TEST_F(FlashDigestTest, AVnicSizeBeyondTheBoardSectorIsKeptToItsRoom) {
  DeviceHandle handle = openBoard();
  setFlashWord(0x3E0000, 0x0008FADE);
  setFlashWord(0x3E0004, 0xFFFF0001);  // 65535 units: far past the sector
  const std::vector<uint8_t> before = flash();
  BoardSectorRead read;
  EXPECT_EQ(read_board_sector(handle, &read), 0);
  EXPECT_EQ(read.areas.vnicArea.size(), 0x8000u / 4);

  ASSERT_EQ(unprotect(handle), 0);
  EXPECT_EQ(update_sector_digest(handle, 62), 0);
  ASSERT_EQ(protect(handle), 0);
  const std::vector<uint8_t> after = flash();
  EXPECT_TRUE(std::equal(before.begin() + 0x3E8400, before.begin() + 0x3E8860, after.begin() + 0x3E8400));
  EXPECT_TRUE(std::equal(before.begin() + 0x3F0000, before.end(), after.begin() + 0x3F0000));
  EXPECT_EQ(check_sector(handle, 62), 0);
}

}  // namespace
