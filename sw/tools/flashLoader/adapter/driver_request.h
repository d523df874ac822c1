// The record of every request to the adapter's NIC driver, and the numbers
// of the I/O-control protocol it travels in. The record goes to the driver
// as the output buffer of DeviceIoControl; the driver reads the request from
// it and writes its answer into it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

inline constexpr uint32_t kIoctlNdisQueryGlobalStats = 0x00170002;  // IOCTL_NDIS_QUERY_GLOBAL_STATS

// Object identifiers: the vendor driver version query, and the private
// request of each dialect.
inline constexpr uint32_t kOidGenVendorDriverVersion = 0x00010116;
inline constexpr uint32_t kOidStandardRequest = 0xFF010103;
inline constexpr uint32_t kOidAlternateRequest = 0xFF010147;

inline constexpr uint32_t kStandardSignature = 0x0043564D;
inline constexpr uint32_t kAlternateSignature = 0x00AA8E8D;

// A driver speaking the alternate dialect reports vendor driver version 5.2.
inline constexpr uint32_t kAlternateVendorDriverVersion = 0x00050002;

// The status word of an answer.
inline constexpr uint32_t kDriverStatusDone = 0;
inline constexpr uint32_t kDriverStatusFailed = 0xFFFFFFFF;

// Command numbers as the standard dialect spells them.
inline constexpr uint32_t kCmdRegisterRead = 1;
inline constexpr uint32_t kCmdRegisterWrite = 2;
inline constexpr uint32_t kCmdOpenProbe = 22;
inline constexpr uint32_t kCmdFlashWordRead = 50;
inline constexpr uint32_t kCmdFlashWordWrite = 51;
inline constexpr uint32_t kCmdHardwareInfo = 99;
inline constexpr uint32_t kCmdDriverVersion = 105;
inline constexpr uint32_t kCmdFlashUpdateBegin = 116;
inline constexpr uint32_t kCmdFlashUpdateEnd = 117;

inline constexpr uint32_t kDriverBufferSize = 1024;

// Little-endian, as the target is; every field not set for a command is 0.
struct DriverRequest {
  uint32_t command;
  uint32_t reserved;
  uint64_t address;       // register address or flash byte offset (32-bit value)
  uint32_t length;        // 4 for register and flash words, 1064 for flash-update begin/end
  uint32_t status;        // answer; the driver version word for command 105
  uint64_t data;          // value written, or value read (low 32 bits)
  uint32_t signature;
  uint32_t bufferLength;  // 1024 for commands 99 and 105
  uint8_t buffer[kDriverBufferSize];
};
static_assert(sizeof(DriverRequest) == 1064);
static_assert(offsetof(DriverRequest, address) == 0x08);
static_assert(offsetof(DriverRequest, length) == 0x10);
static_assert(offsetof(DriverRequest, status) == 0x14);
static_assert(offsetof(DriverRequest, data) == 0x18);
static_assert(offsetof(DriverRequest, signature) == 0x20);
static_assert(offsetof(DriverRequest, bufferLength) == 0x24);
static_assert(offsetof(DriverRequest, buffer) == 0x28);

inline constexpr uint32_t kDriverRequestSize = sizeof(DriverRequest);

// A fresh zeroed request for a command, in the standard dialect.
DriverRequest make_driver_request(uint32_t command);

// The same for a word command (register and flash word reads and writes):
// only the head is cleared. The driver never looks at the buffer of these
// commands, and clearing its 1 KiB would cost about half of a whole call.
inline DriverRequest make_word_request(uint32_t command) {
  DriverRequest request;
  std::memset(&request, 0, offsetof(DriverRequest, buffer));
  request.command = command;
  request.signature = kStandardSignature;
  return request;
}
