// The change counter of a state file of the host (host.json, registry.reg,
// devices.json): eight bytes in PATH.gen, mapped shared, so that a process
// can tell without a system call whether any process rewrote the file since
// it last read it. File stamps cannot tell that: times are coarse and inode
// numbers are reused, so two quick rewrites can leave equal stamps.
//
// A rewrite makes the counter odd before the file is replaced and even, and
// larger, after it, under the counter file's lock. A reader takes the counter
// before it reads the file and keeps its parsed copy only while the counter
// is even and unchanged: a rewrite under way, or one cut short by a killed
// process, leaves it odd, and the file is read again until the next rewrite
// completes. Every writer of a state file goes through rewrite() (or
// writeStateFile); a file changed any other way is seen by processes started
// after the change.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace simhost {

class ChangeCounter {
 public:
  // No counter (kept apart from every value a counter can hold).
  static constexpr uint64_t kNone = UINT64_MAX;

  explicit ChangeCounter(const std::string& statePath);
  ~ChangeCounter();
  ChangeCounter(const ChangeCounter&) = delete;
  ChangeCounter& operator=(const ChangeCounter&) = delete;

  // The counter now; kNone when it cannot be kept (PATH.gen cannot be
  // created or mapped): then no copy of the file may be trusted.
  uint64_t current();

  // Whether a copy read under the counter value `taken` is still the file,
  // the counter being `now`.
  static bool unchanged(uint64_t taken, uint64_t now) { return taken == now && now != kNone && now % 2 == 0; }

  // Replaces the file with data (writeFileAtomic), the counter odd while it
  // does. *after: the counter once done, taken under the lock (kNone when the
  // file could not be replaced). False, the file untouched, when the counter
  // cannot be kept.
  bool rewrite(const std::string& data, std::string* error, uint64_t* after = nullptr);

  // Removes the file the same way (a missing file is no failure).
  bool remove(std::string* error);

  const std::string& statePath() const { return statePath_; }

 private:
  uint64_t* mapped();
  // The system's part (change_counter_posix.cpp / _win32.cpp).
  static uint64_t* mapCounterFile(const std::string& path, intptr_t* file);
  static void unmapCounterFile(uint64_t* word, intptr_t file);
  static bool lockCounterFile(intptr_t file);
  static void unlockCounterFile(intptr_t file);
  static bool removeStatePath(const std::string& path, std::string* error);
  bool changeFile(const std::function<bool()>& replace, std::string* error, uint64_t* after);

  std::string statePath_;
  std::string path_;
  std::mutex mutex_;
  intptr_t file_ = -1;  // a descriptor; on Windows a file handle
  std::atomic<uint64_t*> word_{nullptr};
};

// The same for a file no store of this process keeps.
bool writeStateFile(const std::string& path, const std::string& data, std::string* error);
bool removeStateFile(const std::string& path, std::string* error);

}  // namespace simhost
