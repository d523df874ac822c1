// The romimage tool as users run it: the built program, its exit codes and
// its output.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <random>

#include "simhost/machine/files.h"
#include "romimage/flash_image_builder.h"
#include "romimage/md5_table.h"
#include "tests/support/scenario.h"

namespace romimage_tool {
namespace {

using corvane_test::RunResult;

class RomimageTool : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    dir_ = (std::filesystem::temp_directory_path() / ("romimage_" + std::to_string(random()))).string();
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  RunResult run(const std::vector<std::string>& args) const {
    return corvane_test::runProgram(corvane_test::binDir() + "/romimage", args, "", "", "");
  }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  std::vector<uint8_t> bytes(const std::string& name) const {
    std::string b, error;
    EXPECT_TRUE(simhost::readFile(path(name), &b, &error)) << error;
    return std::vector<uint8_t>(b.begin(), b.end());
  }
  void write(const std::string& name, const std::vector<uint8_t>& b) const {
    std::string error;
    ASSERT_TRUE(simhost::writeFileAtomic(path(name), std::string(b.begin(), b.end()), &error)) << error;
  }

  std::string dir_;
};

const std::vector<std::string> kTwoProducts = {"--product", "0x26:0x0126:0x4040:0x42", "--product",
                                               "0x22:0x171B:0x103C:0x41"};

TEST_F(RomimageTool, SynthInfoExtractRoundTrip) {
  std::vector<std::string> synth = {"synth", path("img"), "--fw", "4.0.593"};
  synth.insert(synth.end(), kTwoProducts.begin(), kTwoProducts.end());
  RunResult r = run(synth);
  ASSERT_EQ(r.exitCode, 0u) << r.err;

  r = run({"info", path("img")});
  EXPECT_EQ(r.exitCode, 0u) << r.out;
  EXPECT_NE(r.out.find("  header MD5       ok\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  row 1: Corvane Z3 / 2-port 10GbE Multifunction Blade Mezzanine / B1\n"), std::string::npos);
  EXPECT_NE(r.out.find("    firmware version 4.0.593\n"), std::string::npos);
  EXPECT_TRUE(r.out.ends_with("Checks: all passed\n")) << r.out;

  r = run({"info", path("img"), "--json"});
  ASSERT_EQ(r.exitCode, 0u);
  nlohmann::json j = nlohmann::json::parse(r.out);
  ASSERT_EQ(j["products"].size(), 2u);
  EXPECT_EQ(j["products"][1]["board_type"], 0x22);
  EXPECT_EQ(j["products"][1]["chip_revision"], 0x41);
  EXPECT_EQ(j["products"][0]["names"][1], "2-port 10GbE SFP+ Server Adapter");
  EXPECT_EQ(j["products"][0]["firmware_version"], "4.0.593");
  EXPECT_EQ(j["products"][0]["builds"], true);
  EXPECT_EQ(j["directory"]["entries"].size(), 11u);
  EXPECT_EQ(j["checks"]["passed"], true);

  r = run({"extract", path("img"), "--product", "1", "-o", path("flash")});
  ASSERT_EQ(r.exitCode, 0u) << r.err;
  const std::vector<uint8_t> flash = bytes("flash");
  ASSERT_EQ(flash.size(), 0x400000u);
  // The picture burnkit would build for that board.
  const std::vector<uint8_t> image = bytes("img");
  burnkit::MemoryImageSource source(image);
  burnkit::MessageLog log;
  burnkit::FlashImage expected;
  ASSERT_EQ(burnkit::findProductAndBuild(source, log, expected, 0x171B, 0x103C, 0x41, 0x22), 0);
  EXPECT_TRUE(std::equal(flash.begin(), flash.end(), expected.bytes().begin()));
  EXPECT_TRUE(burnkit::sectorsFailingMd5Table(flash).empty());
}

TEST_F(RomimageTool, BuildFromSectionFilesEqualsSynth) {
  RunResult r = run({"synth", path("img"), "--fw", "4.0.593", "--sections", path("sections")});
  ASSERT_EQ(r.exitCode, 0u) << r.err;
  r = run({"build", path("rebuilt"), path("sections/MANIFEST.json")});
  ASSERT_EQ(r.exitCode, 0u) << r.err;
  EXPECT_EQ(bytes("img"), bytes("rebuilt"));

  // A real firmware file in place of the synthetic one.
  std::vector<uint8_t> firmware(0x1000, 0x33);
  const std::string trailer = std::string(" REV=4.1.7") + '\0';
  std::copy(trailer.begin(), trailer.end(), firmware.end() - trailer.size());
  write("sections/firmware_26.bin", firmware);
  r = run({"build", path("new"), path("sections/MANIFEST.json")});
  ASSERT_EQ(r.exitCode, 0u) << r.err;
  nlohmann::json j = nlohmann::json::parse(run({"info", path("new"), "--json"}).out);
  for (const auto& p : j["products"])
    EXPECT_EQ(p["firmware_version"], p["board_type"] == 0x26 ? "4.1.7" : "4.0.593") << p["row"];
}

TEST_F(RomimageTool, InfoShowsThePicturesFirmwareVersionAndPassesUnflashableRows) {
  ASSERT_EQ(run({"synth", path("img"), "--fw", "4.0.593", "--product", "0x26:0x0126:0x4040:0x42", "--product",
                 "0x22:0x171B:0x103C:0x41", "--sections", path("s")})
                .exitCode,
            0u);
  const std::vector<uint8_t> text = bytes("s/MANIFEST.json");
  nlohmann::json manifest = nlohmann::json::parse(text.begin(), text.end());

  // Row 0: a PXE section laid over the end of the firmware, so that the
  // picture's trailer is not the firmware file's.
  nlohmann::json& first = manifest["products"][0]["sections"];
  const std::string firmwareFile = first["firmware"]["file"];
  const uint32_t firmwareEnd = std::stoul(first["firmware"]["offset"].get<std::string>(), nullptr, 16) +
                               uint32_t(bytes("s/" + firmwareFile).size());
  std::vector<uint8_t> overlay(16, 0x44);
  const std::string trailer = std::string(" REV=4.2.1") + '\0';
  std::copy(trailer.begin(), trailer.end(), overlay.end() - trailer.size());
  write("s/overlay.bin", overlay);
  char offset[16];
  std::snprintf(offset, sizeof offset, "0x%06X", firmwareEnd - 16);
  first["pxe"] = {{"file", "overlay.bin"}, {"offset", offset}};
  // Row 1: not flashable and without a boot loader, so never built.
  manifest["products"][1]["flags"] = "0x0";
  manifest["products"][1]["sections"].erase("bootld");
  const std::string changed = manifest.dump(2);
  write("s/changed.json", std::vector<uint8_t>(changed.begin(), changed.end()));
  ASSERT_EQ(run({"build", path("changed"), path("s/changed.json")}).exitCode, 0u);

  RunResult r = run({"info", path("changed"), "--json"});
  EXPECT_EQ(r.exitCode, 0u) << r.out;
  nlohmann::json j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["products"][0]["firmware_version"], "4.2.1");
  EXPECT_EQ(j["products"][1]["builds"], false);
  EXPECT_EQ(j["checks"]["passed"], true) << j["checks"];

