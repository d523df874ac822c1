// What the setting changes share: their result codes, and the span in which
// the flash is unprotected and being rewritten.
#pragma once

#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/write_protection.h"
#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/flash_write_phase.h"

inline constexpr int kSettingRewriteFailed = 1;
inline constexpr int kPxeWordWriteFailed = 11;
inline constexpr int kSettingReadFailed = 12;
inline constexpr int kBoardDigestFailed = 13;
inline constexpr int kSettingNotSupported = kExitNotSupported;

// Unprotects the flash for the scope and protects it again on every way
// out; Ctrl+C is refused meanwhile, so that no sector is left half written.
// A part that could not be unprotected is not written at all: the edit
// checks unprotected() and stops with kUnprotectFailed.
class UnprotectedFlash {
 public:
  explicit UnprotectedFlash(const DeviceHandle& handle) : handle_(handle), unprotected_(unprotect(handle_) == 0) {}
  ~UnprotectedFlash() { protect(handle_); }
  UnprotectedFlash(const UnprotectedFlash&) = delete;
  UnprotectedFlash& operator=(const UnprotectedFlash&) = delete;

  bool unprotected() const { return unprotected_; }

 private:
  FlashWriteInProgress writing_;
  DeviceHandle handle_;
  bool unprotected_;
};

// "Failed to unprotect the flash: nothing was written.\n" on standard
// error; kUnprotectFailed.
int report_unprotect_failure();
