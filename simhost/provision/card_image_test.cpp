#include "simhost/provision/card_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "simhost/chip/card.h"
#include "simhost/chip/chip_registers.h"
#include "simhost/machine/files.h"
#include "simhost/provision/demo_package.h"
#include "romimage/flash_image_builder.h"
#include "romimage/image_writer.h"
#include "romimage/md5_table.h"
#include "romimage/synthetic_image.h"

namespace simhost {
namespace {

constexpr uint32_t kV593 = 0x04000251;

class CardImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    root_ = (std::filesystem::temp_directory_path() / ("card_image_" + std::to_string(random()))).string();
    dir_ = std::make_unique<HostDir>(root_ + "/host");
    std::string error;
    ASSERT_TRUE(createHost(*dir_, &error)) << error;
    image_ = root_ + "/quarry_romimage";
    const std::vector<burnkit::SyntheticProduct> products = {{0x26, 0x0126, 0x4040, 0x42},
                                                             {0x80, 0x3251, 0x103C, 0x42}};
    bytes_ = burnkit::writeImage(burnkit::syntheticManifest(kV593, products));
    ASSERT_TRUE(writeFileAtomic(image_, std::string(bytes_.begin(), bytes_.end()), &error)) << error;
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  CardOrder order(uint32_t board, uint32_t subsys, uint32_t ports) const {
    CardOrder s;
    s.name = "card";
    s.board = board;
    s.subsys = subsys;
    s.ports = ports;
    s.bus = 5;
    s.serial = "CV12345678";
    s.mac = MacAddress{0x02, 0xC0, 0x4A, 0x00, 0x00, 0x10};
    s.imageFile = image_;
    return s;
  }

  burnkit::FlashImage built(uint32_t board, uint32_t subsys) const {
    burnkit::MemoryImageSource source(bytes_);
    burnkit::MessageLog log;
    burnkit::FlashImage picture;
    EXPECT_EQ(burnkit::findProductAndBuild(source, log, picture, subsys >> 16, subsys & 0xFFFF, 0x42, board), 0);
    return picture;
  }

  std::string root_, image_;
  std::unique_ptr<HostDir> dir_;
  std::vector<uint8_t> bytes_;
};

TEST_F(CardImageTest, CardTakesThePictureAndKeepsItsOwnData) {
  std::string error;
  ASSERT_TRUE(addCard(*dir_, order(0x26, 0x01264040, 2), &error)) << error;
  std::shared_ptr<Card> card = Card::open(dir_->cardDir("card"), &error);
  ASSERT_TRUE(card) << error;
  std::span<const uint8_t> flash = card->flash();

  EXPECT_TRUE(burnkit::sectorsFailingMd5Table(flash).empty());
  // Everything outside the board sector is the product's picture.
  const burnkit::FlashImage picture = built(0x26, 0x01264040);
  for (uint32_t s = 0; s < 64; ++s) {
    if (s == 62) continue;
    EXPECT_TRUE(std::equal(picture.sector(s).begin(), picture.sector(s).end(), flash.begin() + s * 0x10000)) << s;
  }
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(flash.data() + 0x3E881C)), "CV12345678");
  const uint8_t port1[8] = {0x11, 0x00, 0x00, 0x4A, 0xC0, 0x02, 0, 0};  // 02:C0:4A:00:00:11 reversed
  EXPECT_TRUE(std::equal(port1, port1 + 8, flash.data() + 0x3E8418 + 8));
  EXPECT_EQ(card->flashWord(0x4008), 0x26u);
  EXPECT_EQ(card->flashWord(0x3E8408), burnkit::versionToUserAreaWord(kV593));
  // The driver runs the firmware the flash holds.
  EXPECT_EQ(card->peekRegister(kRegFirmwareBuild), 593u);
}

TEST_F(CardImageTest, ExtraMacSlotsOfBoard80AreCarried) {
  std::string error;
  ASSERT_TRUE(addCard(*dir_, order(0x80, 0x3251103C, 4), &error)) << error;
  std::shared_ptr<Card> card = Card::open(dir_->cardDir("card"), &error);
  ASSERT_TRUE(card) << error;
  std::span<const uint8_t> flash = card->flash();
  EXPECT_TRUE(burnkit::sectorsFailingMd5Table(flash).empty());
  const uint8_t port3[6] = {0x13, 0x00, 0x00, 0x4A, 0xC0, 0x02};
  EXPECT_TRUE(std::equal(port3, port3 + 6, flash.data() + 0x3E8418 + 8 * 3));
  EXPECT_TRUE(std::equal(port3, port3 + 6, flash.data() + 0x3E8418 + 8 * (16 + 3)));
}

