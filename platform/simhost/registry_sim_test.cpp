#include "platform/simhost/registry_sim.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "simhost/machine/change_counter.h"
#include "simhost/machine/files.h"
#include "simhost/registry/registry_store.h"

namespace platform {
namespace {

const std::string kClass =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
const std::string kNetwork =
    "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}";

std::vector<uint8_t> bytes(const std::string& text) { return {text.begin(), text.end()}; }

class SimRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "simreg.XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    std::string error;
    ASSERT_TRUE(
        simhost::readFile(std::string(CORVANE_SOURCE_DIR) + "/simhost/registry/testdata/network_adapters.reg",
                          &original_, &error))
        << error;
    ASSERT_TRUE(simhost::writeFileAtomic(dir().registryReg(), original_, &error)) << error;
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  simhost::HostDir dir() const { return simhost::HostDir(root_); }
  std::string fileText() const {
    std::string text;
    std::string error;
    EXPECT_TRUE(simhost::readFile(dir().registryReg(), &text, &error)) << error;
    return text;
  }
  std::vector<std::string> subkeys(Registry& registry, const RegKey& key) {
    std::vector<std::string> names;
    std::string name;
    uint32_t index = 0;
    WinError error = kErrorSuccess;
    while ((error = registry.enumSubkey(key, index++, &name)) == kErrorSuccess) names.push_back(name);
    EXPECT_EQ(error, kErrorNoMoreItems);
    return names;
  }

