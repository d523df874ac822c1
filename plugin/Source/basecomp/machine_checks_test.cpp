#include <gtest/gtest.h>

#include "plugin/Source/basecomp/base_component.h"
#include "plugin/Source/basecomp/component_fixture.h"
#include "plugin/Source/basecomp/inf_file.h"
#include "plugin/Source/basecomp/model_match.h"
#include "plugin/Source/basecomp/os_rules.h"
#include "plugin/Source/basecomp/service_check.h"

namespace brightwell {
namespace {

SupportedOsRecord record(const char16_t* platform, int32_t major, int32_t minor, int32_t sp, int32_t mask) {
  SupportedOsRecord r{};
  copyBounded(r.platform, kPlatformChars, platform);
  r.major = major;
  r.minor = minor;
  r.minimumServicePack = sp;
  r.editionMask = mask;
  return r;
}

TEST(OsRules, RecordsAgainstSystems) {
  SystemFacts server{u"nt_x86-64", 6, 1, 1, systemEditionBits(7, false)};
  SystemFacts core{u"nt_x86-64", 6, 1, 1, systemEditionBits(13, false)};
  SystemFacts datacenterR2{u"nt_x86-64", 6, 1, 2, systemEditionBits(8, true)};
  struct Case {
    SupportedOsRecord r;
    const SystemFacts& system;
    bool matches;
  } cases[] = {
      {record(u"NT_X86-64", -1, -1, -1, 0xFFFF), server, true},
      {record(u"nt", -1, -1, -1, 0xFFFF), server, false},
      {record(u"nt_x86-64", 6, 1, -1, 0xFFFF), server, true},
      {record(u"nt_x86-64", 6, 0, -1, 0xFFFF), server, false},
      {record(u"nt_x86-64", 5, -1, -1, 0xFFFF), server, false},
      {record(u"nt_x86-64", -1, -1, 2, 0xFFFF), server, false},        // needs service pack 2
      {record(u"nt_x86-64", -1, -1, 2, 0xFFFF), datacenterR2, true},   // has it
      {record(u"nt_x86-64", -1, -1, -1, editionMaskOf(u"srvr")), server, true},
      {record(u"nt_x86-64", -1, -1, -1, editionMaskOf(u"srvr")), core, false},  // 0x0102 not in 0xFF05
      {record(u"nt_x86-64", -1, -1, -1, editionMaskOf(u"CORE")), core, true},
      {record(u"nt_x86-64", -1, -1, -1, editionMaskOf(u"dcr2srvr")), datacenterR2, true},
      {record(u"nt_x86-64", -1, -1, -1, editionMaskOf(u"dcsrvr")), datacenterR2, true},  // 0x0404 within 0x0405
      {record(u"nt_x86-64", -1, -1, -1, editionMaskOf(u"sbs")), datacenterR2, false},
      {record(u"nt_x86-64", -1, -1, -1, editionMaskOf(u"unknown")), server, false},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(osRecordMatches(cases[i].r, cases[i].system), cases[i].matches) << i;
}

TEST(OsRules, EditionsPlatformsAndServicePacks) {
  EXPECT_EQ(editionMaskOf(u""), 0xFFFF);
  EXPECT_EQ(editionMaskOf(u"EBSR2"), 0x0207);
  EXPECT_EQ(systemEditionBits(0, false), 0xFF05);
  EXPECT_EQ(systemEditionBits(25, true), 0x0204);
  EXPECT_EQ(systemEditionBits(12, false), 0x040A);
  EXPECT_EQ(systemEditionBits(14, true), 0x0108);
  EXPECT_EQ(platformTextOf(2, 0), u"nt");
  EXPECT_EQ(platformTextOf(2, 6), u"nt64");
  EXPECT_EQ(platformTextOf(2, 9), u"nt_x86-64");
  EXPECT_EQ(platformTextOf(2, 5), u"");
  EXPECT_EQ(platformTextOf(1, 0), u"");
  EXPECT_EQ(servicePackNumber("Service Pack 2"), 2);
  EXPECT_EQ(servicePackNumber("SP12a3"), 12);
  EXPECT_EQ(servicePackNumber(""), 0);
}

TEST_F(ComponentFixture, OperatingSystemFromTheHost) {
  CBaseComponent any;
  EXPECT_EQ(any.IsOSSupported(), 1);  // no records: every system
  CBaseComponent c;
  c.AddSupportedOS(record(u"nt_x86-64", 6, -1, 2, editionMaskOf(u"srvr")));
  host([](simhost::HostConfig& h) {
    h.os.csdVersion = "Service Pack 2";
    h.os.productInfo = 7;
  });
  EXPECT_EQ(c.IsOSSupported(), 1);
  host([](simhost::HostConfig& h) { h.os.productInfo = 13; });  // server core
  EXPECT_EQ(c.IsOSSupported(), 0);
  host([](simhost::HostConfig& h) { h.os.major = 5; });  // no product query before 6: counts as 0
  c.AddSupportedOS(record(u"nt_x86-64", 5, -1, -1, editionMaskOf(u"srvr")));
  EXPECT_EQ(c.IsOSSupported(), 1);
  host([](simhost::HostConfig& h) { h.os.processorArchitecture = 0; });
  EXPECT_EQ(c.IsOSSupported(), 0);
  EXPECT_EQ(c.Is64BitOS(), 0);
  host([](simhost::HostConfig& h) { h.os.processorArchitecture = 6; });
  EXPECT_EQ(c.Is64BitOS(), 1);
}

TEST_F(ComponentFixture, DiskSpaceAtTheLimit) {
  CBaseComponent c;
  EXPECT_EQ(c.IsDiskSpaceAvailable(nullptr), 1);  // nothing required
  c.SetRequiredDiskSpace(4);
  host([](simhost::HostConfig& h) { h.freeBytes = 4096; });
  EXPECT_EQ(c.IsDiskSpaceAvailable(nullptr), 1);
  std::string dir = component_.string();
  EXPECT_EQ(c.IsDiskSpaceAvailable(std::u16string(dir.begin(), dir.end()).c_str()), 1);
  host([](simhost::HostConfig& h) { h.freeBytes = 4095; });
  EXPECT_EQ(c.IsDiskSpaceAvailable(nullptr), 0);
}

TEST_F(ComponentFixture, HardwareFromThePresentDevices) {
  CBaseComponent none;
  EXPECT_EQ(none.IsHardwarePresent(), 1);  // no supported devices: present
  s_.addCard("z3", 0x26, 0x01264040, 2, 5);
  CBaseComponent c;
  c.AddSupportedDevice(u"PCI\\VEN_4040&DEV_0100&SUBSYS_01264040&REV_42");  // revisions never count
  c.AddSupportedDevice(u"PCI\\VEN_4040&DEV_0100&CC_020000");
  EXPECT_EQ(c.IsHardwarePresent(), 0);
  c.AddSupportedDevice(u"pci\\ven_4040&dev_0100&subsys_01264040");
  EXPECT_EQ(c.IsHardwarePresent(), 1);
}

TEST_F(ComponentFixture, RemovalPendingFromTheInfService) {
  write("corvane.inf",
        "; comment\r\n[Version]\r\nSignature=\"$Windows NT$\"\r\n[Install.NT]\r\nCopyFiles = x\r\n"
        "[Install.NT.Services]\r\nAddService = \"SVNDNIC\" , 2, ServiceInstall ; the driver\r\n"
        "AddService = Other, 0, X\r\n[Later]\r\nAddService = Later, 2, Y\r\n");
  CBaseComponent c;
  EXPECT_EQ(c.IsMarkedForRemoval(), 0);  // no INF named
  c.SetInfFile(u"corvane.inf", kInstallPnp);
  EXPECT_EQ(c.IsMarkedForRemoval(), 0);
  // The service exists and is flagged for deletion.
  host([](simhost::HostConfig& h) { h.services["SVNDNIC"] = "running"; });
  setDword("SYSTEM\\CurrentControlSet\\Services\\SVNDNIC", "DeleteFlag", 1);
  EXPECT_EQ(c.IsMarkedForRemoval(), 1);
  // The key alone does not make a service.
  host([](simhost::HostConfig& h) { h.services.erase("SVNDNIC"); });
  EXPECT_EQ(c.IsMarkedForRemoval(), 0);
  // A legacy device entry waiting for removal.
  setDword("SYSTEM\\CurrentControlSet\\Enum\\Root\\LEGACY_SVNDNIC\\0000", "StatusFlags", 0x40008);
  EXPECT_EQ(c.IsMarkedForRemoval(), 1);
  setDword("SYSTEM\\CurrentControlSet\\Enum\\Root\\LEGACY_SVNDNIC\\0000", "StatusFlags", 0x8);
  EXPECT_EQ(c.IsMarkedForRemoval(), 0);
}

TEST_F(ComponentFixture, ServicesExistWithStateAndKey) {
  host([](simhost::HostConfig& h) {
    h.services["CVND5OR"] = "stopped";   // its key is made with the host
    h.services["CVND6OR"] = "running";   // no key
  });
  EXPECT_TRUE(serviceExists("CVND5OR"));
  EXPECT_FALSE(serviceRuns("CVND5OR"));
  EXPECT_FALSE(serviceExists("CVND6OR"));
  EXPECT_FALSE(serviceRuns("CVND6OR"));
  host([](simhost::HostConfig& h) { h.services["CVND5OR"] = "start-pending"; });
  EXPECT_TRUE(serviceRuns("CVND5OR"));
}

TEST(InfFile, FirstAddServiceAcrossEncodingsAndOddLines) {
  struct Case {
    std::u16string text;
    std::u16string service;
  } cases[] = {
      {u"[A]\nx=1\n[B]\naddservice=First,2\n[C]\nAddService=Second", u"First"},
      {u"AddService=Outside\n[A]\nAddService = \"Quoted, Name\" ,2", u"Quoted, Name"},
      {u"[A]\nAddService=\\\n  Continued,2", u"Continued"},
      {u"[A\nAddService=x\n[B]\n; AddService=Commented\nAddService=;empty", u""},
      {u"", u""},
  };
  for (const Case& c : cases) {
    CInf inf;
    ASSERT_TRUE(inf.OpenText(c.text));
    EXPECT_EQ(inf.FirstAddServiceName(), c.service);
  }
}

TEST_F(ComponentFixture, InfFilesInUtf16AndMissingOnes) {
  std::string utf16 = "\xFF\xFE";
  for (char ch : std::string("[S]\r\nAddService=Wide,2\r\n")) utf16 += std::string{ch, '\0'};
  write("wide.inf", utf16);
  CInf inf;
  ASSERT_TRUE(inf.Open(u"wide.inf"));
  EXPECT_EQ(inf.FirstAddServiceName(), u"Wide");
  EXPECT_FALSE(inf.Open(u"missing.inf"));
  EXPECT_FALSE(inf.Open(u""));
}

TEST(ModelMatch, TrailingBlanksAndCase) {
  EXPECT_TRUE(modelsMatch(u"Corvane Lab Server 2U", u"corvane lab server 2u  \t\r\n"));
  EXPECT_TRUE(modelsMatch(u"X  ", u"x"));
  EXPECT_FALSE(modelsMatch(u" X", u"X"));
  EXPECT_FALSE(modelsMatch(u"X1", u"X"));
  std::u16string longModel(300, u'm');
  EXPECT_TRUE(modelsMatch(longModel, std::u16string(254, u'm')));  // compared on 254 characters
}

TEST_F(ComponentFixture, DependencyListByMachineModel) {
  host([](simhost::HostConfig& h) { h.model = "Corvane Lab Server 2U   "; });
  struct Case {
    const char* file;  // null: no dependency.xml
    bool passes;
  } cases[] = {
      {nullptr, true},
      {"<componentdependencies", true},  // unreadable counts as no list
      {"<componentdependencies><dependent_hardware/></componentdependencies>", false},
      {"<componentdependencies><dependent_hardware><platforms><platform model='Other'/>"
       "<platform model='CORVANE LAB SERVER 2U'/></platforms></dependent_hardware></componentdependencies>",
       true},
      {"<componentdependencies><dependent_hardware><platforms><platform model='Other'/><platform/>"
       "</platforms></dependent_hardware></componentdependencies>",
       false},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(component_ / "dependency.xml");
    if (c.file) write("dependency.xml", c.file);
    CBaseComponent component;
    char16_t text[64] = u"untouched";
    EXPECT_EQ(component.CheckDependencyList(text, 64, u"en"), c.passes ? 1 : 0) << (c.file ? c.file : "none");
    EXPECT_EQ(std::u16string(text), c.passes ? u"untouched" : u"System model not supported.");
  }
  // Without a model from the management interface nothing matches.
  write("dependency.xml",
        "<componentdependencies><dependent_hardware><platforms><platform model=''/></platforms>"
        "</dependent_hardware></componentdependencies>");
  host([](simhost::HostConfig& h) { h.model = ""; });
  CBaseComponent component;
  char16_t small[7];
  EXPECT_EQ(component.CheckDependencyList(small, 7, u"en"), 0);
  EXPECT_EQ(std::u16string(small), u"System");
}

}  // namespace
}  // namespace brightwell
