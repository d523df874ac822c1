#include <gtest/gtest.h>

#include "plugin/Source/basecomp/base_component.h"
#include "plugin/Source/basecomp/component_fixture.h"
#include "plugin/Source/basecomp/device_ids.h"

namespace brightwell {
namespace {

// Exposes what the package file filled in.
class InspectedComponent : public CBaseComponent {
 public:
  using CBaseComponent::installType_;
  using CBaseComponent::packageBaseName_;
  using CBaseComponent::rebootRequired_;
  using CBaseComponent::requiredDiskSpace_;
  using CBaseComponent::serviceName_;
  using CBaseComponent::shellExecuteDirectory_;
  using CBaseComponent::shellExecuteFile_;
  using CBaseComponent::supportedDevices_;
  using CBaseComponent::supportedSystems_;
};

const char kPackage[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<kst_package>
  <name>
    <name_xlate lang="en">Corvane Z3 Firmware</name_xlate>
    <name_xlate lang="de">Corvane Z3 Firmware (de)</name_xlate>
  </name>
  <description>
    <description_xlate lang="en"><![CDATA[  Firmware for
  Corvane Z3 adapters]]></description_xlate>
  </description>
  <version value="4.0.593"/>
  <filename>Brightwe.exe</filename>
  <installation>
    <install>
      <install_caps silent="No"/>
      <reboot_required value="YES"/>
    </install>
  </installation>
  <prerequisites>
    <required_diskspace size_kb="2048"/>
    <supported_devices>
      <supported_devices_and>
        <supported_device type="PCI">
          <supported_device_data name="ven">1A2B</supported_device_data>
          <supported_device_data name="dev">3C4D</supported_device_data>
          <supported_device_data name="subven">5E6F</supported_device_data>
          <supported_device_data name="subdev">7081</supported_device_data>
        </supported_device>
      </supported_devices_and>
      <supported_devices_and>
        <supported_device type="pci">
          <supported_device_data name="dev">0100</supported_device_data>
          <supported_device_data name="ven">4040</supported_device_data>
        </supported_device>
      </supported_devices_and>
      <supported_devices_and>
        <supported_device type="eisa"><supported_device_data name="id">PNP0A03</supported_device_data></supported_device>
      </supported_devices_and>
      <supported_devices_and>
        <supported_device type="pnp"><supported_device_data name="id">ACPI\PNP0C14</supported_device_data></supported_device>
      </supported_devices_and>
      <supported_devices_and>
        <supported_device type="scsi"><supported_device_data name="id">DISK</supported_device_data></supported_device>
      </supported_devices_and>
      <supported_devices_and>
        <supported_device type="pci"><supported_device_data name="ven">12345</supported_device_data></supported_device>
      </supported_devices_and>
    </supported_devices>
    <supported_operating_systems>
      <supported_operating_system platform="nt_x86-64" major="6" minor="1" sr="1" edition="SRVR"/>
      <supported_operating_system platform="nt"/>
    </supported_operating_systems>
  </prerequisites>
</kst_package>)";

TEST_F(ComponentFixture, PackageFileFillsTheComponent) {
  write("ks_package.xml", kPackage);
  InspectedComponent c;
  ASSERT_EQ(c.ReadPackageFile(u"ks_package.xml"), 0);
  EXPECT_EQ(c.ReadPackageFile(u"ks_package.xml"), 1);  // read once only
  EXPECT_EQ(std::u16string(c.packageBaseName_), u"Brightwe");
  EXPECT_EQ(c.IsSilentCapable(), 0);
  EXPECT_EQ(c.rebootRequired_, 1);
  EXPECT_EQ(c.requiredDiskSpace_, 2048);
  // Document order of the groups is first, then the rest in reverse.
  std::vector<std::u16string> devices(c.supportedDevices_.begin(), c.supportedDevices_.end());
  EXPECT_EQ(devices, (std::vector<std::u16string>{u"PCI\\VEN_1A2B&DEV_3C4D&SUBSYS_70815E6F", u"", u"ACPI\\PNP0C14",
                                                  u"*PNP0A03", u"PCI\\VEN_4040&DEV_0100"}));
  ASSERT_EQ(c.supportedSystems_.size(), 2u);
  const SupportedOsRecord& first = c.supportedSystems_[0];
  EXPECT_EQ(std::u16string(first.platform), u"nt_x86-64");
  EXPECT_EQ(first.major, 6);
  EXPECT_EQ(first.minor, 1);
  EXPECT_EQ(first.minimumServicePack, 1);
  EXPECT_EQ(first.editionMask, 0xFF05);
  const SupportedOsRecord& any = c.supportedSystems_[1];
  EXPECT_EQ(any.major, -1);
  EXPECT_EQ(any.minimumServicePack, -1);
  EXPECT_EQ(any.editionMask, 0xFFFF);
}

TEST_F(ComponentFixture, NamesDescriptionAndVersionByLanguageAndCapacity) {
  write("ks_package.xml", kPackage);
  CBaseComponent c;
  ASSERT_EQ(c.ReadPackageFile(u"ks_package.xml"), 0);
  char16_t text[128];
  EXPECT_EQ(c.GetName(text, 128, u"de"), 1);
  EXPECT_EQ(std::u16string(text), u"Corvane Z3 Firmware (de)");
  EXPECT_EQ(c.GetName(text, 128, u"ja"), 1);  // English when the language is missing
  EXPECT_EQ(std::u16string(text), u"Corvane Z3 Firmware");
  EXPECT_EQ(c.GetName(text, 20, u"en"), 1);   // 19 characters fit 20
  EXPECT_EQ(c.GetName(text, 19, u"en"), 0);
  EXPECT_EQ(c.GetProperty(PropDescription, text, 128, reinterpret_cast<intptr_t>(u"EN")), 1);
  EXPECT_EQ(std::u16string(text), u"  Firmware for\n  Corvane Z3 adapters");
  EXPECT_EQ(c.GetProperty(PropVersion, text, 8, 0), 1);
  EXPECT_EQ(std::u16string(text), u"4.0.593");
  EXPECT_EQ(c.GetVersion(text, 7), 0);

  int32_t value = -5;
  EXPECT_EQ(c.GetProperty(PropSilentInstall, &value, 0, 0), 1);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(c.GetProperty(PropSilentInstall2, &value, 0, 0), 1);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(c.GetProperty(PropConstantOne, &value, 0, 0), 1);
  EXPECT_EQ(value, 1);
  for (int32_t id : {0, 10, -1}) {
    value = -5;
    EXPECT_EQ(c.GetProperty(id, &value, 4, 0), 0);
    EXPECT_EQ(value, -5);
  }
  EXPECT_EQ(c.GetProperty(PropSilentInstall, nullptr, 0, 0), 0);

  CBaseComponent empty;  // no package file: nothing to answer, silent by default
  EXPECT_EQ(empty.GetName(text, 128, u"en"), 0);
  EXPECT_EQ(empty.GetVersion(text, 128), 0);
  EXPECT_EQ(empty.IsSilentCapable(), 1);
}

TEST_F(ComponentFixture, FirstQualifyingPackageFileIsFound) {
  write("ks_a.xml", "<other_root/>");
  write("ks_b.xml", "<kst_package><version value='2'/></kst_package>");
  write("ks_c.xml", "<kst_package>");  // does not parse
  write("package.xml", "<kst_package/>");
  CBaseComponent c;
  char16_t name[260];
  ASSERT_EQ(c.FindPackageFile(name, 260), 1);
  EXPECT_EQ(std::u16string(name), u"ks_b.xml");
  char16_t small[4];
  ASSERT_EQ(c.FindPackageFile(small, 4), 1);
  EXPECT_EQ(std::u16string(small), u"ks_");
  std::filesystem::remove(component_ / "ks_b.xml");
  EXPECT_EQ(c.FindPackageFile(name, 260), 0);
}

TEST_F(ComponentFixture, InstallerFileByOperatingSystem) {
  write("install.xml", R"(<kst_install>
  <inf_information>
    <inf_file_nt5 filename="old.inf" type="LEGACY"/>
    <inf_file filename="corvane.inf" type="pnp" section="Install" service_name="SVNDNIC"/>
  </inf_information>
  <ShellExecute><ShellExecute_Info file="%SystemRoot%\setup.exe" DefaultDir="%TEMP%"/></ShellExecute>
</kst_install>)");
  InspectedComponent c;
  ASSERT_EQ(c.ReadInstallerFile(u"install.xml"), 0);
  EXPECT_EQ(std::u16string(c.GetInfFile()), u"corvane.inf");
  EXPECT_EQ(c.installType_, kInstallPnp);
  EXPECT_EQ(c.serviceName_, u"SVNDNIC");
  std::string windows = s_.dir().windowsDir();
  EXPECT_EQ(std::u16string(c.shellExecuteFile_), std::u16string(windows.begin(), windows.end()) + u"\\setup.exe");

  host([](simhost::HostConfig& h) { h.os.major = 5; });
  InspectedComponent old;
  ASSERT_EQ(old.ReadInstallerFile(u"install.xml"), 0);
  EXPECT_EQ(std::u16string(old.GetInfFile()), u"old.inf");
  EXPECT_EQ(old.installType_, kInstallLegacy);
  EXPECT_EQ(old.ReadInstallerFile(u"missing.xml"), kXmlCannotOpen);
  EXPECT_EQ(old.ReadInstallerFile(nullptr), kXmlCannotRead);
}

TEST_F(ComponentFixture, OversizedTextsAreCutToTheirFields) {
  std::string longName(500, 'n');
  std::string longPlatform(200, 'p');
  std::string longDir(400, 'd');
  write("ks_big.xml", "<kst_package><filename>" + longName + "</filename><prerequisites><supported_operating_systems>"
                      "<supported_operating_system platform='" + longPlatform + "' major='99999999999'/>"
                      "</supported_operating_systems></prerequisites></kst_package>");
  write("install.xml", "<kst_install><ShellExecute><ShellExecute_Info file='x' DefaultDir='" + longDir +
                       "'/></ShellExecute></kst_install>");
  InspectedComponent c;
  ASSERT_EQ(c.ReadPackageFile(u"ks_big.xml"), 0);
  EXPECT_EQ(std::u16string(c.packageBaseName_), std::u16string(123, u'n'));
  ASSERT_EQ(c.supportedSystems_.size(), 1u);
  EXPECT_EQ(std::u16string(c.supportedSystems_[0].platform), std::u16string(63, u'p'));
  EXPECT_EQ(c.supportedSystems_[0].major, INT32_MAX);
  ASSERT_EQ(c.ReadInstallerFile(u"install.xml"), 0);
  EXPECT_EQ(std::u16string(c.shellExecuteDirectory_), u"");  // a path that does not fit is not cut
  EXPECT_EQ(std::u16string(c.shellExecuteFile_), u"x");
}

TEST(DeviceIdentifiers, ByLength) {
  EXPECT_EQ(identifierFromHex(u"1A2B3C4D5E6F7081"), u"PCI\\VEN_1A2B&DEV_3C4D&SUBSYS_70815E6F");
  EXPECT_EQ(identifierFromHex(u"40400100"), u"PCI\\VEN_4040&DEV_0100");
  EXPECT_EQ(identifierFromHex(u"PNP0A03"), u"*PNP0A03");
  EXPECT_EQ(identifierFromHex(u"123456789"), u"");
  EXPECT_EQ(identifierFromHex(u""), u"");
  EXPECT_TRUE(countsAsPresentIdentifier(u"PCI\\VEN_4040&DEV_0100&SUBSYS_01264040"));
  EXPECT_FALSE(countsAsPresentIdentifier(u"PCI\\VEN_4040&DEV_0100&SUBSYS_01264040&REV_42"));
  EXPECT_FALSE(countsAsPresentIdentifier(u"PCI\\VEN_4040&DEV_0100&CC_0200"));
}

}  // namespace
}  // namespace brightwell
