#include "sw/tools/flashLoader/adapter/driver_dialect.h"

namespace {

struct CommandPair {
  uint32_t standard;
  uint32_t alternate;
};

constexpr CommandPair kAlternateNumbers[] = {
    {1, 0x8000001D},  {2, 0x8000001E},  {7, 7},     {8, 1},     {19, 19},   {22, 12},
    {50, 0x80000024}, {51, 0x80000025}, {52, 52},   {99, 13},   {101, 14},  {102, 15},
    {103, 16},        {104, 17},        {105, 18},  {106, 106},
};

}  // namespace

uint32_t alternate_command_number(uint32_t standard) {
  for (const CommandPair& pair : kAlternateNumbers)
    if (pair.standard == standard) return pair.alternate;
  return standard;
}
