// The record every request to the NIC driver travels in, the object
// identifiers that select the dialect, and the dialect's command numbering.
#pragma once

#include <cstddef>
#include <cstdint>

namespace simhost {

inline constexpr uint32_t kIoctlQueryGlobalStats = 0x00170002;

inline constexpr uint32_t kOidVendorDriverVersion = 0x00010116;
inline constexpr uint32_t kOidStandardRequest = 0xFF010103;
inline constexpr uint32_t kOidAlternateRequest = 0xFF010147;

inline constexpr uint32_t kStandardSignature = 0x0043564D;
inline constexpr uint32_t kAlternateSignature = 0x00AA8E8D;

// What a driver speaking the alternate dialect answers to the vendor version
// query (5.2 as major << 16 | minor); it is how callers recognise it.
inline constexpr uint32_t kAlternateVendorDriverVersion = 0x00050002;

inline constexpr uint32_t kStatusDone = 0;
inline constexpr uint32_t kStatusFailed = 0xFFFFFFFF;

// Command numbers as the standard dialect spells them.
inline constexpr uint32_t kCmdRegisterRead = 1;
inline constexpr uint32_t kCmdRegisterWrite = 2;
inline constexpr uint32_t kCmdOpenProbe = 22;
inline constexpr uint32_t kCmdFlashRead = 50;
inline constexpr uint32_t kCmdFlashWrite = 51;
inline constexpr uint32_t kCmdHardwareInfo = 99;
inline constexpr uint32_t kCmdDriverVersion = 105;
inline constexpr uint32_t kCmdFlashUpdateBegin = 116;
inline constexpr uint32_t kCmdFlashUpdateEnd = 117;

inline constexpr size_t kHardwareInfoSize = 1024;
inline constexpr size_t kHardwareInfoChipRevision = 263;
inline constexpr size_t kHardwareInfoEfuse = 272;

struct DriverRequest {
  uint32_t command;
  uint32_t reserved;
  uint64_t address;
  uint32_t length;
  uint32_t status;
  uint64_t data;
  uint32_t signature;
  uint32_t bufferLength;
  uint8_t buffer[kHardwareInfoSize];
};
static_assert(sizeof(DriverRequest) == 1064);
static_assert(offsetof(DriverRequest, address) == 0x08);
static_assert(offsetof(DriverRequest, status) == 0x14);
static_assert(offsetof(DriverRequest, data) == 0x18);
static_assert(offsetof(DriverRequest, signature) == 0x20);
static_assert(offsetof(DriverRequest, buffer) == 0x28);

inline constexpr size_t kDriverRequestSize = sizeof(DriverRequest);

struct DialectCommand {
  uint32_t standard;
  uint32_t alternate;
};

// Commands the alternate dialect numbers differently; all others keep their
// standard number.
inline constexpr DialectCommand kAlternateCommands[] = {
    {1, 0x8000001D}, {2, 0x8000001E},  {7, 7},     {8, 1},     {19, 19},   {22, 12},
    {50, 0x80000024}, {51, 0x80000025}, {52, 52},  {99, 13},   {101, 14},  {102, 15},
    {103, 16},        {104, 17},        {105, 18}, {106, 106},
};

constexpr uint32_t alternateCommandNumber(uint32_t standard) {
  for (const DialectCommand& c : kAlternateCommands)
    if (c.standard == standard) return c.alternate;
  return standard;
}

constexpr uint32_t standardCommandNumber(uint32_t alternate) {
  for (const DialectCommand& c : kAlternateCommands)
    if (c.alternate == alternate) return c.standard;
  return alternate;
}

}  // namespace simhost
