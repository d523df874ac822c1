// MD5 for the programs' CryptoAPI calls, computed by OpenSSL's libcrypto so
// that no hash is written by hand here.
#pragma once

#include <memory>

#include "platform/crypto.h"

namespace platform {

std::unique_ptr<Crypto> makeOpenSslCrypto();

}  // namespace platform
