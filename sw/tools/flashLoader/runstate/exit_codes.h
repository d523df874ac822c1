// burnkit's result codes, one vocabulary for every layer: each operation
// returns one, and the one that ends the run is the process's exit code, so
// the upgrade wrapper and scripts can tell the failures apart.
#pragma once

#include <optional>

inline constexpr int kExitOk = 0;                 // success, nothing to do, or ended by the user
inline constexpr int kExitFailed = -1;            // generic failure
inline constexpr int kExitWrongBackup = 5;        // the backup file belongs to another board
inline constexpr int kExitLockNotTaken = 9;       // the ROM lock
inline constexpr int kExitFlashNotReadable = 12;  // also the feature or vNIC area
inline constexpr int kExitVerifyFailed = 13;      // MD5 table mismatch after writing
inline constexpr int kExitWriteFailed = 14;       // also a failed sector erase
inline constexpr int kExitFileProblem = 16;       // image or backup file, or the disk space for it
inline constexpr int kExitBoardTypeUnreadable = 18;
inline constexpr int kExitImageIsDirectory = 19;
inline constexpr int kExitOutOfMemory = 20;
inline constexpr int kExitImageNotFound = 21;
inline constexpr int kExitDeclined = 30;
// Bad option or answer, writes disabled, a driver switch, reopen or lookup
// that failed: every failure without a code of its own.
inline constexpr int kExitGeneralFailure = 31;
inline constexpr int kExitImageNotOlder = 33;
inline constexpr int kExitImageOlder = 34;
inline constexpr int kExitBoardTypeMismatch = 35;
inline constexpr int kExitNotSupported = 38;  // the operation is not supported on this board

// What a step of the run gives: kGoOn to let the run go on, or the exit code
// that ends it.
using StepResult = std::optional<int>;
inline constexpr std::nullopt_t kGoOn = std::nullopt;
