// Keelson's checks end to end: another flash tool running or its lock left
// behind, administrator rights, the package's supporting files, and the
// driver rule for boards below firmware 4.0.555 on both OS families.
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "tests/keelson_fixture.h"

namespace {

const char kOtherInstance[] =
    "\nError: Either another Corvane tool is already running, or your last session did not close gracefully. "
    "Required to clear the settings!\n";

class KeelsonChecksTest : public KeelsonScenario {
 protected:
  void SetUp() override {
    add(kSfp26, "4.0.500");
    package();
  }
  std::string lockFile() const { return host_.dir().tempDir() + "/corvane_lock_file"; }
  void leaveLock() const { ASSERT_TRUE(simhost::writeFileAtomic(lockFile(), "", nullptr)); }
};

TEST_F(KeelsonChecksTest, StaleLockIsClearedAndTheRunGoesOn) {
  leaveLock();
  const corvane_test::RunResult r = keelson({"-n"});
  EXPECT_EQ(r.exitCode, 4u) << r.out;
  EXPECT_FALSE(std::filesystem::exists(lockFile()));
  EXPECT_TRUE(contains(log(), "\nWarning: last session did not close gracefully.  Clearing lock.\n")) << log();
}

TEST_F(KeelsonChecksTest, LockThatCannotBeDeletedStopsTheRun) {
  // A directory of that name with something in it cannot be deleted as a file.
  std::filesystem::create_directories(lockFile() + "/held");
  for (const std::vector<std::string>& args : {std::vector<std::string>{"-y"}, {"-sv"}}) {
    const corvane_test::RunResult r = keelson(args);
    EXPECT_EQ(r.exitCode, args[0] == "-sv" ? 3u : 0u);
    EXPECT_TRUE(r.out.ends_with("\nError: last session did not close gracefully.  Unable to clear lock.\n")) << r.out;
  }
  EXPECT_EQ(firmware("sfp26"), "4.0.500");
  EXPECT_EQ(driverCalls("sfp26"), 0u);
}

TEST_F(KeelsonChecksTest, FlashToolInTheHostsProcessListStopsTheRun) {
  leaveLock();
  sim("set", {"processes", "explorer.exe", "burnkit_x64.exe"});
  const corvane_test::RunResult y = keelson({"-y"});
  EXPECT_EQ(y.exitCode, 0u);
  EXPECT_TRUE(y.out.ends_with(kOtherInstance)) << y.out;
  EXPECT_EQ(keelson({"/SV"}).exitCode, 3u);
  EXPECT_TRUE(std::filesystem::exists(lockFile()));
  EXPECT_EQ(firmware("sfp26"), "4.0.500");
  EXPECT_EQ(driverCalls("sfp26"), 0u);
  // The process list alone, without a lock file, stops nothing.
  std::filesystem::remove(lockFile());
  EXPECT_EQ(keelson({"-n"}).exitCode, 4u);
}

TEST_F(KeelsonChecksTest, RunningFlashToolHoldingItsLockStopsTheDependencyCheck) {
  corvane_test::RunResult during;
  // burnkit waits at its port question with its lock taken.
  const corvane_test::RunResult held = host_.runDuring(
      "burnkit", {"-i", "5:0.0", "--pxe-on"}, "Enter the port number",
      [&] { during = keelson({"-sv"}); }, package_);
  EXPECT_EQ(during.exitCode, 3u) << during.out;
  EXPECT_TRUE(during.out.ends_with(kOtherInstance)) << during.out;
  EXPECT_TRUE(contains(held.out, "Enter the port number")) << held.out;
  EXPECT_FALSE(std::filesystem::exists(lockFile()));
}

TEST_F(KeelsonChecksTest, AdministratorRightsAndSupportingFiles) {
  sim("set", {"admin", "no"});
  const corvane_test::RunResult notAdmin = keelson({"-y"});
  EXPECT_EQ(notAdmin.exitCode, 0u);
  EXPECT_TRUE(notAdmin.out.ends_with("Administrator privileges are requried to run this application.\r\n"))
      << notAdmin.out;
  sim("set", {"admin", "yes"});

  std::filesystem::remove(package_ + "/burnkit_x64");
  std::filesystem::remove(package_ + "/NICFWData.xml");
  const corvane_test::RunResult missing = keelson({"-y"});
  EXPECT_EQ(missing.exitCode, 0u);
  EXPECT_TRUE(missing.out.ends_with("Supporting file is missing (burnkit_x64.exe), Could not proceed!\n"
                                    "Supporting file is missing (NICFWData.xml), Could not proceed!\n"))
      << missing.out;
  EXPECT_EQ(firmware("sfp26"), "4.0.500");
  EXPECT_EQ(driverCalls("sfp26"), 0u);
}

struct DependencyCase {
  const char* what;
  const char* os;
  const char* driverFile;  // written with driverVersion; empty: the host's own
  const char* driverVersion;  // empty: a file without version information
  const char* installed;
  const char* packageFirmware;
  uint32_t exitCode;       // of -sv
  const char* logged;      // in the log (empty: nothing to look for)
  bool limitLine;          // the "must be version less than" line logged
};

void PrintTo(const DependencyCase& c, std::ostream* os) { *os << c.what; }

class KeelsonDependencyTest : public KeelsonScenario, public ::testing::WithParamInterface<DependencyCase> {};

TEST_P(KeelsonDependencyTest, DriverRule) {
  const DependencyCase& c = GetParam();
  add(kSfp26, c.installed);
  package(c.packageFirmware);
  sim("set", {"os", c.os});
  if (std::string(c.driverVersion).empty())
    ASSERT_TRUE(simhost::writeFileAtomic(host_.dir().driversDir() + "/" + c.driverFile, "MZ not a PE file", nullptr));
  else
    sim("set", {"driver-file", c.driverFile, c.driverVersion});
  const corvane_test::RunResult r = keelson({"-sv"});
  EXPECT_EQ(r.exitCode, c.exitCode) << r.out << log();
  if (*c.logged) {
    EXPECT_TRUE(contains(log(), c.logged)) << log();
  }
  EXPECT_EQ(contains(log(), "in order to complete firmware update.The driver can be updated after the system is "
                            "rebooted."),
            c.limitLine)
      << log();
}

INSTANTIATE_TEST_SUITE_P(
    Limits, KeelsonDependencyTest,
    ::testing::Values(
        DependencyCase{"server2003_below", "5.2.3790", "orlnd5x64.sys", "4.0.554.9", "4.0.500", "4.0.585", 1,
                       "Installed device driver version: 4.0.554.9\n", false},
        DependencyCase{"server2003_at_limit", "5.2.3790", "orlnd5x64.sys", "4.0.555.0", "4.0.500", "4.0.585", 0,
                       "Device driver orlnd5x64.sys must be version less than 4.0.555.0 in order", true},
        DependencyCase{"later_below", "6.1.7601", "svxgnd64.sys", "4.3.13.701", "4.0.500", "4.0.585", 1,
                       "At least one Solvane Z3 adapter has a firmware version less than v4.0.555.Will verify", false},
        DependencyCase{"later_above", "6.1.7601", "svxgnd64.sys", "4.3.14.0", "4.0.500", "4.0.585", 0,
                       "Device driver svxgnd64.sys must be version less than 4.3.13.702 in order", true},
        DependencyCase{"major_five_refused", "6.1.7601", "svxgnd64.sys", "5.0.0.0", "4.0.500", "4.0.585", 0,
                       "Installed device driver version: 5.0.0.0\n", false},
        DependencyCase{"server2003_other_file_ignored", "5.2.3790", "svxgnd64.sys", "5.0.0.0", "4.0.500", "4.0.585",
                       1, "Installed device driver version: 4.0.550.0\n", false},
        DependencyCase{"no_version_information", "6.1.7601", "svxgnd64.sys", "", "4.0.500", "4.0.585", 0,
                       "Could not get device driver (svxgnd64.sys) version details. Please make sure that device "
                       "driver is properly installed!\n\n",
                       false},
        DependencyCase{"boards_at_threshold", "6.1.7601", "svxgnd64.sys", "5.0.0.0", "4.0.555", "4.0.585", 1,
                       "All Solvane Z3 adapters have firmware version above or equal to v4.0.555.", false},
        DependencyCase{"package_below_threshold", "6.1.7601", "svxgnd64.sys", "5.0.0.0", "4.0.400", "4.0.500", 1,
                       "Firmware version in this package: 4.0.500\n", false}),
    [](const ::testing::TestParamInfo<DependencyCase>& info) { return std::string(info.param.what); });

TEST_F(KeelsonChecksTest, RefusedDependenciesStopTheDefaultRun) {
  sim("set", {"driver-file", "svxgnd64.sys", "4.3.13.702"});
  const corvane_test::RunResult r = keelson({"-y"});
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_TRUE(r.out.ends_with("Dependencies Failed -- Driver and firmware set are not allowed for update.\r\n"))
      << r.out;
  EXPECT_EQ(firmware("sfp26"), "4.0.500");
}

using KeelsonNoAdapterTest = KeelsonScenario;

TEST_F(KeelsonNoAdapterTest, DefaultRunWithoutSupportedAdaptersFailsItsDependencies) {
  package();
  const corvane_test::RunResult r = keelson({"-y"});
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_TRUE(r.out.ends_with("Dependencies Failed -- Driver and firmware set are not allowed for update.\r\n"))
      << r.out;
  EXPECT_TRUE(contains(log(), "verifyDependencies: No supported network adapters for firmware upgrade.")) << log();
}

}  // namespace
