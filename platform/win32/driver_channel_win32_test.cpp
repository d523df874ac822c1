#include <gtest/gtest.h>

#include "platform/win32/win32_backend.h"

namespace platform {
namespace {

// A machine without the adapter's driver: every way to its device objects
// ends in a Windows error number, never in a crash.
TEST(Win32DriverChannelTest, ADriverDeviceThatIsNotThereCannotBeOpened) {
  auto drivers = makeWin32DriverChannels();
  for (const char* path : {"\\\\.\\{8E2CEF6A-0F67-4E38-9A1C-3B4D2F3C0D11}", "", "\\\\.\\"}) {
    WinError error = kErrorSuccess;
    EXPECT_FALSE(drivers->open(path, &error)) << path;
    EXPECT_NE(error, kErrorSuccess) << path;
  }
}

TEST(Win32DeviceSetTest, PresentDevicesAndTheirErrors) {
  auto devices = makeWin32DeviceSet();
  std::vector<DeviceRef> found{{"stale"}};
  EXPECT_EQ(devices->present(kNetClassGuid, "PCI", &found), kErrorSuccess);
  for (const DeviceRef& d : found) EXPECT_FALSE(d.instanceId.empty());
  EXPECT_EQ(devices->present("not a guid", "", &found), kErrorInvalidParameter);
  EXPECT_TRUE(found.empty());

  std::vector<std::string> texts;
  EXPECT_NE(devices->property({"PCI\\VEN_FFFF&DEV_FFFF\\0&00"}, DeviceProperty::Driver, &texts), kErrorSuccess);
  StateChangeResult change =
      devices->changeState({"PCI\\VEN_FFFF&DEV_FFFF\\0&00"}, StateChange::Disable, StateScope::ConfigSpecific);
  EXPECT_NE(change.paramsError, kErrorSuccess);
}

}  // namespace
}  // namespace platform
