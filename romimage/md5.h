// MD5 (RFC 1321) of the image tool itself. The unified ROM image's tables and
// the flash picture's MD5 table are hashed with it; the adapter side hashes
// flash sectors with the platform's MD5, and both must agree byte for byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace burnkit {

using Digest = std::array<uint8_t, 16>;

class Md5 {
 public:
  Md5();
  void update(std::span<const uint8_t> data);
  void update(const void* data, size_t size);
  // The digest in RFC 1321 output order. The object starts over afterwards.
  Digest final();

 private:
  void reset();
  void compress(const uint8_t* block);

  std::array<uint32_t, 4> state_;
  uint64_t length_ = 0;  // bytes hashed so far
  std::array<uint8_t, 64> buffer_{};
  size_t buffered_ = 0;
};

Digest md5(std::span<const uint8_t> data);

}  // namespace burnkit
