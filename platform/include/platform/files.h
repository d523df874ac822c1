// Files by handle and by name, as the plug-in reaches them through kernel32:
// a handle that several processes share for appending, directory creation,
// moving, deleting and wildcard listings. Paths are host paths; a Windows
// path text (backslashes) becomes one through hostPath.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/errors.h"

namespace platform {

// A pointer-sized file handle (HANDLE on Windows); kInvalidFile when none.
using FileHandle = intptr_t;
inline constexpr FileHandle kInvalidFile = -1;

// A UTF-16 text as the host's file-name bytes, separators unchanged.
std::string hostText(const std::u16string& text);
// A UTF-16 Windows path text as a host path: backslashes become the host's
// separator, the text the host's file-name bytes.
std::string hostPath(const std::u16string& windowsPath);
// A host path as UTF-16 text (for names read from a directory).
std::u16string widePath(const std::string& hostPath);

// CreateFile with read and write access, shared for reading and writing,
// OPEN_ALWAYS: opens an existing file or creates an empty one, never
// truncating.
FileHandle openSharedFile(const std::string& path, WinError* error);
// SetFilePointer to the end, then WriteFile of all bytes.
WinError appendToFile(FileHandle file, const void* data, size_t size);
// The whole file from its start.
WinError readWholeFile(FileHandle file, std::string* bytes);
WinError closeFile(FileHandle file);

// GetFileAttributes: a regular file exists at path.
bool fileExists(const std::string& path);
// CreateDirectory of one level (kErrorAlreadyExists when it is there).
WinError createDirectory(const std::string& path);
// MoveFile: fails with kErrorAlreadyExists when the target exists.
WinError moveFile(const std::string& from, const std::string& to);
WinError deleteFile(const std::string& path);
// FindFirstFile/FindNextFile over directory with a pattern of '*' and '?':
// the names of the regular files that match without regard to letter case
// (ASCII), in the order the file system lists them. An empty directory name
// is the current directory.
WinError findFiles(const std::string& directory, const std::string& pattern, std::vector<std::string>* names);

}  // namespace platform
