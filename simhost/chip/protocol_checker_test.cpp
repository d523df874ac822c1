#include "simhost/chip/protocol_checker.h"

#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "simhost/chip/card_files.h"
#include "simhost/chip/test_card_fixture.h"

namespace simhost {
namespace {

using ::testing::HasSubstr;
using testing::DriverClient;
using testing::makeCard;
using testing::runChild;
using testing::TempHost;
using testing::testConfig;
using testing::violationsText;

TEST(ProtocolChecker, RecordsEachKindOfViolationWithCardCommandAndOffset) {
  TempHost host;
  std::shared_ptr<Card> card = makeCard(host);
  ASSERT_TRUE(card);
  DriverClient client(card);
  uint32_t word;

  // Without the ROM semaphore: the chip performs the access, the check notes it.
  client.flashRead(0x3E8000, &word);
  client.flashWrite(0x3E8004, 0x12345678);
  client.eraseSector(0x3D0000);
  ASSERT_TRUE(client.takeSemaphore());
  client.flashWrite(0x3E8004, 0x00000000);  // fine: clears bits only
  client.flashWrite(0x3E8004, 0x00000001);  // sets a bit of a programmed word
  client.flashWrite(0x3E8006, 0);           // unaligned
  client.releaseSemaphore();

  const char* expected[] = {
      "card0: cmd 50 offset 0x3E8000: flash word read while the ROM semaphore is not held",
      "card0: cmd 51 offset 0x3E8004: flash word write while the ROM semaphore is not held",
      "card0: cmd 2 offset 0x3D0000: sector erase while the ROM semaphore is not held",
      "card0: cmd 51 offset 0x3E8004: write of 0x00000001 sets bits of a word that was not erased (0x00000000)",
      "card0: cmd 51 offset 0x3E8006: unaligned flash word write",
  };
  std::vector<std::string> lines = collectViolations(host.host());
  ASSERT_EQ(lines.size(), std::size(expected)) << violationsText(host);
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_THAT(lines[i], HasSubstr(expected[i]));

  ASSERT_TRUE(clearViolations(host.host(), nullptr));
  EXPECT_TRUE(collectViolations(host.host()).empty());
  client.flashRead(0, &word);
  EXPECT_EQ(collectViolations(host.host()).size(), 1u) << "an open log keeps appending after a clear";
}

TEST(ProtocolChecker, FlashAccessWhileAnotherRunningProcessHoldsTheSemaphore) {
  TempHost host;
  std::shared_ptr<Card> card = makeCard(host);
  ASSERT_TRUE(card);
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t child = ::fork();
  if (child == 0) {
    DriverClient holder(Card::open(host.cardDir(), nullptr));
    char ok = holder.takeSemaphore() ? 1 : 0;
    (void)!::write(ready[1], &ok, 1);
    ::pause();
    ::_exit(0);
  }
  char ok = 0;
  ASSERT_EQ(::read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, 1);
  DriverClient client(card);
  uint32_t word;
  client.flashRead(0x40, &word);
  EXPECT_THAT(violationsText(host), HasSubstr("flash word read while process " + std::to_string(child) +
                                              " holds the ROM semaphore"));
  EXPECT_EQ(collectViolations(host.host()).size(), 1u) << "the holder still runs";

  // The holder dies with the semaphore: the check reports it; a later run
  // that adopts the lock is within the rules.
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  ASSERT_TRUE(clearViolations(host.host(), nullptr));
  client.flashRead(0x40, &word);
  std::vector<std::string> lines = collectViolations(host.host());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "card0: ROM semaphore held by process " + std::to_string(child) + ", which has ended");
}

TEST(ProtocolChecker, AProcessThatExitsHoldingTheSemaphoreIsRecorded) {
  TempHost host;
  std::shared_ptr<Card> card = makeCard(host);
  ASSERT_TRUE(card);
  int status = runChild([&] {
    DriverClient client(Card::open(host.cardDir(), nullptr));
    client.takeSemaphore();
    std::exit(0);
  });
  ASSERT_TRUE(WIFEXITED(status));
  std::vector<std::string> lines = collectViolations(host.host());
  ASSERT_EQ(lines.size(), 2u) << violationsText(host);
  EXPECT_THAT(lines[0], HasSubstr("card0: process "));
  EXPECT_THAT(lines[0], HasSubstr(" ended holding the ROM semaphore"));
  EXPECT_THAT(lines[1], HasSubstr("which has ended"));

  // One that releases before it exits leaves nothing behind.
  card->setSemaphore({});
  ASSERT_TRUE(clearViolations(host.host(), nullptr));
  status = runChild([&] {
    DriverClient client(Card::open(host.cardDir(), nullptr));
    client.takeSemaphore();
    client.releaseSemaphore();
    std::exit(0);
  });
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_TRUE(collectViolations(host.host()).empty());
}

TEST(ProtocolChecker, ACardThatCannotBeReadIsListed) {
  TempHost host;
  ASSERT_TRUE(makeCard(host));
  ASSERT_TRUE(writeFileAtomic(chipPath(host.cardDir()), "short", nullptr));
  std::vector<std::string> lines = collectViolations(host.host());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_THAT(lines[0], HasSubstr("card0: cannot be checked: "));
}

TEST(ProtocolChecker, ARunawayProcessLogsABoundedNumberOfLines) {
  TempHost host;
  std::shared_ptr<Card> card = makeCard(host);
  ASSERT_TRUE(card);
  DriverClient client(card);
  uint32_t word;
  for (int i = 0; i < 3000; ++i) client.flashRead(0, &word);
  std::vector<std::string> lines = collectViolations(host.host());
  ASSERT_EQ(lines.size(), ViolationLog::kLimit + 1);
  EXPECT_THAT(lines.back(), HasSubstr("violations; the rest are not logged"));
}

}  // namespace
}  // namespace simhost
