#include "sw/tools/flashLoader/discovery/discovery_report_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "sw/tools/flashLoader/hostglue/file_handle.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

std::vector<std::string> read_lines(std::FILE* file) {
  std::vector<std::string> lines;
  std::string line;
  char chunk[1024];
  while (std::fgets(chunk, sizeof chunk, file)) {
    line += chunk;
    if (!line.empty() && line.back() == '\n') {
      lines.push_back(line);
      line.clear();
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

bool contains(const std::string& line, const char* text) { return line.find(text) != std::string::npos; }

// The text between the line's first two double quotes; empty when there are
// not two.
std::string quoted_value(const std::string& line) {
  const size_t open = line.find('"');
  if (open == std::string::npos) return "";
  const size_t close = line.find('"', open + 1);
  if (close == std::string::npos) return "";
  return line.substr(open + 1, close - open - 1).substr(0, kSelectionMacTextMax);
}

bool action_selects(const std::string& line) {
  return contains(line, "upgrade") || contains(line, "downgrade") || contains(line, "rewrite");
}

}  // namespace

int read_discovery_report(const std::string& fileName, std::vector<std::string>* selection) {
  selection->clear();
  FileHandle file(std::fopen(fileName.c_str(), "r+"));
  if (!file) {
    const int error = errno;
    out_printf("Please Create the nicdiscovery.xml File before using -u option\n");
    out_printf("fopen::%s\n", std::strerror(error));
    return -1;
  }
  const std::vector<std::string> lines = read_lines(file.get());

  size_t i = 0;
  while (i < lines.size()) {
    if (!contains(lines[i++], "<device>")) continue;
    // Both lines are looked for inside this device only: a device that
    // lacks one must not borrow the next device's address or action.
    std::string mac;
    bool haveMac = false, haveAction = false, selected = false;
    for (; i < lines.size() && !contains(lines[i], "</device>"); ++i) {
      if (!haveMac && contains(lines[i], "<macaddress")) {
        mac = quoted_value(lines[i]);
        haveMac = true;
      } else if (!haveAction && contains(lines[i], "<action value")) {
        selected = action_selects(lines[i]);
        haveAction = true;
      }
    }
    if (haveMac && selected && selection->size() < kSelectionMax) selection->push_back(mac);
  }
  return 0;
}
