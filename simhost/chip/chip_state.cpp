#include "simhost/chip/chip_state.h"

#include <cstddef>
#include <cstring>

#include "simhost/chip/chip_registers.h"

namespace simhost {

void initChipState(ChipState* state) {
  std::memset(static_cast<void*>(state), 0, sizeof *state);
  state->magic = kChipStateMagic;
  state->layout = kChipStateLayout;
  state->size = sizeof *state;
  state->spiControllerStatus = kSpiInstructionDone;
}

bool chipStateValid(const ChipState& state) {
  return state.magic == kChipStateMagic && state.layout == kChipStateLayout && state.size == sizeof state;
}

bool chipStateHeaderValid(const uint8_t (&header)[kChipStateHeaderSize]) {
  static_assert(offsetof(ChipState, magic) == 0 && offsetof(ChipState, layout) == 8 &&
                offsetof(ChipState, size) == 12 && offsetof(ChipState, semaphore) == kChipStateHeaderSize);
  uint64_t magic = 0;
  uint32_t layout = 0, size = 0;
  std::memcpy(&magic, header, sizeof magic);
  std::memcpy(&layout, header + 8, sizeof layout);
  std::memcpy(&size, header + 12, sizeof size);
  return magic == kChipStateMagic && layout == kChipStateLayout && size == sizeof(ChipState);
}

namespace {

size_t slotOf(uint32_t address) {
  // Fibonacci hashing spreads the registers' clustered addresses.
  return static_cast<size_t>((address * 0x9E3779B1u) >> 22) & (kRegisterSlots - 1);
}

}  // namespace

bool registerLoad(const ChipState& state, uint32_t address, uint32_t* value) {
  const uint64_t key = uint64_t{address} + 1;
  size_t slot = slotOf(address);
  for (size_t probe = 0; probe < kRegisterSlots; ++probe) {
    const RegisterSlot& s = state.registers[(slot + probe) & (kRegisterSlots - 1)];
    uint64_t k = loadShared(s.key, std::memory_order_acquire);
    if (k == 0) return false;
    if (k == key) {
      *value = loadShared(s.value);
      return true;
    }
  }
  return false;
}

bool registerStore(ChipState& state, uint32_t address, uint32_t value) {
  const uint64_t key = uint64_t{address} + 1;
  size_t slot = slotOf(address);
  for (size_t probe = 0; probe < kRegisterSlots; ++probe) {
    RegisterSlot& s = state.registers[(slot + probe) & (kRegisterSlots - 1)];
    uint64_t k = loadShared(s.key, std::memory_order_acquire);
    if (k == 0) {
      // Claim the empty slot; another process may claim it first, perhaps
      // for this very address.
      uint64_t expected = 0;
      std::atomic_ref<uint64_t> claim(s.key);
      if (!claim.compare_exchange_strong(expected, key, std::memory_order_acq_rel)) k = expected;
      else k = key;
    }
    if (k == key) {
      storeShared(s.value, value);
      return true;
    }
  }
  return false;
}

}  // namespace simhost
