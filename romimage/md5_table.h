// The flash's own MD5 table (user area, 64 slots of 16 bytes): slot n holds
// the digest of sector n with its bytes reversed, and slot 62 is hashed as
// zeros, so that the digest of the board sector covers the 63 others.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "platform/crypto.h"
#include "romimage/flash_image.h"
#include "romimage/image_messages.h"
#include "romimage/md5.h"

namespace burnkit {

// Flash offsets of slot n of the table at 0x3E8000, and of the slot that
// sector digests always hash as zeros.
constexpr uint32_t md5SlotOffset(uint32_t sector) {
  return FlashLayout::kUserArea + UserArea::kMd5Table + UserArea::kMd5SlotSize * sector;
}
inline constexpr uint32_t kZeroHashedSlot = md5SlotOffset(FlashLayout::kBoardSectorNumber);

// A digest as a slot stores it (bytes reversed), and back.
void storeSlotDigest(std::span<uint8_t, 16> slot, const Digest& digest);
Digest slotDigest(std::span<const uint8_t, 16> slot);
// The digest from the slot's four words as the flash returns them (each
// word's bytes in memory order): last word first, each byte-swapped.
Digest slotDigestFromWords(const uint32_t (&words)[4]);

// Sector digest of a picture in memory with the platform's MD5: the sector's
// bytes, with slot 62 hashed as zeros. False after reporting a failed MD5
// call ("CryptAcquireContext failed: %d\n" and the like).
bool imageSectorDigest(const FlashImage& image, uint32_t sector, platform::Crypto& crypto, MessageSink& messages,
                       Digest* digest);

// Fills the picture's MD5 table: every sector but 62 in order, then 62, so
// that its digest covers the 63 others. progress (may be empty) gets the
// percentage done after each sector, the last call with 100. 0, or -1 when
// an MD5 call failed (that sector's slot is left as it was).
int computeMd5Table(FlashImage& image, platform::Crypto& crypto, MessageSink& messages,
                    const std::function<void(unsigned percent)>& progress = {});

// The sectors of a picture whose MD5 table slot does not match, checked as
// the adapter's flash self-test checks the flash (own MD5): user-area words
// 0x410 and 0x414 hashed as 0xFFFFFFFF and, for sector 62 only, again as
// they are; sector 61 skipped when its first word is 0. Empty: it would pass.
std::vector<uint32_t> sectorsFailingMd5Table(std::span<const uint8_t> picture);

}  // namespace burnkit
