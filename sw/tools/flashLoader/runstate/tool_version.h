// The tool's own version: shown by -v and the usage text, and written into
// every discovery report so that the wrapper knows which tool wrote it.
#pragma once

inline constexpr const char* kToolVersion = "4.0.593";
