// fopen's C11 exclusive mode ("wx", "wbx", "w+x"): create the file, failing
// with EEXIST when it is there. The msvcrt C runtime MinGW links ignores the
// 'x' and truncates an existing file, which would let two runs both take the
// tool's instance lock, or a backup overwrite another. The build wraps every
// fopen of the programs (-Wl,--wrap=fopen) with this one.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

extern "C" std::FILE* __real_fopen(const char* path, const char* mode);

extern "C" std::FILE* __wrap_fopen(const char* path, const char* mode) {
  if (path == nullptr || mode == nullptr || std::strchr(mode, 'x') == nullptr || mode[0] != 'w')
    return __real_fopen(path, mode);
  const bool update = std::strchr(mode, '+') != nullptr;
  const bool binary = std::strchr(mode, 'b') != nullptr;
  int flags = (update ? _O_RDWR : _O_WRONLY) | _O_CREAT | _O_EXCL | _O_TRUNC | (binary ? _O_BINARY : _O_TEXT);
  int fd = _open(path, flags, _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;  // errno: EEXIST when the file was there
  std::string plain;
  for (const char* c = mode; *c; ++c)
    if (*c != 'x') plain += *c;
  std::FILE* file = _fdopen(fd, plain.c_str());
  if (file == nullptr) {
    int error = errno;
    _close(fd);
    errno = error;
  }
  return file;
}
