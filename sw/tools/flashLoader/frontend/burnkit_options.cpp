#include "sw/tools/flashLoader/frontend/burnkit_options.h"

namespace {

constexpr LongOption kLongOptions[] = {
    {"all", true, kOptAll},           {"restore", true, kOptRestore},   {"testflash", false, kOptTestFlash},
    {"info", false, kOptInfo},        {"interface", true, kOptInterface}, {"force", false, kOptForce},
    {"help", false, kOptHelp},        {"version", false, kOptVersion},  {"pxe-on", false, kOptPxeOn},
    {"pxe-off", false, kOptPxeOff},   {"wol-on", false, kOptWolOn},     {"wol-off", false, kOptWolOff},
    {"ncsi-on", false, kOptNcsiOn},   {"ncsi-off", false, kOptNcsiOff}, {"hwflags", true, kOptHwFlags},
};

}  // namespace

std::span<const LongOption> burnkit_long_options() { return kLongOptions; }
