#include "platform/simhost/foreign_nic_channel.h"

#include <cstring>

namespace platform {

namespace {

constexpr uint32_t kQueryGlobalStats = 0x00170002;  // IOCTL_NDIS_QUERY_GLOBAL_STATS
constexpr uint32_t kOidVendorDriverVersion = 0x00010116;
constexpr uint32_t kForeignDriverVersion = 0x00030007;  // 3.7 in the OID's major.minor form

class ForeignNicChannel : public DriverChannel {
 public:
  bool ioControl(uint32_t controlCode, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                 uint32_t* bytesReturned) override {
    uint32_t oid = 0;
    if (controlCode != kQueryGlobalStats) return fail(kErrorInvalidFunction);
    if (in == nullptr || inSize < sizeof oid) return fail(kErrorInvalidParameter);
    std::memcpy(&oid, in, sizeof oid);
    if (oid != kOidVendorDriverVersion) return fail(kErrorNotSupported);
    if (out == nullptr || outSize < sizeof kForeignDriverVersion) return fail(kErrorInsufficientBuffer);
    std::memcpy(out, &kForeignDriverVersion, sizeof kForeignDriverVersion);
    if (bytesReturned) *bytesReturned = sizeof kForeignDriverVersion;
    error_ = kErrorSuccess;
    return true;
  }

  WinError lastError() const override { return error_; }

 private:
  bool fail(WinError error) {
    error_ = error;
    return false;
  }
  WinError error_ = kErrorSuccess;
};

}  // namespace

std::unique_ptr<DriverChannel> makeForeignNicChannel() { return std::make_unique<ForeignNicChannel>(); }

}  // namespace platform
