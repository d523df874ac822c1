// One question to the user, or its automatic answer when the options allow
// no question.
#pragma once

#include <string>

namespace keelson {

// Answers of a question, and results of a decision on one adapter.
inline constexpr int kAnswerYes = 0;
inline constexpr int kAnswerNo = 1;
inline constexpr int kAnswerQuit = 2;
inline constexpr int kNotOffered = 3;

// Silent: 0 with force, else automaticAnswer. Yes: automaticAnswer. Else asks
// on the console and reads one line: empty gives emptyAnswer; "y", "yes",
// "Y", "Yes", "YES" give 0; "q", "Q", "Quit", "QUIT", "quit" give 2;
// anything else 1. End of input or a read error quits.
int askUser(const std::string& question, int automaticAnswer, int emptyAnswer, const std::string& defaultText);

}  // namespace keelson
