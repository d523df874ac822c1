// The file primitives that differ between systems, on POSIX.
#include "simhost/machine/files.h"

#include "simhost/machine/state_counts.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <cstring>

namespace simhost {

bool writeFileAtomic(const std::string& path, const std::string& data, std::string* error) {
  std::string temp = path + ".tmp." + std::to_string(getpid());
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (error) *error = path + ": cannot be written (" + std::strerror(errno) + ")";
    return false;
  }
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (error) *error = path + ": cannot be written (" + std::strerror(errno) + ")";
      ::close(fd);
      ::unlink(temp.c_str());
      return false;
    }
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    if (error) *error = path + ": cannot be replaced (" + std::strerror(errno) + ")";
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

bool fileExists(const std::string& path) {
  countFileStatus();
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

FileLock::FileLock(const std::string& lockPath) {
  int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      ::close(fd);
      return;
    }
  }
  fd_ = fd;
}

FileLock::~FileLock() {
  if (fd_ >= 0) {
    ::flock(static_cast<int>(fd_), LOCK_UN);
    ::close(static_cast<int>(fd_));
  }
}

intptr_t openAppendFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  return fd < 0 ? kNoFile : fd;
}

void appendToFile(intptr_t file, const std::string& text) {
  // One write: O_APPEND puts it at the end whole.
  (void)!::write(static_cast<int>(file), text.data(), text.size());
}

void closeAppendFile(intptr_t file) {
  if (file != kNoFile) ::close(static_cast<int>(file));
}

int64_t readFileStart(const std::string& path, void* data, size_t size, std::string* error) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (error) *error = path + ": cannot be opened (" + std::strerror(errno) + ")";
    return -1;
  }
  ssize_t n = ::pread(fd, data, size, 0);
  ::close(fd);
  return n < 0 ? 0 : n;
}

bool fileStamp(const std::string& path, FileStamp* stamp) {
  countFileStatus();
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  stamp->device = st.st_dev;
  stamp->inode = st.st_ino;
  stamp->size = static_cast<uint64_t>(st.st_size);
  stamp->mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return true;
}

bool stampIsSettled(const FileStamp& stamp) {
  struct timespec now;
  ::clock_gettime(CLOCK_REALTIME, &now);
  int64_t nowNs = static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
  return nowNs - stamp.mtimeNs > 100'000'000;  // 100 ms
}

}  // namespace simhost
