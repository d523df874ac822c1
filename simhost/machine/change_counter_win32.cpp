// The change counter's file, mapping and lock on Windows: a file mapping
// shared by every process that opens PATH.gen, and LockFileEx for the lock.
#include <windows.h>

#include "simhost/machine/change_counter.h"

namespace simhost {

namespace {

constexpr DWORD kCounterSize = sizeof(uint64_t);

HANDLE handleOf(intptr_t file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

uint64_t* ChangeCounter::mapCounterFile(const std::string& path, intptr_t* file) {
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  // A mapping larger than the file grows it; one of the file's size leaves
  // it as it is, so two processes creating it at once lose no count.
  HANDLE mapping = CreateFileMappingA(handle, nullptr, PAGE_READWRITE, 0, kCounterSize, nullptr);
  if (mapping == nullptr) {
    CloseHandle(handle);
    return nullptr;
  }
  void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kCounterSize);
  // The view keeps the mapping alive on its own.
  CloseHandle(mapping);
  if (view == nullptr) {
    CloseHandle(handle);
    return nullptr;
  }
  *file = reinterpret_cast<intptr_t>(handle);
  return static_cast<uint64_t*>(view);
}

void ChangeCounter::unmapCounterFile(uint64_t* word, intptr_t file) {
  if (word != nullptr) UnmapViewOfFile(word);
  CloseHandle(handleOf(file));
}

bool ChangeCounter::lockCounterFile(intptr_t file) {
  OVERLAPPED at{};
  return LockFileEx(handleOf(file), LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at) != 0;
}

void ChangeCounter::unlockCounterFile(intptr_t file) {
  OVERLAPPED at{};
  UnlockFileEx(handleOf(file), 0, 1, 0, &at);
}

bool ChangeCounter::removeStatePath(const std::string& path, std::string* error) {
  if (DeleteFileA(path.c_str())) return true;
  const DWORD code = GetLastError();
  if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return true;
  if (error) *error = path + ": cannot be removed (Windows error " + std::to_string(code) + ")";
  return false;
}

}  // namespace simhost
