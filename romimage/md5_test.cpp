#include "romimage/md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "platform/common/crypto_openssl.h"
#include "romimage/md5_table.h"

namespace burnkit {
namespace {

std::string hex(const Digest& d) {
  static const char* digits = "0123456789abcdef";
  std::string text;
  for (uint8_t b : d) {
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  return text;
}

Digest md5Of(const std::string& text) { return md5({reinterpret_cast<const uint8_t*>(text.data()), text.size()}); }

Digest platformMd5(platform::Crypto& crypto, std::span<const uint8_t> bytes) {
  platform::WinError error = 0;
  auto hash = crypto.beginMd5(&error);
  platform::Md5Digest d{};
  EXPECT_TRUE(hash && hash->update(bytes.data(), bytes.size(), &error) && hash->finish(&d, &error));
  Digest out;
  std::copy(d.begin(), d.end(), out.begin());
  return out;
}

TEST(Md5, Rfc1321TestSuite) {
  const std::pair<const char*, const char*> suite[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& [text, digest] : suite) EXPECT_EQ(hex(md5Of(text)), digest) << '"' << text << '"';
}

// Padding boundaries and updates split anywhere give the one-shot digest.
TEST(Md5, IncrementalUpdatesMatchOneShot) {
  std::string message;
  for (int i = 0; i < 300; ++i) message += static_cast<char>('a' + i % 26);
  auto crypto = platform::makeOpenSslCrypto();
  for (size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u, 300u}) {
    const std::string text = message.substr(0, length);
    const Digest whole = md5Of(text);
    EXPECT_EQ(whole, platformMd5(*crypto, {reinterpret_cast<const uint8_t*>(text.data()), length})) << length;
    for (size_t split = 0; split <= length; split += 7) {
      Md5 hash;
      hash.update(text.data(), split);
      hash.update(text.data() + split, length - split);
      EXPECT_EQ(hash.final(), whole) << length << " split at " << split;
    }
  }
  Md5 reused;
  reused.update("abc", 3);
  reused.final();
  EXPECT_EQ(reused.final(), md5Of(""));  // final starts over
}

TEST(Md5, EqualsThePlatformMd5OnRandomSectors) {
  auto crypto = platform::makeOpenSslCrypto();
  std::mt19937_64 random(20240611);
  std::vector<uint8_t> sector(0x10000);
  for (int n = 0; n < 16; ++n) {
    for (uint8_t& b : sector) b = static_cast<uint8_t>(random());
    // Erased flash is common in sectors; make some of them mostly 0xFF.
    if (n % 4 == 0) std::fill(sector.begin() + 0x100 * n, sector.end(), 0xFF);
    EXPECT_EQ(md5(sector), platformMd5(*crypto, sector)) << "sector " << n;
  }
}

TEST(Md5Table, SlotsHoldDigestsReversed) {
  const Digest d = md5Of("abc");  // 90 01 50 98 ...
  uint8_t slot[16];
  storeSlotDigest(slot, d);
  EXPECT_EQ(slot[0], d[15]);
  EXPECT_EQ(slot[15], d[0]);
  EXPECT_EQ(slotDigest(slot), d);
  // The flash answers the slot as four little-endian words.
  uint32_t words[4];
  for (int i = 0; i < 4; ++i)
    words[i] = uint32_t(slot[4 * i]) | uint32_t(slot[4 * i + 1]) << 8 | uint32_t(slot[4 * i + 2]) << 16 |
               uint32_t(slot[4 * i + 3]) << 24;
  EXPECT_EQ(slotDigestFromWords(words), d);
}

// The table computed with the platform's MD5 is the one the builder's own
// MD5 would give, and passes the self-test's view.
TEST(Md5Table, ComputedTablePassesAndReportsProgress) {
  FlashImage image;
  std::mt19937 random(7);
  for (uint32_t i = 0; i < 0x200000; ++i) image.data()[i] = static_cast<uint8_t>(random());
  auto crypto = platform::makeOpenSslCrypto();
  MessageLog log;
  std::vector<unsigned> progress;
  ASSERT_EQ(computeMd5Table(image, *crypto, log, [&](unsigned p) { progress.push_back(p); }), 0);
  EXPECT_EQ(log.text(), "");
  EXPECT_TRUE(sectorsFailingMd5Table(image.bytes()).empty());
  ASSERT_EQ(progress.size(), 64u);
  EXPECT_EQ(progress.front(), 1u);
  EXPECT_EQ(progress[62], 98u);
  EXPECT_EQ(progress.back(), 100u);
  Digest d3 = md5(image.sector(3));
  EXPECT_TRUE(std::equal(d3.rbegin(), d3.rend(), image.data() + md5SlotOffset(3)));
}

class FailingCrypto : public platform::Crypto {
 public:
  std::unique_ptr<platform::Md5Hash> beginMd5(platform::WinError* error) override {
    *error = 87;
    return nullptr;
  }
};

TEST(Md5Table, PlatformFailuresAreReported) {
  FlashImage image;
  FailingCrypto crypto;
  MessageLog log;
  EXPECT_EQ(computeMd5Table(image, crypto, log), -1);
  EXPECT_EQ(log.entries().size(), 64u);
  EXPECT_EQ(log.entries()[0].text, "CryptAcquireContext failed: 87\n");
}

}  // namespace
}  // namespace burnkit
