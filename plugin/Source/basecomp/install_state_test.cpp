#include <gtest/gtest.h>

#include <cstdarg>
#include <optional>

#include "plugin/CStr/wide_format.h"
#include "plugin/Source/basecomp/base_component.h"
#include "plugin/Source/basecomp/component_fixture.h"

namespace brightwell {
namespace {

// The machine as a test sets it; what is not set is the base's own check.
struct Machine {
  std::optional<bool> os, disk, hardware, removal;
  bool installed = false;
  int32_t status = 1;
  bool dependencies = true;
  std::u16string dependencyText;
  std::optional<bool> list;
  std::u16string listText;
};

class StagedComponent : public CBaseComponent {
 public:
  explicit StagedComponent(Machine m) : m_(std::move(m)) {}
  int32_t IsOSSupported() override { return m_.os ? *m_.os : CBaseComponent::IsOSSupported(); }
  int32_t IsDiskSpaceAvailable(const char16_t* path) override {
    return m_.disk ? *m_.disk : CBaseComponent::IsDiskSpaceAvailable(path);
  }
  int32_t IsHardwarePresent() override { return m_.hardware ? *m_.hardware : CBaseComponent::IsHardwarePresent(); }
  int32_t IsMarkedForRemoval() override { return m_.removal ? *m_.removal : CBaseComponent::IsMarkedForRemoval(); }
  int32_t IsInstalled() override { return m_.installed; }
  int32_t GetVersionStatus() override { return m_.status; }
  int32_t AreDependenciesMet(char16_t* message, uint32_t capacity, const char16_t*) override {
    appendBounded(message, capacity, m_.dependencyText);
    return m_.dependencies;
  }
  int32_t CheckDependencyList(char16_t* buffer, uint32_t capacity, const char16_t* language) override {
    if (!m_.list) return CBaseComponent::CheckDependencyList(buffer, capacity, language);
    copyBounded(buffer, capacity, m_.listText);
    return *m_.list;
  }

