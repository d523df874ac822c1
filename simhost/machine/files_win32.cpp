// The file primitives that differ between systems, on Windows.
#include <windows.h>

#include "simhost/machine/files.h"

namespace simhost {

namespace {

std::string systemMessage(DWORD code) { return "Windows error " + std::to_string(code); }

HANDLE handleOf(intptr_t file) { return reinterpret_cast<HANDLE>(file); }

// 100-nanosecond ticks since 1601 as nanoseconds since 1970.
int64_t unixNanoseconds(FILETIME t) {
  uint64_t ticks = (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  return (static_cast<int64_t>(ticks) - 116444736000000000LL) * 100;
}

}  // namespace

bool writeFileAtomic(const std::string& path, const std::string& data, std::string* error) {
  std::string temp = path + ".tmp." + std::to_string(GetCurrentProcessId());
  HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    if (error) *error = path + ": cannot be written (" + systemMessage(GetLastError()) + ")";
    return false;
  }
  size_t done = 0;
  while (done < data.size()) {
    DWORD piece = data.size() - done > 0x10000000 ? 0x10000000 : static_cast<DWORD>(data.size() - done);
    DWORD written = 0;
    if (!WriteFile(file, data.data() + done, piece, &written, nullptr)) {
      if (error) *error = path + ": cannot be written (" + systemMessage(GetLastError()) + ")";
      CloseHandle(file);
      DeleteFileA(temp.c_str());
      return false;
    }
    done += written;
  }
  CloseHandle(file);
  if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    if (error) *error = path + ": cannot be replaced (" + systemMessage(GetLastError()) + ")";
    DeleteFileA(temp.c_str());
    return false;
  }
  return true;
}

bool fileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

FileLock::FileLock(const std::string& lockPath) {
  HANDLE file = CreateFileA(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  OVERLAPPED at{};
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at)) {
    CloseHandle(file);
    return;
  }
  fd_ = reinterpret_cast<intptr_t>(file);
}

FileLock::~FileLock() {
  if (fd_ == -1) return;
  OVERLAPPED at{};
  UnlockFileEx(handleOf(fd_), 0, 1, 0, &at);
  CloseHandle(handleOf(fd_));
}

intptr_t openAppendFile(const std::string& path) {
  // FILE_APPEND_DATA alone: every write goes to the end of the file.
  HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<intptr_t>(file);
}

void appendToFile(intptr_t file, const std::string& text) {
  DWORD written = 0;
  WriteFile(handleOf(file), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void closeAppendFile(intptr_t file) {
  if (file != kNoFile) CloseHandle(handleOf(file));
}

int64_t readFileStart(const std::string& path, void* data, size_t size, std::string* error) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    if (error) *error = path + ": cannot be opened (" + systemMessage(GetLastError()) + ")";
    return -1;
  }
  DWORD read = 0;
  if (!ReadFile(file, data, static_cast<DWORD>(size), &read, nullptr)) read = 0;
  CloseHandle(file);
  return read;
}

bool fileStamp(const std::string& path, FileStamp* stamp) {
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  bool ok = GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  if (!ok) return false;
  stamp->device = info.dwVolumeSerialNumber;
  stamp->inode = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  stamp->size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  stamp->mtimeNs = unixNanoseconds(info.ftLastWriteTime);
  return true;
}

bool stampIsSettled(const FileStamp& stamp) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return unixNanoseconds(now) - stamp.mtimeNs > 100'000'000;  // 100 ms
}

}  // namespace simhost
