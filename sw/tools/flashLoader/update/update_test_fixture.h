// In-process tests of the upgrade and the restore: a simulated host with a
// dual-port SFP board provisioned from an older release of a synthetic
// unified ROM image, given a feature area, a vNIC property area and
// function masks of its own; the newer release as "quarry_romimage" in the
// current directory (a directory of the test's own); the adapter opened as
// the front end opens it.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/common/crypto_openssl.h"
#include "platform/host.h"
#include "simhost/chip/card.h"
#include "sw/tools/flashLoader/adapter/adapter_check.h"
#include "sw/tools/flashLoader/adapter/adapter_session.h"
#include "sw/tools/flashLoader/adapter/register_poll.h"
#include "sw/tools/flashLoader/frontend/interrupt_handler.h"
#include "sw/tools/flashLoader/runstate/run_state.h"
#include "sw/tools/flashLoader/hostglue/net_class_keys.h"
#include "sw/tools/flashLoader/runstate/state_reset.h"
#include "romimage/flash_image_builder.h"
#include "romimage/image_writer.h"
#include "romimage/md5_table.h"
#include "romimage/synthetic_image.h"
#include "tests/support/scenario.h"
#include "tests/support/scripted_host.h"
#include "sw/tools/flashLoader/runstate/tool_output_capture.h"

namespace update_test {

using burnkit::FlashLayout;
using burnkit::UserArea;
using Bytes = std::vector<uint8_t>;

inline constexpr uint32_t kOlderRelease = 0x04000216;  // 4.0.534
inline constexpr uint32_t kNewerRelease = 0x04000251;  // 4.0.593
inline constexpr const char* kPort = "Local Area Connection";
inline const burnkit::SyntheticProduct kSfpBoard{0x26, 0x0126, 0x4040, 0x42};
inline const burnkit::SyntheticProduct kNcsiBoard{0x26, 0x705B, 0x103C, 0x42};

// Output of a piece of code, the two streams apart.
struct Printed {
  std::string out;
  std::string err;
};

template <typename F>
Printed printed(F run) {
  std::fflush(stdout);
  capture_tool_stdout();
  capture_tool_stderr();
  run();
  std::fflush(stdout);
  std::fflush(stderr);
  Printed p;
  p.out = captured_tool_stdout();
  p.err = captured_tool_stderr();
  return p;
}

inline void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline Bytes syntheticImage(uint32_t release) {
  const std::vector<burnkit::SyntheticProduct> products = {kSfpBoard, kNcsiBoard};
  return burnkit::writeImage(burnkit::syntheticManifest(release, products));
}

inline uint32_t word(const Bytes& flash, uint32_t offset) {
  return uint32_t(flash[offset]) | uint32_t(flash[offset + 1]) << 8 | uint32_t(flash[offset + 2]) << 16 |
         uint32_t(flash[offset + 3]) << 24;
}

inline void setWord(Bytes& flash, uint32_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) flash[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

inline Bytes slice(const Bytes& flash, uint32_t offset, uint32_t size) {
  return Bytes(flash.begin() + offset, flash.begin() + offset + size);
}

class UpgradeTest : public ::testing::Test {
 protected:
  void SetUp() override { setUpBoard(kSfpBoard, 0x01264040); }

  void setUpBoard(const burnkit::SyntheticProduct& product, uint32_t subsystem) {
    resetState();
    work_ = host_.root() + "/work";
    std::filesystem::create_directories(work_);
    older_ = work_ + "/older_romimage";
    writeFile(older_, syntheticImage(kOlderRelease));
    writeFile(work_ + "/quarry_romimage", syntheticImage(kNewerRelease));

    simhost::CardOrder order;
    order.name = "dual";
    order.board = product.boardType;
    order.subsys = subsystem;
    order.ports = 2;
    order.bus = 3;
    order.serial = "CV12A45678";
    order.mac = simhost::MacAddress{0x00, 0x0E, 0x1E, 0x12, 0x34, 0x56};
    order.imageFile = older_;
    host_.addCard(order);
    std::string error;
    card_ = simhost::Card::open(host_.dir().cardDir("dual"), &error);
    ASSERT_TRUE(card_) << error;
    giveBoardItsOwnAreas();
    before_ = flash();

    previousDirectory_ = std::filesystem::current_path();
    std::filesystem::current_path(work_);
    scripted_ = corvane_test::useScriptedSimHost(host_.root());
  }

  void TearDown() override {
    close_adapter();
    resetState();
    if (!previousDirectory_.empty()) std::filesystem::current_path(previousDirectory_);
  }

  static void resetState() { reset_run_state(); }

  // The console's answers for the questions to come.
  void answer(const std::string& input) { scripted_ = corvane_test::useScriptedSimHost(host_.root(), input); }

  // The adapter opened and checked as -i opens it.
  void openAdapter() {
    uint32_t port = 99;
    Printed p = printed([&] { ASSERT_EQ(check_adapter(kPort, &port, false), 0); });
    ASSERT_EQ(port, 0u) << p.out << p.err;
  }

  Bytes flash() const { return Bytes(card_->flash().begin(), card_->flash().end()); }

  // A flash picture whose MD5 table matches it, loaded into the card.
  void loadSealed(Bytes picture) {
    std::string error;
    ASSERT_TRUE(card_->loadFlashImage(sealed(picture), &error)) << error;
  }

  // The picture with its MD5 table computed from it.
  static Bytes sealed(const Bytes& picture) {
    burnkit::FlashImage image;
    std::copy(picture.begin(), picture.end(), image.data());
    std::unique_ptr<platform::Crypto> crypto = platform::makeOpenSslCrypto();
    burnkit::MessageLog log;
    EXPECT_EQ(burnkit::computeMd5Table(image, *crypto, log), 0) << log.text();
    return Bytes(image.bytes().begin(), image.bytes().end());
  }

  // What a board in service has and no release carries.
  void giveBoardItsOwnAreas() {
    Bytes f = flash();
    for (uint32_t i = 0; i < FlashLayout::kFeatureAreaSize; ++i)
      f[FlashLayout::kFeatureArea + i] = static_cast<uint8_t>(i * 13 + 7);
    const uint32_t vnicUnits = 6;  // 48 bytes with the header
    setWord(f, FlashLayout::kVnicArea, 0x0001FADE);
    setWord(f, FlashLayout::kVnicArea + 4, vnicUnits << 16);
    for (uint32_t i = 8; i < vnicUnits * 8; ++i) f[FlashLayout::kVnicArea + i] = static_cast<uint8_t>(0xA0 + i);
    setWord(f, FlashLayout::kUserArea + UserArea::kFunctionMaskLow, 0x0000000B);
    setWord(f, FlashLayout::kUserArea + UserArea::kFunctionMaskHigh, 0x00000003);
    loadSealed(f);
  }

  // The board's own data of two flash pictures agree.
  static void expectBoardDataEqual(const Bytes& got, const Bytes& want) {
    const uint32_t user = FlashLayout::kUserArea;
    EXPECT_EQ(slice(got, user + UserArea::kMacSlots, 1024), slice(want, user + UserArea::kMacSlots, 1024)) << "MACs";
    EXPECT_EQ(slice(got, user + UserArea::kSerialNumber, 32), slice(want, user + UserArea::kSerialNumber, 32));
    EXPECT_EQ(word(got, FlashLayout::kBoardTypeWord), word(want, FlashLayout::kBoardTypeWord));
    EXPECT_EQ(slice(got, FlashLayout::kFeatureArea, FlashLayout::kFeatureAreaSize),
              slice(want, FlashLayout::kFeatureArea, FlashLayout::kFeatureAreaSize))
        << "feature area";
    EXPECT_EQ(slice(got, FlashLayout::kVnicArea, 48), slice(want, FlashLayout::kVnicArea, 48)) << "vNIC area";
    EXPECT_EQ(word(got, user + UserArea::kFunctionMaskLow), word(want, user + UserArea::kFunctionMaskLow));
    EXPECT_EQ(word(got, user + UserArea::kFunctionMaskHigh), word(want, user + UserArea::kFunctionMaskHigh));
  }

  static std::string firmwareOf(const Bytes& flash) {
    const uint8_t* v = flash.data() + FlashLayout::kUserArea + UserArea::kFirmwareVersion;
    return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2] | v[3] << 8);
  }

