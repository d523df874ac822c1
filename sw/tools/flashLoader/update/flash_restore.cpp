#include "sw/tools/flashLoader/update/flash_restore.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <span>

#include "sw/tools/flashLoader/adapter/board_identity.h"
#include "sw/tools/flashLoader/adapter/board_tables.h"
#include "sw/tools/flashLoader/adapter/flash_digest.h"
#include "sw/tools/flashLoader/adapter/flash_read.h"
#include "sw/tools/flashLoader/adapter/flash_update_notice.h"
#include "sw/tools/flashLoader/adapter/flash_write.h"
#include "sw/tools/flashLoader/adapter/progress_output.h"
#include "sw/tools/flashLoader/adapter/rom_lock.h"
#include "sw/tools/flashLoader/adapter/safe_sector_rewrite.h"
#include "sw/tools/flashLoader/adapter/sector_copy_file.h"
#include "sw/tools/flashLoader/adapter/write_protection.h"
#include "sw/tools/flashLoader/boardconfig/user_area_record.h"
#include "sw/tools/flashLoader/hostglue/instance_lock.h"
#include "romimage/byte_order.h"
#include "romimage/flash_layout.h"
#include "romimage/md5_table.h"
#include "sw/tools/flashLoader/update/board_data_carry.h"
#include "sw/tools/flashLoader/hostglue/file_handle.h"
#include "sw/tools/flashLoader/runstate/flash_write_phase.h"
#include "sw/tools/flashLoader/update/operator_confirmation.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/update/version_compare.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

using burnkit::FlashLayout;
using burnkit::UserArea;

// An erase that failed, told apart from the write failures that share 14.
constexpr int kEraseFailed = -14;

// The serial number of a picture, up to its NUL byte.
std::string picture_serial(const std::vector<uint8_t>& picture) {
  const char* serial = reinterpret_cast<const char*>(picture.data() + FlashLayout::kUserArea + UserArea::kSerialNumber);
  return std::string(serial, strnlen(serial, UserArea::kSerialNumberSize));
}

