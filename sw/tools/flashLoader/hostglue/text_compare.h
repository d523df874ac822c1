// Names, ids and keys of the Windows host compare without regard to case:
// connection names, NetCfgInstanceIds, driver keys, subkey names. One
// portable comparison for all of them (ASCII letters fold; every other byte
// compares as it is).
#pragma once

#include <string_view>

bool equal_ignoring_case(std::string_view a, std::string_view b);
