#include "simhost/provision/board_facts.h"

#include <cstdio>

namespace simhost {

namespace {

struct BoardText {
  uint32_t board;
  const char* text;
};

constexpr BoardText kBoards[] = {
    {0x21, "Corvane Z3 4-port 1GbE Reference Adapter"},
    {0x22, "Corvane Z3 2-port 10GbE Multifunction Blade Mezzanine"},
    {0x23, "Corvane Z3 2-port 10GbE CX4 Adapter"},
    {0x24, "Corvane Z3 4-port 1GbE Server Adapter"},
    {0x25, "Corvane Z3 2-port 10GbE Mezzanine Adapter"},
    {0x26, "Corvane Z3 2-port 10GbE SFP+ Server Adapter"},
    {0x27, "Corvane Z3 10GBASE-T Low-Profile Adapter"},
    {0x28, "Corvane Z3 2-port 10GbE LAN-on-Motherboard"},
    {0x29, "Corvane Z3 Integrated 4-port 1GbE Multifunction Adapter"},
    {0x31, "Corvane Z3 2-port 10GbE CX4 Reference Adapter"},
    {0x32, "Corvane Z3 1-port 10GbE XFP Reference Adapter"},
    {0x80, "Corvane Z3 Integrated 4-port 1GbE with 10GbE SFP+ Module"},
};

}  // namespace

std::string boardDescription(uint32_t boardType) {
  for (const BoardText& b : kBoards)
    if (b.board == boardType) return b.text;
  char text[64];
  std::snprintf(text, sizeof text, "Corvane Network Adapter (board 0x%02X)", boardType);
  return text;
}

}  // namespace simhost
