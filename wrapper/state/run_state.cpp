#include "wrapper/state/run_state.h"

#include "wrapper/state/firmware_catalog.h"

namespace keelson {

RunState& runState() {
  static RunState* state = new RunState();  // lives until the process ends
  return *state;
}

FirmwareCatalog& firmwareCatalog() {
  static FirmwareCatalog* catalog = new FirmwareCatalog();
  return *catalog;
}

}  // namespace keelson
