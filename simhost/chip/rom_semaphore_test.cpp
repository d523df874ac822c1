#include <gtest/gtest.h>

#include "simhost/chip/process_identity.h"
#include "simhost/chip/test_card_fixture.h"

namespace simhost {
namespace {

using testing::DriverClient;
using testing::makeCard;
using testing::runChild;
using testing::TempHost;

TEST(RomSemaphore, TakeRefuseWhileHeldReleaseNotReentrant) {
  TempHost host;
  std::shared_ptr<Card> card = makeCard(host);
  ASSERT_TRUE(card);
  DriverClient port0(card, 0), port1(card, 1);

  EXPECT_EQ(port0.read(kRegRomSemaphoreTake), 1u);
  EXPECT_EQ(card->semaphore().holder, currentProcessId());
  EXPECT_EQ(port0.read(kRegRomSemaphoreTake), 0u) << "not re-entrant";
  EXPECT_EQ(port1.read(kRegRomSemaphoreTake), 0u) << "one chip, one semaphore";

  // The tool writes its owner id after taking the lock; it is plain storage.
  port0.write(kRegRomLockOwner, 0x06A106A1);
  EXPECT_EQ(port1.read(kRegRomLockOwner), 0x06A106A1u);

  port0.read(kRegRomSemaphoreRelease);
  EXPECT_FALSE(card->semaphore().held);
  EXPECT_EQ(port1.read(kRegRomSemaphoreTake), 1u);
  port1.read(kRegRomSemaphoreRelease);
  EXPECT_EQ(card->peekRegister(kRegRomSemaphoreTake), 0u) << "peeking takes nothing";
  EXPECT_FALSE(card->semaphore().held);
}

TEST(RomSemaphore, AnotherProcessCannotTakeItUntilReleased) {
  TempHost host;
  std::shared_ptr<Card> card = makeCard(host);
  ASSERT_TRUE(card);
  DriverClient parent(card);
  ASSERT_TRUE(parent.takeSemaphore());
  auto childTakes = [&] {
    return runChild([&] {
      DriverClient child(Card::open(host.cardDir(), nullptr));
      bool took = child.takeSemaphore();
      if (took) child.releaseSemaphore();
      ::_exit(took ? 1 : 0);
    });
  };
  EXPECT_EQ(WEXITSTATUS(childTakes()), 0);
  parent.releaseSemaphore();
  EXPECT_EQ(WEXITSTATUS(childTakes()), 1);
}

}  // namespace
}  // namespace simhost
