// The library as the update manager sees it: loaded by path, its three
// exports called with every kind of bad argument the manager could pass.
#include <stdlib.h>

#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/library.h"
#include "simhost/provision/component_files.h"
#include "tests/support/scenario.h"

namespace {

using GetInterfaceVersionFn = int32_t (*)(int32_t*);
using GetPropertyFn = int32_t (*)(int32_t, void*, uint32_t, intptr_t);
using InstallFn = int32_t (*)(int32_t, void*, char16_t*, int32_t, const char16_t*);

TEST(BrightwellExports, BadIdsSmallBuffersAndShortRecordsAreRefusedUntouched) {
  corvane_test::Scenario host;
  const std::string component = host.root() + "/component";
  std::filesystem::create_directories(component);
  std::string error;
  ASSERT_TRUE(simhost::writeComponentFiles(component, "4.0.593", &error)) << error;
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(component);
  ::setenv("CORVANE_SIMHOST", host.root().c_str(), 1);

  std::unique_ptr<platform::Library> library = platform::loadLibrary(CORVANE_BIN_DIR "/Brightwell.so", &error);
  ASSERT_NE(library, nullptr) << error;
  auto getInterfaceVersion = reinterpret_cast<GetInterfaceVersionFn>(library->symbol("GetInterfaceVersion"));
  auto getProperty = reinterpret_cast<GetPropertyFn>(library->symbol("GetProperty"));
  ASSERT_NE(getInterfaceVersion, nullptr);
  ASSERT_NE(getProperty, nullptr);
  ASSERT_NE(library->symbol("Install"), nullptr);

  int32_t version = 0;
  EXPECT_EQ(getInterfaceVersion(&version), 1);
  EXPECT_EQ(version, 100);
  EXPECT_EQ(getInterfaceVersion(nullptr), 1);

  // Ids out of range store nothing.
  for (int32_t id : {0, 10, -1, 1 << 30}) {
    int32_t sentinel = 0x5A5A5A5A;
    EXPECT_EQ(getProperty(id, &sentinel, sizeof sentinel, 0), 0) << id;
    EXPECT_EQ(sentinel, 0x5A5A5A5A) << id;
  }
  // Text properties: the text must fit whole, its zero included.
  const std::u16string expected = u"See Information below.\r\n";
  char16_t text[64];
  std::fill(std::begin(text), std::end(text), u'#');
  EXPECT_EQ(getProperty(3, text, 24, 0), 0);
  EXPECT_EQ(text[0], u'#');
  EXPECT_EQ(getProperty(3, text, 25, 0), 1);
  EXPECT_EQ(std::u16string(text), expected);
  for (int32_t id : {1, 2, 4}) {
    std::fill(std::begin(text), std::end(text), u'#');
    EXPECT_EQ(getProperty(id, text, 1, 0), 0) << id;
    EXPECT_EQ(text[1], u'#') << id;
    EXPECT_EQ(getProperty(id, nullptr, 64, 0), 0) << id;
  }
  // An install state record below 2052 bytes is refused and left alone.
  std::vector<unsigned char> record(4096, 0xA5);
  EXPECT_EQ(getProperty(5, record.data(), 2051, 0), 0);
  EXPECT_TRUE(std::all_of(record.begin(), record.end(), [](unsigned char b) { return b == 0xA5; }));
  // The flags.
  for (int32_t id : {6, 7, 8}) {
    int32_t flag = -1;
    EXPECT_EQ(getProperty(id, &flag, 0, 0), 1) << id;
    EXPECT_EQ(flag, 1) << id;
  }

  library.reset();
  ::unsetenv("CORVANE_SIMHOST");
  std::filesystem::current_path(previous);
}

}  // namespace
