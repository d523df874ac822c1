#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32/win32_backend.h"

namespace platform {
namespace {

std::string hex(const Md5Digest& digest) {
  static const char* digits = "0123456789abcdef";
  std::string text;
  for (uint8_t b : digest) {
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  return text;
}

TEST(Win32CryptoTest, Md5OfKnownTextsInOneOrManyPieces) {
  const struct {
    std::string text;
    const char* md5;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21"},
  };
  auto crypto = makeWin32Crypto();
  for (const auto& c : cases) {
    for (size_t piece : {size_t{1000000}, size_t{7}}) {
      WinError error = kErrorSuccess;
      auto hash = crypto->beginMd5(&error);
      ASSERT_TRUE(hash) << error;
      for (size_t at = 0; at < c.text.size(); at += piece)
        ASSERT_TRUE(hash->update(c.text.data() + at, std::min(piece, c.text.size() - at), &error)) << error;
      Md5Digest digest{};
      ASSERT_TRUE(hash->finish(&digest, &error)) << error;
      EXPECT_EQ(hex(digest), c.md5) << c.text.size() << " bytes in pieces of " << piece;
    }
  }
}

TEST(Win32CryptoTest, AFinishedHashGivesItsValueAgainButTakesNoMoreData) {
  WinError error = kErrorSuccess;
  auto hash = makeWin32Crypto()->beginMd5(&error);
  ASSERT_TRUE(hash);
  ASSERT_TRUE(hash->update("abc", 3, &error));
  Md5Digest first{}, second{};
  ASSERT_TRUE(hash->finish(&first, &error));
  EXPECT_FALSE(hash->update("d", 1, &error));
  EXPECT_EQ(error, kNteBadHashState);
  ASSERT_TRUE(hash->finish(&second, &error));
  EXPECT_EQ(first, second);
}

}  // namespace
}  // namespace platform
