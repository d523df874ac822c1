#include "romimage/md5_table.h"

#include <algorithm>
#include <memory>

namespace burnkit {

namespace {

constexpr uint32_t kUnsealedWords = FlashLayout::kUserArea + UserArea::kProductWord;  // 0x410 and 0x414

// Own-MD5 digest of a sector with some byte ranges replaced: the zero-hashed
// slot always, the two unsealed words as erased when asked.
Digest checkedSectorDigest(std::span<const uint8_t> picture, uint32_t sector, bool unsealedAsErased) {
  const uint32_t begin = sector * FlashLayout::kSectorSize;
  std::vector<uint8_t> bytes(picture.begin() + begin, picture.begin() + begin + FlashLayout::kSectorSize);
  auto inSector = [&](uint32_t offset) { return offset >= begin && offset < begin + FlashLayout::kSectorSize; };
  if (inSector(kZeroHashedSlot)) std::fill_n(bytes.begin() + (kZeroHashedSlot - begin), 16, 0);
  if (unsealedAsErased && inSector(kUnsealedWords)) std::fill_n(bytes.begin() + (kUnsealedWords - begin), 8, 0xFF);
  return md5(bytes);
}

}  // namespace

void storeSlotDigest(std::span<uint8_t, 16> slot, const Digest& digest) {
  std::reverse_copy(digest.begin(), digest.end(), slot.begin());
}

Digest slotDigest(std::span<const uint8_t, 16> slot) {
  Digest d;
  std::reverse_copy(slot.begin(), slot.end(), d.begin());
  return d;
}

Digest slotDigestFromWords(const uint32_t (&words)[4]) {
  Digest d;
  for (int i = 0; i < 4; ++i) {
    uint32_t w = words[3 - i];
    // Byte-swapped, then laid out in memory order.
    for (int j = 0; j < 4; ++j) d[4 * i + j] = static_cast<uint8_t>(w >> (8 * (3 - j)));
  }
  return d;
}

bool imageSectorDigest(const FlashImage& image, uint32_t sector, platform::Crypto& crypto, MessageSink& messages,
                       Digest* digest) {
  platform::WinError error = 0;
  std::unique_ptr<platform::Md5Hash> hash = crypto.beginMd5(&error);
  if (!hash) {
    messages.out(formatText("CryptAcquireContext failed: %d\n", static_cast<int>(error)));
    return false;
  }
  std::span<const uint8_t> bytes = image.sector(sector);
  const uint32_t begin = sector * FlashLayout::kSectorSize;
  bool hashed = true;
  if (kZeroHashedSlot >= begin && kZeroHashedSlot < begin + FlashLayout::kSectorSize) {
    const size_t at = kZeroHashedSlot - begin;
    const uint8_t zeros[16] = {};
    hashed = hash->update(bytes.data(), at, &error) && hash->update(zeros, sizeof zeros, &error) &&
             hash->update(bytes.data() + at + 16, bytes.size() - at - 16, &error);
  } else {
    hashed = hash->update(bytes.data(), bytes.size(), &error);
  }
  if (!hashed) {
    messages.out(formatText("CryptHashData failed: %d\n", static_cast<int>(error)));
    return false;
  }
  platform::Md5Digest value;
  if (!hash->finish(&value, &error)) {
    messages.out(formatText("CryptGetHashParam failed: %d\n", static_cast<int>(error)));
    return false;
  }
  std::copy(value.begin(), value.end(), digest->begin());
  return true;
}

int computeMd5Table(FlashImage& image, platform::Crypto& crypto, MessageSink& messages,
                    const std::function<void(unsigned percent)>& progress) {
  int result = 0;
  unsigned done = 0;
  auto hashInto = [&](uint32_t sector) {
    Digest digest;
    if (imageSectorDigest(image, sector, crypto, messages, &digest))
      storeSlotDigest(std::span<uint8_t, 16>(image.data() + md5SlotOffset(sector), 16), digest);
    else
      result = -1;
    ++done;
    if (progress) progress(done * 100 / FlashLayout::kSectorCount);
  };
  for (uint32_t sector = 0; sector < FlashLayout::kSectorCount; ++sector)
    if (sector != FlashLayout::kBoardSectorNumber) hashInto(sector);
  hashInto(FlashLayout::kBoardSectorNumber);
  return result;
}

std::vector<uint32_t> sectorsFailingMd5Table(std::span<const uint8_t> picture) {
  std::vector<uint32_t> failing;
  if (picture.size() != FlashLayout::kSize) {
    for (uint32_t s = 0; s < FlashLayout::kSectorCount; ++s) failing.push_back(s);
    return failing;
  }
  for (uint32_t sector = 0; sector < FlashLayout::kSectorCount; ++sector) {
    if (sector == FlashLayout::sectorOf(FlashLayout::kSector61) &&
        loadLe32(picture.data() + FlashLayout::kSector61) == 0)
      continue;
    Digest stored = slotDigest(std::span<const uint8_t, 16>(picture.data() + md5SlotOffset(sector), 16));
    bool ok = checkedSectorDigest(picture, sector, true) == stored;
    if (!ok && sector == FlashLayout::kBoardSectorNumber) ok = checkedSectorDigest(picture, sector, false) == stored;
    if (!ok) failing.push_back(sector);
  }
  return failing;
}

}  // namespace burnkit
