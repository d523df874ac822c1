// The simulated host as the programs see it through the platform layer:
// validation of the host directory, device state changes that restart the
// card's driver, and the device objects of disabled functions and other
// makers' adapters.
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/host.h"
#include "simhost/chip/card.h"
#include "simhost/chip/chip_registers.h"
#include "simhost/chip/driver_request.h"
#include "simhost/devices/device_store.h"
#include "simhost/machine/files.h"
#include "simhost/machine/state_counts.h"
#include "simhost/provision/provision.h"

namespace platform {
namespace {

const char* kClassKey = "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";

class SimHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "simhost_XXXXXX").string();
    ASSERT_TRUE(::mkdtemp(pattern.data()));
    root_ = pattern + "/host";
    simhost::HostDir dir(root_);
    std::string error;
    ASSERT_TRUE(simhost::createHost(dir, &error)) << error;
    simhost::CardOrder card;
    card.name = "sfp";
    card.board = 0x26;
    card.subsys = 0x01264040;
    card.ports = 2;
    card.bus = 5;
    card.firmware = "4.0.500";
    ASSERT_TRUE(simhost::addCard(dir, card, &error)) << error;
    simhost::NicOrder nic;
    nic.vendor = 0x8086;
    nic.device = 0x10FB;
    nic.connection = "Backbone";
    ASSERT_TRUE(simhost::addNic(dir, nic, &error)) << error;
  }
  void TearDown() override { std::filesystem::remove_all(std::filesystem::path(root_).parent_path()); }

  std::unique_ptr<Host> open() {
    std::string error;
    std::unique_ptr<Host> host = makeSimHost(root_, &error);
    EXPECT_TRUE(host) << error;
    return host;
  }

  // The card's functions and the other adapter, by instance id.
  std::vector<DeviceRef> netDevices(Host& host) {
    std::vector<DeviceRef> devices;
    EXPECT_EQ(host.devices().present(kNetClassGuid, "PCI", &devices), kErrorSuccess);
    return devices;
  }
  static std::string property(Host& host, const DeviceRef& d, DeviceProperty which) {
    std::vector<std::string> texts;
    return host.devices().property(d, which, &texts) == kErrorSuccess ? texts.at(0) : std::string();
  }
  static std::string classSubkeyOf(Host& host, const DeviceRef& d) {
    std::string driver = property(host, d, DeviceProperty::Driver);
    return std::string(kClassKey) + driver.substr(driver.find('\\'));
  }
  static std::string guidOf(Host& host, const DeviceRef& d) {
    RegKey key;
    RegValue value;
    EXPECT_EQ(host.registry().openKey(classSubkeyOf(host, d), &key), kErrorSuccess);
    EXPECT_EQ(host.registry().queryValue(key, "NetCfgInstanceId", &value), kErrorSuccess);
    return value.text();
  }
  static uint32_t readRegister(DriverChannel& channel, uint32_t address) {
    simhost::DriverRequest r{};
    r.command = simhost::kCmdRegisterRead;
    r.address = address;
    r.length = 4;
    r.signature = simhost::kStandardSignature;
    uint32_t oid = simhost::kOidStandardRequest, returned = 0;
    EXPECT_TRUE(channel.ioControl(simhost::kIoctlQueryGlobalStats, &oid, 4, &r, sizeof r, &returned));
    return static_cast<uint32_t>(r.data);
  }
  static void change(Host& host, const DeviceRef& d, StateChange c) {
    StateChangeResult first = host.devices().changeState(d, c, StateScope::ConfigSpecific);
    EXPECT_EQ(first.paramsError, kErrorSuccess);
    EXPECT_EQ(first.installerError, kErrorSuccess);
    if (c == StateChange::Enable) host.devices().changeState(d, c, StateScope::Global);
  }

  std::string root_;
};

