// ExpandEnvironmentStrings over a lookup of variable values: the simulated
// host names its own drive and directories, the rest comes from the process.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace platform {

using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;

// Every "%NAME%" whose variable is set is replaced by its value; an unset
// name, an empty "%%" and a lone "%" stay as they are, as on Windows.
std::string expandEnvironmentText(const std::string& text, const EnvironmentLookup& lookup);

// The process environment, the name tried as given, then upper-cased.
std::optional<std::string> processEnvironmentValue(const std::string& name);

}  // namespace platform
