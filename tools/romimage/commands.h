// The romimage commands; each takes the words after its name and returns the
// process exit code: 0 done, 1 failed (or, for info, a check failed), 2 a
// usage error.
#pragma once

#include <string>
#include <vector>

namespace romimage_tool {

using Args = std::vector<std::string>;

int cmdSynth(const Args& args);
int cmdBuild(const Args& args);
int cmdInfo(const Args& args);
int cmdExtract(const Args& args);

// "romimage: " and the text on standard error; returns code.
int complain(int code, const std::string& text);

}  // namespace romimage_tool
