#include "sw/tools/flashLoader/adapter/flash_words.h"

#include "sw/tools/flashLoader/adapter/driver_io.h"
#include "sw/tools/flashLoader/adapter/register_access.h"

namespace {

constexpr uint32_t kErasedWord = 0xFFFFFFFF;

}  // namespace

int read_flash_word(const DeviceHandle& handle, uint32_t offset, uint32_t* word) {
  DriverRequest request = make_word_request(kCmdFlashWordRead);
  request.address = offset;
  request.length = 4;
  if (!CvDeviceIoControl(handle, &request)) {
    print_read_call_failed();
    *word = static_cast<uint32_t>(request.data);
    return -1;
  }
  *word = static_cast<uint32_t>(request.data);
  return request.status == kDriverStatusFailed ? -1 : 0;
}

int read_flash_words(const DeviceHandle& handle, uint32_t offset, std::span<uint32_t> words) {
  for (size_t i = 0; i < words.size(); ++i)
    if (read_flash_word(handle, offset + static_cast<uint32_t>(4 * i), &words[i]) != 0) return -1;
  return 0;
}

int write_word(const DeviceHandle& handle, uint32_t offset, uint32_t value) {
  return send_word_write(handle, kCmdFlashWordWrite, offset, value);
}

int write_flash_words(const DeviceHandle& handle, uint32_t offset, std::span<const uint32_t> words,
                      bool skipErased, void (*progress)(size_t done, size_t total)) {
  for (size_t i = 0; i < words.size(); ++i) {
    if (!(skipErased && words[i] == kErasedWord) &&
        write_word(handle, offset + static_cast<uint32_t>(4 * i), words[i]) == -1)
      return -1;
    if (progress) progress(i + 1, words.size());
  }
  return 0;
}
