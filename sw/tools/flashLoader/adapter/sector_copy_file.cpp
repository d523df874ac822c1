#include "sw/tools/flashLoader/adapter/sector_copy_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/host.h"
#include "romimage/byte_order.h"
#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/hostglue/pending_file.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

// Header: magic, format, sector number, serial number, MD5 of the words.
constexpr char kMagic[8] = {'C', 'V', 'S', 'E', 'C', 'T', 'O', 'R'};
constexpr uint32_t kFormat = 1;
constexpr size_t kSerialBytes = 32;
constexpr size_t kHeaderBytes = sizeof kMagic + 4 + 4 + kSerialBytes + 16;
constexpr size_t kSectorWords = burnkit::FlashLayout::kSectorSize / 4;
constexpr size_t kFileBytes = kHeaderBytes + burnkit::FlashLayout::kSectorSize;

// Where the header's digest sits; it covers everything after the magic but
// itself: format, sector number, serial number and the words.
constexpr size_t kDigestAt = sizeof kMagic + 4 + 4 + kSerialBytes;

bool file_digest(const std::vector<uint8_t>& bytes, platform::Md5Digest* digest) {
  platform::WinError error = platform::kErrorSuccess;
  std::unique_ptr<platform::Md5Hash> hash = platform::host().crypto().beginMd5(&error);
  return hash && hash->update(bytes.data() + sizeof kMagic, kDigestAt - sizeof kMagic, &error) &&
         hash->update(bytes.data() + kHeaderBytes, kFileBytes - kHeaderBytes, &error) && hash->finish(digest, &error);
}

// The file's bytes, its digest included. False when no digest can be made.
bool file_bytes(const SectorCopy& copy, std::vector<uint8_t>* bytes) {
  bytes->assign(kFileBytes, 0);
  uint8_t* at = bytes->data();
  std::memcpy(at, kMagic, sizeof kMagic);
  burnkit::storeLe32(at + sizeof kMagic, kFormat);
  burnkit::storeLe32(at + sizeof kMagic + 4, copy.sector);
  std::memcpy(at + sizeof kMagic + 8, copy.serial.data(), std::min(copy.serial.size(), kSerialBytes));
  std::memcpy(at + kHeaderBytes, copy.words.data(), burnkit::FlashLayout::kSectorSize);
  platform::Md5Digest digest{};
  if (!file_digest(*bytes, &digest)) return false;
  std::memcpy(at + kDigestAt, digest.data(), digest.size());
  return true;
}

}  // namespace

std::string sector_copy_file_name(const SectorCopy& copy, const std::tm& localTime) {
  const bool plain = std::all_of(copy.serial.begin(), copy.serial.end(),
                                 [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", localTime.tm_year + 1900, localTime.tm_mon + 1,
                localTime.tm_mday, localTime.tm_hour, localTime.tm_min, localTime.tm_sec);
  return "sectorbackup_" + (plain ? copy.serial : std::string()) + "_" + std::to_string(copy.sector) + "_" + stamp;
}

int save_sector_copy(const SectorCopy& copy, std::string* path) {
  std::vector<uint8_t> bytes;
  PendingFile pending = open_pending_file(*path);
  if (copy.words.size() != kSectorWords || !file_bytes(copy, &bytes) || !pending.file) {
    if (pending.file) abandon_pending_file(std::move(pending));
    err_printf("Failed to use %s for flash backup\n", path->c_str());
    return kExitFileProblem;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), pending.file.get()) == bytes.size();
  if (publish_pending_file(std::move(pending), path, written)) return kExitOk;
  err_printf("Failed to use %s for flash backup\n", path->c_str());
  return kExitFileProblem;
}

SectorCopyRead read_sector_copy(const std::string& path, SectorCopy* copy) {
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) return SectorCopyRead::unreadable;
  std::vector<uint8_t> bytes(kFileBytes + 1);
  const size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
  if (std::ferror(file.get())) return SectorCopyRead::unreadable;
  if (got < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return SectorCopyRead::notACopy;
  if (got != kFileBytes || burnkit::loadLe32(bytes.data() + sizeof kMagic) != kFormat) return SectorCopyRead::damaged;

  bytes.resize(kFileBytes);
  platform::Md5Digest stored{}, computed{};
  std::memcpy(stored.data(), bytes.data() + kDigestAt, stored.size());
  if (!file_digest(bytes, &computed) || computed != stored) return SectorCopyRead::damaged;
  copy->sector = burnkit::loadLe32(bytes.data() + sizeof kMagic + 4);
  if (copy->sector >= burnkit::FlashLayout::kSectorCount) return SectorCopyRead::damaged;
  const char* serial = reinterpret_cast<const char*>(bytes.data() + sizeof kMagic + 8);
  copy->serial.assign(serial, strnlen(serial, kSerialBytes));
  copy->words.assign(kSectorWords, 0);
  std::memcpy(copy->words.data(), bytes.data() + kHeaderBytes, burnkit::FlashLayout::kSectorSize);
  return SectorCopyRead::copy;
}

void discard_sector_copy(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
}
