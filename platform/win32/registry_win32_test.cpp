#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/win32_backend.h"

namespace platform {
namespace {

// Each test works below a key of its own under HKLM\SOFTWARE, removed after.
class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = "SOFTWARE\\CorvaneBackendTest\\" + std::to_string(GetCurrentProcessId()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_EQ(registry_->createKey(base_, &key_), kErrorSuccess);
  }
  void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, base_.c_str()); }

  std::unique_ptr<Registry> registry_ = makeWin32Registry();
  std::string base_;
  RegKey key_;
};

TEST_F(Win32RegistryTest, ValuesOfEveryTypeReadBackAsWritten) {
  RegValue none;
  RegValue expand = RegValue::sz("%SystemRoot%\\system32");
  expand.type = RegType::ExpandSz;
  RegValue qword;
  qword.type = RegType::Qword;
  qword.data = {1, 2, 3, 4, 5, 6, 7, 8};
  const struct {
    const char* name;
    RegValue value;
  } cases[] = {
      {"Text", RegValue::sz("Corvane 10GbE")},
      {"Empty", RegValue::sz("")},
      {"Expand", expand},
      {"Binary", RegValue::binary({0x00, 0xFF, 0x10, 0x00})},
      {"Dword", RegValue::dword(0xDEADBEEF)},
      {"Multi", RegValue::multiSz({"PCI\\VEN_1FC9&DEV_3100", "PCI\\VEN_1FC9"})},
      {"Qword", qword},
      {"None", none},
  };
  for (const auto& c : cases) ASSERT_EQ(registry_->setValue(key_, c.name, c.value), kErrorSuccess) << c.name;
  for (const auto& c : cases) {
    RegValue read;
    ASSERT_EQ(registry_->queryValue(key_, c.name, &read), kErrorSuccess) << c.name;
    EXPECT_EQ(read.type, c.value.type) << c.name;
    EXPECT_EQ(read.data, c.value.data) << c.name;
  }
  RegValue dword;
  ASSERT_EQ(registry_->queryValue(key_, "DWORD", &dword), kErrorSuccess);  // names without case
  EXPECT_EQ(dword.asDword(), 0xDEADBEEFu);
}

TEST_F(Win32RegistryTest, SubkeysAreListedInOrderThenNoMoreItems) {
  RegKey sub;
  for (const char* name : {"0001", "0000", "Properties"})
    ASSERT_EQ(registry_->createKey(regJoin(base_, name), &sub), kErrorSuccess);
  std::vector<std::string> names;
  std::string name;
  uint32_t index = 0;
  WinError e;
  while ((e = registry_->enumSubkey(key_, index++, &name)) == kErrorSuccess) names.push_back(name);
  EXPECT_EQ(e, kErrorNoMoreItems);
  EXPECT_EQ(names, (std::vector<std::string>{"0000", "0001", "Properties"}));
}

TEST_F(Win32RegistryTest, MissingKeysAndValuesAnswerNotFound) {
  RegKey missing;
  EXPECT_EQ(registry_->openKey(regJoin(base_, "Absent"), &missing), kErrorFileNotFound);
  RegValue value;
  EXPECT_EQ(registry_->queryValue(key_, "Absent", &value), kErrorFileNotFound);
  EXPECT_EQ(registry_->deleteValue(key_, "Absent"), kErrorFileNotFound);

  ASSERT_EQ(registry_->setValue(key_, "Gone", RegValue::dword(1)), kErrorSuccess);
  EXPECT_EQ(registry_->deleteValue(key_, "Gone"), kErrorSuccess);
  EXPECT_EQ(registry_->queryValue(key_, "Gone", &value), kErrorFileNotFound);

  // A key deleted after it was opened: later calls fail as a stale handle would.
  RegKey stale;
  ASSERT_EQ(registry_->createKey(regJoin(base_, "Stale"), &stale), kErrorSuccess);
  ASSERT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, stale.path.c_str()), ERROR_SUCCESS);
  EXPECT_EQ(registry_->queryValue(stale, "X", &value), kErrorFileNotFound);
  EXPECT_EQ(registry_->setValue(stale, "X", RegValue::dword(1)), kErrorFileNotFound);
  std::string name;
  EXPECT_EQ(registry_->enumSubkey(stale, 0, &name), kErrorFileNotFound);
}

}  // namespace
}  // namespace platform
