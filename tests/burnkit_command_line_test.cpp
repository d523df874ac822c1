// burnkit's command line, run as real processes against a simulated host
// with a Corvane dual-port board (bus 3, its flash from a ROM image) and
// another maker's adapter.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "simhost/devices/device_store.h"
#include "tests/support/scenario.h"

namespace {

using corvane_test::RunResult;

constexpr uint32_t kMinusOne = 255;  // exit(-1) as a process status

// The usage text with its build date and time as "DATE TIME".
const std::string kUsage =
    "\nCorvane burnkit version 4.0.593 built on DATE TIME\n\n"
    "Usage: burnkit [command-options-and-arguments]\n"
    "  where command is:\n"
    "-i, --interface <inf-name>  \t\t\tSet inf-name to work with e.g. \"Local Area Connection 7\" etc]\n"
    "-i, --interface <inf-name>  \t\t\tSet inf-name to work with e.g. \"PCI Bus:Device.Function\"]\n"
    "                            \t\t\tMUST be first in a chain except for -d and -u options\n"
    "--info                      \t\t\tShow board information\n"
    "\t\t\t\t\t\t{Board type, chip revision,serial-id, firmware and bios versions,\n"
    "\t\t\t\t\t\tMAC address(es), sub-system id }\n"
    "-a, --all                   \t\t\tBurn flash using romimage\n"
    "-a, --all <image file>      \t\t\tBurn flash using user renamed romimage\n"
    "-r, --restore <image file>  \t\t\tRestore flash using backup romimage\n"
    "--pxe-on                   \t\t\tEnable PXE\n"
    "--pxe-off                  \t\t\tDisable PXE (default)\n"
    "--wol-on                   \t\t\tEnable WOL\n"
    "--wol-off                  \t\t\tDisable WOL\n"
    "-h, --help                  \t\t\tDisplay this message\n"
    "-d,-D,/d,/D                 \t\t\tCreates xml file having NIC info. -i not required.\n"
    "-u,-U,/u,/U                 \t\t\tUpgrades the NIC using xml file. -i not required.\n"
    "-v, --version               \t\t\tDisplay the version information\n"
    "\nNote: Corvane NIC will be taken offline while flashing process is going on.\n";

const std::string kVersion =
    "\nCorvane burnkit version 4.0.593 built on DATE TIME\n"
    "Report bugs to <nic-firmware-support@corvane.com>.\n";

// What an upgrade or restore of a missing file ends with: proof that the
// operation ran, and which one.
const std::string kUpgradeRan = "Can't open file image for reading.\nFailed to write flash for 'nic' product\n";
const std::string kRestoreRan = "Error:Cannot Open Image File \"backup\"\nFailed to Recover!!!\n";

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Build dates ("Mar  7 2031 12:00:00") read as "DATE TIME".
std::string withoutBuildTime(const std::string& text) {
  static const std::regex stamp("built on [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}");
  return std::regex_replace(text, stamp, "built on DATE TIME");
}

class BurnkitCommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.addImagedCard("dual", 0x26, 0x01264040, 2, 3);
    simhost::NicOrder other;
    other.vendor = 0x8086;
    other.device = 0x10FB;
    other.connection = "Other Port";
    host_.addNic(other);
  }
  void TearDown() override {
    EXPECT_FALSE(lockExists()) << "a run left its lock file behind";
    EXPECT_EQ(host_.violations(), "");
  }

  RunResult burnkit(const std::vector<std::string>& args, const std::string& input = std::string()) const {
    return host_.run("burnkit", args, input);
  }
  void set(const std::vector<std::string>& words) const { ASSERT_EQ(host_.sim("set", words).exitCode, 0u); }

  std::string lockFile() const { return host_.dir().tempDir() + "/corvane_lock_file"; }
  void leaveStaleLock() const { std::ofstream(lockFile()).put('\0'); }
  bool lockExists() const { return std::filesystem::exists(lockFile()); }

  corvane_test::Scenario host_;
};

TEST_F(BurnkitCommandLineTest, UsageAndVersionTexts) {
  RunResult help = burnkit({"-h"});
  EXPECT_EQ(help.exitCode, 0u);
  EXPECT_EQ(withoutBuildTime(help.out), kUsage);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(withoutBuildTime(burnkit({"--help"}).out), kUsage);

  RunResult version = burnkit({"-v"});
  EXPECT_EQ(version.exitCode, 0u);
  EXPECT_EQ(withoutBuildTime(version.out), kVersion);
  EXPECT_EQ(version.err, "");

  // The version text does not end the run; a later -i is refused but not failed.
  RunResult thenInterface = burnkit({"--version", "-i", "Local Area Connection"});
  EXPECT_EQ(thenInterface.exitCode, 0u);
  EXPECT_EQ(withoutBuildTime(thenInterface.out), kVersion);
  EXPECT_EQ(thenInterface.err, "'-i' or '--interface' must be first option. Ignored\n");
}

