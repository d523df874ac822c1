// The NIC driver's side of the I/O-control protocol: checks the request the
// way the driver does, counts it, lets the fault rules at it and performs it
// on the chip. Every request of every port passes deviceIoControl.
#include <cstddef>
#include <cstring>

#include "simhost/chip/card.h"
#include "simhost/chip/chip_registers.h"
#include "simhost/chip/driver_request.h"
#include "simhost/chip/flash_geometry.h"
#include "simhost/chip/process_identity.h"
#include "simhost/machine/json_util.h"

namespace simhost {

using platform::WinError;

namespace {

// The record is the caller's buffer, with no alignment promised.
template <typename T>
T field(const uint8_t* record, size_t offset) {
  T value;
  std::memcpy(&value, record + offset, sizeof value);
  return value;
}

template <typename T>
void setField(uint8_t* record, size_t offset, T value) {
  std::memcpy(record + offset, &value, sizeof value);
}

constexpr size_t kCommandAt = offsetof(DriverRequest, command);
constexpr size_t kAddressAt = offsetof(DriverRequest, address);
constexpr size_t kStatusAt = offsetof(DriverRequest, status);
constexpr size_t kDataAt = offsetof(DriverRequest, data);
constexpr size_t kSignatureAt = offsetof(DriverRequest, signature);
constexpr size_t kBufferAt = offsetof(DriverRequest, buffer);

bool failed(WinError* error, WinError code) {
  if (error) *error = code;
  return false;
}

}  // namespace

bool Card::deviceIoControl(int portIndex, uint32_t controlCode, const void* in, uint32_t inSize, void* out,
                           uint32_t outSize, uint32_t* bytesReturned, WinError* error) {
  if (controlCode != kIoctlQueryGlobalStats) return failed(error, platform::kErrorInvalidFunction);
  if (in == nullptr || inSize < sizeof(uint32_t)) return failed(error, platform::kErrorInvalidParameter);
  if (portIndex < 0 || portIndex >= portCount_ ||
      loadShared(state_->portMode[portIndex]) == static_cast<uint32_t>(PortMode::kStopped))
    return failed(error, platform::kErrorDeviceNotConnected);

  uint32_t oid;
  std::memcpy(&oid, in, sizeof oid);
  const bool alternate = config_.dialect == DriverDialect::kAlternate;
  if (oid == kOidVendorDriverVersion) {
    if (out == nullptr || outSize < sizeof(uint32_t)) return failed(error, platform::kErrorInsufficientBuffer);
    uint32_t version = alternate ? kAlternateVendorDriverVersion : (config_.driverVersion >> 24) << 16 |
                                                                       ((config_.driverVersion >> 16) & 0xFF);
    std::memcpy(out, &version, sizeof version);
    if (bytesReturned) *bytesReturned = sizeof version;
    if (error) *error = platform::kErrorSuccess;
    return true;
  }
  // A driver knows only its own dialect's private request.
  if (oid != (alternate ? kOidAlternateRequest : kOidStandardRequest))
    return failed(error, platform::kErrorNotSupported);
  if (out == nullptr || outSize < kDriverRequestSize) return failed(error, platform::kErrorInsufficientBuffer);
  auto* record = static_cast<uint8_t*>(out);
  if (field<uint32_t>(record, kSignatureAt) != (alternate ? kAlternateSignature : kStandardSignature))
    return failed(error, platform::kErrorInvalidParameter);

  uint32_t command = field<uint32_t>(record, kCommandAt);
  if (alternate) command = standardCommandNumber(command);
  countCall(command);

  FaultEffects effects;
  if (loadShared(state_->faultRuleCount) != 0) {
    effects = applyFaults(command, record);
    if (effects.fail) return failed(error, platform::kErrorGenFailure);
  }
  if (effects.ffff) setField<uint32_t>(record, kStatusAt, kStatusFailed);
  else execute(portIndex, command, record, effects);

  if (bytesReturned) *bytesReturned = kDriverRequestSize;
  if (error) *error = platform::kErrorSuccess;
  return true;
}

void Card::execute(int portIndex, uint32_t command, uint8_t* record, const FaultEffects& effects) {
  const uint64_t address = field<uint64_t>(record, kAddressAt);
  uint32_t status = kStatusDone;
  switch (command) {
    case kCmdRegisterRead:
      setField<uint64_t>(record, kDataAt, registerRead(static_cast<uint32_t>(address)));
      break;
    case kCmdRegisterWrite:
      registerWrite(static_cast<uint32_t>(address), field<uint32_t>(record, kDataAt), effects.timeout);
      break;
    case kCmdOpenProbe:
      setField<uint64_t>(record, kDataAt, config_.ports[static_cast<size_t>(portIndex)].port);
      break;
    case kCmdFlashRead: {
      if (address > kFlashSize - kFlashWordSize) {
        status = kStatusFailed;
        break;
      }
      setField<uint64_t>(record, kDataAt, flashRead(address));
      break;
    }
    case kCmdFlashWrite:
      status = flashWrite(address, field<uint32_t>(record, kDataAt), effects.bitflip);
      break;
    case kCmdHardwareInfo: {
      uint8_t* info = record + kBufferAt;
      std::memset(info, 0, kHardwareInfoSize);
      info[kHardwareInfoChipRevision] = config_.chipRevision;
      std::memcpy(info + kHardwareInfoEfuse, &config_.efuse, sizeof config_.efuse);
      break;
    }
    case kCmdDriverVersion:
      status = config_.driverVersion;
      break;
    case kCmdFlashUpdateBegin:
    case kCmdFlashUpdateEnd:
      break;
    default:
      status = kStatusFailed;
      break;
  }
  setField<uint32_t>(record, kStatusAt, status);
}

uint32_t Card::registerRead(uint32_t address) {
  switch (address) {
    case kRegRomSemaphoreTake: {
      uint64_t expected = 0;
      uint64_t mine = kSemaphoreHeld | static_cast<uint32_t>(currentProcessId());
      return std::atomic_ref<uint64_t>(state_->semaphore).compare_exchange_strong(expected, mine) ? 1 : 0;
    }
    case kRegRomSemaphoreRelease:
      storeShared(state_->semaphore, uint64_t{0}, std::memory_order_release);
      return 0;
    default:
      return peekRegister(address);
  }
}

void Card::registerWrite(uint32_t address, uint32_t value, bool instructionNeverCompletes) {
  switch (address) {
    case kRegSpiOpcode:
      storeShared(state_->spiOpcode, value);
      runInstruction(static_cast<uint8_t>(value), instructionNeverCompletes);
      return;
    case kRegSpiAddress:
    case kRegSpiWriteData:
    case kRegSpiAddressBytes:
      pokeRegister(address, value);
      return;
    case kRegSpiReadData:
    case kRegSpiControllerStatus:
    case kRegRomSemaphoreTake:
    case kRegRomSemaphoreRelease:
      return;  // read-only: the write goes nowhere
    default:
      registerStore(*state_, address, value);
      return;
  }
}

uint32_t Card::flashRead(uint64_t offset) {
  checkSemaphore(kCmdFlashRead, offset, "flash word read");
  if (offset % kFlashWordSize == 0)
    return loadShared(*reinterpret_cast<const uint32_t*>(flashBytes_ + offset));
  // The tool proves the flash readable with reads at byte offsets 1, 2, 3.
  uint32_t word;
  std::memcpy(&word, flashBytes_ + offset, sizeof word);
  return word;
}

uint32_t Card::flashWrite(uint64_t offset, uint32_t value, bool flipBit) {
  if (offset % kFlashWordSize != 0) {
    violation(kCmdFlashWrite, offset, "unaligned flash word write");
    return kStatusFailed;
  }
  if (offset > kFlashSize - kFlashWordSize) return kStatusFailed;
  checkSemaphore(kCmdFlashWrite, offset, "flash word write");
  if (loadShared(state_->flashStatus) & kFlashStatusBlockProtect) return kStatusDone;

  // NOR programming only clears bits; a 1 over a 0 stays 0.
  std::atomic_ref<uint32_t> word(*reinterpret_cast<uint32_t*>(flashBytes_ + offset));
  uint32_t old = word.fetch_and(value, std::memory_order_relaxed);
  if (value & ~old)
    violation(kCmdFlashWrite, offset,
              "write of " + hexText(value, 8) + " sets bits of a word that was not erased (" + hexText(old, 8) + ")");
  if (flipBit) {
    // The fault must show: clear the lowest bit the write left set, or, when
    // none is left, set bit 0 as a stuck cell would.
    uint32_t stored = old & value;
    word.store(stored != 0 ? stored & (stored - 1) : 1u, std::memory_order_relaxed);
  }
  return kStatusDone;
}

bool Card::checkSemaphore(uint32_t command, uint64_t offset, const char* access) {
  uint64_t word = loadShared(state_->semaphore, std::memory_order_acquire);
  if (word == (kSemaphoreHeld | static_cast<uint32_t>(currentProcessId()))) return true;
  if (!(word & kSemaphoreHeld)) {
    violation(command, offset, std::string(access) + " while the ROM semaphore is not held");
    return false;
  }
  // Held by the firmware or by a run that ended: a later run may adopt it.
  auto holder = static_cast<int32_t>(word & 0xFFFFFFFF);
  if (holder == 0 || !processIsRunning(holder)) return true;
  violation(command, offset,
            std::string(access) + " while process " + std::to_string(holder) + " holds the ROM semaphore");
  return false;
}

void Card::violation(uint32_t command, uint64_t offset, const std::string& what) {
  violations_.append(config_.name + ": cmd " + std::to_string(command) + " offset " + hexText(offset, 6) + ": " +
                     what + " (process " + std::to_string(currentProcessId()) + ")");
}

}  // namespace simhost
