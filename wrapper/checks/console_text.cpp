#include "wrapper/checks/console_text.h"

#include <cstdio>

#include "wrapper/state/run_state.h"

namespace keelson {

void writeConsole(const std::string& text) {
  if (runState().consoleSilent) return;
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

}  // namespace keelson
