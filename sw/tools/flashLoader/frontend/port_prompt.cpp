#include "sw/tools/flashLoader/frontend/port_prompt.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/host.h"
#include "sw/tools/flashLoader/runstate/run_state.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

// A decimal number at the start of the text (after blanks), as scanf's %d
// reads it; false when there is none or it does not fit.
bool read_decimal(const std::string& text, long* value) {
  const char* start = text.c_str();
  char* end = nullptr;
  errno = 0;
  *value = std::strtol(start, &end, 10);
  return end != start && errno == 0;
}

bool port_from_text(const std::string& text, long* port) {
  size_t dot = text.find('.');
  if (dot == std::string::npos) return false;
  std::string digits = text.substr(dot + 1);
  if (digits.empty() || digits[0] < '0' || digits[0] > '9') return false;
  return read_decimal(digits, port);
}

}  // namespace

int ask_port_number() {
  long port = -1;
  bool valid;
  if (g_xml_mode) {
    valid = port_from_text(g_xml_port_text, &port);
  } else {
    out_printf("Enter the port number[0-%d]:", static_cast<int>(g_run.portCount) - 1);
    flush_out();
    std::string line;
    valid = platform::host().console().readLine(&line) && read_decimal(line, &port);
  }
  if (!valid || port < 0 || port >= static_cast<long>(g_run.portCount)) {
    err_printf("Invalid port number entered\n");
    return -1;
  }
  g_run.port = static_cast<uint32_t>(port);
  return 0;
}
