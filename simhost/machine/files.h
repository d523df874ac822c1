// File primitives shared by every part of the simulated machine: whole-file
// reads, atomic rewrites (a reader sees the old file or the new one, never a
// half), an inter-process lock, and a stamp that tells when a file changed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace simhost {

bool readFile(const std::string& path, std::string* data, std::string* error);

// Writes to a temporary file beside path and renames it over path.
bool writeFileAtomic(const std::string& path, const std::string& data, std::string* error);

bool fileExists(const std::string& path);
bool makeDirectories(const std::string& path, std::string* error);

// An exclusive advisory lock (flock) on a lock file, held for the object's
// lifetime. Processes that change one of the machine's files take it around
// their read-modify-write.
class FileLock {
 public:
  explicit FileLock(const std::string& lockPath);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool held() const { return fd_ != -1; }

 private:
  intptr_t fd_ = -1;  // a descriptor; on Windows a file handle
};

// A file that processes append whole lines to at once (a log): each append is
// one write at the file's end, so lines of concurrent writers stay whole.
// kNoFile when it cannot be opened (or created).
inline constexpr intptr_t kNoFile = -1;
intptr_t openAppendFile(const std::string& path);
void appendToFile(intptr_t file, const std::string& text);
void closeAppendFile(intptr_t file);

// Reads up to size bytes from the file's start: how many it read, or -1 with
// *error when the file cannot be opened.
int64_t readFileStart(const std::string& path, void* data, size_t size, std::string* error);

// Identity and version of a file on disk; an atomic rewrite changes it.
struct FileStamp {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  int64_t mtimeNs = 0;
  bool operator==(const FileStamp&) const = default;
};

// False when the file does not exist.
bool fileStamp(const std::string& path, FileStamp* stamp);

// File times are coarse (a few milliseconds on common file systems) and inode
// numbers are reused, so two rewrites in quick succession can leave equal
// stamps. A cache may trust a stamp only once the file has been left alone for
// longer than that; until then it must reread the file.
bool stampIsSettled(const FileStamp& stamp);

}  // namespace simhost