bool alphanumeric(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

// Step: the file must be this board's (a serial number of letters and
// digits only is compared; any other may take any file of its type).
int check_serial_number(const UserAreaRecord& flashUserArea, const std::string& fileSerial) {
  const std::string boardSerial = flashUserArea.serialNumber();
  if (!alphanumeric(boardSerial)) return kExitOk;
  if (boardSerial != fileSerial) {
    err_printf("Wrong Backup Romimage!!\n");
    return kExitWrongBackup;
  }
  return kExitOk;
}

// The administrator's word on a restore: 0, 30 declined, 31 invalid.
int ask_to_restore() {
  switch (confirm_offline_operation("Do you wish to restore? (Y/N) ")) {
    case Confirmation::accepted:
      return kExitOk;
    case Confirmation::declined:
      return kExitDeclined;
    case Confirmation::invalid:
      return kExitGeneralFailure;
  }
  return kExitGeneralFailure;
}

// Step: the versions, and with the check flag the administrator's word. A
// restore may go back to an older version.
int confirm_restore(const UserAreaRecord& flashUserArea, const std::vector<uint8_t>& picture, uint32_t checkFlag) {
  const VersionTriple fileVersion =
      version_from_user_area_bytes(picture.data() + FlashLayout::kUserArea + UserArea::kFirmwareVersion);
  compare_versions(fileVersion, flashUserArea.firmwareVersion(), VersionSource::backupFile);
  return checkFlag == 0 ? kExitOk : ask_to_restore();
}

// The warning, then the driver told that the flash may change (under the
// ROM lock). 0, or 9 when the lock is not taken (nothing told). From a 0
// on, the caller sends flash_update_end on every path.
int begin_restore_writes(const DeviceHandle& handle) {
  out_printf("\tWARNING: This is a very sensitive operation.\n\tDo not interrupt until operation is complete.\n");
  RomLockHold lock(handle);
  if (!lock.held()) return kExitLockNotTaken;
  flash_update_begin(handle);
  return kExitOk;
}

// Whether the flash's board sector still matches its MD5 slot, as the
// self-test judges it, without the self-test's report lines.
int board_sector_is_sound(const DeviceHandle& handle, bool* sound) {
  platform::Md5Digest stored{}, computed{};
  if (stored_digest(handle, FlashLayout::kBoardSectorNumber, &stored) != 0) return kExitFlashNotReadable;
  for (bool unsealedAsRead : {false, true}) {
    if (sector_digest(handle, FlashLayout::kBoardSector, unsealedAsRead, &computed) != 0)
      return kExitFlashNotReadable;
    if (computed == stored) {
      *sound = true;
      return kExitOk;
    }
  }
  *sound = false;
  return kExitOk;
}

// The board sector of the picture sealed again once it holds the board's
// own areas instead of the backup's: its digest covers them, and a restore
// that wrote the backup's digest over other areas would leave a flash that
// fails its self-test. 0, or 31 when no digest can be made.
int reseal_board_sector(std::vector<uint8_t>& picture) {
  std::vector<uint32_t> words(kSectorWords);
  std::memcpy(words.data(), picture.data() + FlashLayout::kBoardSector, FlashLayout::kSectorSize);
  platform::Md5Digest digest{};
  if (!hash_sector_words(SectorWords(words.data(), kSectorWords), FlashLayout::kBoardSector, false, &digest))
    return kExitGeneralFailure;
  burnkit::storeSlotDigest(
      std::span<uint8_t, 16>(picture.data() + burnkit::md5SlotOffset(FlashLayout::kBoardSectorNumber), 16), digest);
  return kExitOk;
}

// Step: the board's feature and vNIC property areas from the flash into
// the picture, so that the restore does not take them back in time.
int keep_board_areas(const DeviceHandle& handle, std::vector<uint8_t>& picture, BoardAreas areas) {
  if (areas == BoardAreas::picture) return kExitOk;
  bool sound = false;
  if (int checked = board_sector_is_sound(handle, &sound); checked != kExitOk) return checked;
  if (!sound) {
    out_printf("Board sector fails its MD5 check: the feature and vNIC areas of the backup are kept.\n");
    return kExitOk;
  }

  out_printf("Restoring feature area...\n");
  bool vnicPresent = false;
  const std::vector<uint8_t> boardSector(picture.begin() + FlashLayout::kBoardSector,
                                         picture.begin() + FlashLayout::kBoardSector + FlashLayout::kSectorSize);
  if (int read = read_feature_and_vnic_areas(handle, std::span<uint8_t>(picture), "Restoring vprop area...\n",
                                             &vnicPresent);
      read != kExitOk)
    return read;
  const bool changed = !std::equal(boardSector.begin(), boardSector.end(), picture.begin() + FlashLayout::kBoardSector);
  return changed ? reseal_board_sector(picture) : kExitOk;
}

// One sector erased, written and read back. 0; 14 when the erase failed;
// the write's code (9 or 14); the read's code; 13 when the sector read back
// is not what was written.
int rewrite_sector(const DeviceHandle& handle, uint32_t offset, std::span<const uint32_t, kSectorWords> words,
                   std::vector<uint32_t>& readBack) {
  if (erase_sector(handle, offset) != 0) return kEraseFailed;
  if (int written = write_sector_image(handle, words, offset); written != 0) return written;
  if (int read = read_words(handle, offset, readBack); read != 0) return read;
  return std::equal(words.begin(), words.end(), readBack.begin()) ? kExitOk : kExitVerifyFailed;
}

// Step: every sector erased, written from the picture and read back; a
// sector that does not read back as written is written again, a bounded
// number of times, so that a restore never ends as a success with a flash
// that is not the picture. 0; 8 when the part cannot be unprotected
// (nothing erased); 14 when an erase failed; the write's code (9 or 14);
// 13 when a sector never read back as written.
int rewrite_all_sectors(const DeviceHandle& handle, const std::vector<uint8_t>& picture) {
  constexpr int kTries = 3;
  out_printf("Restoring flash...\n");
  if (unprotect(handle) != 0) return kUnprotectFailed;
  FlashWriteInProgress writing;
  std::vector<uint32_t> words(kSectorWords), readBack(kSectorWords);
  for (uint32_t sector = 0; sector < FlashLayout::kSectorCount; ++sector) {
    const uint32_t offset = sector * FlashLayout::kSectorSize;
    std::memcpy(words.data(), picture.data() + offset, FlashLayout::kSectorSize);
    int result = kExitVerifyFailed;
    for (int attempt = 0; attempt < kTries && result == kExitVerifyFailed; ++attempt)
      result = rewrite_sector(handle, offset, std::span<const uint32_t, kSectorWords>(words.data(), kSectorWords),
                              readBack);
    if (result == kEraseFailed) {
      err_printf("Failed to erase sector !!\n");
      err_printf("Flash may be corrupted.\n");
      return kExitWriteFailed;
    }
    if (result == kExitVerifyFailed) {
      err_printf("Sector %u does not read back as the backup holds it.\n", sector);
      err_printf("Flash may be corrupted.\n");
      return kExitVerifyFailed;
    }
    if (result != kExitOk) {
      err_printf("Failed to recover flash!!\n");
      return result;
    }
    show_progress(static_cast<int>(sector * 100 / FlashLayout::kSectorCount));
  }
  finish_progress(100);
  return kExitOk;
}

void advise_after_restore(std::optional<uint32_t> boardType) {
  const BoardTypeRow* row = boardType ? find_board_type(*boardType) : nullptr;
  if (row != nullptr && row->portCount == 1)
    out_printf("Reload driver for firmware to take effect\n");
  else
    out_printf("Reboot system for firmware to take effect\n");
}

// Step: a backup is a picture of a flash that passed its self-test, so its
// own MD5 table must verify. One that does not is damaged, or was taken of
// a broken flash: refused unless forced, and written with a warning when
// forced.
int check_backup_digests(const std::vector<uint8_t>& picture, uint32_t checkFlag) {
  const std::vector<uint32_t> failing = burnkit::sectorsFailingMd5Table(picture);
  if (failing.empty()) return kExitOk;
  if (checkFlag != 0) {
    err_printf("The backup fails its own MD5 check (sector %u): it is not restored. Use -f to restore it anyway.\n",
               failing.front());
    return kExitFileProblem;
  }
  err_printf("Warning: the backup fails its own MD5 check (sector %u); restoring it as forced.\n", failing.front());
  return kExitOk;
}

// fromFile: the picture is a backup file's, whose own digests are checked;
// an upgrade's in-memory copy of the flash is written back as it was read.
int write_back(const DeviceHandle& handle, std::vector<uint8_t>& picture, const RestoreRequest& request,
               std::optional<uint32_t> boardType, bool fromFile) {
  UserAreaRecord flashUserArea;
  if (read_user_area(handle, &flashUserArea) != 0) return kExitFlashNotReadable;
  if (int serial = check_serial_number(flashUserArea, picture_serial(picture)); serial != kExitOk) return serial;
  if (fromFile) {
    if (int sound = check_backup_digests(picture, request.checkFlag); sound != kExitOk) return sound;
  }
  if (int confirmed = confirm_restore(flashUserArea, picture, request.checkFlag); confirmed != kExitOk)
    return confirmed;

  if (int begun = begin_restore_writes(handle); begun != kExitOk) return begun;
  // The driver was told the flash may change: it hears that the change is
  // over on every path from here.
  int result = keep_board_areas(handle, picture, request.areas);
  if (result == kExitOk) {
    result = rewrite_all_sectors(handle, picture);
    if (result != kUnprotectFailed) protect(handle);
    if (result == kExitOk) advise_after_restore(boardType);
  }
  flash_update_end(handle);
  return result;
}

// The file's board type word, when the file is long enough to have one.
bool file_board_type(std::FILE* file, uint32_t* boardType) {
  uint8_t word[4];
  if (std::fseek(file, FlashLayout::kBoardTypeWord, SEEK_SET) != 0) return false;
  if (std::fread(word, 1, sizeof word, file) != sizeof word) return false;
  *boardType = burnkit::loadLe32(word);
  return true;
}

// Step: with the check flag, a file of another board type is refused before
// anything else is read.
int check_board_type(const DeviceHandle& handle, const std::string& path, uint32_t* boardType) {
  if (read_board_type_from_flash(handle, boardType) != 0) {
    err_printf("Cannot get boardtype from flash\n");
    return kExitGeneralFailure;
  }
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    err_printf("\nError:Cannot Open Image File \"%s\"\n", path.c_str());
    remove_lock_file();
    return kExitFileProblem;
  }
  uint32_t fileType = 0;
  if (file_board_type(file.get(), &fileType) && fileType != *boardType) {
    err_printf("\nRom Image Board Type and \t\t\t\t\t\tCurrent Board Type do not match\n");
    return kExitBoardTypeMismatch;
  }
  return kExitOk;
}

