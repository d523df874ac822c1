#include "simhost/registry/registry_store.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "simhost/machine/change_counter.h"
#include "simhost/machine/files.h"
#include "simhost/registry/registry_export.h"

namespace simhost {
namespace {

const char kKey[] = "SYSTEM\\CurrentControlSet\\Services\\cvqx";

class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "regstore.XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    RegistryTree tree;
    tree.create(kKey).setValue("Start", kRegDword, {3, 0, 0, 0});
    std::string error;
    ASSERT_TRUE(RegistryStore::create(HostDir(root_), tree, &error)) << error;
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  HostDir dir() const { return HostDir(root_); }

  static bool setDword(RegistryStore& store, const std::string& name, uint8_t value) {
    std::string error;
    bool ok = store.update(
        [&](RegistryTree& tree) {
          return tree.find(kKey)->setValue(name, kRegDword, {value, 0, 0, 0});
        },
        &error);
    EXPECT_TRUE(ok) << error;
    return ok;
  }

  static const RegistryValue* findIn(const RegistryTree& tree, const std::string& name) {
    const RegistryKey* key = tree.find(kKey);
    return key ? key->findValue(name) : nullptr;
  }

  std::string root_;
};

TEST_F(RegistryStoreTest, ReadsOfAnUnchangedFileDoNotParseAgain) {
  RegistryStore store(dir());
  std::string error;
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(
        store.read([](const RegistryTree& tree) { ASSERT_NE(findIn(tree, "Start"), nullptr); }, &error))
        << error;
  }
  EXPECT_EQ(store.parseCount(), 1u);

  // Another writer replaces the file: the next read sees its content.
  RegistryStore other(dir());
  ASSERT_TRUE(setDword(other, "Start", 2));
  uint8_t start = 0;
  ASSERT_TRUE(store.read([&](const RegistryTree& tree) { start = findIn(tree, "Start")->data[0]; }, &error));
  EXPECT_EQ(start, 2);
  EXPECT_EQ(store.parseCount(), 2u);
}

TEST_F(RegistryStoreTest, UpdatesRewriteTheFileOnlyWhenSomethingChanged) {
  RegistryStore store(dir());
  FileStamp before;
  ASSERT_TRUE(fileStamp(dir().registryReg(), &before));
  std::string error;
  ASSERT_TRUE(store.update([](RegistryTree&) { return false; }, &error)) << error;
  FileStamp after;
  ASSERT_TRUE(fileStamp(dir().registryReg(), &after));
  EXPECT_EQ(before, after);

  ASSERT_TRUE(setDword(store, "Type", 1));
  std::string text;
  ASSERT_TRUE(readFile(dir().registryReg(), &text, &error));
  EXPECT_NE(text.find("\"Start\"=dword:00000003\r\n\"Type\"=dword:00000001\r\n"), std::string::npos) << text;
}

// Two stores that both cached the file: the second writer must start from the
// first one's result, not from its own stale copy.
TEST_F(RegistryStoreTest, AnUpdateStartsFromTheFileNotFromAStaleCache) {
  RegistryStore first(dir());
  RegistryStore second(dir());
  std::string error;
  ASSERT_TRUE(first.check(&error)) << error;
  ASSERT_TRUE(second.check(&error)) << error;
  ASSERT_TRUE(setDword(first, "FromFirst", 1));
  ASSERT_TRUE(setDword(second, "FromSecond", 2));
  RegistryStore reader(dir());
  ASSERT_TRUE(reader.read(
      [](const RegistryTree& tree) {
        EXPECT_NE(findIn(tree, "FromFirst"), nullptr);
        EXPECT_NE(findIn(tree, "FromSecond"), nullptr);
      },
      &error));
}

TEST_F(RegistryStoreTest, ConcurrentWritersInTwoProcessesBothKeepTheirValues) {
  constexpr int kPerProcess = 40;
  pid_t children[2];
  for (int p = 0; p < 2; ++p) {
    children[p] = ::fork();
    ASSERT_GE(children[p], 0);
    if (children[p] == 0) {
      RegistryStore store(dir());
      bool ok = true;
      for (int i = 0; i < kPerProcess && ok; ++i) {
        std::string error;
        const std::string name = std::string(1, static_cast<char>('A' + p)) + std::to_string(i);
        ok = store.update(
            [&](RegistryTree& tree) {
              return tree.find(kKey)->setValue(name, kRegDword, {static_cast<uint8_t>(i), 0, 0, 0});
            },
            &error);
      }
      ::_exit(ok ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  RegistryStore store(dir());
  std::string error;
  ASSERT_TRUE(store.read(
      [&](const RegistryTree& tree) {
        EXPECT_EQ(tree.find(kKey)->values().size(), 1u + 2 * kPerProcess);
        for (int i = 0; i < kPerProcess; ++i) {
          EXPECT_NE(findIn(tree, "A" + std::to_string(i)), nullptr) << i;
          EXPECT_NE(findIn(tree, "B" + std::to_string(i)), nullptr) << i;
        }
      },
      &error))
      << error;
}

TEST_F(RegistryStoreTest, AMissingOrBrokenFileIsReportedNotServedFromCache) {
  RegistryStore store(dir());
  std::string error;
  ASSERT_TRUE(store.check(&error)) << error;

  ASSERT_TRUE(removeStateFile(dir().registryReg(), &error)) << error;
  bool called = false;
  EXPECT_FALSE(store.read([&](const RegistryTree&) { called = true; }, &error));
  EXPECT_FALSE(called);
  EXPECT_EQ(error, dir().registryReg() + ": the registry file is missing");
  EXPECT_FALSE(store.update([](RegistryTree&) { return true; }, &error));
  EXPECT_FALSE(fileExists(dir().registryReg()));

  ASSERT_TRUE(writeStateFile(dir().registryReg(),
                             "Windows Registry Editor Version 5.00\r\n\r\n\"x\"=\"y\"\r\n", &error));
  EXPECT_FALSE(store.check(&error));
  EXPECT_EQ(error, dir().registryReg() + " line 3: value line outside a key section");
  EXPECT_FALSE(store.update([](RegistryTree&) { return true; }, &error));

  RegistryTree tree;
  tree.create("SOFTWARE");
  ASSERT_TRUE(RegistryStore::create(dir(), tree, &error)) << error;
  EXPECT_TRUE(store.read([&](const RegistryTree& t) { called = t.find("software") != nullptr; }, &error))
      << error;
  EXPECT_TRUE(called);
}

}  // namespace
}  // namespace simhost
