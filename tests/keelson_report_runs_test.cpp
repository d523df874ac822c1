// Keelson's list and report runs end to end: -c, -d, -u (and a report file
// that does not exist), -v and -sv, each with its console line and exit code.
#include <filesystem>
#include <string>
#include <vector>

#include "tests/keelson_fixture.h"

namespace {

class KeelsonReportRunsTest : public KeelsonScenario {
 protected:
  void SetUp() override {
    add(kSfp26, "4.0.500");
    package();
  }
};

TEST_F(KeelsonReportRunsTest, ListDiscoveryUpdateVersionAndDependencyRuns) {
  const corvane_test::RunResult list = keelson({"-c"});
  EXPECT_EQ(list.exitCode, 1u);
  EXPECT_TRUE(contains(list.out, "   ROM      4.0.500        ROM     4.0.593  ")) << list.out;

  const corvane_test::RunResult missing = keelson({"-u", "absent.xml"});
  EXPECT_EQ(missing.exitCode, 0u);
  EXPECT_TRUE(contains(missing.out, "Firmware upgrade error: File not found - absent.xml\n")) << missing.out;

  const corvane_test::RunResult discovered = keelson({"/D", "nics.xml"});
  EXPECT_EQ(discovered.exitCode, 1u);
  EXPECT_TRUE(discovered.out.ends_with("Successfully generated NIC discovery report to nics.xml\n")) << discovered.out;
  EXPECT_TRUE(std::filesystem::exists(package_ + "/nics.xml"));

  const corvane_test::RunResult updated = keelson({"-s", "-u", "nics.xml"});
  EXPECT_EQ(updated.exitCode, 1u);
  EXPECT_EQ(updated.out, "");
  EXPECT_TRUE(contains(log(), "Successfully updated the NIC firmware from the file nics.xml")) << log();
  EXPECT_EQ(firmware("sfp26"), "4.0.593");

  const corvane_test::RunResult version = keelson({"-n", "-v", "version.xml"});
  EXPECT_EQ(version.exitCode, 0u);
  EXPECT_TRUE(version.out.ends_with("Created File: version.xml only with firmware version details.\n")) << version.out;
  EXPECT_TRUE(std::filesystem::exists(package_ + "/version.xml"));

  EXPECT_EQ(keelson({"-sv"}).exitCode, 1u);
}

TEST_F(KeelsonReportRunsTest, RunsWithoutASupportedAdapter) {
  // The configuration knows no board of this host.
  ASSERT_TRUE(simhost::writeFileAtomic(package_ + "/NICFWData.xml",
                                       "<nic_fw_package version=\"1\"><nic></nic></nic_fw_package>", nullptr));
  EXPECT_EQ(keelson({"-c"}).exitCode, 0u);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-d", "nics.xml"}, {"-u", "nics.xml"}, {"-v", "version.xml"}}) {
    const corvane_test::RunResult r = keelson(args);
    EXPECT_EQ(r.exitCode, 3u) << args[0];
    EXPECT_TRUE(r.out.ends_with("No supported network adapters for firmware upgrade.\n")) << r.out;
  }
  EXPECT_EQ(keelson({"-sv"}).exitCode, 0u);
  EXPECT_EQ(firmware("sfp26"), "4.0.500");
}

}  // namespace
