// The chip's SPI flash controller: an instruction runs when its opcode is
// written, and the controller status shows "done" once it has. The flash
// part behind it keeps a status register with a write-enable latch, block
// protection and a status-write lock tied to the write-protect pin.
#include <cstring>

#include "simhost/chip/card.h"
#include "simhost/chip/chip_registers.h"
#include "simhost/chip/driver_request.h"
#include "simhost/chip/flash_geometry.h"

namespace simhost {

void Card::runInstruction(uint8_t opcode, bool neverCompletes) {
  storeShared(state_->spiControllerStatus, 0u);
  if (neverCompletes) return;
  uint32_t status = loadShared(state_->flashStatus);
  switch (opcode) {
    case kSpiWriteEnable:
      status |= kFlashStatusWriteEnabled;
      break;
    case kSpiWriteDisable:
      status &= ~uint32_t{kFlashStatusWriteEnabled};
      break;
    case kSpiReadStatus:
      storeShared(state_->spiReadData, readStatusRegister(status));
      break;
    case kSpiWriteStatus:
      status = writeStatusRegister(status);
      break;
    case kSpiSectorErase:
      status = eraseSector(status);
      break;
    default:
      break;  // the part ignores instructions it does not know
  }
  storeShared(state_->flashStatus, status);
  storeShared(state_->spiControllerStatus, kSpiInstructionDone, std::memory_order_release);
}

uint32_t Card::readStatusRegister(uint32_t status) {
  // An erase in progress shows busy for a few polls, then finishes.
  std::atomic_ref<uint32_t> polls(state_->busyPolls);
  uint32_t left = polls.load(std::memory_order_relaxed);
  while (left > 0 && !polls.compare_exchange_weak(left, left - 1, std::memory_order_relaxed)) {
  }
  return left > 0 ? status | kFlashStatusBusy : status;
}

uint32_t Card::writeStatusRegister(uint32_t status) {
  if (!(status & kFlashStatusWriteEnabled)) {
    violation(kCmdRegisterWrite, loadShared(state_->spiAddress), "status register write without write enable");
    return status;
  }
  status &= ~uint32_t{kFlashStatusWriteEnabled};
  if ((status & kFlashStatusWriteDisable) && config_.writeProtectPin) return status;
  return (status & ~uint32_t{kFlashStatusWritable}) | (loadShared(state_->spiWriteData) & kFlashStatusWritable);
}

uint32_t Card::eraseSector(uint32_t status) {
  // Addresses wrap at the part's size, as its address decoder does.
  uint32_t address = loadShared(state_->spiAddress) & (kFlashSize - 1);
  checkSemaphore(kCmdRegisterWrite, address, "sector erase");
  uint32_t addressBytes = loadShared(state_->spiAddressBytes);
  if (addressBytes != 3) {
    violation(kCmdRegisterWrite, address,
              "sector erase with " + std::to_string(addressBytes) + " address bytes instead of 3");
    return status;
  }
  if (!(status & kFlashStatusWriteEnabled)) {
    violation(kCmdRegisterWrite, address, "sector erase without write enable");
    return status;
  }
  status &= ~uint32_t{kFlashStatusWriteEnabled};
  if (status & kFlashStatusBlockProtect) return status;
  std::memset(flashBytes_ + (address & ~(kFlashSectorSize - 1)), kFlashErasedByte, kFlashSectorSize);
  storeShared(state_->busyPolls, kSectorErasePolls);
  return status;
}

}  // namespace simhost
