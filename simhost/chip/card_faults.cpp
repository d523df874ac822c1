// Fault injection. Rules live in faults.json; their counters live in the
// chip, so that "after K calls" counts the calls of every process since the
// rule was added. A process reloads the rules only when the chip's fault
// generation says they changed, and looks at them only while any exist.
#include <cstdlib>
#include <cstring>

#include "simhost/chip/card.h"
#include "simhost/chip/card_files.h"
#include "simhost/chip/chip_registers.h"
#include "simhost/chip/driver_request.h"
#include "simhost/chip/process_identity.h"
#include "simhost/machine/files.h"

namespace simhost {

namespace {

std::atomic_ref<uint64_t> counter(uint64_t& field) { return std::atomic_ref<uint64_t>(field); }

bool appliesTo(const FaultRule& rule, uint32_t command, bool instruction, bool hasOffset, uint64_t offset) {
  switch (rule.action) {
    case FaultAction::kReboot:
      return false;  // counts device state changes, not calls
    case FaultAction::kBitflip:
      if (command != kCmdFlashWrite) return false;
      break;
    case FaultAction::kTimeout:
      if (!instruction) return false;
      break;
    default:
      break;
  }
  if (rule.command && *rule.command != command) return false;
  if (rule.offsets && (!hasOffset || offset < rule.offsets->low || offset > rule.offsets->high)) return false;
  return true;
}

}  // namespace

Card::FaultEffects Card::applyFaults(uint32_t command, const uint8_t* record) {
  uint64_t address, data;
  std::memcpy(&address, record + offsetof(DriverRequest, address), sizeof address);
  std::memcpy(&data, record + offsetof(DriverRequest, data), sizeof data);
  const bool instruction = command == kCmdRegisterWrite && static_cast<uint32_t>(address) == kRegSpiOpcode;
  bool hasOffset = command == kCmdFlashRead || command == kCmdFlashWrite;
  uint64_t offset = address;
  if (instruction && static_cast<uint8_t>(data) == kSpiSectorErase) {
    hasOffset = true;
    offset = loadShared(state_->spiAddress);
  }

  std::lock_guard<std::mutex> lock(faultMutex_);
  refreshFaultRules();
  FaultEffects effects;
  for (size_t slot = 0; slot < faultRules_.size(); ++slot) {
    const FaultRule& rule = faultRules_[slot];
    if (!appliesTo(rule, command, instruction, hasOffset, offset) || !fire(slot, rule)) continue;
    switch (rule.action) {
      case FaultAction::kFail:
        effects.fail = true;
        break;
      case FaultAction::kFfff:
        effects.ffff = true;
        break;
      case FaultAction::kBitflip:
        effects.bitflip = true;
        break;
      case FaultAction::kTimeout:
        effects.timeout = true;
        break;
      case FaultAction::kLockHeld:
        holdForForeignOwner(rule.owner.value_or(kForeignLockOwner));
        break;
      case FaultAction::kKill:
        powerCut();
      case FaultAction::kPause:
        stopThisProcess();
        break;
      case FaultAction::kReboot:
        break;
    }
  }
  return effects;
}

bool Card::takeRebootFault() {
  if (loadShared(state_->faultRuleCount) == 0) return false;
  std::lock_guard<std::mutex> lock(faultMutex_);
  refreshFaultRules();
  bool reboot = false;
  for (size_t slot = 0; slot < faultRules_.size(); ++slot)
    if (faultRules_[slot].action == FaultAction::kReboot && fire(slot, faultRules_[slot])) reboot = true;
  return reboot;
}

void Card::refreshFaultRules() {
  uint64_t generation = loadShared(state_->faultGeneration, std::memory_order_acquire);
  if (generation == faultGeneration_) return;
  std::vector<FaultRule> rules;
  std::string error;
  if (!loadFaultRules(faultsPath(dir_), &rules, &error)) {
    // Only a hand edit breaks the file; say so where checks will see it.
    violations_.append(config_.name + ": fault rules ignored: " + error);
    rules.clear();
  }
  if (rules.size() > kMaxFaultRules) rules.resize(kMaxFaultRules);
  faultRules_ = std::move(rules);
  faultGeneration_ = generation;
}

bool Card::fire(size_t slot, const FaultRule& rule) {
  FaultRuleCounters& counters = state_->faultCounters[slot];
  uint64_t matched = counter(counters.matched).fetch_add(1, std::memory_order_relaxed) + 1;
  if (matched <= rule.after) return false;
  std::atomic_ref<uint64_t> fired = counter(counters.fired);
  uint64_t n = fired.load(std::memory_order_relaxed);
  do {
    if (rule.times && n >= *rule.times) return false;
  } while (!fired.compare_exchange_weak(n, n + 1, std::memory_order_relaxed));
  return true;
}

void Card::holdForForeignOwner(uint32_t owner) {
  storeShared(state_->semaphore, kSemaphoreHeld, std::memory_order_release);
  registerStore(*state_, kRegRomLockOwner, owner);
}

void Card::powerCut() {
  // What the chip loses with its power; the flash keeps every word written.
  storeShared(state_->semaphore, uint64_t{0});
  storeShared(state_->flashStatus, loadShared(state_->flashStatus) & ~uint32_t{kFlashStatusWriteEnabled});
  storeShared(state_->busyPolls, 0u);
  storeShared(state_->spiOpcode, 0u);
  storeShared(state_->spiAddress, 0u);
  storeShared(state_->spiWriteData, 0u);
  storeShared(state_->spiAddressBytes, 0u);
  storeShared(state_->spiReadData, 0u);
  storeShared(state_->spiControllerStatus, kSpiInstructionDone);
  registerStore(*state_, kRegRomLockOwner, 0);
  endProcessAtOnce();
}

bool Card::addFaultRule(FaultRule rule, std::string* error) {
  if (!validateFaultRule(rule, error)) return false;
  FileLock lock(faultsLockPath(dir_));
  std::vector<FaultRule> rules;
  if (!loadFaultRules(faultsPath(dir_), &rules, error)) return false;
  if (rules.size() >= kMaxFaultRules) {
    if (error) *error = faultsPath(dir_) + ": holds " + std::to_string(kMaxFaultRules) + " rules already";
    return false;
  }
  if ((rule.action == FaultAction::kKill || rule.action == FaultAction::kPause) && !rule.times) rule.times = 1;
  const bool immediate = rule.action == FaultAction::kLockHeld && !rule.command && !rule.offsets && rule.after == 0;
  if (immediate) rule.times = 1;

  size_t slot = rules.size();
  FaultRuleCounters& counters = state_->faultCounters[slot];
  storeShared(counters.matched, uint64_t{immediate ? 1u : 0u});
  storeShared(counters.fired, uint64_t{immediate ? 1u : 0u});
  rules.push_back(rule);
  if (!saveFaultRules(faultsPath(dir_), rules, error)) return false;
  if (immediate) holdForForeignOwner(rule.owner.value_or(kForeignLockOwner));
  storeShared(state_->faultRuleCount, uint64_t{rules.size()});
  counter(state_->faultGeneration).fetch_add(1, std::memory_order_release);
  return true;
}

bool Card::clearFaultRules(std::string* error) {
  FileLock lock(faultsLockPath(dir_));
  if (!saveFaultRules(faultsPath(dir_), {}, error)) return false;
  storeShared(state_->faultRuleCount, uint64_t{0});
  for (FaultRuleCounters& c : state_->faultCounters) {
    storeShared(c.matched, uint64_t{0});
    storeShared(c.fired, uint64_t{0});
  }
  counter(state_->faultGeneration).fetch_add(1, std::memory_order_release);
  return true;
}

bool Card::faultRules(std::vector<FaultRuleStatus>* rules, std::string* error) const {
  std::vector<FaultRule> loaded;
  if (!loadFaultRules(faultsPath(dir_), &loaded, error)) return false;
  rules->clear();
  for (size_t slot = 0; slot < loaded.size() && slot < kMaxFaultRules; ++slot)
    rules->push_back({loaded[slot], loadShared(state_->faultCounters[slot].matched),
                      loadShared(state_->faultCounters[slot].fired)});
  return true;
}

}  // namespace simhost
