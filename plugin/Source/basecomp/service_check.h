// Services as the framework sees them: a service exists when the service
// control manager knows it and its key under
// "System\CurrentControlSet\Services" opens.
#pragma once

#include <string>

namespace brightwell {

bool serviceExists(const std::string& name);
// Exists and is in any state but stopped.
bool serviceRuns(const std::string& name);

}  // namespace brightwell
