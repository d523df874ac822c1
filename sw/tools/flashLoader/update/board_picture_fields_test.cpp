// The fields the upgrade derives for the board: the backup file's name and
// the VPD date code, MAC text and checksum.
#include <gtest/gtest.h>

#include <ctime>

#include "romimage/flash_layout.h"
#include "sw/tools/flashLoader/update/flash_backup.h"
#include "sw/tools/flashLoader/update/version_compare.h"
#include "sw/tools/flashLoader/update/vpd_update.h"
#include "sw/tools/flashLoader/runstate/tool_output_capture.h"

namespace {

using burnkit::FlashLayout;
using burnkit::UserArea;

std::tm at(int wday, int mon, int mday, int hour, int min, int sec, int year) {
  std::tm t{};
  t.tm_wday = wday;
  t.tm_mon = mon;
  t.tm_mday = mday;
  t.tm_hour = hour;
  t.tm_min = min;
  t.tm_sec = sec;
  t.tm_year = year - 1900;
  return t;
}

TEST(BackupFileName, SerialVersionAndTimeWithoutBlanksOrColons) {
  EXPECT_EQ(backup_file_name("CV12A45678", 4, 0, 534, at(3, 9, 15, 14, 3, 9, 2025)),
            "flashbackup_CV12A45678_v4.0.534_Wed-Oct-15-14-03-09-2025");
  // A day below 10 is padded with a blank: two '-' in a row.
  EXPECT_EQ(backup_file_name("CV1", 4, 1, 2, at(1, 0, 5, 7, 8, 9, 2026)),
            "flashbackup_CV1_v4.1.2_Mon-Jan--5-07-08-09-2026");
  // A serial that is not letters and digits comes as empty.
  EXPECT_EQ(backup_file_name("", 4, 0, 534, at(0, 11, 31, 23, 59, 59, 2024)),
            "flashbackup__v4.0.534_Sun-Dec-31-23-59-59-2024");
}

TEST(VersionCompare, FirstDifferenceDecidesAndEqualIsNotOlder) {
  struct Case {
    VersionTriple other, board;
    int result;
  };
  for (const Case& c :
       {Case{{4, 0, 593}, {4, 0, 534}, 33}, Case{{4, 0, 534}, {4, 0, 534}, 33}, Case{{4, 0, 500}, {4, 0, 534}, 34},
        Case{{3, 9, 999}, {4, 0, 0}, 34}, Case{{4, 1, 0}, {4, 0, 999}, 33}}) {
    capture_tool_stdout();
    EXPECT_EQ(compare_versions(c.other, c.board, VersionSource::backupFile), c.result);
    const std::string out = captured_tool_stdout();
    EXPECT_EQ(out.rfind("Firmware version From Board: ", 0), 0u) << out;
    EXPECT_NE(out.find("\nFirmware version From Backup-file: "), std::string::npos) << out;
  }
}

class VpdUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image_.data()[FlashLayout::kVpdArea] = 0x82;
    for (uint32_t i = 1; i < 0x80; ++i) image_.data()[FlashLayout::kVpdArea + i] = static_cast<uint8_t>(i * 3);
    const uint8_t slot[6] = {0x56, 0x34, 0x12, 0x1E, 0x0E, 0x00};  // 00:0E:1E:12:34:56, last byte first
    std::copy(slot, slot + 6, image_.data() + FlashLayout::kUserArea + UserArea::kMacSlots);
  }
  void setSerial(const std::string& serial) {
    std::copy(serial.begin(), serial.end(), image_.data() + FlashLayout::kUserArea + UserArea::kSerialNumber);
  }
  std::string vpdText(uint32_t offset, size_t size) const {
    return std::string(reinterpret_cast<const char*>(image_.data() + FlashLayout::kVpdArea + offset), size);
  }
  burnkit::FlashImage image_;
};

TEST_F(VpdUpdateTest, DateCodeMacTextAndChecksum) {
  struct Case {
    const char* serial;
    std::string dateCode;
  };
  for (const Case& c :
       {Case{"CV12", "8905"}, Case{"XXAc", "1048"}, Case{"XXZ9", "-135"}, Case{"XX0X", std::string("88\0\0", 4)}}) {
    setSerial(c.serial);
    ASSERT_TRUE(has_vpd_area(image_));
    update_vpd_area(image_);
    EXPECT_EQ(vpdText(0x6D, 4), c.dateCode) << c.serial;
    EXPECT_EQ(vpdText(0x48, 12), "000E1E123456");
    uint8_t sum = 0;
    for (uint32_t i = 0; i <= 0x74; ++i) sum = static_cast<uint8_t>(sum + image_.data()[FlashLayout::kVpdArea + i]);
    EXPECT_EQ(sum, 0) << c.serial;
  }
}

}  // namespace
