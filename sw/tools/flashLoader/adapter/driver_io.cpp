#include "sw/tools/flashLoader/adapter/driver_io.h"

#include "sw/tools/flashLoader/adapter/debug_output.h"

namespace {

thread_local platform::WinError g_lastError = platform::kErrorSuccess;

// One DeviceIoControl with IOCTL_NDIS_QUERY_GLOBAL_STATS on the handle.
bool query_global_stats(const DeviceHandle& handle, uint32_t oid, void* out, uint32_t outSize) {
  if (!handle || !handle->channel) {
    g_lastError = platform::kErrorInvalidHandle;
    return false;
  }
  uint32_t returned = 0;
  if (handle->channel->ioControl(kIoctlNdisQueryGlobalStats, &oid, sizeof oid, out, outSize, &returned)) {
    // A call that went through leaves no error behind: an answer the caller
    // rejects by its status reports error 0, not an older call's.
    g_lastError = platform::kErrorSuccess;
    return true;
  }
  g_lastError = handle->channel->lastError();
  return false;
}

// Asks the vendor driver version; a driver that answers 5.2 speaks the
// alternate dialect. Any other answer, or no answer, keeps the standard one.
void probe_dialect(const DeviceHandle& handle) {
  uint32_t version = 0;
  if (query_global_stats(handle, kOidGenVendorDriverVersion, &version, sizeof version) &&
      version == kAlternateVendorDriverVersion)
    g_adapter.dialect.store(kDialectAlternate);
}

}  // namespace

bool CvDeviceIoControl(const DeviceHandle& handle, DriverRequest* request) {
  // Once probed the dialect never changes: a plain load on every call, the
  // read-modify-write only until the first call has claimed the probe.
  uint32_t dialect = g_adapter.dialect.load(std::memory_order_acquire);
  if (dialect == kDialectNotProbed) {
    uint32_t notProbed = kDialectNotProbed;
    if (g_adapter.dialect.compare_exchange_strong(notProbed, kDialectStandard)) probe_dialect(handle);
    dialect = g_adapter.dialect.load(std::memory_order_acquire);
  }

  uint32_t oid = kOidStandardRequest;
  if (dialect == kDialectAlternate) {
    oid = kOidAlternateRequest;
    request->signature = kAlternateSignature;
    request->command = alternate_command_number(request->command);
  }
  if (query_global_stats(handle, oid, request, kDriverRequestSize)) return true;
  debug_output("CV_FAILURE: CvDeviceIoControl\n");
  return false;
}

platform::WinError driver_last_error() { return g_lastError; }