  r = run({"extract", path("changed"), "--product", "0", "-o", path("flash")});
  ASSERT_EQ(r.exitCode, 0u) << r.err;
  const std::vector<uint8_t> flash = bytes("flash");
  const uint8_t* version = flash.data() + 0x3E8408;
  EXPECT_EQ(std::to_string(version[0]) + "." + std::to_string(version[1]) + "." +
                std::to_string(version[2] | version[3] << 8),
            "4.2.1")
      << "the version extract writes is the one info shows";
}

TEST_F(RomimageTool, InfoShowsEveryFailedCheck) {
  std::vector<std::string> synth = {"synth", path("img"), "--fw", "4.0.593"};
  synth.insert(synth.end(), kTwoProducts.begin(), kTwoProducts.end());
  ASSERT_EQ(run(synth).exitCode, 0u);
  const std::vector<uint8_t> image = bytes("img");
  nlohmann::json j = nlohmann::json::parse(run({"info", path("img"), "--json"}).out);
  const uint32_t firmwareAt = j["section_files"]["firmware"][1]["offset"];

  // A damaged firmware file: its own check fails, and burnkit would refuse
  // the product that uses it, in its own words.
  std::vector<uint8_t> damaged = image;
  damaged[firmwareAt + 100] ^= 1;
  write("damaged", damaged);
  RunResult r = run({"info", path("damaged")});
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_NE(r.out.find("  firmware  file 1  at "), std::string::npos);
  EXPECT_NE(r.out.find("MD5 MISMATCH\n"), std::string::npos);
  EXPECT_NE(r.out.find("    flash picture: refused\n      firmware section for [Corvane Z3 2-port 10GbE "
                       "Multifunction Blade Mezzanine B1] failed MD5\n"),
            std::string::npos)
      << r.out;
  EXPECT_TRUE(r.out.ends_with("Checks: 2 failed\n  firmware file 1: MD5 mismatch\n  product 1 cannot be built\n"))
      << r.out;

  // A damaged header: everything below is still shown.
  damaged = image;
  damaged[36] ^= 1;
  write("header", damaged);
  r = run({"info", path("header")});
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_NE(r.out.find("  header MD5       MISMATCH\n"), std::string::npos);
  EXPECT_NE(r.out.find("burnkit would refuse this image:\nTop file header MD5 mismatch... this image is hosed!\n"),
            std::string::npos);
  EXPECT_NE(r.out.find("  row 1: "), std::string::npos);

  // Cut short inside the tables.
  write("short", std::vector<uint8_t>(image.begin(), image.begin() + 600));
  r = run({"info", path("short"), "--json"});
  EXPECT_EQ(r.exitCode, 1u);
  j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["checks"]["passed"], false);
  EXPECT_EQ(j["header"]["digest_ok"], true);
}

