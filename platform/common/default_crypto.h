// The MD5 provider of the system the programs are built for: OpenSSL's
// libcrypto on Linux (crypto_openssl.cpp), the CryptoAPI on Windows
// (win32/crypto_win32.cpp). For code that hashes without a host, such as
// building a simulated card's flash.
#pragma once

#include <memory>

#include "platform/crypto.h"

namespace platform {

std::unique_ptr<Crypto> makeDefaultCrypto();

}  // namespace platform
