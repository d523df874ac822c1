#include "plugin/include/brightwell/cmp_log.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "platform/host.h"
#include "simhost/machine/host_config.h"
#include "tests/support/scenario.h"

namespace brightwell {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::u16string wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// The fields' places are what the update manager's own build uses.
TEST(CmpLogLayout, FieldsSitWhereTheManagerReadsThem) {
  EXPECT_EQ(offsetof(LogFileEntry, directory), 0u);
  EXPECT_EQ(offsetof(LogFileEntry, name), 520u);
  EXPECT_EQ(offsetof(LogFileEntry, open), 1032u);
  EXPECT_EQ(offsetof(LogFileEntry, handle), 1040u);
  EXPECT_EQ(sizeof(LogFileEntry), 1048u);
  EXPECT_EQ(sizeof(LogFileEntries), 4 * sizeof(void*));

  corvane_test::Scenario s;
  std::string error;
  platform::setHost(platform::makeSimHost(s.root(), &error));
  CCmpLog log(nullptr, nullptr);
  auto at = [&](const void* field) {
    return static_cast<size_t>(static_cast<const char*>(field) - reinterpret_cast<const char*>(&log));
  };
  EXPECT_EQ(at(&log.stubVersion), 8u);
  EXPECT_EQ(at(&log.error), 16u);
  EXPECT_EQ(at(&log.entries), 24u);
  EXPECT_EQ(at(&log.entries.first), 32u);
  EXPECT_EQ(at(&log.reserved), 56u);
  EXPECT_EQ(at(&log.verbose), 72u);
  EXPECT_EQ(sizeof(CCmpLog), 80u);
  platform::setHost(nullptr);
}

#if defined(__GNUC__) && !defined(_MSC_VER)
// Itanium C++ ABI: a pointer to a virtual member holds 1 + its byte offset
// in the table; the virtual destructor takes entries 0 and 1.
template <typename Member>
size_t tableEntryOf(Member member) {
  static_assert(sizeof(Member) == 2 * sizeof(void*));
  uintptr_t raw;
  std::memcpy(&raw, &member, sizeof raw);
  return (raw - 1) / sizeof(void*);
}

TEST(CmpLogLayout, VirtualOperationsKeepTheirOrder) {
  EXPECT_EQ(tableEntryOf(&CCmpLog::Open), 2u);
  EXPECT_EQ(tableEntryOf(&CCmpLog::Close), 3u);
  EXPECT_EQ(tableEntryOf(&CCmpLog::WriteHeader), 4u);
  EXPECT_EQ(tableEntryOf(&CCmpLog::Log), 5u);
  EXPECT_EQ(tableEntryOf(&CCmpLog::WriteFooter), 6u);
  EXPECT_EQ(tableEntryOf(&CCmpLog::SetVerbose), 7u);
}
#endif

class CmpLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    platform::setHost(platform::makeSimHost(s_.root(), &error));
    ASSERT_TRUE(error.empty()) << error;
  }
  void TearDown() override { platform::setHost(nullptr); }

  fs::path logDir() const { return s_.dir().logDir(); }
  fs::path mainLog() const { return logDir() / "kstsetup.log"; }
  std::u16string hostDir(const std::string& sub) const { return wide(s_.root() + "/" + sub + "/"); }
  void setCodePage(uint32_t codePage) {
    simhost::HostConfig c;
    ASSERT_TRUE(simhost::loadHostConfig(s_.dir().hostJson(), &c, nullptr));
    c.codePage = codePage;
    ASSERT_TRUE(simhost::saveHostConfig(s_.dir().hostJson(), c, nullptr));
  }

  corvane_test::Scenario s_;
};

