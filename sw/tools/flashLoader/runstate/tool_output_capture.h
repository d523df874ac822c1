// For in-process tests: keeps what the tool writes on one or both streams,
// through the output seam, instead of letting it reach the console. A
// stream not being kept still goes to the console.
#pragma once

#include <string>

// Starts keeping standard output (standard error) texts.
void capture_tool_stdout();
void capture_tool_stderr();

// Stops keeping the stream and gives what was kept since its capture began.
std::string captured_tool_stdout();
std::string captured_tool_stderr();
