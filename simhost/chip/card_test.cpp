#include "simhost/chip/card.h"

#include <signal.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "simhost/chip/card_files.h"
#include "simhost/chip/test_card_fixture.h"
#include "simhost/machine/files.h"

namespace simhost {
namespace {

using testing::DriverClient;
using testing::makeCard;
using testing::runChild;
using testing::TempHost;
using testing::testConfig;

std::vector<uint8_t> flashWithVersion(uint8_t major, uint8_t minor, uint16_t build) {
  std::vector<uint8_t> flash(kFlashSize, 0xFF);
  flash[kFlashFirmwareVersionOffset] = major;
  flash[kFlashFirmwareVersionOffset + 1] = minor;
  flash[kFlashFirmwareVersionOffset + 2] = static_cast<uint8_t>(build);
  flash[kFlashFirmwareVersionOffset + 3] = static_cast<uint8_t>(build >> 8);
  return flash;
}

TEST(Card, CreatePublishesWhatARunningDriverShowsAndOpenSeesTheSameCard) {
  TempHost host;
  CardConfig config = testConfig();
  config.boardTypeRegister = 0x99;
  std::string error;
  std::shared_ptr<Card> card = Card::create(host.cardDir(), config, {{0x08202100, 7}, {0x00001234, 0xABCD}},
                                            flashWithVersion(4, 0, 593), &error);
  ASSERT_TRUE(card) << error;
  EXPECT_EQ(card->peekRegister(kRegBoardType), 0x99u);
  EXPECT_EQ(card->peekRegister(kRegSubsystem), 0x01264040u);
  EXPECT_EQ(card->peekRegister(kRegFirmwareMajor), 4u);
  EXPECT_EQ(card->peekRegister(kRegFirmwareMinor), 0u);
  EXPECT_EQ(card->peekRegister(kRegFirmwareBuild), 593u);
  EXPECT_EQ(card->peekRegister(0x00001234), 0xABCDu);
  EXPECT_EQ(card->peekRegister(0x0BAD0000), 0u) << "unknown registers read 0";
  EXPECT_EQ(card->portMode(0), PortMode::kNormal);
  EXPECT_EQ(card->portMode(1), PortMode::kNormal);

  std::shared_ptr<Card> other = Card::open(host.cardDir(), &error);
  ASSERT_TRUE(other) << error;
  ASSERT_TRUE(card->pokeRegister(0x00005678, 42));
  EXPECT_EQ(other->peekRegister(0x00005678), 42u) << "one chip behind both mappings";
  EXPECT_EQ(other->flashWord(kFlashFirmwareVersionOffset), 0x02510004u);
  EXPECT_EQ(other->config().boardTypeRegister, 0x99u);
}

TEST(Card, OpenRefusesBrokenFilesWithOneClearError) {
  TempHost host;
  ASSERT_TRUE(makeCard(host));
  std::string dir = host.cardDir();
  std::string flash, chip;
  ASSERT_TRUE(readFile(flashPath(dir), &flash, nullptr));
  ASSERT_TRUE(readFile(chipPath(dir), &chip, nullptr));

  struct Case {
    std::string file, content, expected;
  };
  std::string badMagic = chip;
  badMagic[0] ^= 0x5A;
  const Case cases[] = {
      {flashPath(dir), flash.substr(0, kFlashSize - 1), flashPath(dir) + ": is 4194303 bytes long, expected 4194304"},
      {flashPath(dir), flash + "x", flashPath(dir) + ": is 4194305 bytes long"},
      {chipPath(dir), chip.substr(0, 100), chipPath(dir) + ": is 100 bytes long"},
      {chipPath(dir), badMagic, chipPath(dir) + ": is not a chip state file"},
      {cardJsonPath(dir), "{\"name\": 1}", cardJsonPath(dir) + ": \"name\" is not a text"},
  };
  for (const Case& c : cases) {
    std::string original;
    ASSERT_TRUE(readFile(c.file, &original, nullptr));
    ASSERT_TRUE(writeFileAtomic(c.file, c.content, nullptr));
    std::string error, checked;
    EXPECT_FALSE(Card::open(dir, &error));
    EXPECT_EQ(error.rfind(c.expected, 0), 0u) << error;
    // The check without mapping refuses the same card with the same line.
    EXPECT_FALSE(Card::check(dir, &checked));
    EXPECT_EQ(checked, error);
    ASSERT_TRUE(writeFileAtomic(c.file, original, nullptr));
  }
  std::string error;
  EXPECT_TRUE(Card::check(dir, &error)) << error;
  EXPECT_FALSE(Card::open(host.cardDir("missing"), &error));
  EXPECT_NE(error.find("card.json: cannot be read"), std::string::npos) << error;
  EXPECT_FALSE(Card::check(host.cardDir("missing"), &error));
  EXPECT_NE(error.find("card.json: cannot be read"), std::string::npos) << error;

  EXPECT_FALSE(Card::create(host.cardDir("small"), testConfig(), {}, std::vector<uint8_t>(1024), &error));
  EXPECT_NE(error.find("the image is 1024 bytes long"), std::string::npos) << error;
}

TEST(Card, DriverRestartsWithdrawAndRepublishTheBoardTypeAndRunningFirmware) {
  TempHost host;
  std::shared_ptr<Card> card = makeCard(host, testConfig(), flashWithVersion(4, 0, 500));
  ASSERT_TRUE(card);
  DriverClient port0(card, 0);

  for (int port : {0, 1}) ASSERT_TRUE(card->stopPort(port));
  ASSERT_TRUE(card->startPort(0, /*quiescent=*/true));
  EXPECT_EQ(card->portMode(0), PortMode::kQuiescent);
  EXPECT_EQ(card->portMode(1), PortMode::kStopped);
  EXPECT_EQ(port0.read(kRegBoardType), kBoardTypeUnpublished);

  // The tool writes a newer firmware; a normal restart reports it.
  std::vector<uint8_t> newer = flashWithVersion(4, 1, 700);
  ASSERT_TRUE(card->loadFlashImage(newer, nullptr));
  ASSERT_TRUE(card->stopPort(0));
  for (int port : {0, 1}) ASSERT_TRUE(card->startPort(port, /*quiescent=*/false));
  EXPECT_EQ(port0.read(kRegBoardType), 0x26u);
  EXPECT_EQ(port0.read(kRegFirmwareMajor), 4u);
  EXPECT_EQ(port0.read(kRegFirmwareMinor), 1u);
  EXPECT_EQ(port0.read(kRegFirmwareBuild), 700u);

  // An erased version word leaves the last version shown.
  ASSERT_TRUE(card->loadFlashImage(std::vector<uint8_t>(kFlashSize, 0xFF), nullptr));
  ASSERT_TRUE(card->startPort(0, false));
  EXPECT_EQ(port0.read(kRegFirmwareBuild), 700u);

  EXPECT_FALSE(card->startPort(7, false));
  EXPECT_FALSE(card->stopPort(7));
}

TEST(Card, AStoppedPortAnswersNoRequest) {
  TempHost host;
  std::shared_ptr<Card> card = makeCard(host);
  ASSERT_TRUE(card);
  DriverClient port1(card, 1);
  ASSERT_TRUE(card->stopPort(1));
  DriverRequest r;
  EXPECT_FALSE(port1.call(kCmdOpenProbe, 0, 0, &r));
  EXPECT_EQ(port1.error(), platform::kErrorDeviceNotConnected);
  ASSERT_TRUE(card->startPort(1, false));
  ASSERT_TRUE(port1.call(kCmdOpenProbe, 0, 0, &r));
  EXPECT_EQ(r.data & 0xFF, 1u);
}

TEST(Card, TwoProcessesSeeOneChipAndOneFlash) {
  TempHost host;
  std::shared_ptr<Card> card = makeCard(host);
  ASSERT_TRUE(card);
  DriverClient parent(card);
  ASSERT_TRUE(parent.takeSemaphore());

  // The child opens the card afresh, as another program would.
  int status = runChild([&] {
    std::shared_ptr<Card> mine = Card::open(host.cardDir(), nullptr);
    if (!mine) ::_exit(10);
    DriverClient child(mine);
    if (child.takeSemaphore()) ::_exit(11);  // the parent holds it
    child.write(0x00004444, 0x1234);
    // The parent's semaphore covers the child's flash access (a violation,
    // but the chip performs it).
    if (child.flashWrite(0x100, 0x12345678) != kStatusDone) ::_exit(12);
  });
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(parent.read(0x00004444), 0x1234u);
  uint32_t word = 0;
  EXPECT_EQ(parent.flashRead(0x100, &word), kStatusDone);
  EXPECT_EQ(word, 0x12345678u);
  parent.releaseSemaphore();
}

}  // namespace
}  // namespace simhost
