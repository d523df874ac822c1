#include "simhost/machine/change_counter.h"

#include "simhost/machine/files.h"

namespace simhost {

namespace {

std::atomic_ref<uint64_t> shared(uint64_t* word) { return std::atomic_ref<uint64_t>(*word); }

// The counter's file lock, held for the object's lifetime.
class CounterLock {
 public:
  CounterLock(intptr_t file, bool (*lock)(intptr_t), void (*unlock)(intptr_t))
      : file_(file), unlock_(unlock), held_(file != -1 && lock(file)) {}
  ~CounterLock() {
    if (held_) unlock_(file_);
  }
  CounterLock(const CounterLock&) = delete;
  CounterLock& operator=(const CounterLock&) = delete;
  bool held() const { return held_; }

 private:
  intptr_t file_;
  void (*unlock_)(intptr_t);
  bool held_;
};

}  // namespace

ChangeCounter::ChangeCounter(const std::string& statePath) : statePath_(statePath), path_(statePath + ".gen") {}

ChangeCounter::~ChangeCounter() {
  if (file_ != -1) unmapCounterFile(word_.load(), file_);
}

// Opens PATH.gen once, creating it as a zero counter when it is new (a host
// made before counters were kept has none yet), and maps it.
uint64_t* ChangeCounter::mapped() {
  if (uint64_t* word = word_.load(std::memory_order_acquire)) return word;
  std::lock_guard<std::mutex> guard(mutex_);
  if (uint64_t* word = word_.load(std::memory_order_relaxed)) return word;
  intptr_t file = -1;
  uint64_t* word = mapCounterFile(path_, &file);
  if (word == nullptr) return nullptr;
  file_ = file;
  word_.store(word, std::memory_order_release);
  return word;
}

uint64_t ChangeCounter::current() {
  uint64_t* word = mapped();
  if (word == nullptr) return kNone;
  const uint64_t value = shared(word).load(std::memory_order_acquire);
  return value == kNone ? kNone - 2 : value;  // odd: never trusted
}

bool ChangeCounter::changeFile(const std::function<bool()>& replace, std::string* error, uint64_t* after) {
  if (after) *after = kNone;
  uint64_t* word = mapped();
  std::lock_guard<std::mutex> guard(mutex_);
  CounterLock lock(file_, &lockCounterFile, &unlockCounterFile);
  if (word == nullptr || !lock.held()) {
    if (error) *error = path_ + ": the change counter cannot be kept";
    return false;
  }
  // Odd and larger than before, whatever a killed writer left; then even.
  const uint64_t before = shared(word).load(std::memory_order_relaxed);
  const uint64_t during = before % 2 == 0 ? before + 1 : before + 2;
  shared(word).store(during, std::memory_order_release);
  const bool done = replace();
  shared(word).store(during + 1, std::memory_order_release);
  if (done && after) *after = during + 1;
  return done;
}

bool ChangeCounter::rewrite(const std::string& data, std::string* error, uint64_t* after) {
  return changeFile([&] { return writeFileAtomic(statePath_, data, error); }, error, after);
}

bool ChangeCounter::remove(std::string* error) {
  return changeFile([&] { return removeStatePath(statePath_, error); }, error, nullptr);
}

bool writeStateFile(const std::string& path, const std::string& data, std::string* error) {
  return ChangeCounter(path).rewrite(data, error);
}

bool removeStateFile(const std::string& path, std::string* error) { return ChangeCounter(path).remove(error); }

}  // namespace simhost
