// Names, ids and keys of the Windows host compare without regard to case:
// connection names, NetCfgInstanceIds, driver keys, subkey names. One
// portable comparison for all of them (ASCII letters fold; every other byte
// compares as it is).
#pragma once

#include <string>
#include <string_view>

bool equal_ignoring_case(std::string_view a, std::string_view b);

// The text with ASCII letters folded as equal_ignoring_case folds them: two
// texts compare equal ignoring case exactly when their folded forms are
// equal, so a folded text can key a table of host names.
std::string folded_case(std::string_view text);
