// A whole run of burnkit: start-up, the options left to right, the deferred
// operation, and the clean-up on every way out. The exit code is returned.
#pragma once

int burnkit_run(int argc, char** argv);
