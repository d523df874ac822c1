#include "simhost/devices/device_store.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "simhost/machine/change_counter.h"
#include "simhost/machine/files.h"
#include "simhost/machine/state_counts.h"

namespace simhost {
namespace {

class DeviceStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() / ("devstore-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root_);
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  HostDir dir() const { return HostDir(root_.string()); }

  static DeviceRecord device(const std::string& id) {
    DeviceRecord d;
    d.instanceId = id;
    d.classGuid = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
    d.enumerator = "PCI";
    d.location = "PCI bus 5, device 0, function 0";
    return d;
  }

  std::filesystem::path root_;
};

TEST_F(DeviceStoreTest, TableRoundTripsThroughTheFile) {
  DeviceTable table;
  table.restartNeeded = true;
  DeviceRecord port = device("PCI\\VEN_4040&DEV_0100\\1");
  port.card = "alpha";
  port.port = 1;
  port.guid = "{11111111-2222-3333-4444-555555555555}";
  port.hardwareIds = {"PCI\\VEN_4040&DEV_0100&SUBSYS_01264040", "PCI\\VEN_4040&DEV_0100"};
  port.disabledConfig = true;
  table.devices = {port, device("PCI\\VEN_8086&DEV_10FB\\2")};
  DeviceTable back;
  std::string error;
  ASSERT_TRUE(parseDeviceTable(writeDeviceTable(table), "devices.json", &back, &error)) << error;
  ASSERT_EQ(back.devices.size(), 2u);
  EXPECT_TRUE(back.restartNeeded);
  EXPECT_EQ(back.devices[0].card, "alpha");
  EXPECT_EQ(back.devices[0].port, 1);
  EXPECT_EQ(back.devices[0].guid, port.guid);
  EXPECT_EQ(back.devices[0].hardwareIds, port.hardwareIds);
  EXPECT_FALSE(back.devices[0].enabled());
  EXPECT_TRUE(back.devices[1].enabled());
}

TEST_F(DeviceStoreTest, MalformedTablesAreRefusedWithFileAndField) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"{\"devices\": [", "malformed JSON"},
      {"{\"devices\": [{\"port\": -1e999}]}", "a number too large"},
      {"{\"devices\": 3}", "\"devices\" list"},
      {"{\"devices\": [{\"class\": \"x\"}]}", "device 0: bad or missing \"instance_id\""},
      {"{\"devices\": [{\"instance_id\": \"a\", \"class\": \"x\", \"card\": \"c\"}]}", "\"port\""},
      {"{\"devices\": [{\"instance_id\": \"a\", \"class\": \"x\", \"hardware_ids\": [1]}]}", "\"hardware_ids\""},
  };
  for (const Case& c : cases) {
    DeviceTable table;
    std::string error;
    EXPECT_FALSE(parseDeviceTable(c.text, "/h/devices.json", &table, &error)) << c.text;
    EXPECT_NE(error.find("/h/devices.json"), std::string::npos) << error;
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
  }
}

// Two processes flipping different devices at once must not lose each
// other's changes.
TEST_F(DeviceStoreTest, ConcurrentUpdatesFromTwoProcessesAreBothKept) {
  std::string error;
  ASSERT_TRUE(writeFileAtomic(dir().devicesJson(),
                              writeDeviceTable(DeviceTable{false, {device("A"), device("B")}}), &error));
  const int rounds = 41;  // odd: each device ends disabled
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  const char* mine = child == 0 ? "A" : "B";
  DeviceStore store(dir());
  bool ok = true;
  for (int i = 0; i < rounds && ok; ++i) {
    ok = store.update(
        [&](DeviceTable& t) {
          for (DeviceRecord& d : t.devices)
            if (d.instanceId == mine) d.disabledGlobal = !d.disabledGlobal;
          return true;
        },
        nullptr);
  }
  if (child == 0) ::_exit(ok ? 0 : 1);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(ok);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  DeviceTable table;
  ASSERT_TRUE(store.load(&table, &error)) << error;
  ASSERT_EQ(table.devices.size(), 2u);
  EXPECT_TRUE(table.devices[0].disabledGlobal);
  EXPECT_TRUE(table.devices[1].disabledGlobal);
}

uint64_t parses() { return stateFileCounts().parses; }

// Flips device `id`'s global disable in another process, as a corvane-sim
// command run during a tool run would.
void flipInAnotherProcess(const HostDir& dir, const std::string& id) {
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    bool ok = DeviceStore(dir).update(
        [&](DeviceTable& t) {
          for (DeviceRecord& d : t.devices)
            if (d.instanceId == id) d.disabledGlobal = !d.disabledGlobal;
          return true;
        },
        nullptr);
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// The parsed table is kept between reads; a rewrite by another process, at
// once and however quick, is seen at the next read and parsed once.
TEST_F(DeviceStoreTest, AChangeByAnotherProcessIsSeenAtTheNextRead) {
  std::string error;
  ASSERT_TRUE(writeStateFile(dir().devicesJson(), writeDeviceTable(DeviceTable{false, {device("A")}}), &error));
  DeviceStore store(dir());
  const uint64_t before = parses();
  for (int round = 1; round <= 3; ++round) {
    flipInAnotherProcess(dir(), "A");
    for (int read = 0; read < 3; ++read) {
      std::shared_ptr<const DeviceTable> table = store.table(&error);
      ASSERT_TRUE(table) << error;
      EXPECT_EQ(table->devices.at(0).disabledGlobal, round % 2 == 1) << "round " << round;
    }
    EXPECT_EQ(parses() - before, static_cast<uint64_t>(round)) << "round " << round;
  }
}

// A writer killed between its two counter steps leaves the counter odd: the
// file it may have replaced is read at every read until a rewrite completes.
TEST_F(DeviceStoreTest, ARewriteCutShortLeavesNoCopyTrusted) {
  std::string error;
  ASSERT_TRUE(writeStateFile(dir().devicesJson(), writeDeviceTable(DeviceTable{false, {device("A")}}), &error));
  DeviceStore store(dir());
  ASSERT_TRUE(store.table(&error)) << error;

  // What the killed writer's first step and its rename left: the counter
  // one up (odd), changed in place, and the new file.
  {
    std::fstream counter(dir().devicesJson() + ".gen", std::ios::in | std::ios::out | std::ios::binary);
    uint64_t value = 0;
    ASSERT_TRUE(counter.read(reinterpret_cast<char*>(&value), sizeof value));
    ASSERT_EQ(value % 2, 0u);
    ++value;
    counter.seekp(0);
    ASSERT_TRUE(counter.write(reinterpret_cast<const char*>(&value), sizeof value));
  }
  ASSERT_TRUE(writeFileAtomic(dir().devicesJson(), writeDeviceTable(DeviceTable{true, {device("A")}}), &error));

  uint64_t before = parses();
  for (int read = 0; read < 2; ++read) {
    std::shared_ptr<const DeviceTable> table = store.table(&error);
    ASSERT_TRUE(table) << error;
    EXPECT_TRUE(table->restartNeeded);
  }
  EXPECT_EQ(parses() - before, 2u) << "a copy was trusted under an odd counter";

  flipInAnotherProcess(dir(), "A");  // a completed rewrite
  ASSERT_TRUE(store.table(&error));
  before = parses();
  std::shared_ptr<const DeviceTable> table = store.table(&error);
  ASSERT_TRUE(table) << error;
  EXPECT_TRUE(table->devices.at(0).disabledGlobal);
  EXPECT_EQ(parses(), before);
}

}  // namespace
}  // namespace simhost