// Step: the whole file into memory. A file of any other size than the
// flash's is no backup of it.
int read_backup_file(const std::string& path, std::vector<uint8_t>* picture) {
  try {
    picture->assign(FlashLayout::kSize, 0xFF);
  } catch (const std::bad_alloc&) {
    err_printf("Cannot allocate memory for flash dump\n");
    return kExitOutOfMemory;
  }
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    err_printf("Can't open file %s for reading.\n", path.c_str());
    return kExitFileProblem;
  }
  const bool whole = std::fread(picture->data(), 1, picture->size(), file.get()) == picture->size();
  if (!whole || std::fgetc(file.get()) != EOF) {
    err_printf("Can't read romimage into memory.\n");
    return kExitFileProblem;
  }
  return kExitOk;
}

// A sector copy that a board edit kept (its old board sector or sector 0)
// is put back as it is: it was read from this board minutes before, so
// nothing of it is carried over from the flash. 0; 5 another board's; 8;
// 9; 12; 13 when the sector never read back as the copy holds it; 16 a
// damaged copy; 30; 31.
int restore_sector_copy(const DeviceHandle& handle, const std::string& path, const SectorCopy& copy,
                        uint32_t checkFlag) {
  UserAreaRecord flashUserArea;
  if (read_user_area(handle, &flashUserArea) != 0) return kExitFlashNotReadable;
  if (int serial = check_serial_number(flashUserArea, copy.serial); serial != kExitOk) return serial;
  out_printf("Sector %u as kept in %s\n", copy.sector, path.c_str());
  if (checkFlag != 0) {
    if (int answered = ask_to_restore(); answered != kExitOk) return answered;
  }
  if (int begun = begin_restore_writes(handle); begun != kExitOk) return begun;
  int result = kExitOk;
  if (unprotect(handle) != 0) {
    result = kUnprotectFailed;
  } else {
    FlashWriteInProgress writing;
    out_printf("Restoring sector %u...\n", copy.sector);
    if (!write_sector_verified(handle, copy.sector, copy.words)) {
      err_printf("Sector %u does not read back as the backup holds it.\n", copy.sector);
      err_printf("Flash may be corrupted.\n");
      result = kExitVerifyFailed;
    }
    protect(handle);
  }
  flash_update_end(handle);
  if (result == kExitOk) advise_after_restore(std::nullopt);
  return result;
}

