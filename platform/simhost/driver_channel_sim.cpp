#include "platform/simhost/driver_channel_sim.h"

#include <utility>

namespace platform {

namespace {

class PortChannel : public DriverChannel {
 public:
  PortChannel(std::shared_ptr<simhost::Card> card, int portIndex) : card_(std::move(card)), portIndex_(portIndex) {}

  bool ioControl(uint32_t controlCode, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                 uint32_t* bytesReturned) override {
    return card_->deviceIoControl(portIndex_, controlCode, in, inSize, out, outSize, bytesReturned, &error_);
  }

  WinError lastError() const override { return error_; }

 private:
  std::shared_ptr<simhost::Card> card_;
  int portIndex_;
  WinError error_ = kErrorSuccess;
};

}  // namespace

std::unique_ptr<DriverChannel> makePortChannel(std::shared_ptr<simhost::Card> card, int port, WinError* error) {
  int index = card ? card->openPort(port) : -1;
  if (index < 0) {
    if (error) *error = kErrorFileNotFound;
    return nullptr;
  }
  return std::make_unique<PortChannel>(std::move(card), index);
}

}  // namespace platform
