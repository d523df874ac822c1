// Operations this build of the tool cannot perform yet end the run with a
// clear line on standard error instead of doing something else.
#pragma once

// Prints "<what> is not available in this version of burnkit" and gives the
// general failure code 31.
int not_available(const char* what);
