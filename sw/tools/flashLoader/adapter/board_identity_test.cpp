// What the tool learns about a board: chip generation by driver version and
// chip revision, board type (register or flash), the board tables, efuse id,
// identity, and finding an adapter by one of its MAC addresses.
#include "sw/tools/flashLoader/adapter/board_identity.h"

#include <set>

#include "sw/tools/flashLoader/adapter/adapter_registers.h"
#include "sw/tools/flashLoader/adapter/adapter_test_fixture.h"
#include "sw/tools/flashLoader/adapter/board_tables.h"
#include "sw/tools/flashLoader/adapter/chip_identity.h"
#include "sw/tools/flashLoader/adapter/mac_lookup.h"

namespace {

using BoardIdentityTest = AdapterTest;
using simhost::FaultAction;

TEST_F(BoardIdentityTest, TheNicTypeFollowsTheDriverVersionAndTheChipRevision) {
  struct Case {
    const char* driver;
    uint8_t revision;
    int result;
    int nicType;
    uint64_t chipQueries;
    const char* out;
  };
  const std::string refused =
      "This tool is not compatible with the currently running driver.\nPlease update the driver to version 4.0.593 "
      "or newer.\n";
  const Case cases[] = {
      {"3.4.336", 0x42, 0, 2, 0, ""},  // old drivers know generation 2 only
      {"3.3.900", 0x42, 0, 2, 0, ""},
      {"2.9.1", 0x42, 0, 2, 0, ""},
      {"3.4.337", 0x42, -1, 2, 0, refused.c_str()},
      {"3.9.0", 0x42, -1, 2, 0, refused.c_str()},
      {"4.0.0", 0x42, 0, 3, 1, ""},
      {"4.0.593", 0x24, 0, 2, 1, ""},
      {"4.0.593", 0x25, 0, 2, 1, ""},
      {"4.0.593", 0x30, 0, 3, 1, ""},
      {"4.0.593", 0x32, 0, 3, 1, ""},
      {"4.0.593", 0x40, 0, 3, 1, ""},
      {"4.0.593", 0x7F, 0, 3, 1, ""},
      {"4.0.593", 0xFF, 0, 3, 1, ""},
      {"5.1.2", 0x41, 0, 3, 1, ""},
      {"4.0.593", 0x31, -1, 2, 1, "Unknown Chip Type\n"},
      {"4.0.593", 0x2F, -1, 2, 1, "Unknown Chip Type\n"},
  };
  uint32_t bus = 10;
  for (const Case& c : cases) {
    simhost::CardOrder order = dualBoard();
    order.name = "b" + std::to_string(bus);
    order.bus = bus++;
    order.ports = 1;
    order.driver = c.driver;
    order.chipRevision = c.revision;
    host_.addCard(order);
  }
  corvane_test::useScriptedSimHost(host_.root());
  bus = 10;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.driver) + " rev " + std::to_string(c.revision));
    const std::string name = "b" + std::to_string(bus);
    const std::string connection =
        "Local Area Connection" + (bus == 10 ? std::string() : " " + std::to_string(bus - 9));
    ++bus;
    resetSession();
    std::string error;
    card_ = simhost::Card::open(host_.dir().cardDir(name), &error);
    uint32_t port = 0;
    ASSERT_EQ(open_adapter(connection, &port), 0);
    captureOutput();
    EXPECT_EQ(set_nic_type(adapter_handle()), c.result);
    EXPECT_EQ(capturedOut(), c.out);
    capturedErr();
    EXPECT_EQ(g_adapter.nicType, c.nicType);
    EXPECT_EQ(calls(99), c.chipQueries);
  }
}

