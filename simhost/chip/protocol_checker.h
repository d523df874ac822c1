// Records what a real chip or driver would punish, one line per protocol
// violation in the card's violations.log, and finds them again for checking.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "simhost/machine/host_dir.h"

namespace simhost {

// Appends lines to one card's log. A run that goes badly wrong would repeat
// one violation per flash word, so each process logs at most kLimit lines per
// card and then says that it stopped.
class ViolationLog {
 public:
  static constexpr size_t kLimit = 1000;

  explicit ViolationLog(std::string path) : path_(std::move(path)) {}
  ~ViolationLog();
  ViolationLog(const ViolationLog&) = delete;
  ViolationLog& operator=(const ViolationLog&) = delete;

  void append(const std::string& line);

 private:
  std::string path_;
  std::mutex mutex_;
  intptr_t fd_ = -1;  // kNoFile until the first line
  size_t written_ = 0;
};

// From the first channel a process opens on a card until the process ends:
// if it exits still holding that card's ROM semaphore, that is recorded.
void watchSemaphoreAtExit(const std::string& cardDir, const std::string& cardName);

// Every recorded violation of every card of the host, card by card, plus a
// ROM semaphore whose holder has ended. A card whose chip cannot be read is
// listed too, as it cannot be checked.
std::vector<std::string> collectViolations(const HostDir& host);

// Forgets every recorded violation of the host.
bool clearViolations(const HostDir& host, std::string* error);

}  // namespace simhost
