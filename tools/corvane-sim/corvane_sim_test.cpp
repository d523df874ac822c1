// corvane-sim as scripts and people use it: the real tool against fresh hosts.
#include <filesystem>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "platform/common/pe_version.h"
#include "platform/host.h"
#include "simhost/chip/driver_request.h"
#include "simhost/machine/files.h"
#include "simhost/machine/host_config.h"
#include "tests/support/scenario.h"

namespace {

using corvane_test::RunResult;
using corvane_test::Scenario;

RunResult tool(const std::vector<std::string>& args) {
  return corvane_test::runProgram(corvane_test::binDir() + "/corvane-sim", args, "", "", "");
}

TEST(CorvaneSimTool, RefusesBadArgumentsWithAUsageLine) {
  Scenario s;
  const std::string dir = s.root();
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate", dir},
      {"create"},
      {"add-card", dir, "x", "--subsys", "0x01264040", "--ports", "2", "--bus", "5"},
      {"add-card", dir, "x", "--board", "0x26", "--subsys", "0x01264040", "--ports", "2", "--bus", "300"},
      {"add-card", dir, "x", "--board", "0x26", "--subsys", "0x01264040", "--ports", "2", "--bus", "5", "--colour", "red"},
      {"add-nic", dir, "--vendor", "8086", "--device", "10FB"},
      {"flash", dir, "card", "--dump", "a", "--load", "b"},
      {"fault", dir, "card", "--action", "explode"},
      {"stats", dir},
      {"set", dir, "admin", "maybe"},
      {"set", dir, "colour", "red"},
  };
  for (const auto& args : cases) {
    RunResult r = tool(args);
    std::string line = args.empty() ? "(none)" : args[0];
    EXPECT_EQ(r.exitCode, 2u) << line << " " << (args.size() > 1 ? args.back() : "");
    EXPECT_NE(r.err.find("usage: corvane-sim"), std::string::npos) << line << ": " << r.err;
  }
  RunResult notAHost = tool({"show", dir + "/nowhere"});
  EXPECT_EQ(notAHost.exitCode, 1u);
  EXPECT_NE(notAHost.err.find("nowhere"), std::string::npos) << notAHost.err;
}

TEST(CorvaneSimTool, BuildsAHostThatShowReportsAsJson) {
  Scenario s;
  ASSERT_EQ(s.sim("add-card", {"sfp", "--board", "0x26", "--subsys", "0x01264040", "--ports", "2", "--bus", "5",
                               "--firmware", "4.0.534"})
                .exitCode,
            0u);
  ASSERT_EQ(s.sim("add-nic", {"--vendor", "8086", "--device", "10FB", "--connection", "Backbone"}).exitCode, 0u);
  RunResult taken = s.sim("add-card", {"quad", "--board", "0x24", "--subsys", "0x01244040", "--ports", "4", "--bus", "5"});
  EXPECT_EQ(taken.exitCode, 1u);
  EXPECT_NE(taken.err.find("bus 5"), std::string::npos) << taken.err;

  RunResult shown = s.sim("show", {"--json"});
  ASSERT_EQ(shown.exitCode, 0u) << shown.err;
  nlohmann::json j = nlohmann::json::parse(shown.out);
  ASSERT_EQ(j["cards"].size(), 1u);
  const nlohmann::json& card = j["cards"][0];
  EXPECT_EQ(card["name"], "sfp");
  EXPECT_EQ(card["board"], "0x26");
  EXPECT_EQ(card["subsys"], "0x01264040");
  EXPECT_EQ(card["firmware"], "4.0.534");
  ASSERT_EQ(card["ports"].size(), 2u);
  EXPECT_EQ(card["ports"][0]["connection"], "Local Area Connection");
  EXPECT_EQ(card["ports"][1]["connection"], "Local Area Connection 2");
  EXPECT_EQ(card["ports"][1]["location"], "5:0.1");
  EXPECT_NE(card["ports"][0]["guid"], card["ports"][1]["guid"]);
  ASSERT_EQ(j["nics"].size(), 1u);
  EXPECT_EQ(j["nics"][0]["connection"], "Backbone");
}

