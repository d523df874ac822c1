#include "sw/tools/flashLoader/update/version_compare.h"

#include <cstdio>
#include <tuple>

#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

void print_version(const char* label, const VersionTriple& v) {
  out_printf("Firmware version From %s: %d.%d.%d\n", label, static_cast<int>(v.major), static_cast<int>(v.minor),
              static_cast<int>(v.build));
}

}  // namespace

int compare_versions(const VersionTriple& other, const VersionTriple& board, VersionSource source) {
  print_version("Board", board);
  print_version(source == VersionSource::romimage ? "Romimage" : "Backup-file", other);
  const bool older = std::tie(other.major, other.minor, other.build) < std::tie(board.major, board.minor, board.build);
  return older ? kExitImageOlder : kExitImageNotOlder;
}

VersionTriple version_from_user_area_bytes(const uint8_t* field) {
  return {field[0], field[1], static_cast<uint32_t>(field[2] | field[3] << 8)};
}
