// Chip registers the simulated driver gives meaning to, and the SPI flash
// controller's instruction set. Every other register is plain storage.
#pragma once

#include <cstdint>

namespace simhost {

// ROM semaphore: a read of the take register answers 1 and takes it when it
// is free (0 otherwise); any read of the release register frees it.
inline constexpr uint32_t kRegRomSemaphoreTake = 0x0611C010;
inline constexpr uint32_t kRegRomSemaphoreRelease = 0x0611C014;

inline constexpr uint32_t kRegRomLockOwner = 0x08202100;
inline constexpr uint32_t kRegFirmwareMajor = 0x08202150;
inline constexpr uint32_t kRegFirmwareMinor = 0x08202154;
inline constexpr uint32_t kRegFirmwareBuild = 0x08202158;
inline constexpr uint32_t kRegBoardType = 0x08202248;
inline constexpr uint32_t kRegSubsystem = 0x09B0001C;

// What the board type register holds while no driver has published it.
inline constexpr uint32_t kBoardTypeUnpublished = 0x55555555;

// SPI flash controller. Writing the opcode register runs the instruction.
inline constexpr uint32_t kRegSpiControllerStatus = 0x09300004;
inline constexpr uint32_t kRegSpiOpcode = 0x09310004;
inline constexpr uint32_t kRegSpiAddress = 0x09310008;
inline constexpr uint32_t kRegSpiWriteData = 0x0931000C;
inline constexpr uint32_t kRegSpiAddressBytes = 0x09310010;
inline constexpr uint32_t kRegSpiReadData = 0x09310018;

inline constexpr uint32_t kSpiInstructionDone = 1u << 1;  // in the controller status register

inline constexpr uint8_t kSpiWriteStatus = 0x01;
inline constexpr uint8_t kSpiWriteDisable = 0x04;
inline constexpr uint8_t kSpiReadStatus = 0x05;
inline constexpr uint8_t kSpiWriteEnable = 0x06;
inline constexpr uint8_t kSpiSectorErase = 0xD8;

// Flash status register bits.
inline constexpr uint8_t kFlashStatusBusy = 1u << 0;            // write in progress
inline constexpr uint8_t kFlashStatusWriteEnabled = 1u << 1;    // write-enable latch
inline constexpr uint8_t kFlashStatusBlockProtect = 1u << 3;    // writes and erases ignored
inline constexpr uint8_t kFlashStatusWriteDisable = 1u << 7;    // with the WP pin: status locked
// Bits a status write may change; busy and the latch belong to the chip.
inline constexpr uint8_t kFlashStatusWritable = 0xFC;

// How many status polls an erase stays in progress for.
inline constexpr uint32_t kSectorErasePolls = 3;

}  // namespace simhost
