#include "simhost/machine/files.h"

#include "simhost/machine/state_counts.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace simhost {

bool readFile(const std::string& path, std::string* data, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (error) *error = path + ": cannot be read (" + std::strerror(errno) + ")";
    return false;
  }
  std::ostringstream buffer;
  buffer << in.rdbuf();
  *data = buffer.str();
  return true;
}

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

bool makeDirectories(const std::string& path, std::string* error) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (ec) {
    if (error) *error = path + ": cannot be created (" + ec.message() + ")";
    return false;
  }
  return true;
}

FileLock::FileLock(const std::string& lockPath) {
  fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) return;
  while (::flock(fd_, LOCK_EX) != 0) {
    if (errno != EINTR) {
      ::close(fd_);
      fd_ = -1;
      return;
    }
  }
}

FileLock::~FileLock() {
  if (fd_ >= 0) {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
  }
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
