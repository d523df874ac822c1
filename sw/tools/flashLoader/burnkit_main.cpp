// burnkit: the Corvane adapter flash tool.
#include "sw/tools/flashLoader/frontend/burnkit_run.h"

int main(int argc, char** argv) { return burnkit_run(argc, argv); }
