// Interface resolution against a simulated host: a Corvane dual-port board
// on bus 3, a quad-port board on bus 5 and another maker's adapter.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/host.h"
#include "simhost/devices/device_store.h"
#include "sw/tools/flashLoader/hostglue/adapter_device_list.h"
#include "sw/tools/flashLoader/hostglue/board_count.h"
#include "sw/tools/flashLoader/hostglue/connection_lookup.h"
#include "sw/tools/flashLoader/hostglue/corvane_port.h"
#include "sw/tools/flashLoader/hostglue/driver_key_lookup.h"
#include "sw/tools/flashLoader/hostglue/leftover_switch.h"
#include "sw/tools/flashLoader/hostglue/net_class_keys.h"
#include "sw/tools/flashLoader/hostglue/pci_location_lookup.h"
#include "tests/support/scenario.h"
#include "tests/support/scripted_host.h"
#include "sw/tools/flashLoader/runstate/tool_output_capture.h"

namespace {

class HostGlueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.addCard("dual", 0x26, 0x01264040, 2, 3);  // "Local Area Connection", "... 2"
    host_.addCard("quad", 0x24, 0x01244040, 4, 5);  // "... 3" to "... 6"
    simhost::NicOrder other;
    other.vendor = 0x8086;
    other.device = 0x10FB;
    other.connection = "Other Port";
    host_.addNic(other);
    corvane_test::useScriptedSimHost(host_.root());
  }

  // The device record of a card's port.
  simhost::DeviceRecord device(const std::string& card, int port) {
    simhost::DeviceStore store(host_.dir());
    simhost::DeviceTable table;
    EXPECT_TRUE(store.load(&table, nullptr));
    for (const simhost::DeviceRecord& d : table.devices)
      if (d.card == card && d.port == port) return d;
    ADD_FAILURE() << "no port " << port << " on " << card;
    return {};
  }

  void addNetworkKey(const std::string& subkey, const std::string& name = std::string(), bool withName = false) {
    platform::Registry& registry = platform::host().registry();
    platform::RegKey key;
    ASSERT_EQ(registry.createKey(platform::regJoin(kNetworkKeyPath, subkey), &key), platform::kErrorSuccess);
    if (withName) {
      ASSERT_EQ(registry.setValue(key, "Name", platform::RegValue::sz(name)), platform::kErrorSuccess);
    }
  }

  static std::string out() {
    std::fflush(stdout);
    return captured_tool_stdout();
  }

  corvane_test::Scenario host_;
};

TEST_F(HostGlueTest, TheInterfaceListHoldsEveryConnectionThatFits) {
  addNetworkKey("{00000000-0000-0000-0000-00000000000A}");                     // no "Connection"
  addNetworkKey("{00000000-0000-0000-0000-00000000000B}\\Connection");         // no "Name"
  addNetworkKey("{00000000-0000-0000-0000-00000000000C}\\Connection", std::string(100, 'L'), true);
  addNetworkKey("{00000000-0000-0000-0000-00000000000D}\\Connection", std::string(99, 'K'), true);

  capture_tool_stdout();
  ASSERT_EQ(build_interface_list(), 1);
  EXPECT_EQ(out(), "");
  std::vector<std::string> names = g_interface_list;
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{std::string(99, 'K'), "Local Area Connection", "Local Area Connection 2",
                                             "Local Area Connection 3", "Local Area Connection 4",
                                             "Local Area Connection 5", "Local Area Connection 6", "Other Port"}));
  // A name too long for the list is still a connection name.
  std::vector<std::string> ids;
  ASSERT_EQ(Get_Instance_Id(std::string(100, 'l'), &ids), 1);
  EXPECT_EQ(ids, std::vector<std::string>{"{00000000-0000-0000-0000-00000000000C}"});
}

