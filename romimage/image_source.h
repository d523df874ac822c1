// Where the image reader takes its bytes from: an open file, or bytes already
// in memory (an image received whole, a test's image, a fuzzer's input). The
// reader and its checks are the same over both.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace burnkit {

struct SourceRead {
  enum Status { ok, seekFailed, readFailed };
  Status status = ok;
  size_t got = 0;      // bytes placed in the destination
  std::string reason;  // for a failure: the system's error text, or the end of the data
};

class ImageSource {
 public:
  virtual ~ImageSource() = default;
  virtual uint64_t size() const = 0;
  // Reads dst.size() bytes at offset. Fewer bytes is a read failure; the
  // bytes that were there are still in dst.
  virtual SourceRead read(uint64_t offset, std::span<uint8_t> dst) = 0;
};

// Reads length bytes at offset into *bytes. A range that goes past the end of
// the source fails before anything is allocated, so a table size taken from a
// damaged image never turns into a huge allocation.
SourceRead readRange(ImageSource& source, uint64_t offset, uint64_t length, std::vector<uint8_t>* bytes);

class FileImageSource : public ImageSource {
 public:
  // nullptr with *reason (the system's error text) when the file cannot be
  // opened for reading.
  static std::unique_ptr<FileImageSource> open(const std::string& path, std::string* reason);
  ~FileImageSource() override;
  FileImageSource(const FileImageSource&) = delete;
  FileImageSource& operator=(const FileImageSource&) = delete;

  uint64_t size() const override { return size_; }
  SourceRead read(uint64_t offset, std::span<uint8_t> dst) override;

 private:
  FileImageSource(std::FILE* file, uint64_t size) : file_(file), size_(size) {}
  std::FILE* file_;
  uint64_t size_;
};

class MemoryImageSource : public ImageSource {
 public:
  // The bytes must outlive the source.
  explicit MemoryImageSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  uint64_t size() const override { return bytes_.size(); }
  SourceRead read(uint64_t offset, std::span<uint8_t> dst) override;

 private:
  std::span<const uint8_t> bytes_;
};

}  // namespace burnkit