TEST_F(RomimageTool, RefusesBadCommandLinesAndInputs) {
  ASSERT_EQ(run({"synth", path("img"), "--fw", "4.0.593", "--product", "0x26:0x0126:0x4040:0x42"}).exitCode, 0u);
  write("manifest.json", std::vector<uint8_t>{'{', '"', 'p', 'r', 'o', 'd', 'u', 'c', 't', 's', '"', ':', '[',
                                              '{', '"', 'b', 'o', 'a', 'r', 'd', '"', ':', '1', '}', ']', '}'});
  struct Case {
    std::vector<std::string> args;
    uint32_t exitCode;
    std::string err;
  };
  const Case cases[] = {
      {{}, 2, "usage: romimage COMMAND ...\n"},
      {{"frob"}, 2, "romimage: unknown command 'frob'\n"},
      {{"synth", path("x")}, 2, "romimage: usage: romimage synth OUT --fw 4.0.593"},
      {{"synth", path("x"), "--fw", "4.0"}, 2, "romimage: --fw 4.0: expected major.minor.build"},
      {{"synth", path("x"), "--fw", "255.255.65535"}, 2, "romimage: --fw 255.255.65535: a firmware trailer holds"},
      {{"synth", path("x"), "--fw", "4.0.1", "--product", "0x26:0x0126"},
       2,
       "romimage: --product 0x26:0x0126: expected"},
      {{"synth", path("x"), "--fw", "4.0.1", "--fw", "4.0.2"}, 2, "romimage: option --fw given twice\n"},
      {{"info", path("missing")}, 1, "romimage: cannot open " + path("missing") + ": No such file or directory\n"},
      {{"extract", path("img"), "--product", "1", "-o", path("f")},
       1,
       "romimage: " + path("img") + " has 1 product rows; there is no row 1\n"},
      {{"extract", path("img"), "--product", "x", "-o", path("f")}, 2, "romimage: --product x: expected"},
      {{"build", path("y"), path("manifest.json")},
       1,
       "romimage: " + path("manifest.json") + ".products[0]: unknown field \"board\"\n"},
      {{"build", path("y"), path("none.json")}, 1, "romimage: cannot read " + path("none.json")},
  };
  for (const Case& c : cases) {
    RunResult r = run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(path("x")));
  EXPECT_FALSE(std::filesystem::exists(path("f")));
}

TEST_F(RomimageTool, ManifestNamesTheFieldThatIsWrong) {
  ASSERT_EQ(
      run({"synth", path("img"), "--fw", "4.0.593", "--product", "0x26:0x0126:0x4040:0x42", "--sections", path("s")})
          .exitCode,
      0u);
  std::vector<uint8_t> text = bytes("s/MANIFEST.json");
  std::string manifest(text.begin(), text.end());
  struct Case {
    std::string from, to, err;
  };
  const Case cases[] = {
      {"\"firmware\": {", "\"firmwar\": {", ".products[0].sections.firmwar: no such section kind"},
      {"\"file\": \"bootld.bin\"", "\"file\": \"nothere.bin\"", ".products[0].sections.bootld.file: cannot read"},
      {"\"board_type\": \"0x26\"", "\"board_type\": \"0x1FFFFFFFF\"", ".products[0].board_type: must be a 32-bit"},
      {"\"bios_version\": \"2.1.14\"", "\"bios_version\": \"2.1.99999\"", ".products[0].bios_version: must be"},
      {"\"string_key\": \"0x5A\"", "\"string_key\": \"0x15A\"", ".string_key: must fit one byte"},
  };
  for (const Case& c : cases) {
    std::string changed = manifest;
    size_t at = changed.find(c.from);
    ASSERT_NE(at, std::string::npos) << c.from;
    changed.replace(at, c.from.size(), c.to);
    write("s/bad.json", std::vector<uint8_t>(changed.begin(), changed.end()));
    RunResult r = run({"build", path("out"), path("s/bad.json")});
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_EQ(r.err.rfind("romimage: " + path("s/bad.json") + c.err, 0), 0u) << r.err;
  }
}

}  // namespace
}  // namespace romimage_tool