TEST_F(BurnkitCommandLineTest, NoArgumentsGivesTheUsageWithoutTakingTheLock) {
  leaveStaleLock();  // taking the lock would ask about it
  RunResult r = burnkit({});
  EXPECT_EQ(r.exitCode, kMinusOne);
  EXPECT_EQ(withoutBuildTime(r.out), kUsage);
  EXPECT_TRUE(lockExists());
  std::filesystem::remove(lockFile());
}

TEST_F(BurnkitCommandLineTest, OnlySomeOptionsMayComeFirst) {
  const std::vector<std::vector<std::string>> refused = {
      {"-f", "-i", "Local Area Connection"}, {"-a", "image"}, {"--info"}, {"-i"}, {"--pxe-on"}};
  for (const auto& args : refused) {
    SCOPED_TRACE(args[0]);
    RunResult r = burnkit(args);
    EXPECT_EQ(r.exitCode, kMinusOne);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "'-i' or '--interface' must be first option.\n");
  }
  RunResult unknown = burnkit({"-x"});
  EXPECT_EQ(unknown.exitCode, 31u);
  EXPECT_EQ(unknown.err, "Invalid option \n");
  EXPECT_EQ(withoutBuildTime(unknown.out), kUsage);
}

TEST_F(BurnkitCommandLineTest, OnlyUsageAndVersionNeedNoAdministrator) {
  set({"admin", "no"});
  const std::string refusal =
      "\nYou do not have administrative privileges.  Kindly login as Administrator to use burnkit.\n";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-i", "Local Area Connection"}, {"-d", "report.xml"}, {"-v", "-a", "image"}}) {
    SCOPED_TRACE(args[0]);
    RunResult r = burnkit(args);
    EXPECT_EQ(r.exitCode, kMinusOne);
    EXPECT_NE(r.out.find(refusal), std::string::npos);
  }
  EXPECT_EQ(burnkit({"-v"}).exitCode, 0u);

  // -h needs no rights, but still takes (and gives back) the lock: a stale
  // lock makes it ask first.
  leaveStaleLock();
  RunResult help = burnkit({"-h"}, "y\n");
  EXPECT_EQ(help.exitCode, 0u);
  EXPECT_EQ(withoutBuildTime(help.out),
            "Warning: Either another Corvane tool is already running, or your last session did not close "
            "gracefully.\nDo you want to proceed anyway ? (Y/N) \n" + kUsage);
}

TEST_F(BurnkitCommandLineTest, OptionCombinations) {
  struct Case {
    std::vector<std::string> args;
    uint32_t exitCode;
    std::string out;
    std::string err;
    bool ran = false;  // an operation ran: err ends with the given text, out is its own
  };
  const std::string lan = "Local Area Connection";
  const Case cases[] = {
      {{"-i", lan}, 0, "", ""},
      {{"-i", lan, "-f", "-a", "image"}, 16, "", kUpgradeRan, true},
      {{"-i", lan, "-a", "image", "-f"}, 16, "", "'-f' or '--force' must be second option - Ignored\n", false},
      // -a without an image takes the default image; other options need their argument
      {{"-i", lan, "-a"}, 16, "", "Can't open file quarry_romimage for reading.\nFailed to write flash for 'nic' product\n",
       true},
      {{"-i", lan, "-r"}, 31, "", "Be careful...It requires an argument! \n"},
      {{"-i", lan, "-a", "image", "-r", "backup"}, 31, "", "Invalid combination of options!\n"},
      {{"-i", lan, "-r", "backup", "-a", "image"}, 16, "", kUpgradeRan, true},
      {{"-i", lan, "--pxe-on", "--info"}, 31, "", "Invalid combination of options!\n"},
      {{"-i", lan, "-r", "backup"}, 16, "", kRestoreRan, true},
      // a stray word stops the operation
      {{"-i", lan, "-a", "image", "word"}, 31, "non-option elements: word \n", ""},
      // -i after the first option is ignored and ends the run
      {{"-v", "-v", "-i", lan, "-a", "image"}, 0, "", "'-i' or '--interface' must be first option. Ignored\n"},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const std::string& a : c.args) joined += " " + a;
    SCOPED_TRACE(joined);
    RunResult r = burnkit(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode);
    if (c.ran) {
      EXPECT_TRUE(endsWith(r.err, c.err)) << r.err;
    } else if (c.args[0] != "-v" && c.args.back() != "-f") {
      EXPECT_EQ(r.out, c.out);
      EXPECT_EQ(r.err, c.err);
    }
  }
  // A late -f is ignored: the upgrade still compares versions, and only then
  // finds the image missing.
  RunResult late = burnkit({"-i", lan, "-a", "image", "-f"});
  EXPECT_EQ(late.err.rfind("'-f' or '--force' must be second option - Ignored\n", 0), 0u) << late.err;
  EXPECT_TRUE(endsWith(late.err, kUpgradeRan)) << late.err;
}

