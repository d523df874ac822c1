// Result codes of the flash update engine. They travel up to the process
// exit code, so the wrapper and scripts can tell the failures apart.
#pragma once

inline constexpr int kUpdateOk = 0;
inline constexpr int kUpdateWrongBackup = 5;  // the backup file belongs to another board
inline constexpr int kUpdateLockNotTaken = 9;
inline constexpr int kUpdateFlashNotReadable = 12;
inline constexpr int kUpdateVerifyFailed = 13;  // MD5 table mismatch after writing
inline constexpr int kUpdateWriteFailed = 14;   // also a failed sector erase
inline constexpr int kUpdateFileProblem = 16;   // image or backup file, or the disk space for it
inline constexpr int kUpdateBoardTypeUnreadable = 18;
inline constexpr int kUpdateImageIsDirectory = 19;
inline constexpr int kUpdateOutOfMemory = 20;
inline constexpr int kUpdateImageNotFound = 21;
inline constexpr int kUpdateDeclined = 30;
inline constexpr int kUpdateGeneralFailure = 31;  // bad answer, driver switch or reopen failed
inline constexpr int kUpdateImageNotOlder = 33;
inline constexpr int kUpdateImageOlder = 34;
inline constexpr int kUpdateBoardTypeMismatch = 35;