TEST_F(CmpLogTest, TargetsPrefixesAndHeadersByteForByte) {
  CCmpLog log(u"trace.log", u"%SystemDrive%\\traces\\deep");
  EXPECT_EQ(log.error, 0);
  ASSERT_EQ(log.EntryCount(), 2u);
  EXPECT_EQ(std::u16string(log.VerboseDirectory()), wide(s_.dir().driveC() + "\\traces\\deep\\"));
  log.SetVerbose(1);
  ASSERT_EQ(log.Open(), 0);
  log.Log(LogTraceVerbose, SeverityNone, u"C:\\src\\Source\\basecomp\\basecomp.cpp", 84, u"checked %s\r\n", u"disk");
  log.Log(LogToMain, SeverityError, u"x.cpp", 1, u"failed %d\r\n", 7);
  log.Log(LogTextBoth, SeverityWarning, nullptr, 0, u"both\r\n");
  log.Log(LogTraceBoth, SeverityCritical, u"a/b/c.cpp", 9, u"crit ");
  log.Log(LogTraceBoth, 4, u"c.cpp", 10, u"no prefix ");
  log.Log(LogTextVerbose, SeverityNone, nullptr, 0, u"plain");
  log.Log(5, SeverityError, nullptr, 0, u"nowhere");
  log.Log(-1, SeverityError, nullptr, 0, u"nowhere");
  EXPECT_EQ(log.Close(), 0);

  EXPECT_EQ(readFile(mainLog()), "**ERROR** - failed 7\r\n**WARNING** - both\r\n**CRITICAL** - crit no prefix ");
  std::string verbose = readFile(fs::path(s_.dir().driveC()) / "traces" / "deep" / "trace.log");
  std::regex expected(
      R"(\[\d\d:\d\d:\d\d\]::basecomp\.cpp\[84\] checked disk\r\n)"
      R"(\*\*WARNING\*\* - both\r\n)"
      R"(\[\d\d:\d\d:\d\d\]::c\.cpp\[9\] \*\*CRITICAL\*\* - crit no prefix plain)");
  EXPECT_TRUE(std::regex_match(verbose, expected)) << verbose;
}

TEST_F(CmpLogTest, WithoutVerboseOnlyTheMainLogIsWritten) {
  CCmpLog log(u"trace.log", nullptr);
  ASSERT_EQ(log.Open(), 0);
  log.Log(LogTraceBoth, SeverityNone, u"x.cpp", 3, u"main only\r\n");
  log.Log(LogTraceVerbose, SeverityNone, u"x.cpp", 4, u"lost\r\n");
  EXPECT_EQ(log.Close(), 0);
  EXPECT_EQ(readFile(mainLog()), "main only\r\n");
  EXPECT_FALSE(fs::exists(logDir() / "trace.log"));
  EXPECT_EQ(log.Close(), kLogCloseFailed);  // already closed
}

TEST_F(CmpLogTest, FilesAreAppendedInTheAnsiCodePage) {
  fs::create_directories(logDir());
  std::ofstream(mainLog(), std::ios::binary) << "earlier run\r\n";
  {
    CCmpLog log(nullptr, nullptr);
    ASSERT_EQ(log.Open(), 0);
    log.Log(LogToMain, SeverityNone, nullptr, 0, u"Größe € ✓\r\n");
    log.Close();
  }
  setCodePage(65001);
  {
    CCmpLog log(nullptr, nullptr);
    ASSERT_EQ(log.Open(), 0);
    log.Log(LogToMain, SeverityNone, nullptr, 0, u"Größe\r\n");
    log.Close();
  }
  EXPECT_EQ(readFile(mainLog()), "earlier run\r\nGr\xF6\xDF" "e \x80 ?\r\nGr\xC3\xB6\xC3\x9F" "e\r\n");
}

TEST_F(CmpLogTest, SessionHeaderAndFooter) {
  CCmpLog log(u"v.log", nullptr);
  log.stubVersion = u"1.2.3";
  log.SetVerbose(1);
  ASSERT_EQ(log.Open(), 0);
  log.WriteHeader();
  log.WriteFooter(-3);
  log.Close();
  const std::string rule(75, '=');
  std::string program = fs::read_symlink("/proc/self/exe").filename().string();
  std::string date = R"(\d{1,2}/\d{1,2}/\d{4} \d\d:\d\d:\d\d)";
  std::string footer = R"(\r\n\r\nLog Session End\. \[\d\d:\d\d:\d\d\]\r\nReturn Code \(-3\)\r\n)" + rule + R"(\r\n\r\n)";
  std::regex main(rule + R"(\r\nSource:          )" + program + R"(\r\nVersion:         \r\nLog Date:        )" + date +
                  R"(\r\n\r\nLog Session Start\.\.\.\r\n\r\n)" + footer);
  std::regex verbose(rule + R"(\r\nSource:          )" + program +
                     R"(\r\nVersion:         \r\nStub Version:    1\.2\.3\r\nLog Date:        )" + date +
                     R"(\r\n\r\nVerbose Log Session Start \.\.\.\r\n\r\n)" + footer);
  std::string mainText = readFile(mainLog()), verboseText = readFile(logDir() / "v.log");
  EXPECT_TRUE(std::regex_match(mainText, main)) << mainText;
  EXPECT_TRUE(std::regex_match(verboseText, verbose)) << verboseText;
}

TEST_F(CmpLogTest, LongMessagesAreWrittenWhole) {
  CCmpLog log(nullptr, nullptr);
  ASSERT_EQ(log.Open(), 0);
  std::u16string big(3000, u'x');
  log.Log(LogToMain, SeverityNone, nullptr, 0, u"%s|%s", big.c_str(), big.c_str());
  log.Close();
  EXPECT_EQ(readFile(mainLog()), std::string(3000, 'x') + "|" + std::string(3000, 'x'));
}

