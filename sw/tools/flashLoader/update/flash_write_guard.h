// Marks the span in which the flash is being erased and written, so that
// Ctrl+C or closing the console cannot stop the run half-way through: the
// interruption handler refuses while the mark is set.
#pragma once

#include <cstdint>

#include "sw/tools/flashLoader/frontend/interrupt_handler.h"

class FlashWriteInProgress {
 public:
  FlashWriteInProgress() : previous_(g_flash_write.exchange(1)) {}
  ~FlashWriteInProgress() { g_flash_write.store(previous_); }
  FlashWriteInProgress(const FlashWriteInProgress&) = delete;
  FlashWriteInProgress& operator=(const FlashWriteInProgress&) = delete;

 private:
  int32_t previous_;
};
