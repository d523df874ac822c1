// The flash controller as the tool drives it: write enable, status register
// reads and writes, sector erase, block protection and the WP pin.
#include <gtest/gtest.h>

#include "simhost/chip/test_card_fixture.h"

namespace simhost {
namespace {

using testing::DriverClient;
using testing::makeCard;
using testing::TempHost;
using testing::testConfig;
using testing::violationsText;

class SpiController : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<uint8_t> flash(kFlashSize, 0x00);  // all programmed: erasing shows
    card = makeCard(host, testConfig(), flash);
    ASSERT_TRUE(card);
    client = std::make_unique<DriverClient>(card);
    ASSERT_TRUE(client->takeSemaphore());
  }
  void TearDown() override { client->releaseSemaphore(); }

  TempHost host;
  std::shared_ptr<Card> card;
  std::unique_ptr<DriverClient> client;
};

TEST_F(SpiController, WriteEnableLatchAndDoneBit) {
  EXPECT_TRUE(client->instruction(kSpiWriteEnable));
  EXPECT_EQ(client->readStatus() & kFlashStatusWriteEnabled, kFlashStatusWriteEnabled);
  EXPECT_TRUE(client->instruction(kSpiWriteDisable));
  EXPECT_EQ(client->readStatus() & kFlashStatusWriteEnabled, 0u);
  EXPECT_TRUE(client->instruction(0x9F)) << "unknown instructions complete without effect";
}

TEST_F(SpiController, EraseClearsExactlyItsSectorAndStaysBusyForAFewPolls) {
  client->writeEnable();
  client->write(kRegSpiAddress, 0x3E8123);  // any offset inside sector 62
  client->write(kRegSpiAddressBytes, 3);
  ASSERT_TRUE(client->instruction(kSpiSectorErase));
  EXPECT_EQ(client->waitNotBusy(), static_cast<int>(kSectorErasePolls));
  EXPECT_EQ(client->readStatus() & (kFlashStatusBusy | kFlashStatusWriteEnabled), 0u) << "the erase used the latch";

  std::span<const uint8_t> flash = card->flash();
  EXPECT_EQ(flash[0x3E0000 - 1], 0x00);
  EXPECT_EQ(flash[0x3F0000], 0x00);
  for (uint32_t offset = 0x3E0000; offset < 0x3F0000; ++offset)
    ASSERT_EQ(flash[offset], 0xFF) << std::hex << offset;
  EXPECT_EQ(violationsText(host), "");
}

TEST_F(SpiController, EraseWithoutWriteEnableOrAddressBytesIsIgnoredAndRecorded) {
  client->eraseSector(0x10000, /*enable=*/false);
  client->writeEnable();
  client->write(kRegSpiAddress, 0x20000);
  client->write(kRegSpiAddressBytes, 0);
  client->instruction(kSpiSectorErase);
  EXPECT_EQ(card->flashWord(0x10000), 0u);
  EXPECT_EQ(card->flashWord(0x20000), 0u);
  std::string log = violationsText(host);
  EXPECT_NE(log.find("card0: cmd 2 offset 0x010000: sector erase without write enable"), std::string::npos) << log;
  EXPECT_NE(log.find("offset 0x020000: sector erase with 0 address bytes"), std::string::npos) << log;
}

TEST_F(SpiController, BlockProtectSilentlyIgnoresWritesAndErases) {
  client->writeStatus(kFlashStatusBlockProtect);
  client->waitNotBusy();
  EXPECT_EQ(client->readStatus(), kFlashStatusBlockProtect);

  std::vector<uint8_t> erased(kFlashSize, 0xFF);
  ASSERT_TRUE(card->loadFlashImage(erased, nullptr));
  EXPECT_EQ(client->flashWrite(0x100, 0x12345678), kStatusDone);
  EXPECT_EQ(card->flashWord(0x100), 0xFFFFFFFFu);
  std::vector<uint8_t> programmed(kFlashSize, 0x00);
  ASSERT_TRUE(card->loadFlashImage(programmed, nullptr));
  client->eraseSector(0);
  EXPECT_EQ(card->flashWord(0), 0u);

  client->writeStatus(0);
  client->eraseSector(0);
  EXPECT_EQ(card->flashWord(0), 0xFFFFFFFFu) << "unprotected again";
  EXPECT_EQ(violationsText(host), "");
}

TEST_F(SpiController, StatusWriteDisableSticksOnlyWhileTheWriteProtectPinIsOn) {
  for (bool pin : {true, false}) {
    SCOPED_TRACE(pin ? "pin on" : "pin off");
    TempHost other;
    CardConfig config = testConfig();
    config.writeProtectPin = pin;
    std::shared_ptr<Card> card2 = makeCard(other, config);
    ASSERT_TRUE(card2);
    DriverClient c(card2);
    c.writeStatus(kFlashStatusWriteDisable | kFlashStatusBlockProtect);
    EXPECT_EQ(c.readStatus(), kFlashStatusWriteDisable | kFlashStatusBlockProtect);
    c.writeStatus(0);
    EXPECT_EQ(c.readStatus(), pin ? kFlashStatusWriteDisable | kFlashStatusBlockProtect : 0u);
    EXPECT_EQ(c.readStatus() & kFlashStatusWriteEnabled, 0u) << "the write used up the latch either way";
  }
}

TEST_F(SpiController, StatusWriteWithoutWriteEnableIsIgnoredAndRecorded) {
  client->write(kRegSpiWriteData, kFlashStatusBlockProtect);
  client->instruction(kSpiWriteStatus);
  EXPECT_EQ(client->readStatus(), 0u);
  EXPECT_NE(violationsText(host).find("status register write without write enable"), std::string::npos);
}

}  // namespace
}  // namespace simhost
