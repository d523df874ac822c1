#include "romimage/md5.h"

#include <algorithm>
#include <cstring>

#include "romimage/byte_order.h"

namespace burnkit {

namespace {

inline uint32_t rotl(uint32_t x, int n) { return x << n | x >> (32 - n); }

// The four rounds of RFC 1321, one step each. G is written as a sum of two
// disjoint masks, which lets the compiler start both halves at once.
template <int S>
inline void stepF(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t t) {
  a = b + rotl(a + (d ^ (b & (c ^ d))) + x + t, S);
}
template <int S>
inline void stepG(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t t) {
  a = b + rotl(a + (b & d) + (c & ~d) + x + t, S);
}
template <int S>
inline void stepH(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t t) {
  a = b + rotl(a + (b ^ c ^ d) + x + t, S);
}
template <int S>
inline void stepI(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t t) {
  a = b + rotl(a + (c ^ (b | ~d)) + x + t, S);
}

}  // namespace

Md5::Md5() { reset(); }

void Md5::reset() {
  state_ = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476};
  length_ = 0;
  buffered_ = 0;
}

void Md5::compress(const uint8_t* block) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = loadLe32(block + 4 * i);
  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];

  stepF<7>(a, b, c, d, x[0], 0xD76AA478);
  stepF<12>(d, a, b, c, x[1], 0xE8C7B756);
  stepF<17>(c, d, a, b, x[2], 0x242070DB);
  stepF<22>(b, c, d, a, x[3], 0xC1BDCEEE);
  stepF<7>(a, b, c, d, x[4], 0xF57C0FAF);
  stepF<12>(d, a, b, c, x[5], 0x4787C62A);
  stepF<17>(c, d, a, b, x[6], 0xA8304613);
  stepF<22>(b, c, d, a, x[7], 0xFD469501);
  stepF<7>(a, b, c, d, x[8], 0x698098D8);
  stepF<12>(d, a, b, c, x[9], 0x8B44F7AF);
  stepF<17>(c, d, a, b, x[10], 0xFFFF5BB1);
  stepF<22>(b, c, d, a, x[11], 0x895CD7BE);
  stepF<7>(a, b, c, d, x[12], 0x6B901122);
  stepF<12>(d, a, b, c, x[13], 0xFD987193);
  stepF<17>(c, d, a, b, x[14], 0xA679438E);
  stepF<22>(b, c, d, a, x[15], 0x49B40821);

  stepG<5>(a, b, c, d, x[1], 0xF61E2562);
  stepG<9>(d, a, b, c, x[6], 0xC040B340);
  stepG<14>(c, d, a, b, x[11], 0x265E5A51);
  stepG<20>(b, c, d, a, x[0], 0xE9B6C7AA);
  stepG<5>(a, b, c, d, x[5], 0xD62F105D);
  stepG<9>(d, a, b, c, x[10], 0x02441453);
  stepG<14>(c, d, a, b, x[15], 0xD8A1E681);
  stepG<20>(b, c, d, a, x[4], 0xE7D3FBC8);
  stepG<5>(a, b, c, d, x[9], 0x21E1CDE6);
  stepG<9>(d, a, b, c, x[14], 0xC33707D6);
  stepG<14>(c, d, a, b, x[3], 0xF4D50D87);
  stepG<20>(b, c, d, a, x[8], 0x455A14ED);
  stepG<5>(a, b, c, d, x[13], 0xA9E3E905);
  stepG<9>(d, a, b, c, x[2], 0xFCEFA3F8);
  stepG<14>(c, d, a, b, x[7], 0x676F02D9);
  stepG<20>(b, c, d, a, x[12], 0x8D2A4C8A);

  stepH<4>(a, b, c, d, x[5], 0xFFFA3942);
  stepH<11>(d, a, b, c, x[8], 0x8771F681);
  stepH<16>(c, d, a, b, x[11], 0x6D9D6122);
  stepH<23>(b, c, d, a, x[14], 0xFDE5380C);
  stepH<4>(a, b, c, d, x[1], 0xA4BEEA44);
  stepH<11>(d, a, b, c, x[4], 0x4BDECFA9);
  stepH<16>(c, d, a, b, x[7], 0xF6BB4B60);
  stepH<23>(b, c, d, a, x[10], 0xBEBFBC70);
  stepH<4>(a, b, c, d, x[13], 0x289B7EC6);
  stepH<11>(d, a, b, c, x[0], 0xEAA127FA);
  stepH<16>(c, d, a, b, x[3], 0xD4EF3085);
  stepH<23>(b, c, d, a, x[6], 0x04881D05);
  stepH<4>(a, b, c, d, x[9], 0xD9D4D039);
  stepH<11>(d, a, b, c, x[12], 0xE6DB99E5);
  stepH<16>(c, d, a, b, x[15], 0x1FA27CF8);
  stepH<23>(b, c, d, a, x[2], 0xC4AC5665);

  stepI<6>(a, b, c, d, x[0], 0xF4292244);
  stepI<10>(d, a, b, c, x[7], 0x432AFF97);
  stepI<15>(c, d, a, b, x[14], 0xAB9423A7);
  stepI<21>(b, c, d, a, x[5], 0xFC93A039);
  stepI<6>(a, b, c, d, x[12], 0x655B59C3);
  stepI<10>(d, a, b, c, x[3], 0x8F0CCC92);
  stepI<15>(c, d, a, b, x[10], 0xFFEFF47D);
  stepI<21>(b, c, d, a, x[1], 0x85845DD1);
  stepI<6>(a, b, c, d, x[8], 0x6FA87E4F);
  stepI<10>(d, a, b, c, x[15], 0xFE2CE6E0);
  stepI<15>(c, d, a, b, x[6], 0xA3014314);
  stepI<21>(b, c, d, a, x[13], 0x4E0811A1);
  stepI<6>(a, b, c, d, x[4], 0xF7537E82);
  stepI<10>(d, a, b, c, x[11], 0xBD3AF235);
  stepI<15>(c, d, a, b, x[2], 0x2AD7D2BB);
  stepI<21>(b, c, d, a, x[9], 0xEB86D391);

  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
}

void Md5::update(std::span<const uint8_t> data) {
  const uint8_t* p = data.data();
  size_t n = data.size();
  length_ += n;
  if (buffered_ > 0) {
    size_t take = std::min(n, buffer_.size() - buffered_);
    std::memcpy(buffer_.data() + buffered_, p, take);
    buffered_ += take;
    p += take;
    n -= take;
    if (buffered_ < buffer_.size()) return;
    compress(buffer_.data());
    buffered_ = 0;
  }
  for (; n >= 64; p += 64, n -= 64) compress(p);
  if (n > 0) std::memcpy(buffer_.data(), p, n);
  buffered_ = n;
}

void Md5::update(const void* data, size_t size) { update({static_cast<const uint8_t*>(data), size}); }

Digest Md5::final() {
  const uint64_t bits = length_ * 8;
  // Padding: one 0x80 byte, zeros up to 56 mod 64, then the bit length.
  uint8_t tail[72] = {0x80};
  size_t padding = (buffered_ < 56 ? 56 : 120) - buffered_;
  for (int i = 0; i < 8; ++i) tail[padding + i] = static_cast<uint8_t>(bits >> (8 * i));
  update(tail, padding + 8);

  Digest digest;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) digest[4 * i + j] = static_cast<uint8_t>(state_[i] >> (8 * j));
  reset();
  return digest;
}

Digest md5(std::span<const uint8_t> data) {
  Md5 hash;
  hash.update(data);
  return hash.final();
}

}  // namespace burnkit
