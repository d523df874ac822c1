// CryptoAPI MD5 (CryptAcquireContext, CryptCreateHash(CALG_MD5), CryptHashData,
// CryptGetHashParam(HP_HASHVAL)).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/errors.h"

namespace platform {

using Md5Digest = std::array<uint8_t, 16>;

class Md5Hash {
 public:
  virtual ~Md5Hash() = default;
  // CryptHashData. False and *error on failure.
  virtual bool update(const void* data, size_t size, WinError* error) = 0;
  // CryptGetHashParam(HP_HASHVAL). The hash is finished afterwards.
  virtual bool finish(Md5Digest* digest, WinError* error) = 0;
};

class Crypto {
 public:
  virtual ~Crypto() = default;
  // CryptAcquireContext + CryptCreateHash. nullptr and *error on failure.
  virtual std::unique_ptr<Md5Hash> beginMd5(WinError* error) = 0;
};

}  // namespace platform
