// The usage and version texts, both on standard output.
#pragma once

inline constexpr const char* kToolVersion = "4.0.593";

void print_usage();
void print_version();
