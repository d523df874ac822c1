// Plug-in libraries through LoadLibrary: each module keeps its own copies of
// the static parts it links, as on every host.
#include <windows.h>

#include "platform/library.h"

namespace platform {

namespace {

class Win32Library : public Library {
 public:
  explicit Win32Library(HMODULE module) : module_(module) {}
  ~Win32Library() override { FreeLibrary(module_); }
  Win32Library(const Win32Library&) = delete;
  Win32Library& operator=(const Win32Library&) = delete;

  void* symbol(const std::string& name) override {
    return reinterpret_cast<void*>(GetProcAddress(module_, name.c_str()));
  }

 private:
  HMODULE module_;
};

// The system's text for an error number, without its line end.
std::string systemText(DWORD code) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = n > 0 && text != nullptr ? std::string(text, n) : std::string();
  if (text != nullptr) LocalFree(text);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
    result.pop_back();
  return result;
}

}  // namespace

std::unique_ptr<Library> loadLibrary(const std::string& path, std::string* error) {
  // A bare name would make the loader search its own places; the plug-in is
  // always named by its path.
  const std::string file = path.find_first_of("/\\") == std::string::npos ? ".\\" + path : path;
  // No message box for a file that is no library.
  const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
  HMODULE module = LoadLibraryExA(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  const DWORD code = GetLastError();
  SetErrorMode(previous);
  if (module == nullptr) {
    if (error) {
      const std::string text = systemText(code);
      *error = path + ": " + (text.empty() ? "cannot be loaded" : text) + " (Windows error " +
               std::to_string(code) + ")";
    }
    return nullptr;
  }
  return std::make_unique<Win32Library>(module);
}

std::string libraryFileName(const std::string& name) { return name + ".dll"; }

}  // namespace platform
