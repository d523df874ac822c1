// The driver's side of the I/O-control protocol: dialects, record checks and
// the commands the tool sends.
#include <gtest/gtest.h>

#include "simhost/chip/test_card_fixture.h"

namespace simhost {
namespace {

using platform::WinError;
using testing::DriverClient;
using testing::makeCard;
using testing::TempHost;
using testing::testConfig;

struct RawCall {
  uint32_t code = kIoctlQueryGlobalStats;
  uint32_t oid = kOidStandardRequest;
  uint32_t outSize = sizeof(DriverRequest);
};

bool rawCall(Card& card, const RawCall& c, DriverRequest* r, WinError* error) {
  uint32_t returned = 0;
  return card.deviceIoControl(0, c.code, &c.oid, sizeof c.oid, r, c.outSize, &returned, error);
}

TEST(DriverProtocol, VendorVersionQueryTellsTheDialect) {
  TempHost host;
  CardConfig standard = testConfig();
  standard.driverVersion = 0x04020251;  // 4.2.593
  CardConfig alternate = testConfig(DriverDialect::kAlternate);
  alternate.name = "card1";
  for (const auto& [config, expected] : {std::pair{standard, 0x00040002u}, std::pair{alternate, 0x00050002u}}) {
    std::shared_ptr<Card> card = makeCard(host, config);
    ASSERT_TRUE(card);
    uint32_t oid = kOidVendorDriverVersion, answer = 0, returned = 0;
    WinError error = 0;
    ASSERT_TRUE(card->deviceIoControl(0, kIoctlQueryGlobalStats, &oid, 4, &answer, 4, &returned, &error));
    EXPECT_EQ(answer, expected);
    EXPECT_EQ(returned, 4u);
    uint16_t tooSmall;
    EXPECT_FALSE(card->deviceIoControl(0, kIoctlQueryGlobalStats, &oid, 4, &tooSmall, 2, &returned, &error));
    EXPECT_EQ(error, platform::kErrorInsufficientBuffer);
  }
}

TEST(DriverProtocol, RequestsTheDriverCannotTakeFailTheCall) {
  TempHost host;
  std::shared_ptr<Card> card = makeCard(host);
  ASSERT_TRUE(card);
  struct Case {
    RawCall call;
    uint32_t signature;
    WinError expected;
  };
  const Case cases[] = {
      {{0x00170006, kOidStandardRequest, 1064}, kStandardSignature, platform::kErrorInvalidFunction},
      {{kIoctlQueryGlobalStats, kOidAlternateRequest, 1064}, kAlternateSignature, platform::kErrorNotSupported},
      {{kIoctlQueryGlobalStats, 0x00010101, 1064}, kStandardSignature, platform::kErrorNotSupported},
      {{kIoctlQueryGlobalStats, kOidStandardRequest, 1063}, kStandardSignature, platform::kErrorInsufficientBuffer},
      {{kIoctlQueryGlobalStats, kOidStandardRequest, 1064}, kAlternateSignature, platform::kErrorInvalidParameter},
      {{kIoctlQueryGlobalStats, kOidStandardRequest, 1064}, 0, platform::kErrorInvalidParameter},
  };
  for (const Case& c : cases) {
    DriverRequest r{};
    r.command = kCmdOpenProbe;
    r.signature = c.signature;
    WinError error = 0;
    EXPECT_FALSE(rawCall(*card, c.call, &r, &error));
    EXPECT_EQ(error, c.expected) << std::hex << c.call.code << " " << c.call.oid << " " << c.signature;
  }
  EXPECT_EQ(card->stats().total, 0u) << "refused requests never reach a command";
}

TEST(DriverProtocol, AlternateDialectTranslatesCommandsAndRejectsStandardRecords) {
  TempHost host;
  std::shared_ptr<Card> card = makeCard(host, testConfig(DriverDialect::kAlternate));
  ASSERT_TRUE(card);
  std::vector<uint8_t> flash(kFlashSize, 0xFF);
  flash[0x40] = 0x78, flash[0x41] = 0x56, flash[0x42] = 0x34, flash[0x43] = 0x12;
  ASSERT_TRUE(card->loadFlashImage(flash, nullptr));
  DriverClient client(card);
  ASSERT_TRUE(client.takeSemaphore());

  // A flash word read travels as 0x80000024 with 0xFF010147 and 0x00AA8E8D.
  DriverRequest r{};
  r.command = 0x80000024;
  r.address = 0x40;
  r.length = 4;
  r.signature = kAlternateSignature;
  WinError error = 0;
  ASSERT_TRUE(rawCall(*card, {kIoctlQueryGlobalStats, kOidAlternateRequest, 1064}, &r, &error)) << error;
  EXPECT_EQ(r.status, kStatusDone);
  EXPECT_EQ(r.data, 0x12345678u);
  EXPECT_EQ(r.command, 0x80000024u) << "the translated number stays in the record";

  DriverRequest standard{};
  standard.command = kCmdFlashRead;
  standard.signature = kStandardSignature;
  EXPECT_FALSE(rawCall(*card, {kIoctlQueryGlobalStats, kOidStandardRequest, 1064}, &standard, &error));
  EXPECT_EQ(error, platform::kErrorNotSupported);

  // Every command the tool sends works through the translation.
  EXPECT_EQ(client.read(kRegSubsystem), 0x01264040u);
  client.write(0x00007000, 5);
  EXPECT_EQ(card->peekRegister(0x00007000), 5u);
  ASSERT_TRUE(client.call(kCmdDriverVersion, 0, 0, &r));
  EXPECT_EQ(r.status, 0x04000251u);
  ASSERT_TRUE(client.call(kCmdHardwareInfo, 0, 0, &r));
  EXPECT_EQ(r.buffer[kHardwareInfoChipRevision], 0x42);
  EXPECT_EQ(client.flashWrite(0x40, 0x02345678), kStatusDone);
  EXPECT_EQ(card->flashWord(0x40), 0x02345678u);
  client.releaseSemaphore();

  CardStats stats = card->stats();
  EXPECT_EQ(stats.calls[kCmdFlashRead], 1u) << "counted under the standard number";
  EXPECT_EQ(stats.calls[kCmdFlashWrite], 1u);
  EXPECT_EQ(stats.calls[kCmdRegisterRead], 3u);
  EXPECT_EQ(stats.calls.count(0x80000024), 0u);
}

TEST(DriverProtocol, IdentityAndUpdateCommands) {
  TempHost host;
  std::shared_ptr<Card> card = makeCard(host);
  ASSERT_TRUE(card);
  DriverClient port1(card, 1);
  DriverRequest r;

  ASSERT_TRUE(port1.call(kCmdOpenProbe, 0, 0, &r));
  EXPECT_EQ(r.data & 0xFF, 1u) << "the probe names the port it came through";

  ASSERT_TRUE(port1.call(kCmdHardwareInfo, 0, 0, &r));
  EXPECT_EQ(r.status, kStatusDone);
  EXPECT_EQ(r.buffer[kHardwareInfoChipRevision], 0x42);
  uint64_t efuse;
  std::memcpy(&efuse, r.buffer + kHardwareInfoEfuse, sizeof efuse);
  EXPECT_EQ(efuse, 0x0123456789ABCDEFull);

  ASSERT_TRUE(port1.call(kCmdDriverVersion, 0, 0, &r));
  EXPECT_EQ(r.status, 0x04000251u);

  for (uint32_t command : {kCmdFlashUpdateBegin, kCmdFlashUpdateEnd}) {
    ASSERT_TRUE(port1.call(command, 0, 0, &r));
    EXPECT_EQ(r.status, kStatusDone) << command;
  }
  for (uint32_t command : {0u, 7u, 8u, 19u, 52u, 101u, 106u, 500u}) {
    ASSERT_TRUE(port1.call(command, 0, 0, &r)) << command;
    EXPECT_EQ(r.status, kStatusFailed) << command;
  }
  CardStats stats = card->stats();
  EXPECT_EQ(stats.total, 13u);
  EXPECT_EQ(stats.calls[7], 1u);
  EXPECT_EQ(stats.calls.count(500), 0u) << "large numbers count in the total only";
  nlohmann::json json = statsJson(stats);
  EXPECT_EQ(json["total"], 13);
  EXPECT_EQ(json["calls"]["22"], 1);
  card->resetStats();
  EXPECT_EQ(card->stats().total, 0u);
}

TEST(DriverProtocol, FlashWordsReadAtAnyByteOffsetAndWriteLikeNor) {
  TempHost host;
  std::vector<uint8_t> flash(kFlashSize, 0xFF);
  for (int i = 0; i < 8; ++i) flash[static_cast<size_t>(i)] = static_cast<uint8_t>(0x10 + i);
  std::shared_ptr<Card> card = makeCard(host, testConfig(), flash);
  ASSERT_TRUE(card);
  DriverClient client(card);
  ASSERT_TRUE(client.takeSemaphore());

  uint32_t word = 0;
  const std::pair<uint32_t, uint32_t> reads[] = {
      {0, 0x13121110}, {1, 0x14131211}, {2, 0x15141312}, {3, 0x16151413}, {kFlashSize - 4, 0xFFFFFFFF}};
  for (const auto& [offset, expected] : reads) {
    EXPECT_EQ(client.flashRead(offset, &word), kStatusDone);
    EXPECT_EQ(word, expected) << offset;
  }
  for (uint64_t offset : {uint64_t{kFlashSize - 3}, uint64_t{kFlashSize}, uint64_t{1} << 32})
    EXPECT_EQ(client.flashRead(offset, &word), kStatusFailed) << offset;

  // Programming only clears bits.
  EXPECT_EQ(client.flashWrite(0x1000, 0xF0F0FFFF), kStatusDone);
  EXPECT_EQ(client.flashWrite(0x1000, 0xFFFF00FF), kStatusDone);
  EXPECT_EQ(card->flashWord(0x1000), 0xF0F000FFu);
  EXPECT_EQ(client.flashWrite(0x1000, 0xFFFFFFFF), kStatusDone);
  EXPECT_EQ(card->flashWord(0x1000), 0xF0F000FFu) << "a 1 cannot be programmed over a 0";

  EXPECT_EQ(client.flashWrite(0x1002, 0), kStatusFailed);
  EXPECT_EQ(client.flashWrite(kFlashSize, 0), kStatusFailed);
  EXPECT_EQ(card->flashWord(0x1000), 0xF0F000FFu);
  client.releaseSemaphore();
}

}  // namespace
}  // namespace simhost
