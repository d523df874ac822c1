// MD5 through the CryptoAPI: a verify-only context of the default RSA
// provider, one hash object per digest. Once its value has been read the
// hash takes no more data (NTE_BAD_HASH_STATE) but gives the value again.
#include <windows.h>
#include <wincrypt.h>

#include "platform/common/default_crypto.h"
#include "platform/win32/win32_backend.h"
#include "platform/win32/win32_error.h"

namespace platform {

namespace {

class CryptoApiMd5 : public Md5Hash {
 public:
  CryptoApiMd5(HCRYPTPROV provider, HCRYPTHASH hash) : provider_(provider), hash_(hash) {}
  ~CryptoApiMd5() override {
    CryptDestroyHash(hash_);
    CryptReleaseContext(provider_, 0);
  }

  bool update(const void* data, size_t size, WinError* error) override {
    const BYTE* bytes = static_cast<const BYTE*>(data);
    // CryptHashData takes a 32-bit length: long buffers go in pieces.
    while (size > 0) {
      DWORD piece = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
      if (!CryptHashData(hash_, bytes, piece, 0)) {
        if (error) *error = lastWin32Error();
        return false;
      }
      bytes += piece;
      size -= piece;
    }
    return true;
  }

  bool finish(Md5Digest* digest, WinError* error) override {
    DWORD size = static_cast<DWORD>(digest->size());
    if (!CryptGetHashParam(hash_, HP_HASHVAL, digest->data(), &size, 0)) {
      if (error) *error = lastWin32Error();
      return false;
    }
    return true;
  }

 private:
  HCRYPTPROV provider_;
  HCRYPTHASH hash_;
};

class CryptoApi : public Crypto {
 public:
  std::unique_ptr<Md5Hash> beginMd5(WinError* error) override {
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
      if (error) *error = lastWin32Error();
      return nullptr;
    }
    HCRYPTHASH hash = 0;
    if (!CryptCreateHash(provider, CALG_MD5, 0, 0, &hash)) {
      if (error) *error = lastWin32Error();
      CryptReleaseContext(provider, 0);
      return nullptr;
    }
    return std::make_unique<CryptoApiMd5>(provider, hash);
  }
};

}  // namespace

std::unique_ptr<Crypto> makeWin32Crypto() { return std::make_unique<CryptoApi>(); }

std::unique_ptr<Crypto> makeDefaultCrypto() { return makeWin32Crypto(); }

}  // namespace platform
