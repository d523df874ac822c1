// The adapter driver's device object: CreateFileA on "\\.\{GUID}" and one
// DeviceIoControl per request, the request's bytes passed as the tool built
// them.
#include <windows.h>

#include "platform/win32/win32_backend.h"
#include "platform/win32/win32_error.h"

namespace platform {

namespace {

class Win32DriverChannel : public DriverChannel {
 public:
  explicit Win32DriverChannel(HANDLE device) : device_(device) {}
  ~Win32DriverChannel() override { CloseHandle(device_); }

  bool ioControl(uint32_t controlCode, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                 uint32_t* bytesReturned) override {
    DWORD returned = 0;
    if (!DeviceIoControl(device_, controlCode, const_cast<void*>(in), inSize, out, outSize, &returned, nullptr)) {
      lastError_ = lastWin32Error();
      return false;
    }
    lastError_ = kErrorSuccess;
    if (bytesReturned) *bytesReturned = returned;
    return true;
  }

  WinError lastError() const override { return lastError_; }

 private:
  HANDLE device_;
  WinError lastError_ = kErrorSuccess;
};

class Win32DriverChannels : public DriverChannels {
 public:
  std::unique_ptr<DriverChannel> open(const std::string& path, WinError* error) override {
    HANDLE device = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
      if (error) *error = lastWin32Error();
      return nullptr;
    }
    return std::make_unique<Win32DriverChannel>(device);
  }
};

}  // namespace

std::unique_ptr<DriverChannels> makeWin32DriverChannels() { return std::make_unique<Win32DriverChannels>(); }

}  // namespace platform
