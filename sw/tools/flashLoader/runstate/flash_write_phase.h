// The write phase: the span in which the flash is being erased and written.
// Ctrl+C or the closing of the console must not end the run inside it, so
// the console control handler (on a thread of its own) reads the mark that
// the main flow sets here.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

// 1 while the upgrade writes the flash; set only by the main flow, read by
// the handler.
extern std::atomic<int32_t> g_flash_write;

// Set by the handler when Ctrl+C or the closing of the console arrives
// inside the write phase: the run finishes that phase and its clean-up, and
// then ends instead of taking up further work (the next card of a report).
extern std::atomic<bool> g_stop_requested;

// The handler decides under this lock and ends the run still holding it;
// the main flow enters and leaves the write phase under it. So the handler
// never ends the run once the write phase has begun, and a write phase never
// begins while the handler is ending the run. A driver switch holds it from
// start to end, so the run is never ended in the middle of one.
std::mutex& flash_write_decision();

// Marks the write phase for the object's lifetime, under the decision lock,
// so that a handler already ending the run keeps the write phase from
// starting.
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
