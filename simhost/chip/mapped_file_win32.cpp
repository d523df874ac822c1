// The shared mapping on Windows: a file mapping object over the file, one
// view of all of it. Every process mapping the same file shares its pages.
#include <windows.h>

#include "simhost/chip/mapped_file.h"

namespace simhost {

namespace {

// The file opened read-write, once it has exactly `size` bytes; null and
// *error naming the file otherwise.
HANDLE openSized(const std::string& path, size_t size, std::string* error) {
  auto fail = [&](const std::string& problem) -> HANDLE {
    if (error) *error = path + ": " + problem + " (Windows error " + std::to_string(GetLastError()) + ")";
    return nullptr;
  };
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return fail("cannot be opened");
  LARGE_INTEGER length{};
  if (!GetFileSizeEx(file, &length)) {
    CloseHandle(file);
    return fail("cannot be examined");
  }
  if (static_cast<uint64_t>(length.QuadPart) != size) {
    CloseHandle(file);
    if (error) *error = path + ": is " + std::to_string(length.QuadPart) + " bytes long, expected " + std::to_string(size);
    return nullptr;
  }
  return file;
}

}  // namespace

bool MappedFile::check(const std::string& path, size_t size, std::string* error) {
  HANDLE file = openSized(path, size, error);
  if (!file) return false;
  CloseHandle(file);
  return true;
}

std::unique_ptr<MappedFile> MappedFile::open(const std::string& path, size_t size, std::string* error) {
  auto fail = [&](const std::string& problem) -> std::unique_ptr<MappedFile> {
    if (error) *error = path + ": " + problem + " (Windows error " + std::to_string(GetLastError()) + ")";
    return nullptr;
  };
  HANDLE file = openSized(path, size, error);
  if (!file) return nullptr;
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 0, nullptr);
  CloseHandle(file);
  if (!mapping) return fail("cannot be mapped");
  void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, size);
  CloseHandle(mapping);  // the view keeps the mapping
  if (!view) return fail("cannot be mapped");
  return std::unique_ptr<MappedFile>(new MappedFile(static_cast<uint8_t*>(view), size));
}

MappedFile::~MappedFile() { UnmapViewOfFile(data_); }

}  // namespace simhost
