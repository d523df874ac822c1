// Files through kernel32. Paths are the machine's ANSI code page, as every
// "A" call of this backend takes them; backslashes become '/', which every
// call here accepts, so that callers split paths the same way on every host.
#include <windows.h>

#include "platform/common/file_pattern.h"
#include "platform/files.h"
#include "platform/win32/win32_error.h"

namespace platform {

namespace {

HANDLE handleOf(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

std::string hostText(const std::u16string& text) {
  if (text.empty()) return std::string();
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string result(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, wide, length, result.data(), n, nullptr, nullptr);
  return result;
}

std::string hostPath(const std::u16string& windowsPath) {
  std::string path = hostText(windowsPath);
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

std::u16string widePath(const std::string& hostPath) {
  if (hostPath.empty()) return std::u16string();
  const int length = static_cast<int>(hostPath.size());
  const int n = MultiByteToWideChar(CP_ACP, 0, hostPath.data(), length, nullptr, 0);
  std::u16string result(n > 0 ? static_cast<size_t>(n) : 0, u'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, hostPath.data(), length, reinterpret_cast<wchar_t*>(result.data()), n);
  return result;
}

FileHandle openSharedFile(const std::string& path, WinError* error) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    if (error) *error = lastWin32Error();
    return kInvalidFile;
  }
  if (error) *error = kErrorSuccess;
  return reinterpret_cast<FileHandle>(file);
}

WinError appendToFile(FileHandle file, const void* data, size_t size) {
  if (file == kInvalidFile) return kErrorInvalidHandle;
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(handleOf(file), zero, nullptr, FILE_END)) return lastWin32Error();
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD piece = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(handleOf(file), bytes, piece, &written, nullptr)) return lastWin32Error();
    bytes += written;
    size -= written;
  }
  return kErrorSuccess;
}

WinError readWholeFile(FileHandle file, std::string* bytes) {
  bytes->clear();
  if (file == kInvalidFile) return kErrorInvalidHandle;
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(handleOf(file), zero, nullptr, FILE_BEGIN)) return lastWin32Error();
  char buffer[65536];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(handleOf(file), buffer, sizeof buffer, &n, nullptr)) return lastWin32Error();
    if (n == 0) return kErrorSuccess;
    bytes->append(buffer, n);
  }
}

WinError closeFile(FileHandle file) {
  if (file == kInvalidFile) return kErrorInvalidHandle;
  return CloseHandle(handleOf(file)) ? kErrorSuccess : lastWin32Error();
}

bool fileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

WinError createDirectory(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) ? kErrorSuccess : lastWin32Error();
}

WinError moveFile(const std::string& from, const std::string& to) {
  return MoveFileA(from.c_str(), to.c_str()) ? kErrorSuccess : lastWin32Error();
}

WinError deleteFile(const std::string& path) {
  return DeleteFileA(path.c_str()) ? kErrorSuccess : lastWin32Error();
}

// Every entry is listed and matched by the rule every backend shares:
// FindFirstFile's own matching also tries the short 8.3 names, so "*.xml"
// would find "a.xmlx" there.
WinError findFiles(const std::string& directory, const std::string& pattern, std::vector<std::string>* names) {
  names->clear();
  const std::string dir = directory.empty() ? "." : directory;
  const char last = dir.back();
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((dir + (last == '/' || last == '\\' ? "*" : "/*")).c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return lastWin32Error();
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && matchesFilePattern(pattern, entry.cFileName))
      names->push_back(entry.cFileName);
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  return names->empty() ? kErrorFileNotFound : kErrorSuccess;
}

}  // namespace platform
