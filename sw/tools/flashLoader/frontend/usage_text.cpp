#include "sw/tools/flashLoader/frontend/usage_text.h"

#include <cstdio>
#include "sw/tools/flashLoader/runstate/tool_output.h"

namespace {

constexpr const char* kSupportContact = "<nic-firmware-support@corvane.com>";

struct UsageLine {
  const char* option;
  int width;  // the option column, padded with blanks
  const char* description;
};

constexpr UsageLine kUsageLines[] = {
    {"-i, --interface <inf-name>", 28, "Set inf-name to work with e.g. \"Local Area Connection 7\" etc]"},
    {"-i, --interface <inf-name>", 28, "Set inf-name to work with e.g. \"PCI Bus:Device.Function\"]"},
    {"", 28, "MUST be first in a chain except for -d and -u options"},
    {"--info", 28,
     "Show board information\n\t\t\t\t\t\t{Board type, chip revision,serial-id, firmware and bios versions,\n"
     "\t\t\t\t\t\tMAC address(es), sub-system id }"},
    {"-a, --all", 28, "Burn flash using romimage"},
    {"-a, --all <image file>", 28, "Burn flash using user renamed romimage"},
    {"-r, --restore <image file>", 28, "Restore flash using backup romimage"},
    {"--pxe-on", 27, "Enable PXE"},
    {"--pxe-off", 27, "Disable PXE (default)"},
    {"--wol-on", 27, "Enable WOL"},
    {"--wol-off", 27, "Disable WOL"},
    {"-h, --help", 28, "Display this message"},
    {"-d,-D,/d,/D", 28, "Creates xml file having NIC info. -i not required."},
    {"-u,-U,/u,/U", 28, "Upgrades the NIC using xml file. -i not required."},
    {"-v, --version", 28, "Display the version information"},
};

}  // namespace

void print_usage() {
  out_printf("\nCorvane burnkit version %s built on %s %s\n\n", kToolVersion, __DATE__, __TIME__);
  out_printf("Usage: burnkit [command-options-and-arguments]\n");
  out_printf("  where command is:\n");
  for (const UsageLine& line : kUsageLines) out_printf("%-*s\t\t\t%s\n", line.width, line.option, line.description);
  out_printf("\nNote: Corvane NIC will be taken offline while flashing process is going on.\n");
}

void print_version() {
  out_printf("\nCorvane burnkit version %s built on %s %s\n", kToolVersion, __DATE__, __TIME__);
  out_printf("Report bugs to %s.\n", kSupportContact);
}
