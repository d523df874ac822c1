// CryptoAPI's MD5 hash object over an OpenSSL EVP digest context. Like a
// CryptoAPI hash, the value can be read again once finished, but no more data
// can be added (NTE_BAD_HASH_STATE).
#include "platform/common/crypto_openssl.h"

#include <openssl/evp.h>

#include "platform/common/default_crypto.h"

namespace platform {

namespace {

struct EvpContextDeleter {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using EvpContext = std::unique_ptr<EVP_MD_CTX, EvpContextDeleter>;

class OpenSslMd5 : public Md5Hash {
 public:
  explicit OpenSslMd5(EvpContext context) : context_(std::move(context)) {}

  bool update(const void* data, size_t size, WinError* error) override {
    if (finished_) return fail(kNteBadHashState, error);
    if (EVP_DigestUpdate(context_.get(), data, size) != 1) return fail(kErrorGenFailure, error);
    return true;
  }

  bool finish(Md5Digest* digest, WinError* error) override {
    if (!finished_) {
      unsigned int length = 0;
      if (EVP_DigestFinal_ex(context_.get(), digest_.data(), &length) != 1 ||
          length != digest_.size()) {
        return fail(kErrorGenFailure, error);
      }
      finished_ = true;
    }
    *digest = digest_;
    return true;
  }

 private:
  static bool fail(WinError code, WinError* error) {
    if (error) *error = code;
    return false;
  }

  EvpContext context_;
  Md5Digest digest_{};
  bool finished_ = false;
};

class OpenSslCrypto : public Crypto {
 public:
  std::unique_ptr<Md5Hash> beginMd5(WinError* error) override {
    EvpContext context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1) {
      if (error) *error = kErrorGenFailure;
      return nullptr;
    }
    return std::make_unique<OpenSslMd5>(std::move(context));
  }
};

}  // namespace

std::unique_ptr<Crypto> makeOpenSslCrypto() { return std::make_unique<OpenSslCrypto>(); }

std::unique_ptr<Crypto> makeDefaultCrypto() { return makeOpenSslCrypto(); }

}  // namespace platform
