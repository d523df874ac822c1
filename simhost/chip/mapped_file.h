// A file of a fixed size mapped shared into this process: every process that
// maps it sees each store at once, and a process killed in the middle leaves
// every store it made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace simhost {

class MappedFile {
 public:
  // Maps an existing file read-write. Fails, naming the file, unless it has
  // exactly `size` bytes.
  static std::unique_ptr<MappedFile> open(const std::string& path, size_t size, std::string* error);
  // Whether open would succeed up to the mapping itself: the file opens
  // read-write and has exactly `size` bytes. Maps nothing.
  static bool check(const std::string& path, size_t size, std::string* error);

  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  uint8_t* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  MappedFile(uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t* data_;
  size_t size_;
};

}  // namespace simhost