TEST_F(BurnkitCommandLineTest, HardwareFlagsTakeOneDigitFromZeroToThree) {
  for (const char* value : {"4", "00", "", "-1", "1x"}) {
    SCOPED_TRACE(value);
    RunResult r = burnkit({"-i", "Local Area Connection", "--hwflags", value});
    EXPECT_EQ(r.exitCode, 1u);
    EXPECT_EQ(r.out, "Invalid value for hwflags\n");
  }
  RunResult empty = burnkit({"-i", "Local Area Connection", "--hwflags="});
  EXPECT_EQ(empty.exitCode, 1u);
  EXPECT_EQ(empty.out, "Invalid value for hwflags\n");

  for (const char* value : {"0", "3"}) {
    RunResult r = burnkit({"-i", "Local Area Connection", "--hwflags", value});
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_EQ(r.out, "Hardware flags configuration successful\n");
  }
}

TEST_F(BurnkitCommandLineTest, PosixlyCorrectStopsAtTheFirstWordAndRunsNothing) {
  setenv("POSIXLY_CORRECT", "1", 1);
  RunResult r = burnkit({"-i", "Local Area Connection", "word", "-a", "image"});
  unsetenv("POSIXLY_CORRECT");
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
}

TEST_F(BurnkitCommandLineTest, InterfaceNamesAndPciLocations) {
  struct Case {
    std::string name;
    uint32_t exitCode;
    std::string err;
  };
  const std::string longName(300, 'n');
  const Case cases[] = {
      {"local area connection 2", 0, ""},
      {"3:0.1", 0, ""},
      {"3:0.0", 0, ""},
      {"3:0.2", kMinusOne, "'3:0.2' is not a Corvane Interface\n"},
      {"1:0.0", kMinusOne, "'1:0.0' is not a Corvane Interface\n"},  // the other maker's adapter
      {"3:x.1", 1, ""},
      {"a:0.1", 1, ""},
      {"Other Port", kMinusOne, "'Other Port' is not a Corvane Interface\n"},
      {"", kMinusOne, "'' is not a Corvane Interface\n"},
      {longName, kMinusOne, "'" + longName.substr(0, 254) + "' is not a Corvane Interface\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.substr(0, 30));
    RunResult r = burnkit({"-i", c.name});
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, c.err);
  }
}

TEST_F(BurnkitCommandLineTest, ALocationThatCannotBeReadFailsThePciLookup) {
  simhost::DeviceStore store(host_.dir());
  ASSERT_TRUE(store.update(
      [](simhost::DeviceTable& table) {
        for (simhost::DeviceRecord& d : table.devices)
          if (d.card == "dual" && d.port == 1) d.location.clear();
        return true;
      },
      nullptr));
  RunResult r = burnkit({"-i", "3:0.0"});
  EXPECT_EQ(r.exitCode, 1u);
  EXPECT_EQ(r.out, "SetupDiGetDeviceRegistryProperty 13");
  // By its name the port still opens.
  EXPECT_EQ(burnkit({"-i", "Local Area Connection 2"}).exitCode, 0u);
}

TEST_F(BurnkitCommandLineTest, AnAdapterWithoutABoardTypeIsAFailure) {
  // Unpublished by the driver and unreadable in flash: the fifth flash word
  // read is the board type's, after the adapter check's four.
  ASSERT_EQ(host_.sim("reg", {"dual", "0x08202248", "0x55555555"}).exitCode, 0u);
  ASSERT_EQ(host_.sim("fault", {"dual", "--action", "fail", "--cmd", "50", "--after", "4"}).exitCode, 0u);
  RunResult r = burnkit({"-i", "Local Area Connection"});
  EXPECT_EQ(r.exitCode, 18u);
  EXPECT_EQ(r.out, "IO CONTROL FAILED = 0x1f \n");
  EXPECT_EQ(r.err, "Cannot get boardtype\n");
}

