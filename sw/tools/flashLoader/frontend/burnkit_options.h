// burnkit's command-line options: the short option string and the long
// option table, with the value each long option returns.
#pragma once

#include <span>

#include "sw/tools/flashLoader/frontend/option_parser.h"

inline constexpr const char* kShortOptions = ":hi:fa:r:d:D:u:U:vFps";

enum LongOptionValue : int {
  kOptInfo = 3,
  kOptInterface = 10,
  kOptForce = 12,
  kOptHelp = 14,
  kOptAll = 18,
  kOptRestore = 19,
  kOptVersion = 21,
  kOptPxeOn = 24,
  kOptPxeOff = 25,
  kOptWolOn = 26,
  kOptWolOff = 27,
  kOptTestFlash = 28,
  kOptNcsiOn = 29,
  kOptNcsiOff = 30,
  kOptHwFlags = 31,
};

std::span<const LongOption> burnkit_long_options();
