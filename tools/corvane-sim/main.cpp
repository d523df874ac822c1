// corvane-sim: creates simulated hosts and looks into them (cards, flash,
// faults, stats, protocol violations) for tests, demos and people.
#include <cstdio>
#include <cstring>

#include "tools/corvane-sim/commands.h"

namespace {

struct Command {
  const char* name;
  int (*run)(const corvane_sim::Args&);
  const char* usage;
};

const Command kCommands[] = {
    {"create", corvane_sim::cmdCreate, "create DIR [--preset demo]"},
    {"add-card", corvane_sim::cmdAddCard,
     "add-card DIR NAME --board 0x26 --subsys 0x01264040 --ports 2 --bus 5 [--device N] [--chiprev 0x42] "
     "[--efuse 0x...] [--driver 4.0.593] [--firmware 4.0.500] [--dialect standard|alternate] [--serial S] "
     "[--mac MAC] [--image FILE]"},
    {"add-nic", corvane_sim::cmdAddNic, "add-nic DIR --vendor 8086 --device 10FB --connection NAME [--bus N]"},
    {"show", corvane_sim::cmdShow, "show DIR [--json]"},
    {"flash", corvane_sim::cmdFlash, "flash DIR CARD --dump FILE | --load FILE"},
    {"fault", corvane_sim::cmdFault,
     "fault DIR CARD --action fail|ffff|bitflip|lock-held|timeout|reboot|kill|pause [--cmd N] [--after K] "
     "[--offset LO-HI] [--times N] [--owner ID] | --clear | --list"},
    {"stats", corvane_sim::cmdStats, "stats DIR CARD [--json] [--reset]"},
    {"check", corvane_sim::cmdCheck, "check DIR [--clear]"},
    {"reg", corvane_sim::cmdReg, "reg DIR CARD ADDRESS [VALUE]"},
    {"set", corvane_sim::cmdSet, "set DIR KEY VALUE...   (corvane-sim set --help lists the keys)"},
};

void printUsage(FILE* to) {
  std::fprintf(to, "usage: corvane-sim COMMAND ...\n");
  for (const Command& c : kCommands) std::fprintf(to, "  corvane-sim %s\n", c.usage);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    printUsage(stderr);
    return 2;
  }
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
      std::strcmp(argv[1], "help") == 0) {
    printUsage(stdout);
    return 0;
  }
  for (const Command& c : kCommands) {
    if (std::strcmp(argv[1], c.name) == 0) return c.run(corvane_sim::Args(argv + 2, argv + argc));
  }
  std::fprintf(stderr, "corvane-sim: unknown command '%s'\n", argv[1]);
  printUsage(stderr);
  return 2;
}
