// faults.json: the fault rules of one card. A rule fires on the calls it
// matches once `after` of them have passed, at most `times` times.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace simhost {

enum class FaultAction {
  kFail,      // the I/O-control call fails with ERROR_GEN_FAILURE
  kFfff,      // the call succeeds with status 0xFFFFFFFF and does nothing
  kBitflip,   // a written flash word is stored with one bit wrong
  kLockHeld,  // the ROM semaphore is taken by an owner outside this host
  kTimeout,   // a controller instruction never reports done
  kReboot,    // a device state change asks for a reboot
  kKill,      // power cut: volatile chip state lost, the process ends at once
  kPause,     // the process stops itself at the call (Linux: SIGSTOP), so that
              // whoever waits for it can act at that very point, then let it go on
};

struct OffsetRange {
  uint32_t low = 0;
  uint32_t high = 0;  // inclusive
};

struct FaultRule {
  FaultAction action = FaultAction::kFail;
  std::optional<uint32_t> command;  // standard command number
  uint64_t after = 0;
  std::optional<OffsetRange> offsets;  // flash offsets of commands 50/51 and sector erases
  std::optional<uint64_t> times;       // unlimited when absent
  std::optional<uint32_t> owner;       // lock-held: the owner id it leaves behind
};

// The owner id a lock-held fault leaves when none is given: not the flash
// tool's, so the tool must treat the lock as someone else's.
inline constexpr uint32_t kForeignLockOwner = 0x0F1E2D3C;

const char* faultActionName(FaultAction action);
bool parseFaultAction(const std::string& name, FaultAction* action);
// "LO-HI", each a decimal or 0x-prefixed number.
bool parseOffsetRange(const std::string& text, OffsetRange* range);
std::string offsetRangeText(const OffsetRange& range);

// Rejects rules that could never fire (an offset range on a command without
// one, a bit flip on anything but a flash write, ...).
bool validateFaultRule(const FaultRule& rule, std::string* error);

// One line for listings: "bitflip cmd 51 after 10 offset 0x000000-0x00FFFF times 1".
std::string describeFaultRule(const FaultRule& rule);

// A missing file holds no rules.
bool loadFaultRules(const std::string& path, std::vector<FaultRule>* rules, std::string* error);
bool saveFaultRules(const std::string& path, const std::vector<FaultRule>& rules, std::string* error);

}  // namespace simhost
