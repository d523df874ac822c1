// Texts that go to the console alone, exactly as given (their own line ends
// included), and never while the console silent switch is on.
#pragma once

#include <string>

namespace keelson {

void writeConsole(const std::string& text);

}  // namespace keelson
