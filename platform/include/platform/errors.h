// Windows error numbers, kept as the programs print them ("2 not found",
// "259 no more items", ...). Every platform call reports failures with these.
#pragma once

#include <cstdint>

namespace platform {

using WinError = uint32_t;

inline constexpr WinError kErrorSuccess = 0;
inline constexpr WinError kErrorInvalidFunction = 1;
inline constexpr WinError kErrorFileNotFound = 2;
inline constexpr WinError kErrorPathNotFound = 3;
inline constexpr WinError kErrorAccessDenied = 5;
inline constexpr WinError kErrorInvalidHandle = 6;
inline constexpr WinError kErrorNotEnoughMemory = 8;
inline constexpr WinError kErrorBadFormat = 11;
inline constexpr WinError kErrorInvalidData = 13;
inline constexpr WinError kErrorGenFailure = 31;
inline constexpr WinError kErrorNotSupported = 50;
inline constexpr WinError kErrorFileExists = 80;
inline constexpr WinError kErrorInvalidParameter = 87;
inline constexpr WinError kErrorInsufficientBuffer = 122;
inline constexpr WinError kErrorProcNotFound = 127;
inline constexpr WinError kErrorAlreadyExists = 183;
inline constexpr WinError kErrorMoreData = 234;
inline constexpr WinError kErrorNoMoreItems = 259;
inline constexpr WinError kErrorServiceDoesNotExist = 1060;
inline constexpr WinError kErrorBadDatabase = 1009;  // ERROR_BADDB: registry store unreadable
inline constexpr WinError kErrorDeviceNotConnected = 1167;
inline constexpr WinError kErrorBadExeFormat = 193;          // not a program this system can run
inline constexpr WinError kErrorDirectory = 267;              // ERROR_DIRECTORY: not a usable directory
inline constexpr WinError kErrorResourceDataNotFound = 1812;  // the file has no resource section
inline constexpr WinError kErrorResourceTypeNotFound = 1813;
inline constexpr WinError kErrorResourceNameNotFound = 1814;
inline constexpr WinError kErrorResourceLangNotFound = 1815;
inline constexpr WinError kNteBadHashState = 0x8009000C;      // CryptoAPI: hash already finished

}  // namespace platform
