// The board report, the upgrade's short summary and the MAC list against
// boards provisioned from ROM images: every line in order, the fallbacks
// when a query fails, and the extra MAC slots of boards 0x80 and 0x29.
#include "sw/tools/flashLoader/boardconfig/board_report.h"

#include "sw/tools/flashLoader/adapter/adapter_test_fixture.h"
#include "sw/tools/flashLoader/adapter/chip_identity.h"
#include "sw/tools/flashLoader/adapter/flash_digest.h"

namespace {

using simhost::FaultAction;

constexpr uint32_t kHardwareFlags = 0x3E8844;

class BoardReportTest : public AdapterTest {
 protected:
  DeviceHandle open(const simhost::CardOrder& order = dualBoard(), uint32_t port = 0) {
    addBoard(order);
    DeviceHandle handle = openPort(port == 0 ? "Local Area Connection" : "Local Area Connection " + std::to_string(port + 1));
    set_nic_type(handle);
    return handle;
  }
  int report(const DeviceHandle& handle, uint32_t port) {
    captureOutput();
    const int result = board_report(handle, port);
    out_ = capturedOut();
    err_ = capturedErr();
    return result;
  }
  std::string out_, err_;
};

const std::string kDualPort1 =
    "Board Type                 : 0x26 (Corvane Z3 2-port 10GbE SFP+ Server Adapter)\n"
    "Board Chip Rev             : B2\n"
    "Serial Id                  : SN0123456789\n"
    "Efuse ID    \t\t   : 0x0123456789abcdef\n"
    "Firmware version(on Flash) : 4.0.500\n"
    "Active Firmware version    : 4.0.500\n"
    "Driver version             : 4.0.593\n"
    "BIOS version               : 2.1.14\n"
    "MAC Addr 1                 : 00:0E:1E:10:20:31 \n"
    "Subsystem ID               : 0x01264040\n";

TEST_F(BoardReportTest, EveryLineInOrder) {
  DeviceHandle handle = open(dualBoard(), 1);
  card().resetStats();
  EXPECT_EQ(report(handle, 1), 0);
  EXPECT_EQ(out_, kDualPort1 + "Hardware Flags             : uninitialized\n");
  EXPECT_EQ(err_, "");
  EXPECT_EQ(calls(50), 536u);  // the user area, read once
}

TEST_F(BoardReportTest, FieldsShownFromWhatTheFlashAndDriverHold) {
  DeviceHandle handle = open();
  struct Case {
    const char* what;
    std::function<void()> change;
    uint32_t port;
    std::string from, to;  // the part of the port-0 report that differs
  };
  const Case cases[] = {
      {"flags written as 2", [&] { setFlashWord(kHardwareFlags, 0x80000002); }, 0,
       "Hardware Flags             : uninitialized\n", "Hardware Flags             : set to 2\n"},
      {"flags written as 3", [&] { setFlashWord(kHardwareFlags, 0x80000003); }, 0,
       "Hardware Flags             : uninitialized\n", "Hardware Flags             : set to 3\n"},
      {"blank firmware word", [&] { setFlashWord(0x3E8408, 0xFFFFFFFF); }, 0, "(on Flash) : 4.0.500", "(on Flash) : 0.0.0"},
      {"serial with a dash", [&] { setFlashWord(0x3E881C, 0x2D314E53); }, 0, "Serial Id                  : SN0123456789\n",
       "Serial Id                  : \n"},
      {"no driver version", [&] { fault(FaultAction::kFail, 105); }, 0, "Driver version             : 4.0.593\n",
       "IO CONTROL FAILED = 0x1f \nDriver version             : 255.255.65535\n"},
      {"a port the board does not have", [] {}, 2, "MAC Addr 0                 : 00:0E:1E:10:20:30 \n", ""},
      {"nic type 2", [] { g_adapter.nicType = 2; }, 0, "Efuse ID    \t\t   : 0x0123456789abcdef\n", ""},
  };
  EXPECT_EQ(report(handle, 0), 0);
  const std::string baseline = out_;
  const std::vector<uint8_t> original = flash();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.change();
    EXPECT_EQ(report(handle, c.port), 0);
    std::string expected = baseline;
    const size_t at = expected.find(c.from);
    ASSERT_NE(at, std::string::npos);
    expected.replace(at, c.from.size(), c.to);
    EXPECT_EQ(out_, expected);
    std::string error;
    ASSERT_TRUE(card().loadFlashImage(original, &error));
    clearFaults();
    g_adapter.nicType = 3;
  }
}

TEST_F(BoardReportTest, ABoardTypeTheTablesDoNotKnowHasNoPortsAndNoName) {
  simhost::CardOrder order = dualBoard();
  order.board = 0x99;
  order.subsys = 0x99994040;
  DeviceHandle handle = open(order);
  EXPECT_EQ(report(handle, 0), 0);
  EXPECT_EQ(out_.substr(0, out_.find('\n') + 1), "Board Type                 : 0x99 (Unknown)\n");
  EXPECT_EQ(out_.find("MAC Addr"), std::string::npos);
  EXPECT_NE(out_.find("Subsystem ID               : 0x99994040\n"), std::string::npos);
}

TEST_F(BoardReportTest, AUserAreaThatCannotBeReadEndsTheReport) {
  DeviceHandle handle = open();
  fault(FaultAction::kFfff, 50, 100, std::nullopt, 1);
  EXPECT_EQ(report(handle, 0), -1);
  EXPECT_EQ(out_,
            "Board Type                 : 0x26 (Corvane Z3 2-port 10GbE SFP+ Server Adapter)\n"
            "Board Chip Rev             : B2\n");
  EXPECT_EQ(err_, "Failed to get board information.\n");
}