// A file given to the restore that is a sector copy: its restore's result.
// Nothing for any other file, which the whole-flash restore then reads.
std::optional<int> restore_if_sector_copy(const DeviceHandle& handle, const std::string& path, uint32_t checkFlag) {
  SectorCopy copy;
  switch (read_sector_copy(path, &copy)) {
    case SectorCopyRead::copy:
      return restore_sector_copy(handle, path, copy, checkFlag);
    case SectorCopyRead::damaged:
      err_printf("The sector copy %s is damaged: it is not restored.\n", path.c_str());
      return kExitFileProblem;
    case SectorCopyRead::notACopy:
    case SectorCopyRead::unreadable:
      break;
  }
  return std::nullopt;
}

}  // namespace

int restore_flash_from_file(const DeviceHandle& handle, const std::string& path, const RestoreRequest& request) {
  if (path.empty()) {
    err_printf("backup romimage name can't be null\n");
    return kExitFileProblem;
  }
  if (std::optional<int> copied = restore_if_sector_copy(handle, path, request.checkFlag)) return *copied;
  std::optional<uint32_t> boardType;
  if (request.checkFlag != 0) {
    uint32_t type = 0;
    if (int checked = check_board_type(handle, path, &type); checked != kExitOk) return checked;
    boardType = type;
  }
  std::vector<uint8_t> picture;
  if (int read = read_backup_file(path, &picture); read != kExitOk) return read;
  return write_back(handle, picture, request, boardType, true);
}

int restore_flash_picture(const DeviceHandle& handle, std::vector<uint8_t>& picture, const RestoreRequest& request) {
  if (picture.size() != FlashLayout::kSize) {
    err_printf("Can't read romimage into memory.\n");
    return kExitFileProblem;
  }
  return write_back(handle, picture, request, std::nullopt, false);
}
