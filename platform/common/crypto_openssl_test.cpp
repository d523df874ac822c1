// MD5 answers against the reference test suite, fed whole and in pieces, and
// the CryptoAPI rule that a finished hash takes no more data.
#include "platform/common/crypto_openssl.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

namespace platform {
namespace {

std::string hex(const Md5Digest& digest) {
  std::string text;
  char byte[3];
  for (uint8_t b : digest) {
    std::snprintf(byte, sizeof byte, "%02x", b);
    text += byte;
  }
  return text;
}

// Feeds the message in pieces of `piece` bytes (0: all at once).
std::string md5Hex(const std::string& message, size_t piece) {
  auto crypto = makeOpenSslCrypto();
  WinError error = kErrorSuccess;
  auto hash = crypto->beginMd5(&error);
  EXPECT_NE(hash, nullptr);
  if (!hash) return {};
  size_t step = piece == 0 ? message.size() : piece;
  for (size_t at = 0; at < message.size(); at += step) {
    EXPECT_TRUE(hash->update(message.data() + at, std::min(step, message.size() - at), &error));
  }
  Md5Digest digest{};
  EXPECT_TRUE(hash->finish(&digest, &error));
  return hex(digest);
}

TEST(OpenSslCrypto, Md5MatchesTheReferenceSuite) {
  const std::pair<std::string, std::string> suite[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"1234567890123456789012345678901234567890"
       "1234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& [message, expected] : suite) {
    for (size_t piece : {0, 1, 7, 64}) {
      EXPECT_EQ(md5Hex(message, piece), expected) << "\"" << message << "\" in pieces of " << piece;
    }
  }
}

TEST(OpenSslCrypto, FinishedHashKeepsItsValueAndRefusesData) {
  auto crypto = makeOpenSslCrypto();
  WinError error = kErrorSuccess;
  auto hash = crypto->beginMd5(&error);
  ASSERT_NE(hash, nullptr);
  ASSERT_TRUE(hash->update("abc", 3, &error));
  Md5Digest first{}, again{};
  ASSERT_TRUE(hash->finish(&first, &error));
  ASSERT_TRUE(hash->finish(&again, &error));
  EXPECT_EQ(hex(again), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(first, again);
  EXPECT_FALSE(hash->update("x", 1, &error));
  EXPECT_EQ(error, kNteBadHashState);
}

}  // namespace
}  // namespace platform
