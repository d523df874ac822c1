#include "plugin/component/host_tokens.h"

#include <gtest/gtest.h>

namespace brightwell {
namespace {

std::string narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

TEST(HostTokens, RequestPrecedenceAndWhereTokensHide) {
  struct Case {
    std::u16string_view line;
    HostRequest request;
    bool force;
  };
  const Case cases[] = {
      {u"updeck", HostRequest::Install, false},
      {u"updeck /s", HostRequest::Install, false},
      {u"updeck /F", HostRequest::Install, true},
      {u"updeck /g", HostRequest::Install, true},
      {u"updeck /d r.xml /u r.xml", HostRequest::Discovery, false},
      {u"updeck /u r.xml /d r.xml", HostRequest::Discovery, false},
      {u"updeck -d r.xml", HostRequest::Discovery, false},     // " -d"
      {u"updeck x-d", HostRequest::Install, false},            // "-d" without the blank
      {u"updeck /U r.xml /v", HostRequest::UpgradeFromReport, false},
      {u"updeck -U r.xml", HostRequest::UpgradeFromReport, false},
      {u"updeck /v /f", HostRequest::VersionReport, true},     // force does not change the request
      {u"updeck /V", HostRequest::VersionReport, false},
      {u"updeck /verbose_log", HostRequest::Install, false},
      {u"updeck /VERBOSE_LOG /Verbose_Log", HostRequest::Install, false},
      {u"updeck /verbose_log /v", HostRequest::VersionReport, false},
      {u"updeck /verbose_logs/v", HostRequest::VersionReport, false},
      {u"updeck http://host/Dir/x", HostRequest::Discovery, false},  // "/D" inside a path
      {u"updeck /s /E", HostRequest::Install, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(requestOf(c.line), c.request) << narrow(std::u16string(c.line));
    EXPECT_EQ(hasForceToken(c.line), c.force) << narrow(std::u16string(c.line));
  }
}

TEST(HostTokens, OptionValueIsTheRestOfTheLineAfterTheGroupsFirstPresentToken) {
  struct Case {
    std::u16string_view line;
    HostRequest group;
    std::u16string_view value;
  };
  const Case cases[] = {
      {u"updeck /d report.xml", HostRequest::Discovery, u"report.xml"},
      {u"updeck /d    C:\\r s\\report.xml /consoleout", HostRequest::Discovery, u"C:\\r s\\report.xml /consoleout"},
      {u"updeck /d", HostRequest::Discovery, u""},
      {u"updeck /d \t x", HostRequest::Discovery, u"\t x"},           // only blanks are skipped
      {u"updeck /d a.xml /D b.xml", HostRequest::Discovery, u"b.xml"},  // "/D" is tried first
      {u"updeck -d a.xml", HostRequest::Discovery, u"a.xml"},
      {u"updeck /u up.xml", HostRequest::UpgradeFromReport, u"up.xml"},
      {u"updeck /d x", HostRequest::UpgradeFromReport, u""},
      {u"updeck /s", HostRequest::Install, u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(optionValue(c.line, c.group), c.value) << narrow(std::u16string(c.line));
  }
  // A long rest is cut to what the 260-character buffer holds.
  std::u16string longLine = u"updeck /d " + std::u16string(400, u'x');
  EXPECT_EQ(optionValue(longLine, HostRequest::Discovery), std::u16string(259, u'x'));
}

TEST(HostTokens, VersionReportFileIsAFileNameOrTheDefault) {
  struct Case {
    std::u16string_view line;
    std::u16string_view file;
  };
  const Case cases[] = {
      {u"updeck /v versions.xml", u"versions.xml"},
      {u"updeck /v", kDefaultVersionReportFile},
      {u"updeck /v /f", kDefaultVersionReportFile},
      {u"updeck /verbose_log /v out.xml", u"out.xml"},
      {u"updeck /v out.xml /verbose_log", u"out.xml /verbose_log"},
  };
  for (const Case& c : cases) EXPECT_EQ(versionReportFile(c.line), c.file) << narrow(std::u16string(c.line));
}

}  // namespace
}  // namespace brightwell
