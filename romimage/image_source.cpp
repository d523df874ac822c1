#include "romimage/image_source.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace burnkit {

namespace {

constexpr const char* kEndOfData = "unexpected end of file";

}  // namespace

SourceRead readRange(ImageSource& source, uint64_t offset, uint64_t length, std::vector<uint8_t>* bytes) {
  bytes->clear();
  if (offset > source.size() || length > source.size() - offset) {
    SourceRead r;
    r.status = SourceRead::readFailed;
    r.reason = kEndOfData;
    return r;
  }
  bytes->resize(static_cast<size_t>(length));
  return source.read(offset, *bytes);
}

std::unique_ptr<FileImageSource> FileImageSource::open(const std::string& path, std::string* reason) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    if (reason) *reason = std::strerror(EISDIR);
    return nullptr;
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    if (reason) *reason = std::strerror(errno);
    return nullptr;
  }
  long end = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) end = std::ftell(file);
  if (end < 0) {
    // A pipe or a directory: nothing an image can be read from by offset.
    if (reason) *reason = std::strerror(errno ? errno : EINVAL);
    std::fclose(file);
    return nullptr;
  }
  return std::unique_ptr<FileImageSource>(new FileImageSource(file, static_cast<uint64_t>(end)));
}

FileImageSource::~FileImageSource() { std::fclose(file_); }

SourceRead FileImageSource::read(uint64_t offset, std::span<uint8_t> dst) {
  SourceRead r;
  errno = 0;
  if (offset > static_cast<uint64_t>(LONG_MAX) || std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) {
    r.status = SourceRead::seekFailed;
    r.reason = std::strerror(errno ? errno : EINVAL);
    return r;
  }
  r.got = dst.empty() ? 0 : std::fread(dst.data(), 1, dst.size(), file_);
  if (r.got < dst.size()) {
    r.status = SourceRead::readFailed;
    r.reason = std::ferror(file_) ? std::strerror(errno ? errno : EIO) : kEndOfData;
    std::clearerr(file_);
  }
  return r;
}

SourceRead MemoryImageSource::read(uint64_t offset, std::span<uint8_t> dst) {
  SourceRead r;
  uint64_t available = offset < bytes_.size() ? bytes_.size() - offset : 0;
  r.got = static_cast<size_t>(std::min<uint64_t>(available, dst.size()));
  if (r.got > 0) std::memcpy(dst.data(), bytes_.data() + offset, r.got);
  if (r.got < dst.size()) {
    r.status = SourceRead::readFailed;
    r.reason = kEndOfData;
  }
  return r;
}

}  // namespace burnkit
