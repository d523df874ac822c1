#include "simhost/chip/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace simhost {

namespace {

// The file opened read-write, once it has exactly `size` bytes; -1 and
// *error naming the file otherwise.
int openSized(const std::string& path, size_t size, std::string* error) {
  auto fail = [&](const std::string& problem) {
    if (error) *error = path + ": " + problem;
    return -1;
  };
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return fail(std::string("cannot be opened (") + std::strerror(errno) + ")");
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    int e = errno;
    ::close(fd);
    return fail(std::string("cannot be examined (") + std::strerror(e) + ")");
  }
  if (static_cast<uint64_t>(st.st_size) != size) {
    ::close(fd);
    return fail("is " + std::to_string(st.st_size) + " bytes long, expected " + std::to_string(size));
  }
  return fd;
}

}  // namespace

std::unique_ptr<MappedFile> MappedFile::open(const std::string& path, size_t size, std::string* error) {
  int fd = openSized(path, size, error);
  if (fd < 0) return nullptr;
  void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  int e = errno;
  ::close(fd);
  if (p == MAP_FAILED) {
    if (error) *error = path + ": cannot be mapped (" + std::strerror(e) + ")";
    return nullptr;
  }
  return std::unique_ptr<MappedFile>(new MappedFile(static_cast<uint8_t*>(p), size));
}

bool MappedFile::check(const std::string& path, size_t size, std::string* error) {
  int fd = openSized(path, size, error);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

MappedFile::~MappedFile() { ::munmap(data_, size_); }

}  // namespace simhost
