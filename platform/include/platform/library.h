// LoadLibrary, GetProcAddress and FreeLibrary: a host program loading a
// plug-in library and calling its exported functions by name.
#pragma once

#include <memory>
#include <string>

namespace platform {

class Library {
 public:
  virtual ~Library() = default;  // unloads the library (its static objects are destroyed)
  // The address of an unmangled export, or nullptr.
  virtual void* symbol(const std::string& name) = 0;
};

// Loads the library file at path (the library's static initialisation runs
// now). nullptr and *error (the loader's own text) when it cannot be loaded.
std::unique_ptr<Library> loadLibrary(const std::string& path, std::string* error);

// The file name of the library built as name: "name.dll" on Windows, as the
// build names it elsewhere ("name.so").
std::string libraryFileName(const std::string& name);

}  // namespace platform
