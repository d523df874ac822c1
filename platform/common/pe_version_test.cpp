// Version reading against the images the simulated drive holds: versions come
// back as written, each missing piece gives its own Windows error, and no cut
// or damaged file makes the reader step outside the bytes it has.
#include "platform/common/pe_version.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include <gtest/gtest.h>

#include "simhost/machine/pe_file.h"

namespace platform {
namespace {

using simhost::PeBitness;

uint32_t get32(const std::string& d, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(d[at + i]);
  return v;
}
void put32(std::string* d, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*d)[at + i] = static_cast<char>(v >> (8 * i));
}
void put16(std::string* d, size_t at, uint16_t v) {
  (*d)[at] = static_cast<char>(v);
  (*d)[at + 1] = static_cast<char>(v >> 8);
}

// Where the pieces of a written image sit, found through its own headers so
// the fixtures below can damage one piece at a time.
struct Layout {
  size_t resourceDirectory;  // the data directory entry of the resource table
  size_t rsrc;               // file offset of the resource table
  size_t nameEntry;          // the VS_VERSION_INFO entry under RT_VERSION
  size_t languageDir;
  size_t block;              // the VS_VERSIONINFO block
};

Layout layoutOf(const std::string& image) {
  Layout l{};
  size_t pe = get32(image, 0x3C);
  size_t optional = pe + 24;
  bool wide = (static_cast<unsigned char>(image[optional + 1]) << 8 | static_cast<unsigned char>(image[optional])) == 0x20B;
  l.resourceDirectory = optional + (wide ? 112 : 96) + 16;
  uint32_t rsrcRva = get32(image, l.resourceDirectory);
  size_t optionalSize = static_cast<unsigned char>(image[pe + 20]) | static_cast<unsigned char>(image[pe + 21]) << 8;
  for (size_t s = optional + optionalSize;; s += 40) {
    if (image.compare(s, 5, ".rsrc") == 0) {
      l.rsrc = get32(image, s + 20);
      break;
    }
  }
  size_t names = get32(image, l.rsrc + 20) & 0x7FFFFFFF;
  l.nameEntry = l.rsrc + names + 16;
  l.languageDir = l.rsrc + (get32(image, l.nameEntry + 4) & 0x7FFFFFFF);
  size_t dataEntry = l.rsrc + get32(image, l.languageDir + 20);
  l.block = l.rsrc + (get32(image, dataEntry) - rsrcRva);
  return l;
}

TEST(PeVersion, ReadsBackWhatTheDriveWriterWrote) {
  const FileVersion versions[] = {
      {0x00040000, 0x02510000, 0x00040000, 0x02510000},  // 4.0.593.0
      {0x00010002, 0x00030004, 0x00050006, 0x00070008},  // product differs from file
      {0xFFFFFFFF, 0xFFFFFFFF, 0, 0},
  };
  for (PeBitness bitness : {PeBitness::Pe32Plus, PeBitness::Pe32}) {
    for (const char* name : {"orlnd5x64.sys", "burnkit.exe", "helper.dll"}) {
      for (const FileVersion& v : versions) {
        FileVersion read{};
        ASSERT_EQ(parsePeFileVersion(simhost::makePeWithVersion(v, name, bitness), &read), kErrorSuccess) << name;
        EXPECT_EQ(read.fileMs, v.fileMs);
        EXPECT_EQ(read.fileLs, v.fileLs);
        EXPECT_EQ(read.productMs, v.productMs);
        EXPECT_EQ(read.productLs, v.productLs);
      }
    }
  }
}

class PeVersionFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("pe_version_test." + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string write(const std::string& name, const std::string& bytes) {
    std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::filesystem::path dir_;
};

TEST_F(PeVersionFiles, ReadsAFileAndNamesWhatIsWrongWithOthers) {
  FileVersion v{0x00040000, 0x02510000, 0x00040000, 0x02510000};
  FileVersion read{};
  ASSERT_EQ(readPeFileVersion(write("orlnd5x64.sys", simhost::makePeWithVersion(v, "orlnd5x64.sys")), &read),
            kErrorSuccess);
  EXPECT_EQ(read.fileLs, v.fileLs);

  EXPECT_EQ(readPeFileVersion((dir_ / "absent.sys").string(), &read), kErrorFileNotFound);
  EXPECT_EQ(readPeFileVersion((dir_ / "no" / "absent.sys").string(), &read), kErrorPathNotFound);
  EXPECT_EQ(readPeFileVersion(dir_.string(), &read), kErrorAccessDenied);
  EXPECT_EQ(readPeFileVersion(write("notes.txt", "MZ but not a program\n"), &read), kErrorBadFormat);
  EXPECT_EQ(readPeFileVersion(write("empty.sys", ""), &read), kErrorBadFormat);
}

TEST(PeVersion, EachMissingPieceHasItsOwnError) {
  const std::string good = simhost::makePeWithVersion({0x10002, 0x30004, 0x10002, 0x30004}, "x.sys");
  const Layout l = layoutOf(good);
  struct Damage {
    const char* what;
    std::function<void(std::string*)> apply;
    WinError expected;
  };
  const Damage cases[] = {
      {"no resource table", [&](std::string* d) { put32(d, l.resourceDirectory, 0); }, kErrorResourceDataNotFound},
      {"resource table outside every section", [&](std::string* d) { put32(d, l.resourceDirectory, 0x90000); },
       kErrorBadFormat},
      {"RT_ICON instead of RT_VERSION", [&](std::string* d) { put32(d, l.rsrc + 16, 3); },
       kErrorResourceTypeNotFound},
      {"version resource with another id", [&](std::string* d) { put32(d, l.nameEntry, 2); },
       kErrorResourceNameNotFound},
      {"no language", [&](std::string* d) { put16(d, l.languageDir + 14, 0); }, kErrorResourceLangNotFound},
      {"type entry is not a directory", [&](std::string* d) { put32(d, l.rsrc + 20, 24); }, kErrorBadFormat},
      {"subdirectory far outside", [&](std::string* d) { put32(d, l.rsrc + 20, 0xFFFFFFF0); }, kErrorBadFormat},
      {"subdirectory loops to the root", [&](std::string* d) { put32(d, l.rsrc + 20, 0x80000000); },
       kErrorResourceNameNotFound},
      {"block without fixed info", [&](std::string* d) { put16(d, l.block + 2, 0); }, kErrorInvalidData},
      {"bad fixed info signature", [&](std::string* d) { put32(d, l.block + 40, 0xFEEF04BE); }, kErrorInvalidData},
      {"wrong block key", [&](std::string* d) { (*d)[l.block + 6] = 'W'; }, kErrorInvalidData},
      {"unknown optional header", [&](std::string* d) { put16(d, get32(*d, 0x3C) + 24, 0x107); }, kErrorBadFormat},
      {"PE header beyond the end", [&](std::string* d) { put32(d, 0x3C, 0xFFFFFFF0); }, kErrorBadFormat},
      {"a million sections", [&](std::string* d) { put16(d, get32(*d, 0x3C) + 6, 0xFFFF); }, kErrorBadFormat},
  };
  for (const Damage& c : cases) {
    std::string image = good;
    c.apply(&image);
    FileVersion read{};
    EXPECT_EQ(parsePeFileVersion(image, &read), c.expected) << c.what;
  }
}

// Every cut of a valid image, and every byte of it set to a few telling
// values, gives either the right answer or one of the reader's errors; the
// sanitizer build catches any read past the bytes.
TEST(PeVersion, SurvivesCutAndDamagedImages) {
  const FileVersion v{0x00040000, 0x02510000, 0x00040000, 0x02510000};
  const std::set<WinError> allowed = {kErrorSuccess, kErrorBadFormat, kErrorInvalidData,
                                      kErrorResourceDataNotFound, kErrorResourceTypeNotFound,
                                      kErrorResourceNameNotFound, kErrorResourceLangNotFound};
  for (PeBitness bitness : {PeBitness::Pe32Plus, PeBitness::Pe32}) {
    const std::string good = simhost::makePeWithVersion(v, "orlnd5x64.sys", bitness);
    const Layout l = layoutOf(good);
    for (size_t length = 0; length < good.size(); ++length) {
      FileVersion read{};
      WinError e = parsePeFileVersion(good.substr(0, length), &read);
      if (length < l.block + 40 + 52) {
        EXPECT_NE(e, kErrorSuccess) << "cut at " << length;
      } else if (e == kErrorSuccess) {
        EXPECT_EQ(read.fileLs, v.fileLs) << "cut at " << length;
      }
      EXPECT_TRUE(allowed.count(e)) << "cut at " << length << " gave " << e;
    }
    for (size_t at = 0; at < good.size(); ++at) {
      for (unsigned char value : {0x00, 0x7F, 0x80, 0xFF}) {
        std::string image = good;
        image[at] = static_cast<char>(value);
        FileVersion read{};
        WinError e = parsePeFileVersion(image, &read);
        EXPECT_TRUE(allowed.count(e)) << "byte " << at << " = " << int(value) << " gave " << e;
      }
    }
  }
}

}  // namespace
}  // namespace platform
