#include "simhost/chip/card_stats.h"

#include <string>

namespace simhost {

nlohmann::json statsJson(const CardStats& stats) {
  nlohmann::json calls = nlohmann::json::object();
  for (const auto& [command, count] : stats.calls) calls[std::to_string(command)] = count;
  return {{"total", stats.total}, {"calls", calls}};
}

}  // namespace simhost
