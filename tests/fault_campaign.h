// What the fault campaigns share: the kinds of fault, where in a run they
// fire, the rule that places one, and how a run's leftovers that are not the
// board's are cleared between runs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/board_fixture.h"

struct FaultKind {
  const char* action;
  uint32_t command;  // the driver command whose calls position the fault
  bool transient;    // fires once; otherwise on every call from its position
};

// fail (once, and from a call on), ffff, bitflip, timeout, lock-held, and a
// power cut on writes, reads and register writes.
inline constexpr FaultKind kFaultKinds[] = {
    {"fail", 51, true},   {"fail", 51, false},  {"fail", 2, true},      {"ffff", 50, true}, {"bitflip", 51, true},
    {"timeout", 2, true}, {"lock-held", 1, true}, {"kill", 51, true}, {"kill", 50, true}, {"kill", 2, true},
};

// Fractions of the run's calls of the command at which the fault fires.
// Under the address sanitizer every program runs several times slower: that
// build tries the middle position only.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr double kFaultPositions[] = {0.5};
#else
inline constexpr double kFaultPositions[] = {0.05, 0.5, 0.95};
#endif

class FaultCampaignScenario : public BoardScenario {
 protected:
  // The counts of the driver commands that position faults, for a clean run.
  std::map<uint32_t, uint64_t> callsOf(const std::string& card) const {
    std::map<uint32_t, uint64_t> counts;
    for (const FaultKind& kind : kFaultKinds) counts[kind.command] = calls(card, kind.command);
    return counts;
  }
  // Arms the fault at `at` of the clean run's calls of its command; its call
  // number.
  uint64_t armFault(const std::string& card, const FaultKind& kind, double at,
                    const std::map<uint32_t, uint64_t>& cleanCalls) const {
    const uint64_t position = static_cast<uint64_t>(static_cast<double>(cleanCalls.at(kind.command)) * at);
    std::vector<std::string> rule = {card, "--action", kind.action, "--cmd", std::to_string(kind.command),
                                     "--after", std::to_string(position)};
    if (kind.transient) rule.insert(rule.end(), {"--times", "1"});
    sim("fault", rule);
    return position;
  }
  static bool killedBy(const FaultKind& kind, uint32_t exitCode) {
    return std::string(kind.action) == "kill" && exitCode == 128 + 9;
  }
  std::vector<uint8_t> flashOf(const std::string& card) const {
    std::shared_ptr<simhost::Card> c = this->card(card);
    return {c->flash().begin(), c->flash().end()};
  }
  void loadFlash(const std::string& card, const std::vector<uint8_t>& bytes) const {
    std::string error;
    ASSERT_TRUE(this->card(card)->loadFlashImage(bytes, &error)) << error;
  }
  // What a run leaves that is not the board's: the lock file of a killed run
  // (a later run asks before it clears a stale one; the campaign answers for
  // the administrator), and the ROM semaphore of a lock-held fault, whose
  // other holder gives it back once the run is over.
  void clearRunLeftovers(const std::string& card) const {
    std::filesystem::remove(host_.dir().tempDir() + "/corvane_lock_file");
    this->card(card)->setSemaphore({});
  }
};
