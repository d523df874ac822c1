// Where the unified ROM image is: a file of that name in the current
// directory, or the name as given (relative or absolute).
#pragma once

#include <string>

inline constexpr const char* kDefaultImageName = "quarry_romimage";

// 0 and *path; 19 (after "\n%s is a directory\n\n" on standard error) when
// the name names a directory. A name that names nothing is passed on: the
// open that follows reports it.
int locate_image(const std::string& name, std::string* path);
