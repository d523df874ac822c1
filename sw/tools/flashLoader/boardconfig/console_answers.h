// Answers typed at the console (standard input), one line each.
#pragma once

#include <optional>
#include <string>

// A whole decimal number (blanks around it allowed); nothing when the line
// holds anything else, does not fit an int or input has ended.
std::optional<int> read_number_answer();

// The line's first word; empty when there is none or input has ended.
std::string read_word_answer();

// True when the answer's first character is "Y" or "y".
bool read_yes_answer();
