#include "sw/tools/flashLoader/update/operator_confirmation.h"

#include <cstdio>

#include "platform/host.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

Confirmation confirm_offline_operation(const char* question) {
  out_printf("WARNING: This operation will take the NIC offline.\n");
  out_printf("%s", question);
  flush_out();
  platform::Console& console = platform::host().console();
  const int answer = console.readChar();
  if (answer != 'Y' && answer != 'y') {
    err_printf("Aborted by user's request\n");
    return Confirmation::declined;
  }
  if (console.readChar() != '\n') {
    err_printf("Invalid input by user!!!\n");
    return Confirmation::invalid;
  }
  return Confirmation::accepted;
}