TEST_F(HostGlueTest, OnlyCorvanePortsResolveAndNamesCompareWithoutCase) {
  struct Case {
    const char* name;
    std::string instanceId;  // empty: does not resolve
  };
  const Case cases[] = {
      {"Local Area Connection 2", device("dual", 1).guid},
      {"local area CONNECTION 2", device("dual", 1).guid},
      {"LOCAL AREA CONNECTION 6", device("quad", 3).guid},
      {"Other Port", ""},
      {"Local Area Connection 7", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string id = "unchanged";
    capture_tool_stdout();
    EXPECT_EQ(resolve_corvane_port(c.name, &id), c.instanceId.empty() ? -1 : 0);
    EXPECT_EQ(out(), "");
    if (!c.instanceId.empty()) {
      EXPECT_EQ(id, c.instanceId);
    }
  }
}

TEST_F(HostGlueTest, ACorvaneDeviceIsVendor4040Device0100) {
  EXPECT_TRUE(is_corvane_device_id("PCI\\VEN_4040&DEV_0100&SUBSYS_01264040&REV_42\\4&1&0&0000"));
  EXPECT_FALSE(is_corvane_device_id("PCI\\VEN_4040&DEV_0101&SUBSYS_01264040&REV_42\\4&1&0&0000"));
  EXPECT_FALSE(is_corvane_device_id("PCI\\VEN_8086&DEV_10FB&SUBSYS_00000000&REV_01\\4&1&0&0000"));
  EXPECT_FALSE(is_corvane_device_id("ROOT\\NET\\0000"));

  // The port whose device id names another device is no longer a Corvane port.
  const std::string other = device("dual", 0).instanceId;
  std::string changed = other;
  changed.replace(changed.find("DEV_0100"), 8, "DEV_0101");
  simhost::DeviceStore store(host_.dir());
  ASSERT_TRUE(store.update(
      [&](simhost::DeviceTable& table) {
        for (simhost::DeviceRecord& d : table.devices)
          if (d.instanceId == other) d.instanceId = changed;
        return true;
      },
      nullptr));
  std::string id;
  EXPECT_EQ(resolve_corvane_port("Local Area Connection", &id), -1);
  EXPECT_EQ(resolve_corvane_port("Local Area Connection 2", &id), 0);
}

TEST_F(HostGlueTest, EachBoardIsCountedOnce) {
  EXPECT_EQ(count_boards(), 2);
  EXPECT_EQ(g_highest_card_index, 1);
}

TEST_F(HostGlueTest, DriverKeysAndLocationsOfAPort) {
  std::vector<std::string> ids;
  ASSERT_EQ(Get_Instance_Id("Local Area Connection 4", &ids), 1);
  ASSERT_EQ(ids, std::vector<std::string>{device("quad", 1).guid});
  std::string driverKey, listKey;
  ASSERT_EQ(Get_Driver_Class(ids[0], &driverKey), 1);
  ASSERT_EQ(Read_Registry_XML({"{no-such-id}", ids[0]}, &listKey), 1);
  EXPECT_EQ(driverKey, device("quad", 1).driverKey);
  EXPECT_EQ(listKey, driverKey);

  DeviceList devices;
  ASSERT_EQ(open_net_devices("PCI", &devices), platform::kErrorSuccess);
  int bus = -1, dev = -1, function = -1;
  ASSERT_EQ(pci_location_of_driver_key(devices, driverKey, &bus, &dev, &function), 1);
  EXPECT_EQ(std::vector<int>({bus, dev, function}), std::vector<int>({5, 0, 1}));
  bus = dev = function = 42;
  ASSERT_EQ(pci_location_of_driver_key(devices, "{4D36E972-E325-11CE-BFC1-08002BE10318}\\9999", &bus, &dev,
                                       &function), 1);
  EXPECT_EQ(std::vector<int>({bus, dev, function}), std::vector<int>({42, 42, 42}));
}

// The lookups answer from what the run keeps, indexed; the answers must be
// those of a walk or scan in list order: the last of several instances with
// one id, every component with one connection name in registry order, and a
// driver property that cannot be read met before the key.
TEST_F(HostGlueTest, KeptLookupsAnswerAsAWalkInOrder) {
  addNetworkKey("{00000000-0000-0000-0000-0000000000A1}\\Connection", "Twin", true);
  addNetworkKey("{00000000-0000-0000-0000-0000000000A2}\\Connection", "TWIN", true);
  platform::Registry& registry = platform::host().registry();
  for (const char* subkey : {"0101", "0102"}) {
    platform::RegKey key;
    ASSERT_EQ(registry.createKey(platform::regJoin(kNetClassKeyPath, subkey), &key), platform::kErrorSuccess);
    ASSERT_EQ(registry.setValue(key, "NetCfgInstanceId", platform::RegValue::sz(subkey[3] == '1' ? "{twin}" : "{TWIN}")),
              platform::kErrorSuccess);
  }
  simhost::DeviceStore store(host_.dir());
  const std::string unreadable = device("quad", 2).instanceId;
  ASSERT_TRUE(store.update(
      [&](simhost::DeviceTable& table) {
        for (simhost::DeviceRecord& d : table.devices)
          if (d.instanceId == unreadable) d.driverKey.clear();
        return true;
      },
      nullptr));

  // Twice each: the first answer walks, the second comes from the index.
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass);
    std::vector<std::string> ids;
    ASSERT_EQ(Get_Instance_Id("twin", &ids), 1);
    EXPECT_EQ(ids, (std::vector<std::string>{"{00000000-0000-0000-0000-0000000000A1}",
                                             "{00000000-0000-0000-0000-0000000000A2}"}));
    std::string id, driverKey, listKey;
    ASSERT_EQ(Get_NetCfgId("Twin", &id), 1);
    EXPECT_EQ(id, "{00000000-0000-0000-0000-0000000000A2}");
    ASSERT_EQ(Get_Driver_Class("{Twin}", &driverKey), 1);
    EXPECT_EQ(driverKey, std::string(kNetClassGuidText) + "\\0102");
    ASSERT_EQ(Read_Registry_XML({"{twin}", device("dual", 0).guid}, &listKey), 1);
    EXPECT_EQ(listKey, std::string(kNetClassGuidText) + "\\0102");
  }

  // The kept device list is indexed; a copy of it is scanned. Both agree on
  // every key, a key no device has and the empty key.
  platform::WinError error = platform::kErrorSuccess;
  std::shared_ptr<const DeviceList> kept = kept_net_devices("PCI", &error);
  ASSERT_TRUE(kept);
  ASSERT_TRUE(driver_key_index(*kept));
  const DeviceList copy = *kept;
  std::vector<std::string> keys = {"", "{4D36E972-E325-11CE-BFC1-08002BE10318}\\9999"};
  for (const char* card : {"dual", "quad"})
    for (int port = 0; port < (card[0] == 'd' ? 2 : 4); ++port) keys.push_back(device(card, port).driverKey);
  for (const std::string& key : keys) {
    SCOPED_TRACE(key);
    int indexed[3] = {-2, -2, -2}, scanned[3] = {-2, -2, -2};
    capture_tool_stdout();
    const int indexedResult = pci_location_of_driver_key(*kept, key, &indexed[0], &indexed[1], &indexed[2]);
    const std::string indexedOut = out();
    capture_tool_stdout();
    const int scannedResult = pci_location_of_driver_key(copy, key, &scanned[0], &scanned[1], &scanned[2]);
    EXPECT_EQ(indexedOut, out());
    EXPECT_EQ(indexedResult, scannedResult);
    EXPECT_EQ(std::vector<int>(indexed, indexed + 3), std::vector<int>(scanned, scanned + 3));
  }
  // The quad's third port comes after the dual's ports and before the
  // quad's last: the scan meets its unreadable driver property first.
  int bus = -1, dev = -1, function = -1;
  capture_tool_stdout();
  EXPECT_EQ(pci_location_of_driver_key(*kept, device("quad", 3).driverKey, &bus, &dev, &function), 0);
  EXPECT_EQ(out(), "SetupDiGetDeviceRegistryProperty 13");
  EXPECT_EQ(pci_location_of_driver_key(*kept, device("dual", 1).driverKey, &bus, &dev, &function), 1);
  EXPECT_EQ(std::vector<int>({bus, dev, function}), std::vector<int>({3, 0, 1}));
}

