// Marks the span in which the flash is being erased and written, so that
// Ctrl+C or closing the console cannot stop the run half-way through: the
// interruption handler refuses while the mark is set. The mark is set and
// cleared under the handler's decision lock, so that a handler already
// ending the run keeps the write phase from starting.
#pragma once

#include <cstdint>
#include <mutex>

#include "sw/tools/flashLoader/frontend/interrupt_handler.h"

class FlashWriteInProgress {
 public:
  FlashWriteInProgress() {
    std::lock_guard<std::mutex> decided(flash_write_decision());
    previous_ = g_flash_write.exchange(1);
  }
  ~FlashWriteInProgress() {
    std::lock_guard<std::mutex> decided(flash_write_decision());
    g_flash_write.store(previous_);
  }
  FlashWriteInProgress(const FlashWriteInProgress&) = delete;
  FlashWriteInProgress& operator=(const FlashWriteInProgress&) = delete;

 private:
  int32_t previous_;
};
