// The upgrade against a simulated board provisioned from an older release:
// what reaches the flash, the backup file, the driver modes, the texts and
// the results, and the inputs it refuses.
#include "sw/tools/flashLoader/update/flash_upgrade.h"

#include <gtest/gtest.h>

#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/update/flash_backup.h"
#include "sw/tools/flashLoader/update/update_test_fixture.h"

namespace update_test {
namespace {

class FlashUpgradeTest : public UpgradeTest {
 protected:
  int upgrade(const std::string& image, uint32_t versionCheck, Printed* p) {
    uint32_t port = 77;
    int result = -100;
    *p = printed([&] { result = upgrade_adapter_flash(kPort, &port, image, versionCheck); });
    return result;
  }

  // The newer release's picture for this board, as the builder makes it.
  burnkit::FlashImage newerPicture(const burnkit::SyntheticProduct& product = kSfpBoard) {
    Bytes image = syntheticImage(kNewerRelease);
    burnkit::MemoryImageSource source(image);
    burnkit::MessageLog log;
    burnkit::FlashImage picture;
    EXPECT_EQ(burnkit::findProductAndBuild(source, log, picture, product.subsys, product.subvendor,
                                           product.chipRevision, product.boardType),
              0);
    return picture;
  }
};

TEST_F(FlashUpgradeTest, UpgradesOnlyTheDifferingSectorsAndKeepsTheBoardsData) {
  answer("y\n");
  openAdapter();
  card_->resetStats();
  Printed p;
  ASSERT_EQ(upgrade("", 1, &p), kExitOk) << p.out << p.err;

  const Bytes after = flash();
  EXPECT_TRUE(burnkit::sectorsFailingMd5Table(after).empty());
  EXPECT_EQ(firmwareOf(after), "4.0.593");
  expectBoardDataEqual(after, before_);
  // Everything the board does not own is the release's.
  const burnkit::FlashImage newer = newerPicture();
  for (uint32_t s = 1; s < 62; ++s)
    EXPECT_TRUE(
        std::equal(newer.sector(s).begin(), newer.sector(s).end(), after.begin() + s * FlashLayout::kSectorSize))
        << "sector " << s;

  // The backup is the old flash, byte for byte, named by serial, version and time.
  const std::vector<std::string> files = backups();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(readFile(files[0]), before_);
  EXPECT_EQ(std::filesystem::path(files[0]).filename().string().rfind("flashbackup_CV12A45678_v4.0.534_", 0), 0u)
      << files[0];

  // One write per word that is not erased, in the sectors that differ only.
  uint64_t wordsToWrite = 0, differing = 0;
  for (uint32_t s = 0; s < 64; ++s) {
    const size_t at = size_t(s) * FlashLayout::kSectorSize;
    if (std::equal(after.begin() + at, after.begin() + at + FlashLayout::kSectorSize, before_.begin() + at)) continue;
    ++differing;
    for (size_t o = at; o < at + FlashLayout::kSectorSize; o += 4)
      wordsToWrite += word(after, uint32_t(o)) != 0xFFFFFFFF;
  }
  EXPECT_GT(differing, 0u);
  EXPECT_LT(differing, 64u);
  const simhost::CardStats stats = card_->stats();
  EXPECT_EQ(stats.calls.count(51) ? stats.calls.at(51) : 0, wordsToWrite);
  // Reads: one pass for the backup, one for the verification, and little else.
  const uint64_t reads = stats.calls.count(50) ? stats.calls.at(50) : 0;
  EXPECT_GE(reads, 2u * 1048576u - 16384u);
  EXPECT_LT(stats.total, (2u * 1048576u + wordsToWrite) * 101 / 100) << "reads " << reads;

  for (const char* line : {"0/8 - Init\n", "*** Currently in flash ***\n", "Firmware version From Board: 4.0.534\n",
                           "Firmware version From Romimage: 4.0.593\n", "Do you wish to upgrade? (Y/N) ",
                           "Driver Loaded in Quiesce mode \n", "Updating VPD area...\n",
                           "Restoring vNIC property area...\n", "Flashing completed successfully.\n",
                           "Driver Loaded in Normal mode \n", "7/8 - Performing cleanup\n", "8/8 - Finished\n"})
    EXPECT_NE(p.out.find(line), std::string::npos) << line << "\n" << p.out;
  EXPECT_EQ(p.out.find("Rom Image        : " + work_ + "/quarry_romimage\n") == std::string::npos, false) << p.out;
  EXPECT_EQ(p.err, "");
  EXPECT_EQ(adapter_handle(), nullptr) << "the upgrade leaves the adapter closed";
  expectDriverNormal();
  EXPECT_EQ(card_->peekRegister(0x08202150), 4u) << "running firmware";
  EXPECT_EQ(card_->peekRegister(0x08202158), 593u);
  EXPECT_EQ(host_.violations(), "");
}

TEST_F(FlashUpgradeTest, VpdCarriesTheBoardsMacAndDateCode) {
  answer("y\n");
  openAdapter();
  Printed p;
  ASSERT_EQ(upgrade("", 1, &p), kExitOk) << p.out << p.err;
  const Bytes after = flash();
  const uint8_t* vpd = after.data() + FlashLayout::kVpdArea;
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(vpd + 0x48), 12), "000E1E123456");
  // Serial "CV12...": year from '1' + 40 = 89, week from '2'.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(vpd + 0x6D), 4), "8905");
  uint8_t sum = 0;
  for (int i = 0; i <= 0x74; ++i) sum = static_cast<uint8_t>(sum + vpd[i]);
  EXPECT_EQ(sum, 0);
}