  std::string root_;
  std::string original_;
};

TEST_F(SimRegistryTest, ReadsTheNetworkExportAsTheAFunctionsWould) {
  auto registry = makeSimRegistry(dir(), 1252);
  RegKey classKey;
  ASSERT_EQ(registry->openKey(kClass, &classKey), kErrorSuccess);
  EXPECT_EQ(subkeys(*registry, classKey), (std::vector<std::string>{"0000", "0001", "0002", "Properties"}));

  RegKey port;
  ASSERT_EQ(registry->openKey(regJoin("system\\currentcontrolset\\control\\class\\"
                                      "{4d36e972-e325-11ce-bfc1-08002be10318}",
                                      "0001"),
                              &port),
            kErrorSuccess);
  RegValue value;
  ASSERT_EQ(registry->queryValue(port, "matchingdeviceid", &value), kErrorSuccess);
  EXPECT_EQ(value.type, RegType::Sz);
  EXPECT_EQ(value.data, bytes(std::string("pci\\ven_4040&dev_0100\0", 22)));
  ASSERT_EQ(registry->queryValue(port, "SupportedFirmware", &value), kErrorSuccess);
  EXPECT_EQ(value.type, RegType::MultiSz);
  EXPECT_EQ(value.data, bytes(std::string("4.0.593\0"
                                          "4.0.612\0"
                                          "4.1.020\0\0",
                                          25)));
  ASSERT_EQ(registry->queryValue(port, "Characteristics", &value), kErrorSuccess);
  EXPECT_EQ(value.type, RegType::Dword);
  EXPECT_EQ(value.asDword(), 0x84u);
  ASSERT_EQ(registry->queryValue(port, "DriverDateData", &value), kErrorSuccess);
  EXPECT_EQ(value.type, RegType::Binary);
  EXPECT_EQ(value.data, (std::vector<uint8_t>{0x00, 0xc0, 0x6f, 0x3c, 0x1c, 0x7e, 0xd1, 0x01}));
  EXPECT_EQ(registry->queryValue(port, "NoSuchValue", &value), kErrorFileNotFound);

  RegKey connection;
  ASSERT_EQ(registry->openKey(kNetwork + "\\{1A2B3C4D-0002-4E5F-8A9B-0C1D2E3F4A52}\\Connection", &connection),
            kErrorSuccess);
  ASSERT_EQ(registry->queryValue(connection, "Name", &value), kErrorSuccess);
  EXPECT_EQ(value.text(), "Local Area Connection 2");

  RegKey missing;
  EXPECT_EQ(registry->openKey(kClass + "\\0003", &missing), kErrorFileNotFound);
  EXPECT_EQ(fileText(), original_);  // reading changes nothing
}

TEST_F(SimRegistryTest, CreatesSetsQueriesAndDeletes) {
  auto registry = makeSimRegistry(dir(), 1252);
  auto otherProcess = makeSimRegistry(dir(), 1252);
  RegKey state;
  ASSERT_EQ(registry->createKey("SOFTWARE\\Corvane\\Burnkit\\State", &state), kErrorSuccess);
  simhost::FileStamp before;
  simhost::FileStamp after;
  ASSERT_TRUE(simhost::fileStamp(dir().registryReg(), &before));
  ASSERT_EQ(registry->createKey("software\\CORVANE\\burnkit\\state", &state), kErrorSuccess);
  ASSERT_TRUE(simhost::fileStamp(dir().registryReg(), &after));
  EXPECT_EQ(before, after);  // opening an existing key does not rewrite the registry

  RegValue expand;
  expand.type = RegType::ExpandSz;
  expand.data = bytes(std::string("%SystemRoot%\\Temp\0", 18));
  const std::vector<std::pair<std::string, RegValue>> values = {
      {"LastImage", RegValue::sz("C:\\Temp\\quarry_romimage")},
      {"Attempts", RegValue::dword(3)},
      {"Ports", RegValue::multiSz({"Local Area Connection", "Local Area Connection 2"})},
      {"Backup", RegValue::binary(std::vector<uint8_t>(100, 0xA5))},
      {"TempDir", expand},
  };
  for (const auto& [name, value] : values)
    ASSERT_EQ(registry->setValue(state, name, value), kErrorSuccess) << name;
  for (const auto& [name, value] : values) {
    RegValue back;
    ASSERT_EQ(otherProcess->queryValue(state, name, &back), kErrorSuccess) << name;
    EXPECT_EQ(back.type, value.type) << name;
    EXPECT_EQ(back.data, value.data) << name;
  }

  ASSERT_EQ(registry->setValue(state, "ATTEMPTS", RegValue::dword(4)), kErrorSuccess);
  RegValue back;
  ASSERT_EQ(otherProcess->queryValue(state, "attempts", &back), kErrorSuccess);
  EXPECT_EQ(back.asDword(), 4u);
  EXPECT_NE(fileText().find("\"Attempts\"=dword:00000004\r\n"), std::string::npos);

  ASSERT_EQ(registry->deleteValue(state, "lastimage"), kErrorSuccess);
  EXPECT_EQ(otherProcess->queryValue(state, "LastImage", &back), kErrorFileNotFound);
  EXPECT_EQ(registry->deleteValue(state, "LastImage"), kErrorFileNotFound);

  RegKey corvane;
  ASSERT_EQ(otherProcess->openKey("SOFTWARE\\Corvane", &corvane), kErrorSuccess);
  RegKey flags;
  ASSERT_EQ(registry->createKey("SOFTWARE\\Corvane\\Burnkit\\Flags", &flags), kErrorSuccess);
  RegKey burnkit;
  ASSERT_EQ(otherProcess->openKey("SOFTWARE\\Corvane\\Burnkit", &burnkit), kErrorSuccess);
  EXPECT_EQ(subkeys(*otherProcess, burnkit), (std::vector<std::string>{"Flags", "State"}));

  // Created keys are sections of their own; their new parents are implied.
  const std::string text = fileText();
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Burnkit\\State]\r\n"), std::string::npos);
  EXPECT_EQ(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane]"), std::string::npos);
  const std::string header = "Windows Registry Editor Version 5.00\r\n\r\n";
  EXPECT_TRUE(text.ends_with(original_.substr(header.size())))
      << "the adapters' sections are kept as they were";
}

TEST_F(SimRegistryTest, AKeyDeletedMeanwhileIsNotFound) {
  auto registry = makeSimRegistry(dir(), 1252);
  RegKey port;
  ASSERT_EQ(registry->openKey(kClass + "\\0002", &port), kErrorSuccess);
  simhost::RegistryStore store(dir());
  std::string error;
  ASSERT_TRUE(
      store.update([](simhost::RegistryTree& tree) { return tree.remove(kClass + "\\0002"); }, &error))
      << error;

  RegValue value;
  std::string name;
  EXPECT_EQ(registry->queryValue(port, "DriverDesc", &value), kErrorFileNotFound);
  EXPECT_EQ(registry->setValue(port, "DriverDesc", RegValue::sz("x")), kErrorFileNotFound);
  EXPECT_EQ(registry->deleteValue(port, "DriverDesc"), kErrorFileNotFound);
  EXPECT_EQ(registry->enumSubkey(port, 0, &name), kErrorFileNotFound);
  RegKey classKey;
  ASSERT_EQ(registry->openKey(kClass, &classKey), kErrorSuccess);
  EXPECT_EQ(subkeys(*registry, classKey), (std::vector<std::string>{"0000", "0001", "Properties"}));
}