 private:
  Machine m_;
};

struct Outcome {
  const char* what;
  Machine machine;
  const char16_t* language;
  int32_t state;
  std::u16string message;
};

TEST_F(ComponentFixture, EveryInstallStateWithItsText) {
  const std::u16string removalDe =
      u"Die markierte Komponente wird beim nächsten Neustart des Systems entfernt.  Die Installation kann nicht "
      u"fortgesetzt werden.\r\n";
  Machine present;
  present.hardware = true;
  present.removal = false;
  auto with = [&](auto change) {
    Machine m = present;
    change(m);
    return m;
  };
  const Outcome outcomes[] = {
      {"os", with([](Machine& m) { m.os = false; }), u"fr", CannotInstall,
       u"Le système d'exploitation n'est pas pris en charge\r\n"},
      {"os ja", with([](Machine& m) { m.os = false; }), u"JA", CannotInstall, u"このOSはサポートされていません。\r\n"},
      {"disk", with([](Machine& m) { m.disk = false; }), u"es", CannotInstall,
       u"No dispone de suficiente espacio en el disco para instalar este componente.\r\n"},
      {"disk it", with([](Machine& m) { m.disk = false; }), u"it", CannotInstall,
       u"There is not enough disk space to install this component.\r\n"},
      {"same", with([](Machine& m) { m.installed = true; }), u"en", SameVersion, u""},
      {"older", with([](Machine& m) { m.installed = true, m.status = 0; }), u"en", OlderVersion, u""},
      {"newer", with([](Machine& m) { m.installed = true, m.status = 2; }), u"en", NewerVersion, u""},
      {"odd status", with([](Machine& m) { m.installed = true, m.status = 7; }), u"en", Undetermined, u""},
      {"not installed", present, u"en", NotInstalled, u""},
      {"no hardware, installed", with([](Machine& m) { m.hardware = false, m.installed = true; }), u"en",
       NoHardwareInstalled, u""},
      {"no hardware", with([](Machine& m) { m.hardware = false; }), u"en", NotApplicable, u""},
      {"no hardware, dependencies failed",
       with([](Machine& m) { m.hardware = false, m.dependencies = false, m.dependencyText = u"driver"; }), u"en",
       NotApplicable, u""},
      {"dependencies", with([](Machine& m) { m.dependencies = false, m.dependencyText = u"driver missing"; }),
       u"en", CannotInstall, u"driver missing"},
      {"dependencies without text", with([](Machine& m) { m.installed = true, m.dependencies = false; }), u"en",
       CannotInstall, u""},
      {"removal", with([](Machine& m) { m.removal = true, m.installed = true; }), u"de", CannotInstall, removalDe},
      {"removal wins over the dependency text",
       with([](Machine& m) { m.removal = true, m.dependencies = false, m.dependencyText = u"driver"; }), u"DE",
       CannotInstall, removalDe},
      {"model list", with([](Machine& m) { m.installed = true, m.list = false, m.listText = u"no model"; }), u"en",
       NotApplicable, u"no model"},
      {"model list over removal",
       with([](Machine& m) { m.removal = true, m.list = false, m.listText = u"no model"; }), u"de", NotApplicable,
       u"no model"},
      {"model list without text", with([](Machine& m) { m.removal = true, m.list = false; }), u"de", NotApplicable,
       removalDe},
  };
  for (const Outcome& o : outcomes) {
    StagedComponent c(o.machine);
    InstallStateRecord record;
    record.state = -1;
    copyBounded(record.message, kInstallMessageChars, u"stale text");
    EXPECT_EQ(c.GetProperty(PropInstallState, &record, sizeof record, reinterpret_cast<intptr_t>(o.language)), 1)
        << o.what;
    EXPECT_EQ(record.state, o.state) << o.what;
    EXPECT_EQ(std::u16string(record.message), o.message) << o.what;
  }
}

TEST_F(ComponentFixture, ChecksOfTheMachineDecideTheState) {
  // The base's own checks: a host without the supported adapter, a package
  // that needs more disk than there is, and a model list that names the host.
  s_.addCard("z3", 0x26, 0x01264040, 2, 5);
  write("dependency.xml",
        "<componentdependencies><dependent_hardware><platforms><platform model='corvane lab server 2u'/>"
        "</platforms></dependent_hardware></componentdependencies>");
  Machine m;
  m.installed = true;
  {
    StagedComponent c(m);
    c.AddSupportedDevice(u"PCI\\VEN_4040&DEV_0100&SUBSYS_01264040");
    InstallStateRecord record{};
    ASSERT_EQ(c.GetInstallState(&record, sizeof record, u"en"), 1);
    EXPECT_EQ(record.state, SameVersion);
  }
  {
    StagedComponent c(m);
    c.AddSupportedDevice(u"PCI\\VEN_4040&DEV_0200");
    c.SetRequiredDiskSpace(1);
    host([](simhost::HostConfig& h) { h.freeBytes = 1023; });
    InstallStateRecord record{};
    ASSERT_EQ(c.GetInstallState(&record, sizeof record, nullptr), 1);
    EXPECT_EQ(record.state, CannotInstall);
    EXPECT_EQ(std::u16string(record.message), u"There is not enough disk space to install this component.\r\n");
    host([](simhost::HostConfig& h) { h.freeBytes = 1024; });
    ASSERT_EQ(c.GetInstallState(&record, sizeof record, nullptr), 1);
    EXPECT_EQ(record.state, NoHardwareInstalled);
  }
}

TEST_F(ComponentFixture, RecordsTooSmallAreLeftUntouched) {
  StagedComponent c(Machine{});
  InstallStateRecord record;
  record.state = 42;
  copyBounded(record.message, kInstallMessageChars, u"as it was");
  EXPECT_EQ(c.GetInstallState(&record, 2051, u"en"), 0);
  EXPECT_EQ(c.GetProperty(PropInstallState, &record, 0, 0), 0);
  EXPECT_EQ(c.GetInstallState(nullptr, 4096, u"en"), 0);
  EXPECT_EQ(record.state, 42);
  EXPECT_EQ(std::u16string(record.message), u"as it was");
}

}  // namespace
}  // namespace brightwell