TEST_F(BoardIdentityTest, AFailedChipQueryKeepsTheRevisionReadBefore) {
  DeviceHandle handle = openBoard();
  ASSERT_EQ(set_nic_type(handle), 0);
  g_adapter.nicType = 2;
  fault(FaultAction::kFail, 99);
  captureOutput();
  EXPECT_EQ(set_nic_type(handle), -1);
  EXPECT_EQ(capturedOut(), "IO CONTROL FAILED = 0x1f \nget_hw_nic_mode in set_nic_type failed\n");
  capturedErr();
  EXPECT_EQ(g_adapter.nicType, 3);  // still classified, by revision 0x42
  EXPECT_EQ(g_adapter.lastChipRevision, 0x42);

  // With no revision read before, the failed query also leaves the type unknown.
  g_adapter.lastChipRevision = 0;
  captureOutput();
  EXPECT_EQ(set_nic_type(handle), -1);
  EXPECT_EQ(capturedOut(),
            "IO CONTROL FAILED = 0x1f \nget_hw_nic_mode in set_nic_type failed\nUnknown Chip Type\n");
  capturedErr();
}

TEST_F(BoardIdentityTest, TheBoardTypeComesFromFlashWhileTheDriverHasNotPublishedIt) {
  DeviceHandle handle = openBoard();
  struct Case {
    uint32_t reg;
    uint32_t boardType;
    uint64_t flashReads;
  };
  for (const Case& c : {Case{0x24, 0x24, 0}, Case{0, 0x26, 1}, Case{0x55555555, 0x26, 1}, Case{0xFFFFFFFF, 0x26, 1}}) {
    SCOPED_TRACE(c.reg);
    card().pokeRegister(kRegBoardType, c.reg);
    card().resetStats();
    uint32_t boardType = 0;
    EXPECT_EQ(read_board_type(handle, &boardType), 0);
    EXPECT_EQ(boardType, c.boardType);
    EXPECT_EQ(calls(50), c.flashReads);
  }
  // Neither published nor readable.
  for (auto action : {FaultAction::kFail, FaultAction::kFfff}) {
    fault(action, 50);
    uint32_t boardType = 7;
    captureOutput();
    EXPECT_EQ(read_board_type(handle, &boardType), -1);
    capturedOut();
    capturedErr();
    EXPECT_EQ(boardType, 7u);
    clearFaults();
  }
}

TEST(BoardTablesTest, TheTablesHoldTheirRowsOnce) {
  std::set<uint32_t> types, subsystems;
  for (const BoardTypeRow& row : BoardTypeTable) {
    EXPECT_TRUE(types.insert(row.boardType).second) << row.boardType;
    EXPECT_TRUE(row.portCount == 1 || row.portCount == 2 || row.portCount == 4) << row.boardType;
    EXPECT_EQ(row.generation, row.boardType < 0x20 ? 1u : 3u) << row.boardType;
    EXPECT_STRNE(row.name, "");
    EXPECT_EQ(row.traits & ~0x1Fu, 0u) << row.boardType;
    // One PXE word per port pair needs pairs; ports whose MACs start at the
    // extra slots need those slots filled by a repair.
    if (row.traits & kBasePxe) {
      EXPECT_EQ(row.portCount % 2, 0u) << row.boardType;
    }
    if (row.traits & kMacsFromSlot16) {
      EXPECT_TRUE(row.traits & kFillsExtraSlots) << row.boardType;
    }
  }
  for (const SubsystemNameRow& row : SubsystemNameTable) {
    EXPECT_TRUE(subsystems.insert(row.subsystem).second) << row.subsystem;
    EXPECT_STRNE(row.name, "Unknown");
    EXPECT_EQ(row.traits & ~0x7u, 0u) << row.subsystem;
  }
  EXPECT_FALSE(board_type_has(0x99, kBasePxe));
  EXPECT_FALSE(subsystem_has(0x12345678, kNoWol));
  struct Ports {
    uint32_t boardType, ports;
  };
  for (Ports p : {Ports{0x0F, 1}, {0x0A, 4}, {0x22, 2}, {0x24, 4}, {0x29, 4}, {0x32, 1}, {0x80, 4}, {0x99, 0}}) {
    EXPECT_EQ(board_port_count(p.boardType), p.ports) << p.boardType;
  }
  EXPECT_EQ(find_board_type(0x99), nullptr);
  EXPECT_STREQ(subsystem_board_name(0x12345678), "Unknown");
  EXPECT_STRNE(subsystem_board_name(0x705B103C), "Unknown");
  EXPECT_STREQ(chip_revision_name(0x24), "C0");
  EXPECT_STREQ(chip_revision_name(0x42), "B2");
  EXPECT_STREQ(chip_revision_name(0x43), "");
}

