// romimage: makes and inspects unified ROM images, the firmware files that
// burnkit flashes: synthetic images for tests and demos, images built from
// real section files, a report of everything in an image with every digest
// check, and the flash picture of one product.
#include <cstdio>
#include <cstring>

#include "tools/romimage/commands.h"

namespace {

struct Command {
  const char* name;
  int (*run)(const romimage_tool::Args&);
  const char* usage;
};

const Command kCommands[] = {
    {"synth", romimage_tool::cmdSynth,
     "synth OUT --fw 4.0.593 [--product BOARD:SUBSYS:SUBVEN:CHIPREV]... [--sections DIR]"},
    {"build", romimage_tool::cmdBuild, "build OUT MANIFEST.json"},
    {"info", romimage_tool::cmdInfo, "info FILE [--json]"},
    {"extract", romimage_tool::cmdExtract, "extract FILE --product N -o FLASH"},
};

void printUsage(std::FILE* to) {
  std::fprintf(to, "usage: romimage COMMAND ...\n");
  for (const Command& c : kCommands) std::fprintf(to, "  romimage %s\n", c.usage);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    printUsage(stderr);
    return 2;
  }
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "help") == 0) {
    printUsage(stdout);
    return 0;
  }
  for (const Command& c : kCommands)
    if (std::strcmp(argv[1], c.name) == 0) return c.run(romimage_tool::Args(argv + 2, argv + argc));
  std::fprintf(stderr, "romimage: unknown command '%s'\n", argv[1]);
  printUsage(stderr);
  return 2;
}