TEST_F(SimHostTest, QuiescentAndNormalRestartsFollowLoadFirmware) {
  std::unique_ptr<Host> host = open();
  std::vector<DeviceRef> devices = netDevices(*host);
  ASSERT_EQ(devices.size(), 3u);
  const DeviceRef port0 = devices[0], port1 = devices[1];
  ASSERT_EQ(property(*host, port0, DeviceProperty::Location), "PCI bus 5, device 0, function 0");
  std::string path0 = "\\\\.\\" + guidOf(*host, port0), path1 = "\\\\.\\" + guidOf(*host, port1);

  // The quiescent switch: LoadFirmware on the port's instance, every function
  // disabled, only the port's own enabled again.
  RegKey key;
  ASSERT_EQ(host->registry().openKey(classSubkeyOf(*host, port0), &key), kErrorSuccess);
  ASSERT_EQ(host->registry().setValue(key, "LoadFirmware", RegValue::sz("3")), kErrorSuccess);
  change(*host, port0, StateChange::Disable);
  change(*host, port1, StateChange::Disable);
  change(*host, port0, StateChange::Enable);

  WinError error = kErrorSuccess;
  EXPECT_EQ(host->drivers().open(path1, &error), nullptr) << "a disabled function has no device object";
  EXPECT_EQ(error, kErrorFileNotFound);
  std::unique_ptr<DriverChannel> channel = host->drivers().open(path0, &error);
  ASSERT_TRUE(channel);
  EXPECT_EQ(readRegister(*channel, simhost::kRegBoardType), simhost::kBoardTypeUnpublished);

  // New firmware lands in flash while the driver is quiescent...
  std::shared_ptr<simhost::Card> card = simhost::Card::open(root_ + "/cards/sfp", nullptr);
  ASSERT_TRUE(card);
  std::vector<uint8_t> flash(card->flash().begin(), card->flash().end());
  flash[0x3E8408] = 4, flash[0x3E8409] = 0, flash[0x3E840A] = 0x51, flash[0x3E840B] = 0x02;  // 4.0.593
  std::string loadError;
  ASSERT_TRUE(card->loadFlashImage(flash, &loadError)) << loadError;
  EXPECT_EQ(readRegister(*channel, simhost::kRegFirmwareBuild), 500u);

  // ...and the normal switch brings it up: value gone, port restarted, all enabled.
  ASSERT_EQ(host->registry().deleteValue(key, "LoadFirmware"), kErrorSuccess);
  channel.reset();
  change(*host, port0, StateChange::Disable);
  change(*host, port0, StateChange::Enable);
  change(*host, port1, StateChange::Enable);
  channel = host->drivers().open(path1, &error);
  ASSERT_TRUE(channel);
  EXPECT_EQ(readRegister(*channel, simhost::kRegBoardType), 0x26u);
  EXPECT_EQ(readRegister(*channel, simhost::kRegFirmwareMajor), 4u);
  EXPECT_EQ(readRegister(*channel, simhost::kRegFirmwareBuild), 593u);
}

TEST_F(SimHostTest, StateChangesReportRestartRebootAndParameterFailures) {
  std::unique_ptr<Host> host = open();
  std::vector<DeviceRef> devices = netDevices(*host);
  ASSERT_EQ(devices.size(), 3u);
  StateChangeResult plain = host->devices().changeState(devices[0], StateChange::Disable, StateScope::ConfigSpecific);
  EXPECT_EQ(plain.installFlags, 0u);

  std::shared_ptr<simhost::Card> card = simhost::Card::open(root_ + "/cards/sfp", nullptr);
  simhost::FaultRule reboot;
  reboot.action = simhost::FaultAction::kReboot;
  std::string error;
  ASSERT_TRUE(card->addFaultRule(reboot, &error)) << error;
  StateChangeResult asked = host->devices().changeState(devices[0], StateChange::Enable, StateScope::ConfigSpecific);
  EXPECT_EQ(asked.installFlags & kDiNeedReboot, kDiNeedReboot);

  simhost::DeviceStore store{simhost::HostDir(root_)};
  ASSERT_TRUE(store.update(
      [](simhost::DeviceTable& t) {
        t.restartNeeded = true;
        t.devices[1].paramsError = kErrorInvalidParameter;
        return true;
      },
      &error));
  StateChangeResult restart = host->devices().changeState(devices[2], StateChange::Disable, StateScope::ConfigSpecific);
  EXPECT_EQ(restart.installFlags & kDiNeedRestart, kDiNeedRestart);
  StateChangeResult refused = host->devices().changeState(devices[1], StateChange::Disable, StateScope::ConfigSpecific);
  EXPECT_EQ(refused.paramsError, kErrorInvalidParameter);
}

TEST_F(SimHostTest, AnotherMakersAdapterOpensButRejectsThePrivateRequests) {
  std::unique_ptr<Host> host = open();
  std::vector<DeviceRef> devices = netDevices(*host);
  ASSERT_EQ(devices.size(), 3u);
  WinError error = kErrorSuccess;
  std::unique_ptr<DriverChannel> channel = host->drivers().open("\\\\.\\" + guidOf(*host, devices[2]), &error);
  ASSERT_TRUE(channel);
  simhost::DriverRequest r{};
  r.command = simhost::kCmdOpenProbe;
  r.signature = simhost::kStandardSignature;
  uint32_t oid = simhost::kOidStandardRequest, returned = 0;
  EXPECT_FALSE(channel->ioControl(simhost::kIoctlQueryGlobalStats, &oid, 4, &r, sizeof r, &returned));
  EXPECT_NE(channel->lastError(), kErrorSuccess);
  EXPECT_EQ(host->drivers().open("\\\\.\\{00000000-0000-0000-0000-000000000000}", &error), nullptr);
  EXPECT_EQ(error, kErrorFileNotFound);
}