TEST_F(BoardIdentityTest, TheIdentityIsTheEfuseIdOrTheSerialNumber) {
  DeviceHandle handle = openBoard();
  std::string identity;
  g_adapter.nicType = 3;
  captureOutput();
  EXPECT_EQ(adapter_identity(handle, &identity), 0);
  EXPECT_EQ(capturedOut(), "Efuse ID    \t\t   : 0x0123456789abcdef\n");
  capturedErr();
  EXPECT_EQ(identity, "0x0123456789abcdef");

  g_adapter.nicType = 2;
  EXPECT_EQ(adapter_identity(handle, &identity), 0);
  EXPECT_EQ(identity, "SN0123456789");

  // A failed efuse query keeps the caller's id and still prints it.
  g_adapter.nicType = 3;
  fault(FaultAction::kFfff, 99);
  uint64_t efuse = 0x42;
  captureOutput();
  get_efuse_id(handle, &efuse);
  EXPECT_EQ(capturedOut(),
            "IO CONTROL FAILED = 0x0 \nget_efuse_nic_id in get_efuse_id failed\nEfuse ID    \t\t   : "
            "0x0000000000000042\n");
  capturedErr();
  captureOutput();
  EXPECT_EQ(adapter_identity(handle, &identity), 0);
  capturedOut();
  capturedErr();
  EXPECT_EQ(identity, "SN0123456789");
}

TEST_F(BoardIdentityTest, SerialNumbersWithOtherCharactersShowEmpty) {
  EXPECT_EQ(alphanumeric_serial_number(SerialNumber{'A', 'b', '9'}), "Ab9");
  EXPECT_EQ(alphanumeric_serial_number(SerialNumber{'A', '-', '9'}), "");
  EXPECT_EQ(serial_number_text(SerialNumber{'A', '-', '9'}), "A-9");
  SerialNumber full;
  full.fill('Z');  // no terminating zero: all 32 characters
  EXPECT_EQ(alphanumeric_serial_number(full), std::string(32, 'Z'));
}

TEST(MacLookupTest, TheFirstAdapterWithTheAddressIsFound) {
  const std::vector<AdapterMacs> adapters = {
      {"Local Area Connection", {{0x00, 0x0E, 0x1E, 0x10, 0x20, 0x30, 0, 0}}},
      {"Local Area Connection 3",
       {{0x00, 0x0E, 0x1E, 0xAA, 0xBB, 0xCC, 0, 0}, {0x00, 0x0E, 0x1E, 0xAA, 0xBB, 0xCD, 0, 0}}},
      {"Local Area Connection 5", {{0x00, 0x0E, 0x1E, 0xAA, 0xBB, 0xCD, 0, 0}}},
  };
  struct Case {
    const char* text;
    int result;
    const char* name;
  };
  const Case cases[] = {
      {"00:0E:1E:10:20:30", 0, "Local Area Connection"},
      {"00:0e:1e:aa:bb:cd", 0, "Local Area Connection 3"},  // lower case; the first of two owners
      {"00:0E:1E:AA:BB", 1, ""},                            // five groups
      {"00:0E:1E:AA:BB:CE", 1, ""},
      {"100:0E:1E:10:20:30", 1, ""},  // a group above 0xFF matches no byte
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string name;
    EXPECT_EQ(find_interface_by_mac(c.text, adapters, &name), c.result);
    EXPECT_EQ(name, c.name);
  }
}

}  // namespace
