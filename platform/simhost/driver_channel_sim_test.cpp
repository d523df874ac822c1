#include "platform/simhost/driver_channel_sim.h"

#include <stdlib.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "simhost/chip/chip_registers.h"
#include "simhost/chip/driver_request.h"

namespace platform {
namespace {

class PortChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "port_channel_XXXXXX").string();
    ASSERT_TRUE(::mkdtemp(pattern.data()));
    root_ = pattern;
    simhost::CardConfig config;
    config.name = "card0";
    config.board = 0x26;
    config.subsys = 0x01264040;
    config.boardTypeRegister = 0x26;
    config.ports = {{0, 0, "{11111111-2222-3333-4444-555555555550}"},
                    {3, 1, "{11111111-2222-3333-4444-555555555553}"}};
    std::string error;
    card_ = simhost::Card::create(root_ + "/cards/card0", config, {}, {}, &error);
    ASSERT_TRUE(card_) << error;
  }
  void TearDown() override {
    card_.reset();
    std::filesystem::remove_all(root_);
  }

  static bool probe(DriverChannel& channel, simhost::DriverRequest* r) {
    *r = simhost::DriverRequest{};
    r->command = simhost::kCmdOpenProbe;
    r->signature = simhost::kStandardSignature;
    uint32_t oid = simhost::kOidStandardRequest, returned = 0;
    return channel.ioControl(simhost::kIoctlQueryGlobalStats, &oid, sizeof oid, r, sizeof *r, &returned);
  }

  std::string root_;
  std::shared_ptr<simhost::Card> card_;
};

TEST_F(PortChannelTest, EachChannelSpeaksForItsPortAndKeepsItsLastError) {
  std::unique_ptr<DriverChannel> port0 = makePortChannel(card_, 0);
  std::unique_ptr<DriverChannel> port3 = makePortChannel(card_, 3);
  ASSERT_TRUE(port0 && port3);
  simhost::DriverRequest r;
  ASSERT_TRUE(probe(*port3, &r));
  EXPECT_EQ(r.data & 0xFF, 3u);
  ASSERT_TRUE(probe(*port0, &r));
  EXPECT_EQ(r.data & 0xFF, 0u);

  uint32_t oid = simhost::kOidStandardRequest, returned = 0;
  EXPECT_FALSE(port0->ioControl(0x00170006, &oid, sizeof oid, &r, sizeof r, &returned));
  EXPECT_EQ(port0->lastError(), kErrorInvalidFunction);
  EXPECT_EQ(port3->lastError(), kErrorSuccess) << "errors belong to their channel";
}

TEST_F(PortChannelTest, APortTheCardDoesNotHaveHasNoDeviceObject) {
  WinError error = kErrorSuccess;
  EXPECT_FALSE(makePortChannel(card_, 1, &error));
  EXPECT_EQ(error, kErrorFileNotFound);
  EXPECT_FALSE(makePortChannel(nullptr, 0, &error));
}

}  // namespace
}  // namespace platform
