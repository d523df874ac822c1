// FlashImage: the complete 4 MiB picture of an adapter's flash, laid out as
// the flash (FlashLayout), built in memory before anything is written.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "romimage/byte_order.h"
#include "romimage/flash_layout.h"

namespace burnkit {

class FlashImage {
 public:
  // Erased: every byte 0xFF.
  FlashImage() : bytes_(FlashLayout::kSize, 0xFF) {}

  std::span<uint8_t> bytes() { return bytes_; }
  std::span<const uint8_t> bytes() const { return bytes_; }
  uint8_t* data() { return bytes_.data(); }
  const uint8_t* data() const { return bytes_.data(); }

  std::span<uint8_t> sector(uint32_t n) {
    return bytes().subspan(size_t(n) * FlashLayout::kSectorSize, FlashLayout::kSectorSize);
  }
  std::span<const uint8_t> sector(uint32_t n) const {
    return bytes().subspan(size_t(n) * FlashLayout::kSectorSize, FlashLayout::kSectorSize);
  }

  // offset + 4 <= FlashLayout::kSize.
  uint32_t word(uint32_t offset) const { return loadLe32(bytes_.data() + offset); }
  void setWord(uint32_t offset, uint32_t value) { storeLe32(bytes_.data() + offset, value); }

  void erase() { std::memset(bytes_.data(), 0xFF, bytes_.size()); }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace burnkit
