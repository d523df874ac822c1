#include "simhost/chip/protocol_checker.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>
#include <utility>

#include "simhost/chip/card_files.h"
#include "simhost/chip/chip_state.h"
#include "simhost/chip/process_identity.h"
#include "simhost/machine/files.h"

namespace simhost {

namespace {

void appendLine(intptr_t file, const std::string& line) { appendToFile(file, line + "\n"); }

struct ChipHeader {
  bool valid = false;
  uint64_t semaphore = 0;
};

// The semaphore read straight from the file: the exit hook and the checker
// may run where no card is mapped.
bool readChipHeader(const std::string& cardDir, ChipHeader* header, std::string* error) {
  ChipState head;
  constexpr size_t kHeadBytes = offsetof(ChipState, semaphore) + sizeof head.semaphore;
  int64_t n = readFileStart(chipPath(cardDir), &head, kHeadBytes, error);
  if (n < 0) return false;
  if (n != static_cast<int64_t>(kHeadBytes) || head.magic != kChipStateMagic || head.layout != kChipStateLayout) {
    if (error) *error = chipPath(cardDir) + ": is not a chip state file of this version";
    return false;
  }
  header->valid = true;
  header->semaphore = head.semaphore;
  return true;
}

struct WatchedCard {
  std::string dir;
  std::string name;
  bool operator<(const WatchedCard& o) const { return dir < o.dir; }
};

std::mutex& watchMutex() {
  static std::mutex m;
  return m;
}

std::set<WatchedCard>& watchedCards() {
  static std::set<WatchedCard> cards;
  return cards;
}

void checkSemaphoresAtExit() {
  std::lock_guard<std::mutex> lock(watchMutex());
  int32_t self = currentProcessId();
  for (const WatchedCard& card : watchedCards()) {
    ChipHeader header;
    if (!readChipHeader(card.dir, &header, nullptr)) continue;
    if (header.semaphore != (kSemaphoreHeld | static_cast<uint32_t>(self))) continue;
    ViolationLog log(violationsPath(card.dir));
    log.append(card.name + ": process " + std::to_string(self) + " ended holding the ROM semaphore");
  }
}

}  // namespace

ViolationLog::~ViolationLog() {
  closeAppendFile(fd_);
}

void ViolationLog::append(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (written_ > kLimit) return;
  if (fd_ == kNoFile) fd_ = openAppendFile(path_);
  if (fd_ == kNoFile) return;
  ++written_;
  if (written_ > kLimit) {
    appendLine(fd_, "process " + std::to_string(currentProcessId()) + ": more than " + std::to_string(kLimit) +
                        " violations; the rest are not logged");
    return;
  }
  appendLine(fd_, line);
}

void watchSemaphoreAtExit(const std::string& cardDir, const std::string& cardName) {
  // The set is built before the hook is registered, so it outlives the hook.
  std::set<WatchedCard>& cards = watchedCards();
  std::mutex& mutex = watchMutex();
  static const bool registered = std::atexit(checkSemaphoresAtExit) == 0;
  (void)registered;
  std::lock_guard<std::mutex> lock(mutex);
  cards.insert(WatchedCard{cardDir, cardName});
}

std::vector<std::string> collectViolations(const HostDir& host) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(host.cardsDir(), ec))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());

  std::vector<std::string> lines;
  for (const std::string& name : names) {
    std::string dir = host.cardDir(name);
    std::string text;
    if (fileExists(violationsPath(dir)) && readFile(violationsPath(dir), &text, nullptr)) {
      std::istringstream in(text);
      for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    }
    ChipHeader header;
    std::string error;
    if (!readChipHeader(dir, &header, &error)) {
      lines.push_back(name + ": cannot be checked: " + error);
      continue;
    }
    if (!(header.semaphore & kSemaphoreHeld)) continue;
    auto holder = static_cast<int32_t>(header.semaphore & 0xFFFFFFFF);
    if (holder != 0 && !processIsRunning(holder))
      lines.push_back(name + ": ROM semaphore held by process " + std::to_string(holder) + ", which has ended");
  }
  return lines;
}

bool clearViolations(const HostDir& host, std::string* error) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(host.cardsDir(), ec)) {
    if (!entry.is_directory()) continue;
    std::string path = violationsPath(entry.path().string());
    // Truncated, not removed: processes keep the log open and append on.
    std::error_code resized;
    std::filesystem::resize_file(path, 0, resized);
    if (resized && resized != std::errc::no_such_file_or_directory) {
      if (error) *error = path + ": cannot be emptied (" + resized.message() + ")";
      return false;
    }
  }
  return true;
}

}  // namespace simhost
