#include "sw/tools/flashLoader/runstate/state_reset.h"

#include <vector>

namespace {

// Built on first use: the registrations run during static initialisation,
// in no particular order between files.
std::vector<StateReset>& registered() {
  static std::vector<StateReset> resets;
  return resets;
}

}  // namespace

bool register_state_reset(StateReset reset) {
  registered().push_back(reset);
  return true;
}

void reset_run_state() {
  for (StateReset reset : registered()) reset();
}
