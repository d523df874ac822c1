#include "sw/tools/flashLoader/update/operator_confirmation.h"

#include <cstdio>

#include "platform/host.h"

Confirmation confirm_offline_operation(const char* question) {
  std::printf("WARNING: This operation will take the NIC offline.\n");
  std::printf("%s", question);
  std::fflush(stdout);
  platform::Console& console = platform::host().console();
  const int answer = console.readChar();
  if (answer != 'Y' && answer != 'y') {
    std::fprintf(stderr, "Aborted by user's request\n");
    return Confirmation::declined;
  }
  if (console.readChar() != '\n') {
    std::fprintf(stderr, "Invalid input by user!!!\n");
    return Confirmation::invalid;
  }
  return Confirmation::accepted;
}