TEST_F(CmpLogTest, DefaultVerboseNameIsTemporaryStyle) {
  CCmpLog log(nullptr, u"");
  ASSERT_EQ(log.EntryCount(), 2u);
  std::string name(std::u16string_view(log.VerboseFileName()).begin(), std::u16string_view(log.VerboseFileName()).end());
  EXPECT_TRUE(std::regex_match(name, std::regex("_KS[0-9A-F]{4}\\.tmp"))) << name;
  EXPECT_EQ(std::u16string(log.VerboseDirectory()), std::u16string(log.Entry(0)->directory));
  EXPECT_EQ(std::u16string(log.Entry(0)->name), u"kstsetup.log");
}

TEST_F(CmpLogTest, DirectoriesTooLongLeaveFewerEntries) {
  std::u16string longDir = u"C:\\" + std::u16string(300, u'd');
  CCmpLog log(u"v.log", longDir.c_str());
  EXPECT_EQ(log.error, kLogDirectoryTooLong);
  EXPECT_EQ(log.EntryCount(), 1u);
  EXPECT_EQ(std::u16string(log.VerboseFileName()), u"");
  ASSERT_EQ(log.Open(), 0);
  log.Log(LogTextBoth, SeverityNone, nullptr, 0, u"main\r\n");
  log.SetVerbose(1);
  log.Log(LogTextBoth, SeverityNone, nullptr, 0, u"still main\r\n");
  log.Close();
  EXPECT_EQ(readFile(mainLog()), "main\r\nstill main\r\n");
  // A name longer than its field is cut, never written past it.
  std::u16string longName(400, u'n');
  CCmpLog cut(longName.c_str(), nullptr);
  EXPECT_EQ(std::u16string(cut.VerboseFileName()), std::u16string(255, u'n'));
}

TEST_F(CmpLogTest, OpenFailsWhenAFileCannotBeMade) {
  fs::create_directories(logDir());
  fs::create_directory(logDir() / "v.log");  // a directory where the file should be
  CCmpLog log(u"v.log", nullptr);
  log.SetVerbose(1);
  EXPECT_EQ(log.Open(), kLogOpenFailed);
}

TEST_F(CmpLogTest, RelocationMovesTheVerboseLog) {
  CCmpLog log(u"own.log", nullptr);
  log.SetVerbose(1);
  ASSERT_EQ(log.Open(), 0);
  log.Log(LogTextVerbose, SeverityNone, nullptr, 0, u"before ");
  std::u16string target = hostDir("manager");
  fs::create_directories(s_.root() + "/manager");
  log.RelocateVerboseLog(u"moved.log", target.c_str());
  log.Log(LogTextVerbose, SeverityNone, nullptr, 0, u"after");
  log.Close();
  EXPECT_FALSE(fs::exists(logDir() / "own.log"));
  EXPECT_EQ(readFile(s_.root() + "/manager/moved.log"), "before after");
  EXPECT_EQ(std::u16string(log.VerboseFileName()), u"moved.log");
  EXPECT_EQ(std::u16string(log.VerboseDirectory()), target);
}

TEST_F(CmpLogTest, RelocationOntoAnExistingLogAppendsToIt) {
  fs::create_directories(s_.root() + "/manager");
  std::ofstream(s_.root() + "/manager/existing.log", std::ios::binary) << "manager's lines\r\n";
  CCmpLog log(u"own.log", nullptr);
  log.SetVerbose(1);
  ASSERT_EQ(log.Open(), 0);
  log.Log(LogTextVerbose, SeverityNone, nullptr, 0, u"component's lines\r\n");
  std::u16string target = hostDir("manager");
  log.RelocateVerboseLog(u"existing.log", target.c_str());
  log.Log(LogTextVerbose, SeverityNone, nullptr, 0, u"later\r\n");
  log.Close();
  EXPECT_FALSE(fs::exists(logDir() / "own.log"));
  EXPECT_EQ(readFile(s_.root() + "/manager/existing.log"), "manager's lines\r\ncomponent's lines\r\nlater\r\n");
  EXPECT_EQ(std::u16string(log.VerboseFileName()), u"own.log");  // the recorded name stays
  // The same name and directory, or no name, change nothing.
  CCmpLog other(u"x.log", nullptr);
  other.RelocateVerboseLog(u"x.log", other.VerboseDirectory());
  other.RelocateVerboseLog(nullptr, target.c_str());
  EXPECT_EQ(std::u16string(other.VerboseFileName()), u"x.log");
}

}  // namespace
}  // namespace brightwell
