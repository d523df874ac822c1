// Chip registers the tool reads and writes through the driver, and the
// flash part's instruction set behind the chip's SPI flash controller.
#pragma once

#include <cstdint>

// ROM semaphore: a read of the take register that answers non-zero takes the
// lock; any read of the release register gives it back.
inline constexpr uint32_t kRegRomSemaphoreTake = 0x0611C010;
inline constexpr uint32_t kRegRomSemaphoreRelease = 0x0611C014;
// Who took the ROM lock last; this tool writes its own id after every take,
// so that a later run recognises a lock an interrupted run left behind.
inline constexpr uint32_t kRegRomLockOwner = 0x08202100;
inline constexpr uint32_t kRomLockOwnerId = 0x06A106A1;

inline constexpr uint32_t kRegRunningFirmwareMajor = 0x08202150;
inline constexpr uint32_t kRegRunningFirmwareMinor = 0x08202154;
inline constexpr uint32_t kRegRunningFirmwareBuild = 0x08202158;
inline constexpr uint32_t kRegBoardType = 0x08202248;
inline constexpr uint32_t kRegSubsystem = 0x09B0001C;  // subsystem id << 16 | subsystem vendor id

// SPI flash controller: writing the opcode register runs the instruction;
// the controller status shows bit 1 once it is done.
inline constexpr uint32_t kRegSpiControllerStatus = 0x09300004;
inline constexpr uint32_t kRegSpiOpcode = 0x09310004;
inline constexpr uint32_t kRegSpiAddress = 0x09310008;
inline constexpr uint32_t kRegSpiWriteData = 0x0931000C;
inline constexpr uint32_t kRegSpiAddressBytes = 0x09310010;
inline constexpr uint32_t kRegSpiReadData = 0x09310018;
inline constexpr uint32_t kSpiInstructionDone = 1u << 1;

inline constexpr uint32_t kSpiWriteStatus = 0x01;
inline constexpr uint32_t kSpiWriteDisable = 0x04;
inline constexpr uint32_t kSpiReadStatus = 0x05;
inline constexpr uint32_t kSpiWriteEnable = 0x06;
inline constexpr uint32_t kSpiSectorErase = 0xD8;

// The flash part's status register.
inline constexpr uint32_t kFlashStatusBusy = 1u << 0;          // write in progress
inline constexpr uint32_t kFlashStatusBlockProtect = 1u << 3;  // erases and writes ignored
inline constexpr uint32_t kFlashStatusWriteDisable = 1u << 7;  // status register locked (with the WP pin)
