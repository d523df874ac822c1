#include "simhost/machine/change_counter.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "simhost/machine/files.h"

namespace simhost {

namespace {

constexpr size_t kCounterSize = sizeof(uint64_t);

std::atomic_ref<uint64_t> shared(uint64_t* word) { return std::atomic_ref<uint64_t>(*word); }

// The counter's file lock, held for the object's lifetime.
class CounterLock {
 public:
  explicit CounterLock(int fd) : fd_(fd) {
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) return;
    }
    held_ = true;
  }
  ~CounterLock() {
    if (held_) ::flock(fd_, LOCK_UN);
  }
  CounterLock(const CounterLock&) = delete;
  CounterLock& operator=(const CounterLock&) = delete;
  bool held() const { return held_; }

 private:
  int fd_;
  bool held_ = false;
};

}  // namespace

ChangeCounter::ChangeCounter(const std::string& statePath) : statePath_(statePath), path_(statePath + ".gen") {}

ChangeCounter::~ChangeCounter() {
  if (uint64_t* word = word_.load()) ::munmap(word, kCounterSize);
  if (fd_ >= 0) ::close(fd_);
}

// Opens PATH.gen once, creating it as a zero counter when it is new (a host
// made before counters were kept has none yet), and maps it. Two processes
// may create it at once: growing a file to the size it already has changes
// nothing, so neither loses the other's count.
uint64_t* ChangeCounter::mapped() {
  if (uint64_t* word = word_.load(std::memory_order_acquire)) return word;
  std::lock_guard<std::mutex> guard(mutex_);
  if (uint64_t* word = word_.load(std::memory_order_relaxed)) return word;
  int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  struct stat st;
  if (::fstat(fd, &st) != 0 ||
      (static_cast<uint64_t>(st.st_size) < kCounterSize && ::ftruncate(fd, kCounterSize) != 0)) {
    ::close(fd);
    return nullptr;
  }
  void* p = ::mmap(nullptr, kCounterSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (p == MAP_FAILED) {
    ::close(fd);
    return nullptr;
  }
  fd_ = fd;
  word_.store(static_cast<uint64_t*>(p), std::memory_order_release);
  return static_cast<uint64_t*>(p);
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
  CounterLock lock(fd_);
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
  return changeFile(
      [&] {
        if (::unlink(statePath_.c_str()) == 0 || errno == ENOENT) return true;
        if (error) *error = statePath_ + ": cannot be removed (" + std::strerror(errno) + ")";
        return false;
      },
      error, nullptr);
}

bool writeStateFile(const std::string& path, const std::string& data, std::string* error) {
  return ChangeCounter(path).rewrite(data, error);
}

bool removeStateFile(const std::string& path, std::string* error) { return ChangeCounter(path).remove(error); }

}  // namespace simhost
