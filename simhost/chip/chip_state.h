// chip.bin: the chip's volatile state, mapped shared by every process of a
// host. Plain data at fixed offsets; every field that more than one process
// may touch is read and written through std::atomic_ref.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "simhost/chip/card_config.h"

namespace simhost {

inline constexpr uint64_t kChipStateMagic = 0x3130504948435643;  // "CVCHIP01"
inline constexpr uint32_t kChipStateLayout = 1;

inline constexpr size_t kRegisterSlots = 1024;  // open-addressed, power of two
inline constexpr size_t kMaxFaultRules = 64;
inline constexpr size_t kCountedCommands = 256;  // standard numbers counted one by one

enum class PortMode : uint32_t { kStopped = 0, kNormal = 1, kQuiescent = 2 };

// The semaphore word: 0 when free, else kSemaphoreHeld | holder pid (pid 0:
// an owner outside this host's processes, such as the adapter firmware).
inline constexpr uint64_t kSemaphoreHeld = 1ull << 32;

struct RegisterSlot {
  uint64_t key;  // 0 = empty, else address + 1
  uint32_t value;
  uint32_t reserved;
};

struct FaultRuleCounters {
  uint64_t matched;  // calls (or state changes) the rule applied to
  uint64_t fired;
};

struct ChipState {
  uint64_t magic;
  uint32_t layout;
  uint32_t size;

  uint64_t semaphore;

  // SPI flash controller
  uint32_t spiControllerStatus;
  uint32_t spiOpcode;
  uint32_t spiAddress;
  uint32_t spiWriteData;
  uint32_t spiAddressBytes;
  uint32_t spiReadData;
  uint32_t flashStatus;  // status register without the busy bit
  uint32_t busyPolls;    // status reads left that still show the busy bit

  uint32_t portMode[kMaxCardPorts];

  uint64_t faultGeneration;  // bumped whenever faults.json is rewritten
  uint64_t faultRuleCount;
  FaultRuleCounters faultCounters[kMaxFaultRules];

  uint64_t commandCalls[kCountedCommands];
  uint64_t otherCommandCalls;

  RegisterSlot registers[kRegisterSlots];
};

static_assert(std::atomic_ref<uint64_t>::is_always_lock_free);
static_assert(std::atomic_ref<uint32_t>::is_always_lock_free);
static_assert(alignof(ChipState) == 8);

template <typename T>
inline T loadShared(const T& field, std::memory_order order = std::memory_order_relaxed) {
  return std::atomic_ref<T>(const_cast<T&>(field)).load(order);
}

template <typename T>
inline void storeShared(T& field, T value, std::memory_order order = std::memory_order_relaxed) {
  std::atomic_ref<T>(field).store(value, order);
}

// A fresh chip: nothing held, controller idle, every port stopped, no
// registers.
void initChipState(ChipState* state);
bool chipStateValid(const ChipState& state);
// The same from the first bytes of a chip state file (magic, layout, size),
// without reading the rest of it.
constexpr size_t kChipStateHeaderSize = 16;
bool chipStateHeaderValid(const uint8_t (&header)[kChipStateHeaderSize]);

// The register file. Stores fail only when every slot is taken.
bool registerLoad(const ChipState& state, uint32_t address, uint32_t* value);
bool registerStore(ChipState& state, uint32_t address, uint32_t value);

}  // namespace simhost
