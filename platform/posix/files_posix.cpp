// Files on a POSIX file system. A handle is a file descriptor; descriptors
// are shared between processes by nature, and every append moves to the end
// first, so concurrent writers interleave whole writes as on Windows.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/common/codepage.h"
#include "platform/common/file_pattern.h"
#include "platform/files.h"

namespace platform {

namespace {

WinError fromErrno(int e) {
  switch (e) {
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return kErrorAccessDenied;
    case EEXIST: return kErrorAlreadyExists;
    case ENOMEM: return kErrorNotEnoughMemory;
    case EBADF: return kErrorInvalidHandle;
    default: return kErrorGenFailure;
  }
}

}  // namespace

std::string hostText(const std::u16string& text) { return toCodePage(text, kCodePageUtf8); }

std::string hostPath(const std::u16string& windowsPath) {
  std::string path = hostText(windowsPath);
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

std::u16string widePath(const std::string& hostPath) { return fromCodePage(hostPath, kCodePageUtf8); }

FileHandle openSharedFile(const std::string& path, WinError* error) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (error) *error = fromErrno(errno);
    return kInvalidFile;
  }
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    if (error) *error = kErrorAccessDenied;
    return kInvalidFile;
  }
  if (error) *error = kErrorSuccess;
  return fd;
}

WinError appendToFile(FileHandle file, const void* data, size_t size) {
  if (file < 0) return kErrorInvalidHandle;
  int fd = static_cast<int>(file);
  if (::lseek(fd, 0, SEEK_END) < 0) return fromErrno(errno);
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd, bytes, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fromErrno(errno);
    }
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return kErrorSuccess;
}

WinError readWholeFile(FileHandle file, std::string* bytes) {
  bytes->clear();
  if (file < 0) return kErrorInvalidHandle;
  int fd = static_cast<int>(file);
  if (::lseek(fd, 0, SEEK_SET) < 0) return fromErrno(errno);
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fromErrno(errno);
    }
    if (n == 0) return kErrorSuccess;
    bytes->append(buffer, static_cast<size_t>(n));
  }
}

WinError closeFile(FileHandle file) {
  if (file < 0) return kErrorInvalidHandle;
  return ::close(static_cast<int>(file)) == 0 ? kErrorSuccess : fromErrno(errno);
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

WinError createDirectory(const std::string& path) {
  return ::mkdir(path.c_str(), 0755) == 0 ? kErrorSuccess : fromErrno(errno);
}

WinError moveFile(const std::string& from, const std::string& to) {
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0) return kErrorAlreadyExists;
  return ::rename(from.c_str(), to.c_str()) == 0 ? kErrorSuccess : fromErrno(errno);
}

WinError deleteFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0 ? kErrorSuccess : fromErrno(errno);
}

WinError findFiles(const std::string& directory, const std::string& pattern, std::vector<std::string>* names) {
  names->clear();
  std::string dir = directory.empty() ? "." : directory;
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return fromErrno(errno);
  while (dirent* entry = ::readdir(d)) {
    std::string name = entry->d_name;
    if (!matchesFilePattern(pattern, name)) continue;
    std::string full = dir + (dir.back() == '/' ? "" : "/") + name;
    if (fileExists(full)) names->push_back(name);
  }
  ::closedir(d);
  return names->empty() ? kErrorFileNotFound : kErrorSuccess;
}

}  // namespace platform