TEST_F(FlashUpgradeTest, SameReleaseWritesNothingButStillCyclesTheDriver) {
  // The board already carries the newer release with its own data.
  Printed first;
  answer("y\n");
  openAdapter();
  ASSERT_EQ(upgrade("", 1, &first), kExitOk) << first.out << first.err;
  const Bytes upgraded = flash();

  answer("y\n");
  openAdapter();
  card_->resetStats();
  Printed p;
  ASSERT_EQ(upgrade("", 1, &p), kExitOk) << p.out << p.err;
  EXPECT_NE(p.out.find("Flash already up-to-date.\n"), std::string::npos) << p.out;
  EXPECT_EQ(p.out.find("Do you wish to upgrade? (Y/N) "), p.out.find("Do you wish")) << "same version is asked";
  EXPECT_NE(p.out.find("Driver Loaded in Quiesce mode \n"), std::string::npos);
  EXPECT_NE(p.out.find("Driver Loaded in Normal mode \n"), std::string::npos);
  const simhost::CardStats stats = card_->stats();
  EXPECT_EQ(stats.calls.count(51), 0u) << "no word written";
  EXPECT_EQ(flash(), upgraded);
  expectDriverNormal();
  EXPECT_EQ(host_.violations(), "");
}

TEST_F(FlashUpgradeTest, DowngradeIsRefusedUnlessForced) {
  answer("y\n");
  openAdapter();
  Printed up;
  ASSERT_EQ(upgrade("", 1, &up), kExitOk);
  const Bytes upgraded = flash();

  openAdapter();
  Printed refused;
  EXPECT_EQ(upgrade(older_, 1, &refused), kExitImageOlder);
  EXPECT_EQ(refused.err, "Downgrade of firmware is not allowed.\n");
  EXPECT_EQ(flash(), upgraded);
  EXPECT_NE(adapter_handle(), nullptr) << "ended before the driver switch: the adapter stays open";

  Printed forced;
  ASSERT_EQ(upgrade(older_, 0, &forced), kExitOk) << forced.out << forced.err;
  EXPECT_EQ(forced.out.find("Firmware version From"), std::string::npos) << "no version lines when forced";
  EXPECT_EQ(forced.out.find("(Y/N)"), std::string::npos) << "no question when forced";
  EXPECT_EQ(firmwareOf(flash()), "4.0.534");
  expectBoardDataEqual(flash(), before_);
  EXPECT_TRUE(burnkit::sectorsFailingMd5Table(flash()).empty());
  EXPECT_EQ(host_.violations(), "");
}