TEST_F(BurnkitCommandLineTest, AThirtyTwoBitProcessMustNotWriteTheFlash) {
  set({"wow64", "yes"});
  RunResult r = burnkit({"-i", "Local Area Connection", "-a", "image"});
  EXPECT_EQ(r.exitCode, 31u);
  EXPECT_EQ(r.err, "Please use x64 bit version of burnkit\n");

  set({"wow64", "fail"});
  r = burnkit({"-i", "Local Area Connection", "-r", "backup"});
  EXPECT_EQ(r.exitCode, 31u);
  EXPECT_EQ(r.err, "Failed in IsWow64\nPlease use x64 bit version of burnkit\n");

  set({"wow64", "absent"});
  EXPECT_EQ(burnkit({"-i", "Local Area Connection", "-a", "image"}).err, kUpgradeRan);
}

TEST_F(BurnkitCommandLineTest, VnicCommandsOnlyOnBoardsWithTheirArea) {
  host_.addImagedCard("quad", 0x24, 0x01244040, 4, 5);  // "Local Area Connection 4" on
  RunResult other = burnkit({"-i", "Local Area Connection 4", "-p"});
  EXPECT_EQ(other.exitCode, 31u);
  EXPECT_EQ(other.err, "Invalid option \n");
  RunResult dual = burnkit({"-i", "Local Area Connection", "-s"});
  EXPECT_EQ(dual.exitCode, 31u);
  EXPECT_EQ(dual.err, "\nERROR: Can support only upto 8 vNICs currently\n\n");  // no answer to the first question
}

TEST_F(BurnkitCommandLineTest, AStaleLockIsClearedOnlyByYes) {
  const std::string question =
      "Warning: Either another Corvane tool is already running, or your last session did not close gracefully.\n"
      "Do you want to proceed anyway ? (Y/N) \n";
  leaveStaleLock();
  RunResult yes = burnkit({"-i", "Local Area Connection"}, "y\n");
  EXPECT_EQ(yes.exitCode, 0u);
  EXPECT_EQ(yes.out, question);
  EXPECT_FALSE(lockExists());

  leaveStaleLock();
  RunResult no = burnkit({"-i", "Local Area Connection"}, "n\n");
  EXPECT_EQ(no.exitCode, kMinusOne);
  EXPECT_EQ(no.out, question + "EXITING....!!\n");
  EXPECT_TRUE(lockExists());

  RunResult word = burnkit({"-i", "Local Area Connection"}, "yes\n");
  EXPECT_EQ(word.exitCode, kMinusOne);
  EXPECT_EQ(word.out, question + "Wrong choice entered!!\n");
  EXPECT_TRUE(lockExists());
  std::filesystem::remove(lockFile());
}

// The lock file names the run that holds it. While that run is alive a
// second one ends at once, asks nothing and touches nothing; once it has
// ended, its lock is a stale one and the question comes back.
TEST_F(BurnkitCommandLineTest, ALockHeldByALiveRunIsRefusedWithoutAsking) {
  std::string owner, second;
  host_.runDuring(
      "burnkit", {"-i", "Local Area Connection", "--pxe-off"}, "Enter the port number[0-1]:", [&] {
        std::ifstream(lockFile()) >> owner;
        RunResult other = burnkit({"-i", "Local Area Connection", "--pxe-off"}, "y\n0\n");
        EXPECT_EQ(other.exitCode, kMinusOne);
        second = other.out;
      });
  EXPECT_FALSE(owner.empty());
  EXPECT_EQ(second, "Another Corvane tool (process " + owner + ") is running and holds " + lockFile() +
                        ": this run does not touch the adapters.\nEXITING....!!\n");
  EXPECT_EQ(second.find("(Y/N)"), std::string::npos);
  EXPECT_EQ(second.find("Enter the port number"), std::string::npos) << "the refused run went on";

  // The same file left by a run that has ended: asked about, as any stale lock.
  std::ofstream(lockFile()) << owner << " 1\n";
  RunResult stale = burnkit({"-i", "Local Area Connection"}, "y\n");
  EXPECT_EQ(stale.exitCode, 0u);
  EXPECT_NE(stale.out.find("Do you want to proceed anyway ? (Y/N) \n"), std::string::npos) << stale.out;
}

TEST_F(BurnkitCommandLineTest, CtrlCAtAPromptEndsTheRunAndRemovesTheLock) {
  leaveStaleLock();
  RunResult r = host_.runInterrupted("burnkit", {"-i", "Local Area Connection"}, "(Y/N) \n");
  EXPECT_EQ(r.exitCode, kMinusOne);
  EXPECT_EQ(r.out,
            "Warning: Either another Corvane tool is already running, or your last session did not close "
            "gracefully.\nDo you want to proceed anyway ? (Y/N) \n"
            "Calling signal Handler, flash_write is [0]\n"
            "Received Signal....Doing a graceful exit\n"
            "cvm_ppd_read:device handle null\n");
  EXPECT_EQ(r.err, "");
  EXPECT_FALSE(lockExists());
}

}  // namespace
