// The change counter's file, mapping and lock on POSIX systems.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "simhost/machine/change_counter.h"

namespace simhost {

namespace {
constexpr size_t kCounterSize = sizeof(uint64_t);
}  // namespace

// Two processes may create the file at once: growing a file to the size it
// already has changes nothing, so neither loses the other's count.
uint64_t* ChangeCounter::mapCounterFile(const std::string& path, intptr_t* file) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
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
  *file = fd;
  return static_cast<uint64_t*>(p);
}

void ChangeCounter::unmapCounterFile(uint64_t* word, intptr_t file) {
  if (word != nullptr) ::munmap(word, kCounterSize);
  ::close(static_cast<int>(file));
}

bool ChangeCounter::lockCounterFile(intptr_t file) {
  while (::flock(static_cast<int>(file), LOCK_EX) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

void ChangeCounter::unlockCounterFile(intptr_t file) { ::flock(static_cast<int>(file), LOCK_UN); }

bool ChangeCounter::removeStatePath(const std::string& path, std::string* error) {
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return true;
  if (error) *error = path + ": cannot be removed (" + std::strerror(errno) + ")";
  return false;
}

}  // namespace simhost
