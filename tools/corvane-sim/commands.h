// The corvane-sim commands. Each takes the words after its name and returns
// the exit code: 0 done, 1 failed (one line on standard error saying why),
// 2 bad arguments (with the command's usage line).
#pragma once

#include <string>
#include <vector>

namespace corvane_sim {

using Args = std::vector<std::string>;

int cmdCreate(const Args& args);
int cmdAddCard(const Args& args);
int cmdAddNic(const Args& args);
int cmdShow(const Args& args);
int cmdSet(const Args& args);
int cmdFlash(const Args& args);
int cmdFault(const Args& args);
int cmdStats(const Args& args);
int cmdCheck(const Args& args);
int cmdReg(const Args& args);

// Prints "usage: corvane-sim <usage>" (and the problem, when given) to
// standard error; returns 2.
int usage(const std::string& usageLine, const std::string& problem = std::string());
// Prints "corvane-sim: <problem>" to standard error; returns 1.
int failure(const std::string& problem);

}  // namespace corvane_sim
