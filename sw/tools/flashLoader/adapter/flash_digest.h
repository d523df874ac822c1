// The flash proves itself whole with its own MD5 table: slot n of the user
// area holds the digest of sector n (bytes reversed). These compare the
// flash's sectors with the table.
#pragma once

#include <cstdint>
#include <span>

#include "platform/crypto.h"
#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/flash_write.h"

inline constexpr int kMd5Mismatch = 13;

using SectorWords = std::span<const uint32_t, kSectorWords>;

// A sector's words read under the ROM lock. 0; 12 when the lock is not
// taken; -1 when a word could not be read.
int read_sector_words(const DeviceHandle& handle, uint32_t sectorOffset, std::span<uint32_t, kSectorWords> words);

// The digest of a sector's words as the table keeps it: slot 62 hashed as
// zeros, and the two user-area words 0x410 and 0x414 hashed as erased unless
// unsealedAsRead. False after "CryptAcquireContext failed: %d\n" (or the
// hash or result line) when the platform's MD5 failed.
bool hash_sector_words(SectorWords words, uint32_t sectorOffset, bool unsealedAsRead, platform::Md5Digest* digest);

// Sector digest of the flash: read_sector_words and hash_sector_words. 0;
// 12; -1 when a word could not be read or the MD5 failed.
int sector_digest(const DeviceHandle& handle, uint32_t sectorOffset, bool unsealedAsRead,
                  platform::Md5Digest* digest);

// The digest slot n of the flash's MD5 table holds, in normal byte order.
// 0; 12 when the lock is not taken; -1 when a word could not be read.
int stored_digest(const DeviceHandle& handle, uint32_t sector, platform::Md5Digest* digest);

// Sector n against its slot. Sector 62 is compared a second time with the
// unsealed words as read, since they may change without a new digest. 0, or
// 13 (a mismatch prints what was read and what was expected).
int check_sector(const DeviceHandle& handle, uint32_t sector);

// Every sector in order (sector 61 only when its first word is not 0), all
// of them even after a failure. 0, or 13 when any failed.
int flash_self_test(const DeviceHandle& handle);