  // The port's driver runs normally, and no quiescent switch is left.
  void expectDriverNormal() {
    EXPECT_EQ(card_->portMode(0), simhost::PortMode::kNormal);
    EXPECT_EQ(card_->portMode(1), simhost::PortMode::kNormal);
    platform::RegKey key;
    platform::RegValue value;
    platform::Registry& registry = platform::host().registry();
    ASSERT_EQ(registry.openKey(platform::regJoin(kNetClassKeyPath, "0000"), &key), platform::kErrorSuccess);
    EXPECT_NE(registry.queryValue(key, "LoadFirmware", &value), platform::kErrorSuccess) << "LoadFirmware left";
  }

  // The backup files in the current directory.
  std::vector<std::string> backups() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(work_))
      if (entry.path().filename().string().rfind("flashbackup_", 0) == 0) names.push_back(entry.path().string());
    return names;
  }

  void addFault(simhost::FaultRule rule) {
    std::string error;
    ASSERT_TRUE(card_->addFaultRule(rule, &error)) << error;
  }

  corvane_test::Scenario host_;
  std::shared_ptr<simhost::Card> card_;
  corvane_test::ScriptedHost* scripted_ = nullptr;
  std::string work_;
  std::string older_;
  Bytes before_;
  std::filesystem::path previousDirectory_;
};

}  // namespace update_test
