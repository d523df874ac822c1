// The function masks a vNIC layout gives, and the property area's bytes and
// print-out, without a board.
#include "sw/tools/flashLoader/boardconfig/function_masks.h"

#include <gtest/gtest.h>

#include "sw/tools/flashLoader/boardconfig/vnic_area.h"
#include "sw/tools/flashLoader/runstate/tool_output_capture.h"

namespace {

TEST(FunctionMasksTest, LayoutsGiveTheirFunctions) {
  struct Case {
    std::array<uint32_t, 4> perPort;
    uint32_t boardType;
    uint32_t low;
    uint32_t high;
  };
  const Case cases[] = {
      {{1, 1, 0, 0}, 0x26, 0x0401 | 0x0804, 0},
      {{2, 1, 0, 0}, 0x26, 0x0401 | 0x1010 | 0x0804, 0},
      {{3, 4, 0, 0}, 0x26, 0x3C55, 0x0401 | 0x0804 | 0x2040},
      // More than four on a port: the functions in order for all of them.
      {{5, 1, 0, 0}, 0x26, 0x3C55, 0x0C05},
      {{8, 0, 0, 0}, 0x26, 0x3C55, 0x3C55},
      // Board 0x25 swaps the parities: port 0 takes the odd functions.
      {{1, 0, 0, 0}, 0x25, 0x0804, 0},
      {{2, 1, 0, 0}, 0x25, 0x0804 | 0x2040 | 0x0401, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.perPort[0] << "+" << c.perPort[1] << " board " << c.boardType);
    const FunctionMasks masks = derive_function_masks(FunctionMasks{0, 0}, c.perPort, c.boardType);
    EXPECT_EQ(masks.low, c.low);
    EXPECT_EQ(masks.high, c.high);
  }
}

TEST(FunctionMasksTest, OnlyTheKeptBitsOfTheOldMasksSurvive) {
  const FunctionMasks masks = derive_function_masks(FunctionMasks{0xFFFFFFFF, 0x12345678}, {1, 1, 0, 0}, 0x26);
  EXPECT_EQ(masks.low, 0x000FC300u | 0x0C05);
  EXPECT_EQ(masks.high, 0x12345678u & 0x000FC300);
}

TEST(VnicAreaTest, AnInactiveAreaShowsItsHeaderAndSkipsTheRest) {
  const std::vector<uint8_t> erased(kInactiveVnicAreaUnits * kVnicUnitBytes, 0xFF);
  capture_tool_stdout();
  print_vnic_area(erased);
  EXPECT_EQ(captured_tool_stdout(),
            "\nvNIC header magic  : 0xffff => vNIC INACTIVE\nvNIC header #vnics : 65535\n"
            "vNIC header #blocks: 65535\nvNIC header size   : 524280\n\tWARNING: assuming 1 block only\n"
            "\nvNIC descriptor type           : 255\nvNIC descriptor start vnic#    : 65535\n"
            "vNIC descriptor #vnics in block: 255\nvNIC descriptor element size   : 524280\n"
            "\tWARNING: unknown property details being skipped\n");
}

TEST(VnicAreaTest, ABlockCountAboveEightShowsEightAndNoneBeyondTheArea) {
  std::vector<VnicElement> vnics(2);
  vnics[0].mac = {0x00, 0x0E, 0x1E, 0, 0, 1};
  vnics[1].mac = {0x00, 0x0E, 0x1E, 0, 0, 2};
  vnics[1].vlan = 0x64;
  std::vector<uint8_t> area = build_vnic_area(vnics);
  area[15] = 20;  // the descriptor claims 20 vNICs; the bytes hold two
  capture_tool_stdout();
  print_vnic_area(area);
  const std::string out = captured_tool_stdout();
  EXPECT_NE(out.find("\tWARNING: assuming #vnics in block: 8\n"), std::string::npos);
  EXPECT_NE(out.find("\nvNIC 1 VLAN : 0x0064 \n"), std::string::npos);
  EXPECT_EQ(out.find("vNIC 2 port"), std::string::npos);
}

}  // namespace