TEST(CorvaneSimTool, FlashRegistersStatsFaultsAndTheProtocolCheck) {
  Scenario s;
  s.addCard("sfp", 0x26, 0x01264040, 2, 5);
  const std::string dump = s.root() + "/../flash.bin";
  ASSERT_EQ(s.sim("flash", {"sfp", "--dump", dump}).exitCode, 0u);
  std::string bytes;
  ASSERT_TRUE(simhost::readFile(dump, &bytes, nullptr));
  ASSERT_EQ(bytes.size(), 0x400000u);
  EXPECT_EQ(static_cast<uint8_t>(bytes[0x4008]), 0x26);
  bytes[0] = 0x12;
  ASSERT_TRUE(simhost::writeFileAtomic(dump, bytes, nullptr));
  ASSERT_EQ(s.sim("flash", {"sfp", "--load", dump}).exitCode, 0u);
  ASSERT_TRUE(simhost::writeFileAtomic(dump, "short", nullptr));
  EXPECT_EQ(s.sim("flash", {"sfp", "--load", dump}).exitCode, 1u);

  EXPECT_EQ(s.sim("reg", {"sfp", "0x08202248"}).out, "0x00000026\n");
  ASSERT_EQ(s.sim("reg", {"sfp", "0x08202188", "0x5"}).exitCode, 0u);
  EXPECT_EQ(s.sim("reg", {"sfp", "0x08202188"}).out, "0x00000005\n");

  ASSERT_EQ(s.sim("fault", {"sfp", "--action", "ffff", "--cmd", "50", "--after", "3"}).exitCode, 0u);
  RunResult listed = s.sim("fault", {"sfp", "--list"});
  EXPECT_NE(listed.out.find("ffff"), std::string::npos) << listed.out;
  ASSERT_EQ(s.sim("fault", {"sfp", "--clear"}).exitCode, 0u);
  EXPECT_EQ(s.sim("fault", {"sfp", "--list"}).out, "");

  // A flash word read without the ROM semaphore, sent as a program would.
  EXPECT_EQ(s.violations(), "");
  {
    std::string error;
    std::unique_ptr<platform::Host> host = platform::makeSimHost(s.root(), &error);
    ASSERT_TRUE(host) << error;
    nlohmann::json shown = nlohmann::json::parse(s.sim("show", {"--json"}).out);
    std::string guid = shown["cards"][0]["ports"][0]["guid"];
    platform::WinError openError = 0;
    std::unique_ptr<platform::DriverChannel> channel = host->drivers().open("\\\\.\\" + guid, &openError);
    ASSERT_TRUE(channel);
    simhost::DriverRequest r{};
    r.command = simhost::kCmdFlashRead;
    r.length = 4;
    r.signature = simhost::kStandardSignature;
    uint32_t oid = simhost::kOidStandardRequest, returned = 0;
    ASSERT_TRUE(channel->ioControl(simhost::kIoctlQueryGlobalStats, &oid, 4, &r, sizeof r, &returned));
  }
  nlohmann::json stats = nlohmann::json::parse(s.sim("stats", {"sfp", "--json"}).out);
  EXPECT_EQ(stats["calls"]["50"], 1);
  EXPECT_EQ(stats["total"], 1);
  ASSERT_EQ(s.sim("stats", {"sfp", "--reset"}).exitCode, 0u);
  EXPECT_EQ(nlohmann::json::parse(s.sim("stats", {"sfp", "--json"}).out)["total"], 0);

  RunResult check = s.sim("check");
  EXPECT_EQ(check.exitCode, 1u);
  EXPECT_NE(check.out.find("sfp"), std::string::npos) << check.out;
  ASSERT_EQ(s.sim("check", {"--clear"}).exitCode, 0u);
  EXPECT_EQ(s.violations(), "");
}

TEST(CorvaneSimTool, SetChangesTheHostKnobs) {
  Scenario s;
  ASSERT_EQ(s.sim("set", {"admin", "no"}).exitCode, 0u);
  ASSERT_EQ(s.sim("set", {"os", "5.2.3790"}).exitCode, 0u);
  ASSERT_EQ(s.sim("set", {"service", "CVND5OR", "stopped"}).exitCode, 0u);
  ASSERT_EQ(s.sim("set", {"free-bytes", "1024"}).exitCode, 0u);
  ASSERT_EQ(s.sim("set", {"driver-file", "orlnd5x64.sys", "4.0.554.9"}).exitCode, 0u);
  ASSERT_EQ(s.sim("set", {"service-pack", "2"}).exitCode, 0u);
  ASSERT_EQ(s.sim("set", {"arch", "6"}).exitCode, 0u);
  ASSERT_EQ(s.sim("set", {"product-info", "12"}).exitCode, 0u);
  ASSERT_EQ(s.sim("set", {"server-r2", "yes"}).exitCode, 0u);
  EXPECT_EQ(s.sim("set", {"arch", "x64"}).exitCode, 2u);
  simhost::HostConfig c;
  std::string error;
  ASSERT_TRUE(simhost::loadHostConfig(s.dir().hostJson(), &c, &error)) << error;
  EXPECT_FALSE(c.admin);
  EXPECT_EQ(c.os.major, 5u);
  EXPECT_EQ(c.os.minor, 2u);
  EXPECT_EQ(c.os.build, 3790u);
  EXPECT_EQ(c.services["CVND5OR"], "stopped");
  EXPECT_EQ(c.freeBytes.value_or(0), 1024u);
  EXPECT_EQ(c.os.servicePackMajor, 2u);
  EXPECT_EQ(c.os.csdVersion, "Service Pack 2");
  EXPECT_EQ(c.os.processorArchitecture, 6u);
  EXPECT_EQ(c.os.productInfo, 12u);
  EXPECT_TRUE(c.os.serverR2);
  platform::FileVersion v;
  ASSERT_EQ(platform::readPeFileVersion(s.dir().driversDir() + "/orlnd5x64.sys", &v), 0u);
  EXPECT_EQ(v.productMs, 4u << 16);
  EXPECT_EQ(v.productLs, 554u << 16 | 9u);
}

}  // namespace
