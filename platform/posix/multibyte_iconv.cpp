// Shift-JIS through iconv, in Windows' own variant of it (code page 932).
#include <iconv.h>

#include <mutex>

#include "platform/multibyte.h"

namespace platform {

namespace {

class Converter {
 public:
  Converter() {
    cd_ = ::iconv_open("UTF-32LE", "CP932");
    if (cd_ == invalidDescriptor()) cd_ = ::iconv_open("UTF-32LE", "SHIFT_JIS");
  }
  ~Converter() {
    if (cd_ != invalidDescriptor()) ::iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  int32_t convert(uint8_t lead, uint8_t trail) {
    if (cd_ == invalidDescriptor()) return -1;
    std::lock_guard<std::mutex> lock(mutex_);
    char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    unsigned char out[8] = {};
    char* inPtr = in;
    char* outPtr = reinterpret_cast<char*>(out);
    size_t inLeft = sizeof in, outLeft = sizeof out;
    ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state for every pair
    size_t done = ::iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
    // Exactly one character from exactly both bytes.
    if (done == static_cast<size_t>(-1) || inLeft != 0 || outLeft != sizeof out - 4) return -1;
    return static_cast<int32_t>(out[0] | out[1] << 8 | out[2] << 16 | static_cast<uint32_t>(out[3]) << 24);
  }

 private:
  static iconv_t invalidDescriptor() { return reinterpret_cast<iconv_t>(-1); }
  iconv_t cd_;
  std::mutex mutex_;
};

}  // namespace

int32_t shiftJisPairToUnicode(uint8_t lead, uint8_t trail) {
  static Converter converter;
  return converter.convert(lead, trail);
}

}  // namespace platform
