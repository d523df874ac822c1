// Plug-in libraries through the dynamic loader. Each library keeps its own
// symbols (RTLD_LOCAL), as a Windows module does: a plug-in that links the
// same static parts as its host uses its own copies of them.
#include <dlfcn.h>

#include "platform/library.h"

namespace platform {

namespace {

class PosixLibrary : public Library {
 public:
  explicit PosixLibrary(void* handle) : handle_(handle) {}
  ~PosixLibrary() override { ::dlclose(handle_); }
  PosixLibrary(const PosixLibrary&) = delete;
  PosixLibrary& operator=(const PosixLibrary&) = delete;

  void* symbol(const std::string& name) override { return ::dlsym(handle_, name.c_str()); }

 private:
  void* handle_;
};

}  // namespace

std::unique_ptr<Library> loadLibrary(const std::string& path, std::string* error) {
  // A bare name would make the loader search its own places; the plug-in is
  // always named by its path.
  const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
  void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    if (error) {
      const char* text = ::dlerror();
      *error = text ? text : "cannot load " + path;
    }
    return nullptr;
  }
  return std::make_unique<PosixLibrary>(handle);
}

std::string libraryFileName(const std::string& name) { return name + ".so"; }

}  // namespace platform
