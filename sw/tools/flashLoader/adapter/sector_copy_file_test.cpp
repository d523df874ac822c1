// The sector copy file: what a restore may trust of it.
#include "sw/tools/flashLoader/adapter/sector_copy_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "sw/tools/flashLoader/adapter/adapter_test_fixture.h"

namespace {

class SectorCopyFileTest : public AdapterTest {
 protected:
  static std::vector<char> bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void writeBytes(const std::string& path, const std::vector<char>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
};

TEST_F(SectorCopyFileTest, ACopyReadsBackWholeAndAnyDamageIsRefused) {
  openBoard();
  SectorCopy copy;
  copy.sector = 62;
  copy.serial = "SN0123456789";
  copy.words.resize(0x10000 / 4);
  for (size_t i = 0; i < copy.words.size(); ++i) copy.words[i] = static_cast<uint32_t>(i * 2654435761u);
  std::tm when{};
  when.tm_year = 126;
  when.tm_mon = 11;
  when.tm_mday = 10;
  std::string path = sector_copy_file_name(copy, when);
  EXPECT_EQ(path, "sectorbackup_SN0123456789_62_20261210-000000");
  ASSERT_EQ(save_sector_copy(copy, &path), 0);
  // A second copy under the same name never replaces the first.
  std::string second = sector_copy_file_name(copy, when);
  ASSERT_EQ(save_sector_copy(copy, &second), 0);
  EXPECT_EQ(second, path + "_2");

  SectorCopy read;
  ASSERT_EQ(read_sector_copy(path, &read), SectorCopyRead::copy);
  EXPECT_EQ(read.sector, 62u);
  EXPECT_EQ(read.serial, copy.serial);
  EXPECT_EQ(read.words, copy.words);

  const std::vector<char> good = bytesOf(path);
  struct Case {
    const char* what;
    std::function<void(std::vector<char>&)> damage;
    SectorCopyRead expected;
  };
  const Case cases[] = {
      {"a flipped bit in the words", [](std::vector<char>& b) { b[b.size() - 5] ^= 0x10; }, SectorCopyRead::damaged},
      {"a flipped bit in the sector number", [](std::vector<char>& b) { b[12] ^= 1; }, SectorCopyRead::damaged},
      {"cut short", [](std::vector<char>& b) { b.resize(b.size() - 4); }, SectorCopyRead::damaged},
      {"one byte too many", [](std::vector<char>& b) { b.push_back(0); }, SectorCopyRead::damaged},
      {"another file", [](std::vector<char>& b) { b[0] = 'X'; }, SectorCopyRead::notACopy},
      {"empty", [](std::vector<char>& b) { b.clear(); }, SectorCopyRead::notACopy},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<char> bytes = good;
    c.damage(bytes);
    writeBytes(path, bytes);
    EXPECT_EQ(read_sector_copy(path, &read), c.expected);
  }
  EXPECT_EQ(read_sector_copy(path + "_missing", &read), SectorCopyRead::unreadable);
  discard_sector_copy(path);
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