TEST_F(FlashUpgradeTest, TheAnswerDecides) {
  struct Case {
    const char* input;
    int result;
    const char* err;
  };
  for (const Case& c : {Case{"n\n", kExitOk, "Aborted by user's request\n"},
                        Case{"yes\n", kExitGeneralFailure, "Invalid input by user!!!\n"},
                        Case{"", kExitOk, "Aborted by user's request\n"}}) {
    answer(c.input);
    openAdapter();
    Printed p;
    EXPECT_EQ(upgrade("", 1, &p), c.result) << c.input;
    EXPECT_EQ(p.err, c.err) << c.input;
    EXPECT_EQ(p.out.find("Quiesce"), std::string::npos) << "driver untouched";
    EXPECT_EQ(flash(), before_);
    EXPECT_TRUE(backups().empty());
    close_adapter();
  }
}

TEST_F(FlashUpgradeTest, BadImagesAreRefusedBeforeTheFlashIsTouched) {
  std::filesystem::create_directory(work_ + "/a_directory");
  Bytes damaged = readFile(work_ + "/quarry_romimage");
  damaged[20] ^= 0x01;  // the directory table's digest
  writeFile(work_ + "/damaged", damaged);
  struct Case {
    std::string image;
    int result;
    std::string errText;
    std::string outText;
  };
  for (const Case& c : {Case{"a_directory", kExitImageNotFound,
                             "\na_directory is a directory\n\nFailed to locate Corvane NIC binaries\n", ""},
                        Case{"missing", kExitFileProblem, "Can't open file missing for reading.\n", ""},
                        Case{"damaged", kExitFileProblem, "", "Can't read unified romimage into memory.\n"}}) {
    answer("y\n");
    openAdapter();
    card_->resetStats();
    Printed p;
    EXPECT_EQ(upgrade(c.image, 1, &p), c.result) << c.image << "\n" << p.out << p.err;
    EXPECT_EQ(p.err, c.errText) << c.image;
    EXPECT_NE(p.out.find(c.outText), std::string::npos) << p.out;
    EXPECT_EQ(card_->stats().calls.count(51), 0u);
    EXPECT_EQ(flash(), before_);
    close_adapter();
  }
}

TEST_F(FlashUpgradeTest, FullDiskMeansNoBackupAndNoWrite) {
  ASSERT_EQ(host_.sim("set", {"free-bytes", "4194304"}).exitCode, 0u);
  answer("y\n");
  openAdapter();
  card_->resetStats();
  Printed p;
  EXPECT_EQ(upgrade("", 1, &p), kExitFileProblem);
  EXPECT_NE(p.out.find("There is no disk space to create Flash Back-Up\n"), std::string::npos) << p.out;
  EXPECT_EQ(card_->stats().calls.count(51), 0u);
  EXPECT_EQ(flash(), before_);
  EXPECT_TRUE(backups().empty());
  expectDriverNormal();
  EXPECT_EQ(host_.violations(), "");
}

TEST_F(FlashUpgradeTest, UnusableCurrentDirectoryMeansNoWrite) {
  // The current directory is gone: no file can be created in it.
  const std::string image = host_.root() + "/quarry_romimage";
  std::filesystem::copy_file(work_ + "/quarry_romimage", image);
  std::filesystem::remove_all(work_);
  answer("y\n");
  openAdapter();
  card_->resetStats();
  Printed p;
  EXPECT_EQ(upgrade(image, 1, &p), kExitFileProblem);
  EXPECT_NE(p.err.find("for flash backup\n"), std::string::npos) << p.err;
  EXPECT_EQ(card_->stats().calls.count(51), 0u);
  EXPECT_EQ(flash(), before_);
  expectDriverNormal();
  EXPECT_EQ(host_.violations(), "");
}

TEST_F(FlashUpgradeTest, ReportModeAsksNothingKeepsABackupAndRewritesEverySector) {
  g_xml_mode = 1;
  openAdapter();
  card_->resetStats();
  Printed p;
  ASSERT_EQ(upgrade("", 1, &p), kExitOk) << p.out << p.err;
  EXPECT_EQ(p.out.find("(Y/N)"), std::string::npos);
  EXPECT_EQ(p.out.find("Backing up"), std::string::npos);
  // The flash is read once; the backup file is written from that copy.
  const std::vector<std::string> files = backups();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(readFile(files[0]), before_);
  // Reads: the copy and the verification, no third pass for the file.
  EXPECT_LT(card_->stats().calls.at(50), 2u * 1048576u + 16384u);
  uint64_t wordsToWrite = 0;
  const Bytes after = flash();
  for (uint32_t o = 0; o < FlashLayout::kSize; o += 4) wordsToWrite += word(after, o) != 0xFFFFFFFF;
  EXPECT_EQ(card_->stats().calls.at(51), wordsToWrite) << "all 64 sectors written";
  EXPECT_TRUE(burnkit::sectorsFailingMd5Table(after).empty());
  expectBoardDataEqual(after, before_);
  EXPECT_EQ(host_.violations(), "");
}

