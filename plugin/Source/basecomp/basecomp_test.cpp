#include <gtest/gtest.h>

#include <cstdarg>
#include <regex>
#include <vector>

#include "plugin/CStr/wide_format.h"
#include "plugin/Source/basecomp/base_component.h"
#include "plugin/Source/basecomp/component_fixture.h"

namespace brightwell {
namespace {

namespace fs = std::filesystem;

// The update manager's own log: its operations replace the component's.
class ManagerLog : public CCmpLog {
 public:
  using CCmpLog::CCmpLog;
  void Log(int32_t target, int32_t severity, const char16_t* source, int32_t line, const char16_t* format,
           ...) override {
    va_list args;
    va_start(args, format);
    lines.push_back({target, severity, std::u16string(textOf(source)), line, formatWide(format, args)});
    va_end(args);
  }
  struct Line {
    int32_t target, severity;
    std::u16string source;
    int32_t line;
    std::u16string text;
  };
  std::vector<Line> lines;
};

std::u16string wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

TEST_F(ComponentFixture, InitializeReadsThePackageFilesAndTraces) {
  write("ks_pkg.xml",
        "<kst_package><filename>Brightwe.exe</filename><prerequisites><supported_devices><supported_devices_and>"
        "<supported_device type='pci'><supported_device_data name='ven'>4040</supported_device_data>"
        "<supported_device_data name='dev'>0100</supported_device_data></supported_device>"
        "</supported_devices_and></supported_devices></prerequisites></kst_package>");
  write("install.xml", "<kst_install/>");
  CBaseComponent c;
  c.Logger()->SetVerbose(1);
  EXPECT_EQ(c.Initialize(), 1);
  c.Logger()->Close();
  std::string verbose = read(fs::path(s_.dir().logDir()) / std::string(fs::path(hostTextOf(c.Logger()->VerboseFileName()))));
  std::string time = R"(\[\d\d:\d\d:\d\d\]::basecomp\.cpp\[\d+\] )";
  std::regex expected(time + R"(Detecting if 64-bit operating system\.\.\. \r\n)"
                      R"(    - Operating system is 64-bit\.\r\n    - Operating system is x64 based\.\r\n)" +
                      time + R"(Locating package definition file\.\.\. Done\.\r\n)" + time +
                      R"(    - Reading package definition file\.\.\. Done\.\r\n)" + time +
                      R"(Checking for install\.xml\.\.\. Found\.\r\n)" + time +
                      R"(    - Reading installer XML\.\.\. Done\.\r\n)" + time + R"(Building PnP device list\.\.\. Done\.\r\n)");
  EXPECT_TRUE(std::regex_match(verbose, expected)) << verbose;
}

TEST_F(ComponentFixture, InitializeReportsBrokenFiles) {
  write("ks_pkg.xml", "<kst_package><version value='1'/></kst_package>");
  write("install.xml", "<kst_install>");
  CBaseComponent c;
  EXPECT_EQ(c.Initialize(), 0);
  fs::remove(component_ / "install.xml");
  fs::remove(component_ / "ks_pkg.xml");
  CBaseComponent none;  // nothing found is no failure
  EXPECT_EQ(none.Initialize(), 1);
}

TEST_F(ComponentFixture, AdoptedLoggerTakesOverTheVerboseLog) {
  write("ks_pkg.xml", "<kst_package><filename>Brightwe.exe</filename></kst_package>");
  CBaseComponent c;
  c.Logger()->SetVerbose(1);
  ASSERT_EQ(c.Initialize(), 1);
  std::string ownVerbose = std::string(s_.dir().logDir()) + "/" + hostTextOf(c.Logger()->VerboseFileName());
  ASSERT_TRUE(fs::exists(ownVerbose));

  fs::create_directories(s_.root() + "/manager");
  std::u16string managerDir = wide(s_.root() + "/manager/");
  ManagerLog manager(u"updeck.log", managerDir.c_str());
  manager.SetVerbose(1);
  ASSERT_EQ(manager.Open(), 0);
  EXPECT_EQ(c.GetProperty(PropLogger, &manager, 0, 0), 1);
  EXPECT_EQ(c.Logger(), &manager);
  EXPECT_FALSE(fs::exists(ownVerbose));
  EXPECT_FALSE(fs::exists(s_.root() + "/manager/updeck.log"));
  // The component's trace, moved under the package's name in the manager's directory.
  std::string moved = read(s_.root() + "/manager/Brightwe.exe.log");
  EXPECT_NE(moved.find("Locating package definition file... Done.\r\n"), std::string::npos) << moved;
  EXPECT_EQ(std::u16string(manager.VerboseFileName()), u"Brightwe.exe.log");

  // From now on the component writes through the manager's operations.
  InstallStateRecord record{};
  ASSERT_EQ(c.GetInstallState(&record, sizeof record, u"en"), 1);
  ASSERT_FALSE(manager.lines.empty());
  EXPECT_EQ(manager.lines[0].target, LogTraceBoth);
  EXPECT_EQ(manager.lines[0].source, u"basecomp.cpp");
  EXPECT_EQ(manager.lines[0].text, u"    - Is operating system supported... ");
  EXPECT_EQ(manager.lines[1].target, LogTextBoth);
  EXPECT_EQ(manager.lines[1].text, u"Yes\r\n");
  manager.Close();
}

TEST_F(ComponentFixture, WithoutVerboseTheLoggerIsNotTaken) {
  CBaseComponent c;
  ASSERT_EQ(c.Initialize(), 1);
  CCmpLog* own = c.Logger();
  ManagerLog manager(u"updeck.log", nullptr);
  EXPECT_EQ(c.GetProperty(PropLogger, &manager, 0, 0), 1);
  EXPECT_EQ(c.Logger(), own);
  EXPECT_EQ(c.GetProperty(PropLogger, nullptr, 0, 0), 0);
}

}  // namespace
}  // namespace brightwell