TEST_F(HostGlueTest, TheAdapterDeviceListHoldsThePortFirstThenTheRestOfItsCard) {
  DeviceList devices;
  ASSERT_EQ(open_net_devices("PCI", &devices), platform::kErrorSuccess);
  clear_adapter_devices();
  g_port_locations.clear();
  ASSERT_EQ(FindDevice(devices, device("quad", 2).driverKey), 1);

  EXPECT_EQ(g_adapter_devices[0].instanceId, device("quad", 2).instanceId);
  std::vector<std::string> others;
  for (size_t i = 1; i < g_adapter_devices.size() && !g_adapter_devices[i].instanceId.empty(); ++i)
    others.push_back(g_adapter_devices[i].instanceId);
  EXPECT_EQ(others, (std::vector<std::string>{device("quad", 0).instanceId, device("quad", 1).instanceId,
                                              device("quad", 3).instanceId}));
  ASSERT_EQ(g_port_locations.size(), 1u);
  EXPECT_EQ(g_port_locations[0].bus + ":" + g_port_locations[0].device + "." + g_port_locations[0].function, "5:0.2");
}

TEST_F(HostGlueTest, ALeftoverDriverSwitchIsRecognised) {
  platform::Registry& registry = platform::host().registry();
  platform::RegKey key;
  ASSERT_EQ(registry.openKey(std::string("SYSTEM\\CurrentControlSet\\Control\\Class\\") + device("dual", 0).driverKey,
                             &key),
            platform::kErrorSuccess);
  ASSERT_EQ(registry.setValue(key, "LoadFirmware", platform::RegValue::sz("3")), platform::kErrorSuccess);
  EXPECT_EQ(leftover_driver_switch("local area connection"), 1);
  EXPECT_EQ(leftover_driver_switch("Local Area Connection 2"), 0);
}

}  // namespace