TEST_F(FlashUpgradeTest, ReportModeAllowsADowngrade) {
  g_xml_mode = 1;
  writeFile(work_ + "/quarry_romimage", syntheticImage(0x04000100));
  openAdapter();
  Printed p;
  ASSERT_EQ(upgrade("", 1, &p), kExitOk) << p.out << p.err;
  EXPECT_EQ(firmwareOf(flash()), "4.0.256");
}

TEST_F(FlashUpgradeTest, AVnicAreaOfSizeZeroCarriesNothingOfIt) {
  Bytes f = flash();
  setWord(f, FlashLayout::kVnicArea + 4, 0);  // the size field, in 8-byte units
  loadSealed(f);
  answer("y\n");
  openAdapter();
  Printed p;
  ASSERT_EQ(upgrade("", 1, &p), kExitOk) << p.out << p.err;
  EXPECT_NE(p.out.find("Restoring vNIC property area...\n"), std::string::npos) << p.out;
  const Bytes after = flash();
  const burnkit::FlashImage newer = newerPicture();
  EXPECT_TRUE(std::equal(after.begin() + FlashLayout::kVnicArea, after.begin() + FlashLayout::kVnicArea + 48,
                         newer.data() + FlashLayout::kVnicArea))
      << "not even the header is carried";
  EXPECT_EQ(word(after, FlashLayout::kUserArea + UserArea::kFunctionMaskLow), 0x0000000Bu);
  EXPECT_TRUE(burnkit::sectorsFailingMd5Table(after).empty());
}

class NcsiBoardUpgradeTest : public FlashUpgradeTest {
 protected:
  void SetUp() override { setUpBoard(kNcsiBoard, 0x705B103C); }
};

TEST_F(NcsiBoardUpgradeTest, KeepsTheBoardsNcsiSetting) {
  // The board runs with NC-SI switched off: its table entry differs from
  // the release's.
  Bytes f = flash();
  const uint32_t first = f[4] | f[5] << 8, count = f[6] | f[7] << 8;
  uint32_t valueAt = 0;
  for (uint32_t i = 0; i < count; ++i)
    if (word(f, 4 * (first + 2 * i) + 4) == burnkit::kRegNcsi) valueAt = 4 * (first + 2 * i);
  ASSERT_NE(valueAt, 0u);
  ASSERT_EQ(word(f, valueAt), burnkit::kNcsiEnabled);
  setWord(f, valueAt, 0x0000);
  loadSealed(f);

  answer("y\n");
  openAdapter();
  Printed p;
  ASSERT_EQ(upgrade("", 1, &p), kExitOk) << p.out << p.err;
  EXPECT_EQ(word(flash(), valueAt), 0u);
  EXPECT_EQ(firmwareOf(flash()), "4.0.593");
  EXPECT_TRUE(burnkit::sectorsFailingMd5Table(flash()).empty());
}

// A backup never replaces a file: two backups within the same second (the
// name's resolution) keep both, and a file already at the name is left as
// it was.
TEST_F(FlashUpgradeTest, ABackupNeverReplacesAFile) {
  openAdapter();
  const std::string taken = work_ + "/flashbackup_same_second";
  { std::ofstream(taken, std::ios::binary) << "earlier backup"; }
  std::vector<std::string> used;
  for (int run = 0; run < 2; ++run) {
    std::string path = taken;
    Printed p = printed([&] { EXPECT_EQ(save_total_flash_backup(adapter_handle(), &path), kExitOk); });
    used.push_back(path);
  }
  EXPECT_EQ(used, (std::vector<std::string>{taken + "_2", taken + "_3"}));
  const std::string earlier = "earlier backup";
  EXPECT_EQ(readFile(taken), Bytes(earlier.begin(), earlier.end()));
  EXPECT_EQ(readFile(used[0]), before_);
  EXPECT_EQ(readFile(used[1]), before_);
}

}  // namespace
}  // namespace update_test