TEST_F(CardImageTest, RefusedImagesLeaveNoCard) {
  std::vector<uint8_t> damaged = bytes_;
  damaged[32] ^= 1;
  std::string error;
  ASSERT_TRUE(writeFileAtomic(root_ + "/damaged", std::string(damaged.begin(), damaged.end()), &error));
  struct Case {
    CardOrder order;
    std::string error;
  };
  CardOrder otherRevision = order(0x26, 0x01264040, 2);
  otherRevision.chipRevision = 0x41;
  CardOrder damagedImage = order(0x26, 0x01264040, 2);
  damagedImage.imageFile = root_ + "/damaged";
  CardOrder missing = order(0x26, 0x01264040, 2);
  missing.imageFile = root_ + "/missing";
  const Case cases[] = {
      {otherRevision,
       "--image " + image_ + ": Flashable product not found : subsys=0x0126 subvend=0x4040 chiprev=0x41 brdtype=0x26."},
      {damagedImage, "--image " + root_ + "/damaged" +
                         ": Top file header MD5 mismatch... this image is hosed! readDirectory failed."},
      {missing, "--image " + root_ + "/missing: No such file or directory"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(addCard(*dir_, c.order, &error));
    EXPECT_EQ(error, c.error);
    EXPECT_FALSE(std::filesystem::exists(dir_->cardDir("card")));
  }
}

// The demo: every board on an older release of its product, verified; the
// package's image has a newer firmware for each, differing in some sectors
// only; the wrapper's configuration names each board with that firmware.
TEST_F(CardImageTest, DemoHostAndItsPackage) {
  HostDir demo(root_ + "/demo");
  std::string error;
  ASSERT_TRUE(createDemoHost(demo, &error)) << error;
  const std::string package = demoPackageDir(demo);
  std::string image, config;
  ASSERT_TRUE(readFile(package + "/quarry_romimage", &image, &error)) << error;
  ASSERT_TRUE(readFile(package + "/NICFWData.xml", &config, &error)) << error;
  const std::vector<uint8_t> bytes(image.begin(), image.end());

  EXPECT_EQ(
      config.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<nic_fw_package version=\"4.0.593\">\n  <nic>\n", 0),
      0u);
  for (const char* name : {"sfp26", "quad24", "mezz22", "lom29"}) {
    SCOPED_TRACE(name);
    std::shared_ptr<Card> card = Card::open(demo.cardDir(name), &error);
    ASSERT_TRUE(card) << error;
    const CardConfig& c = card->config();
    std::span<const uint8_t> flash = card->flash();
    EXPECT_TRUE(burnkit::sectorsFailingMd5Table(flash).empty());
    EXPECT_LT(burnkit::versionFromUserAreaWord(card->flashWord(0x3E8408)), kV593);

    burnkit::MemoryImageSource source(bytes);
    burnkit::MessageLog log;
    burnkit::FlashImage newer;
    ASSERT_EQ(
        burnkit::findProductAndBuild(source, log, newer, c.subsys >> 16, c.subsys & 0xFFFF, c.chipRevision, c.board), 0)
        << log.text();
    EXPECT_EQ(newer.word(0x3E8408), burnkit::versionToUserAreaWord(kV593));
    int differing = 0;
    for (uint32_t s = 0; s < 64; ++s)
      differing += !std::equal(newer.sector(s).begin(), newer.sector(s).end(), flash.begin() + s * 0x10000);
    EXPECT_GT(differing, 1);
    EXPECT_LT(differing, 20);

    char key[96];
    std::snprintf(key, sizeof key, "venid=\"4040\" devid=\"0100\" subvenid=\"%04X\" subdevid=\"%04X\" rom=\"4.0.593\"",
                  c.subsys & 0xFFFF, c.subsys >> 16);
    EXPECT_NE(config.find(key), std::string::npos) << key;
  }
}

}  // namespace
}  // namespace simhost
