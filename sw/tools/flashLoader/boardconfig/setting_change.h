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
class UnprotectedFlash {
 public:
  explicit UnprotectedFlash(const DeviceHandle& handle) : handle_(handle) { unprotect(handle_); }
  ~UnprotectedFlash() { protect(handle_); }
  UnprotectedFlash(const UnprotectedFlash&) = delete;
  UnprotectedFlash& operator=(const UnprotectedFlash&) = delete;

 private:
  FlashWriteInProgress writing_;
  DeviceHandle handle_;
};

// "Flash may be corrupted...\n" after the failure line, on standard error.
void report_rewrite_failure(const char* failureLine);