TEST_F(SimHostTest, SystemFactsComeFromTheHost) {
  std::unique_ptr<Host> host = open();
  System& system = host->system();
  EXPECT_EQ(system.tempDirectory(), root_ + "/drive_c/Temp/");
  EXPECT_TRUE(std::filesystem::is_directory(system.tempDirectory()));
  EXPECT_TRUE(system.isAdministrator());
  FileVersion v;
  ASSERT_EQ(system.fileVersion(system.systemDirectory() + "/drivers/orlnd5x64.sys", &v), kErrorSuccess);
  EXPECT_EQ(v.productMs, 4u << 16 | 0u);
  EXPECT_EQ(v.productLs, 550u << 16 | 0u);
  EXPECT_EQ(system.serviceState("cvnd5or"), ServiceState::Running);
  EXPECT_EQ(system.serviceState("nosuch"), ServiceState::NotInstalled);
  EXPECT_EQ(system.toAnsi(u"Gr\u00FC\u00DF"), "Gr\xFC\xDF");
}

// A host directory that is broken in one file is refused with one line that
// names the file and the problem, never opened as a silently empty machine.
TEST_F(SimHostTest, BrokenHostsAreRefusedNamingTheFile) {
  struct Case {
    const char* file;
    const char* content;  // nullptr: remove the file
    const char* expected;
  } cases[] = {
      {"host.json", nullptr, "host.json is missing"},
      {"host.json", "{\"admin\": 1}", "\"admin\""},
      {"registry.reg", "Windows Registry Editor Version 5.00\r\n\r\n\"Orphan\"=\"x\"\r\n", "registry.reg line 3"},
      {"registry.reg", nullptr, "registry.reg"},
      {"devices.json", "{\"devices\": [{}]}", "devices.json: device 0"},
      {"cards/sfp/card.json", "{\"name\": \"sfp\"}", "card.json"},
      {"cards/sfp/flash.bin", "short", "flash.bin"},
  };
  for (const Case& c : cases) {
    std::string path = root_ + "/" + c.file, saved, error;
    ASSERT_TRUE(simhost::readFile(path, &saved, &error)) << error;
    if (c.content) ASSERT_TRUE(simhost::writeFileAtomic(path, c.content, &error));
    else std::filesystem::remove(path);
    EXPECT_EQ(makeSimHost(root_, &error), nullptr) << c.file;
    EXPECT_NE(error.find(c.expected), std::string::npos) << c.file << ": " << error;
    ASSERT_TRUE(simhost::writeFileAtomic(path, saved, &error));
    EXPECT_NE(makeSimHost(root_, &error), nullptr) << c.file << " restored: " << error;
  }
  std::string error;
  EXPECT_EQ(makeSimHost(root_ + "/nowhere", &error), nullptr);
  EXPECT_NE(error.find("nowhere"), std::string::npos) << error;
}

// What the check of the directory parsed is what the host then reads from:
// the registry and the device list cost no second parse, and a directory
// that is no host gets nothing written into it.
TEST_F(SimHostTest, TheCheckedStateFilesAreNotParsedAgain) {
  std::unique_ptr<Host> host = open();
  ASSERT_TRUE(host);
  const uint64_t parsed = simhost::stateFileCounts().parses;
  RegKey key;
  EXPECT_EQ(host->registry().openKey(kClassKey, &key), kErrorSuccess);
  EXPECT_EQ(netDevices(*host).size(), 3u);
  EXPECT_EQ(simhost::stateFileCounts().parses, parsed);

  const std::string plain = std::filesystem::path(root_).parent_path().string() + "/plain";
  std::filesystem::create_directories(plain);
  std::string error;
  EXPECT_EQ(makeSimHost(plain, &error), nullptr);
  EXPECT_TRUE(std::filesystem::is_empty(plain)) << error;
}

TEST(HostFromEnvironment, ChoosesTheBackendOrSaysWhyNot) {
  std::string error;
  ::unsetenv("CORVANE_SIMHOST");
  std::unique_ptr<Host> native = makeHostFromEnvironment(&error);
  ASSERT_TRUE(native);
  WinError open = kErrorSuccess;
  EXPECT_EQ(native->drivers().open("\\\\.\\{00000000-0000-0000-0000-000000000000}", &open), nullptr);
  ::setenv("CORVANE_SIMHOST", "", 1);
  EXPECT_EQ(makeHostFromEnvironment(&error), nullptr);
  EXPECT_NE(error.find("CORVANE_SIMHOST"), std::string::npos);
  ::setenv("CORVANE_SIMHOST", "/nonexistent/simhost", 1);
  EXPECT_EQ(makeHostFromEnvironment(&error), nullptr);
  EXPECT_NE(error.find("/nonexistent/simhost"), std::string::npos);
  ::unsetenv("CORVANE_SIMHOST");
}

}  // namespace
}  // namespace platform
