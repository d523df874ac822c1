// How often each driver command was called on a card, by every process.
#pragma once

#include <cstdint>
#include <map>

#include <nlohmann/json.hpp>

namespace simhost {

struct CardStats {
  uint64_t total = 0;
  // Standard command number -> calls; alternate-dialect calls count under
  // their standard number. Commands above 255 count in the total only.
  std::map<uint32_t, uint64_t> calls;
};

// {"total": N, "calls": {"50": N, ...}}, commands in decimal.
nlohmann::json statsJson(const CardStats& stats);

}  // namespace simhost