TEST_F(SimRegistryTest, TextsPassInTheAnsiCodePage) {
  auto western = makeSimRegistry(dir(), 1252);
  auto utf8 = makeSimRegistry(dir(), 65001);
  RegKey key;
  ASSERT_EQ(western->createKey("SOFTWARE\\Bj\xF6rk", &key), kErrorSuccess);
  ASSERT_EQ(western->setValue(key, "Caf\xE9", RegValue::sz("\xE9t\xE9 \x80")), kErrorSuccess);
  ASSERT_EQ(western->setValue(key, "List", RegValue::multiSz({"\xE9", "b"})), kErrorSuccess);
  EXPECT_NE(fileText().find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Bj\xC3\xB6rk]\r\n\"Caf\xC3\xA9\"="
                            "\"\xC3\xA9t\xC3\xA9 \xE2\x82\xAC\""),
            std::string::npos);

  RegKey same;
  ASSERT_EQ(utf8->openKey("SOFTWARE\\BJ\xC3\x96RK", &same), kErrorSuccess);
  RegValue value;
  ASSERT_EQ(utf8->queryValue(same, "CAF\xC3\x89", &value), kErrorSuccess);
  EXPECT_EQ(value.data, bytes(std::string("\xC3\xA9t\xC3\xA9 \xE2\x82\xAC\0", 10)));
  ASSERT_EQ(utf8->queryValue(same, "List", &value), kErrorSuccess);
  EXPECT_EQ(value.texts(), (std::vector<std::string>{"\xC3\xA9", "b"}));
  RegKey software;
  ASSERT_EQ(utf8->openKey("SOFTWARE", &software), kErrorSuccess);
  EXPECT_EQ(subkeys(*utf8, software), (std::vector<std::string>{"Bj\xC3\xB6rk"}));

  ASSERT_EQ(utf8->setValue(same, "Greek", RegValue::sz("\xCE\xA9 ok")), kErrorSuccess);
  ASSERT_EQ(western->queryValue(key, "Greek", &value), kErrorSuccess);
  EXPECT_EQ(value.data, bytes(std::string("? ok\0", 5)));
  ASSERT_EQ(western->queryValue(key, "Caf\xE9", &value), kErrorSuccess);
  EXPECT_EQ(value.data, bytes(std::string("\xE9t\xE9 \x80\0", 6)));
}

TEST_F(SimRegistryTest, NamesWithLineBreaksAreRefused) {
  auto registry = makeSimRegistry(dir(), 1252);
  RegKey key;
  EXPECT_EQ(registry->createKey("SOFTWARE\\Bad\nName", &key), kErrorInvalidParameter);
  ASSERT_EQ(registry->createKey("SOFTWARE\\Good", &key), kErrorSuccess);
  EXPECT_EQ(registry->setValue(key, "two\r\nlines", RegValue::dword(1)), kErrorInvalidParameter);
}

TEST_F(SimRegistryTest, AnUnreadableRegistryIsABadDatabase) {
  auto registry = makeSimRegistry(dir(), 1252);
  RegKey key;
  ASSERT_EQ(registry->openKey(kClass, &key), kErrorSuccess);

  std::string error;
  for (const char* broken : {"", "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\A\r\n"}) {
    if (*broken == '\0') {
      ASSERT_TRUE(simhost::removeStateFile(dir().registryReg(), &error)) << error;
    } else {
      ASSERT_TRUE(simhost::writeStateFile(dir().registryReg(), broken, &error)) << error;
    }
    RegKey other;
    RegValue value;
    std::string name;
    EXPECT_EQ(registry->openKey(kClass, &other), kErrorBadDatabase);
    EXPECT_EQ(registry->createKey("SOFTWARE\\New", &other), kErrorBadDatabase);
    EXPECT_EQ(registry->enumSubkey(key, 0, &name), kErrorBadDatabase);
    EXPECT_EQ(registry->queryValue(key, "Class", &value), kErrorBadDatabase);
    EXPECT_EQ(registry->setValue(key, "Class", RegValue::sz("x")), kErrorBadDatabase);
    EXPECT_EQ(registry->deleteValue(key, "Class"), kErrorBadDatabase);
    EXPECT_FALSE(checkSimRegistry(dir(), &error));
  }
  EXPECT_EQ(error, dir().registryReg() + " line 3: key section without a closing ']'");

  ASSERT_TRUE(simhost::writeStateFile(dir().registryReg(), original_, &error)) << error;
  EXPECT_TRUE(checkSimRegistry(dir(), &error));
  RegValue value;
  EXPECT_EQ(registry->queryValue(key, "Class", &value), kErrorSuccess);
  EXPECT_EQ(value.text(), "Net");
}

}  // namespace
}  // namespace platform
