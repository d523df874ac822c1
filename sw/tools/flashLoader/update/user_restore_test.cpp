// The administrator's restore of a backup file against a simulated board:
// which files it refuses, what it writes, what it keeps of the board, and
// the driver around it.
#include "sw/tools/flashLoader/update/user_restore.h"

#include <gtest/gtest.h>

#include <optional>

#include "sw/tools/flashLoader/runstate/exit_codes.h"
#include "sw/tools/flashLoader/update/update_test_fixture.h"

namespace update_test {
namespace {

class UserRestoreTest : public UpgradeTest {
 protected:
  // A backup file of the picture, its MD5 table computed as the flash it was
  // taken of carried it (a file of another size is written as it is).
  std::string saveBackup(const Bytes& bytes, const std::string& name = "backup.bin") {
    const std::string path = work_ + "/" + name;
    writeFile(path, bytes.size() == FlashLayout::kSize ? sealed(bytes) : bytes);
    return path;
  }

  int restore(const std::string& path, uint32_t checkFlag, const std::string& input, Printed* p) {
    answer(input);
    openAdapter();
    uint32_t port = 77;
    int result = -100;
    *p = printed([&] { result = restore_from_backup(kPort, &port, path, checkFlag); });
    return result;
  }

  static void setSerial(Bytes& flash, const std::string& serial) {
    uint8_t* field = flash.data() + FlashLayout::kUserArea + UserArea::kSerialNumber;
    std::fill(field, field + UserArea::kSerialNumberSize, 0);
    std::copy(serial.begin(), serial.end(), field);
  }
};

TEST_F(UserRestoreTest, WritesTheFileBackButKeepsTheBoardsAreas) {
  // An older backup: the board's feature and vNIC areas have changed since.
  Bytes file = before_;
  file[FlashLayout::kFeatureArea + 5] ^= 0xFF;
  file[FlashLayout::kVnicArea + 20] ^= 0xFF;
  setWord(file, FlashLayout::kUserArea + UserArea::kFirmwareVersion, 0x01F40004);  // 4.0.500
  file = sealed(file);
  // The board runs something else by now.
  Bytes changed = before_;
  for (uint32_t o = 0x40000; o < 0x50000; ++o) changed[o] = 0x3C;
  loadSealed(changed);
  const Bytes boardNow = flash();

  Printed p;
  ASSERT_EQ(restore(saveBackup(file), 1, "y\n", &p), kExitOk) << p.out << p.err;
  const Bytes after = flash();
  Bytes expected = file;
  std::copy_n(boardNow.begin() + FlashLayout::kFeatureArea, FlashLayout::kFeatureAreaSize,
              expected.begin() + FlashLayout::kFeatureArea);
  std::copy_n(boardNow.begin() + FlashLayout::kVnicArea, 48, expected.begin() + FlashLayout::kVnicArea);
  // The board sector's digest covers those areas: it is made again for them
  // (its slot is checked by the table, the rest byte for byte).
  const uint32_t slot62 = burnkit::md5SlotOffset(FlashLayout::kBoardSectorNumber);
  std::copy_n(after.begin() + slot62, 16, expected.begin() + slot62);
  EXPECT_EQ(after, expected);
  EXPECT_NE(std::vector<uint8_t>(after.begin() + slot62, after.begin() + slot62 + 16),
            std::vector<uint8_t>(file.begin() + slot62, file.begin() + slot62 + 16));
  EXPECT_EQ(burnkit::sectorsFailingMd5Table(after), std::vector<uint32_t>{});

  for (const char* line : {"Driver Loaded in Quiesce mode \n", "Firmware version From Board: 4.0.534\n",
                           "Firmware version From Backup-file: 4.0.500\n", "Do you wish to restore? (Y/N) ",
                           "Restoring feature area...\n", "Restoring vprop area...\n", "Restoring flash...\n",
                           " - DONE\nReboot system for firmware to take effect\n", "Driver Loaded in Normal mode \n"})
    EXPECT_NE(p.out.find(line), std::string::npos) << line << "\n" << p.out;
  EXPECT_EQ(p.err, "");
  expectDriverNormal();
  EXPECT_EQ(host_.violations(), "");
}

TEST_F(UserRestoreTest, RefusesFilesThatAreNotThisBoards) {
  Bytes otherType = before_;
  setWord(otherType, FlashLayout::kBoardTypeWord, 0x24);
  Bytes otherSerial = before_;
  setSerial(otherSerial, "CV99999999");
  struct Case {
    const char* name;
    Bytes file;
    std::string input;
    int result;
    std::string err;
  };
  const Case cases[] = {
      {"other type", otherType, "y\n", kExitBoardTypeMismatch,
       "\nRom Image Board Type and \t\t\t\t\t\tCurrent Board Type do not match\nFailed to Recover!!!\n"},
      {"other serial", otherSerial, "y\n", kExitWrongBackup, "Wrong Backup Romimage!!\nFailed to Recover!!!\n"},
      {"declined", before_, "n\n", kExitDeclined, "Aborted by user's request\n"},
      {"yes and more", before_, "yx\n", kExitGeneralFailure, "Invalid input by user!!!\nFailed to Recover!!!\n"},
      {"too short", Bytes(before_.begin(), before_.end() - 4), "y\n", kExitFileProblem,
       "Can't read romimage into memory.\nFailed to Recover!!!\n"},
      {"too long",
       [&] {
         Bytes b = before_;
         b.push_back(0);
         return b;
       }(),
       "y\n", kExitFileProblem, "Can't read romimage into memory.\nFailed to Recover!!!\n"},
  };
  // The board is not what any of the files hold.
  Bytes current = before_;
  for (uint32_t o = 0x40000; o < 0x40100; ++o) current[o] = 0x3C;
  loadSealed(current);
  const Bytes boardNow = flash();
  for (const Case& c : cases) {
    card_->resetStats();
    Printed p;
    EXPECT_EQ(restore(saveBackup(c.file), 1, c.input, &p), c.result) << c.name << "\n" << p.out;
    EXPECT_EQ(p.err, c.err) << c.name;
    EXPECT_EQ(flash(), boardNow) << c.name;
    EXPECT_EQ(card_->stats().calls.count(51), 0u) << c.name;
    expectDriverNormal();
  }
  Printed missing;
  EXPECT_EQ(restore(work_ + "/none", 1, "y\n", &missing), kExitFileProblem);
  EXPECT_NE(missing.err.find("\nError:Cannot Open Image File \"" + work_ + "/none\"\n"), std::string::npos);
  EXPECT_EQ(host_.violations(), "");
}

// A backup whose own MD5 table does not verify (damaged on disk, or taken
// of a broken flash) is refused unless forced; forced, it is written with a
// warning.
TEST_F(UserRestoreTest, ADamagedBackupIsRefusedUnlessForced) {
  Bytes damaged = sealed(before_);
  damaged[0x50000 + 123] ^= 0x10;
  const std::string path = work_ + "/damaged.bin";
  writeFile(path, damaged);
  Bytes current = before_;
  for (uint32_t o = 0x40000; o < 0x40100; ++o) current[o] = 0x3C;
  loadSealed(current);
  const Bytes boardNow = flash();

  Printed p;
  EXPECT_EQ(restore(path, 1, "y\n", &p), kExitFileProblem) << p.out;
  EXPECT_EQ(p.err,
            "The backup fails its own MD5 check (sector 5): it is not restored. Use -f to restore it anyway.\n"
            "Failed to Recover!!!\n");
  EXPECT_EQ(flash(), boardNow);
  expectDriverNormal();

  EXPECT_EQ(restore(path, 0, "", &p), kExitOk) << p.out << p.err;
  EXPECT_NE(p.err.find("Warning: the backup fails its own MD5 check (sector 5); restoring it as forced.\n"),
            std::string::npos)
      << p.err;
  EXPECT_EQ(flash()[0x50000 + 123], damaged[0x50000 + 123]);
}

// Every sector is read back after it is written: a word that did not take
// is written again, and a sector that never reads back as the backup holds
// it ends the restore with 13, never with a success.
TEST_F(UserRestoreTest, ARestoreReadsBackWhatItWrote) {
  const Bytes file = sealed(before_);
  const std::string path = saveBackup(before_);
  struct Case {
    const char* what;
    std::optional<uint64_t> times;
    int result;
  };
  const Case cases[] = {
      {"one flipped bit, written again", 1, kExitOk},
      {"a sector that never takes", std::nullopt, kExitVerifyFailed},
  };
  for (const Case& c : cases) {
    std::string error;
    ASSERT_TRUE(card_->clearFaultRules(&error)) << error;
    Bytes current = before_;
    for (uint32_t o = 0x70000; o < 0x70100; ++o) current[o] = 0x3C;
    loadSealed(current);
    simhost::FaultRule flip;
    flip.action = simhost::FaultAction::kBitflip;
    flip.command = 51;
    flip.offsets = simhost::OffsetRange{0x70000, 0x7FFFF};
    flip.times = c.times;
    addFault(flip);
    Printed p;
    EXPECT_EQ(restore(path, 0, "", &p), c.result) << c.what << "\n" << p.out << p.err;
    if (c.result == kExitOk) {
      EXPECT_EQ(flash(), file) << c.what;
    } else {
      EXPECT_NE(p.err.find("Sector 7 does not read back as the backup holds it.\nFlash may be corrupted.\n"),
                std::string::npos)
          << c.what << "\n" << p.err;
    }
    expectDriverNormal();
  }
}

TEST_F(UserRestoreTest, AHyphenatedSerialTakesAnyFileOfItsType) {
  Bytes board = before_;
  setSerial(board, "CV-1234");
  loadSealed(board);
  Bytes file = before_;
  setSerial(file, "SOMEONEELSE");
  Printed p;
  ASSERT_EQ(restore(saveBackup(file), 1, "y\n", &p), kExitOk) << p.out << p.err;
  EXPECT_EQ(slice(flash(), FlashLayout::kUserArea + UserArea::kSerialNumber, 11),
            slice(file, FlashLayout::kUserArea + UserArea::kSerialNumber, 11));
}

TEST_F(UserRestoreTest, AdviceFollowsThePortCount) {
  struct Case {
    uint32_t boardType;
    const char* advice;
  };
  for (const Case& c : {Case{0x32, "Reload driver for firmware to take effect\n"},
                        Case{0x24, "Reboot system for firmware to take effect\n"},
                        Case{0x99, "Reboot system for firmware to take effect\n"}}) {
    Bytes board = before_;
    setWord(board, FlashLayout::kBoardTypeWord, c.boardType);
    loadSealed(board);
    Printed p;
    ASSERT_EQ(restore(saveBackup(board), 1, "y\n", &p), kExitOk) << p.out << p.err;
    EXPECT_NE(p.out.find(c.advice), std::string::npos) << std::hex << c.boardType << "\n" << p.out;
  }
}

TEST_F(UserRestoreTest, ABrokenBoardSectorKeepsTheFilesAreas) {
  const std::string backup = saveBackup(before_);
  Bytes broken = before_;
  std::fill_n(broken.begin() + FlashLayout::kBoardSector, 0x9000, 0xFF);  // vNIC and user area erased
  std::string error;
  ASSERT_TRUE(card_->loadFlashImage(broken, &error)) << error;
  Printed p;
  ASSERT_EQ(restore(backup, 0, "", &p), kExitOk) << p.out << p.err;
  EXPECT_EQ(flash(), before_);
  EXPECT_NE(p.out.find("Board sector fails its MD5 check: the feature and vNIC areas of the backup are kept.\n"),
            std::string::npos)
      << p.out;
  EXPECT_EQ(p.out.find("(Y/N)"), std::string::npos) << "forced: no question";
  EXPECT_TRUE(burnkit::sectorsFailingMd5Table(flash()).empty());
  EXPECT_EQ(host_.violations(), "");
}

TEST_F(UserRestoreTest, ADriverThatCannotBeSwitchedOrAPortThatCannotBeReopenedIsAFailure) {
  struct Case {
    const char* what;
    simhost::FaultAction action;
    std::optional<uint32_t> command;
    int result;
    bool backToNormal;  // the quiescent switch was made, so it is undone
  };
  for (const Case& c :
       {Case{"reopen's probe fails", simhost::FaultAction::kFail, 22, -1, true},
        // Last: the refused switch leaves the card's functions as they were.
        Case{"switch refused", simhost::FaultAction::kReboot, std::nullopt, kExitGeneralFailure, false}}) {
    std::string error;
    ASSERT_TRUE(card_->clearFaultRules(&error)) << error;
    answer("y\n");
    openAdapter();
    simhost::FaultRule rule;
    rule.action = c.action;
    rule.command = c.command;
    rule.times = 1;
    addFault(rule);
    uint32_t port = 77;
    int result = -100;
    Printed p = printed([&] { result = restore_from_backup(kPort, &port, saveBackup(before_), 1); });
    EXPECT_EQ(result, c.result) << c.what << "\n" << p.out << p.err;
    EXPECT_EQ(p.out.find("Restoring flash"), std::string::npos) << c.what;
    EXPECT_EQ(flash(), before_) << c.what;
    if (c.backToNormal) expectDriverNormal();
  }
}

}  // namespace
}  // namespace update_test