TEST_F(BoardReportTest, QueriesThatFailShowTheirFallbacks) {
  DeviceHandle handle = open();
  fault(FaultAction::kFail, 99);
  EXPECT_EQ(report(handle, 0), 0);
  // Chip revision 0 has no name; the efuse id shows 0.
  EXPECT_NE(out_.find("IO CONTROL FAILED = 0x1f \nget_hw_nic_mode in get_chip_revision failed\n"
                      "Board Chip Rev             : \n"),
            std::string::npos);
  EXPECT_NE(out_.find("IO CONTROL FAILED = 0x1f \nget_efuse_nic_id in get_efuse_id failed\n"
                      "Efuse ID    \t\t   : 0x0000000000000000\n"),
            std::string::npos);
}

simhost::CardOrder quadBoard(uint32_t board, uint32_t subsys) {
  simhost::CardOrder order;
  order.name = "quad";
  order.board = board;
  order.subsys = subsys;
  order.ports = 4;
  order.bus = 4;
  order.mac = simhost::MacAddress{0x00, 0x0E, 0x1E, 0x10, 0x20, 0xFE};
  return order;
}

TEST_F(BoardReportTest, ABlankExtraSlotIsRepairedFromTheFirstPortsAddress) {
  struct Case {
    uint32_t board, subsys;
    const char* macLine;  // port 1
  };
  // Port 1 of board 0x80 shows slot 17: slot 0 plus 8 in its low 32 bits,
  // without a carry into the first two bytes (0x10 0x20 0xFE + 8 = 0x10 0x21 0x06).
  for (const Case& c : {Case{0x80, 0x3251103C, "MAC Addr 1                 : 00:0E:1E:10:21:06 \n"},
                        Case{0x29, 0x705A103C, "MAC Addr 1                 : 00:0E:1E:10:20:FF \n"}}) {
    SCOPED_TRACE(c.board);
    resetSession();
    corvane_test::Scenario host;
    // Each board on a host of its own.
    host.addImagedCard(quadBoard(c.board, c.subsys));
    console_ = corvane_test::useScriptedSimHost(host.root());
    std::string error;
    card_ = simhost::Card::open(host.dir().cardDir("quad"), &error);
    ASSERT_TRUE(card_) << error;
    if (c.board == 0x80) {
      // The factory wrote slots 16 on for this board; blank slot 16.
      setFlashWord(0x3E8418 + 8 * 16, 0xFFFFFFFF);
      setFlashWord(0x3E8418 + 8 * 16 + 4, 0xFFFFFFFF);
    }
    uint32_t port = 0;
    ASSERT_EQ(open_adapter("Local Area Connection 2", &port), 0);
    DeviceHandle handle = adapter_handle();
    set_nic_type(handle);

    EXPECT_EQ(report(handle, 1), 0);
    EXPECT_NE(out_.find("BIOS version               : 2.1.14\nUpdating Halyard MAC addresses\n"), std::string::npos);
    EXPECT_NE(out_.find(c.macLine), std::string::npos);
    EXPECT_EQ(err_, "");
    const std::vector<uint8_t> now = flash();
    const uint8_t expected[4][6] = {{0x02, 0x21, 0x10, 0x1E, 0x0E, 0x00},
                                    {0x06, 0x21, 0x10, 0x1E, 0x0E, 0x00},
                                    {0x00, 0x21, 0x10, 0x1E, 0x0E, 0x00},
                                    {0x01, 0x21, 0x10, 0x1E, 0x0E, 0x00}};
    for (int i = 0; i < 4; ++i) {
      SCOPED_TRACE(16 + i);
      EXPECT_TRUE(std::equal(expected[i], expected[i] + 6, now.begin() + 0x3E8418 + 8 * (16 + i)));
    }
    EXPECT_EQ(flash_self_test(handle), 0);

    // Repaired once: the next report writes nothing.
    card().resetStats();
    EXPECT_EQ(report(handle, 1), 0);
    EXPECT_EQ(out_.find("Updating Halyard"), std::string::npos);
    EXPECT_EQ(calls(51), 0u);
    EXPECT_EQ(host.violations(), "");
    close_adapter();
    card_.reset();
  }
}

TEST_F(BoardReportTest, TheSummaryAndTheMacListCoverEveryPort) {
  addBoard(quadBoard(0x80, 0x3251103C));
  DeviceHandle handle = openPort();
  UserAreaRecord record;
  ASSERT_EQ(read_user_area(handle, &record), 0);
  captureOutput();
  EXPECT_EQ(board_summary(handle, record), 0);
  EXPECT_EQ(capturedOut(),
            "Board Type       : Corvane Integrated 4-port 1GbE with 10GbE SFP+ Module\n"
            "Firmware Version : 4.0.500\n"
            "MAC Address 0    : 00:0E:1E:10:20:FE \n"
            "MAC Address 1    : 00:0E:1E:10:20:FF \n"
            "MAC Address 2    : 00:0E:1E:10:21:00 \n"
            "MAC Address 3    : 00:0E:1E:10:21:01 \n"
            "Serial Number    : " + record.serialNumber() + "\n");
  capturedErr();

  AdapterMacList list;
  EXPECT_EQ(get_adapter_mac_address(handle, &list), 0);
  EXPECT_EQ(list.count, 4u);
  EXPECT_EQ(list.macs[3], (std::array<uint8_t, 8>{0x00, 0x0E, 0x1E, 0x10, 0x21, 0x01, 0, 0}));

  card().pokeRegister(0x08202248, 0x55555555);
  fault(FaultAction::kFail, 50);
  captureOutput();
  EXPECT_EQ(board_summary(handle, record), 31);
  capturedOut();
  EXPECT_EQ(capturedErr(), "Cannot get boardtype\n");
}

}  // namespace
