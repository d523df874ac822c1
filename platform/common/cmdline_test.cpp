// Command lines as the system's reader splits them, and joining that survives
// the reader unchanged for any arguments.
#include <random>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/common/running_program.h"
#include "platform/process.h"

namespace platform {
namespace {

using Args = std::vector<std::string>;

struct SplitCase {
  const char* line;
  Args expected;
};

TEST(SplitCommandLine, ReadsLinesAsTheSystemDoes) {
  const SplitCase cases[] = {
      // Backslash and quote rules.
      {R"(prog "abc" d e)", {"prog", "abc", "d", "e"}},
      {R"(prog a\\\b d"e f"g h)", {"prog", R"(a\\\b)", "de fg", "h"}},
      {R"(prog a\\\"b c d)", {"prog", R"(a\"b)", "c", "d"}},
      {R"(prog a\\\\"b c" d e)", {"prog", R"(a\\b c)", "d", "e"}},
      {R"(prog "hello there.txt")", {"prog", "hello there.txt"}},
      {R"(prog "C:\Hello there.txt")", {"prog", R"(C:\Hello there.txt)"}},
      {R"(prog "hello\"there")", {"prog", R"(hello"there)"}},
      {R"(prog "hello\\")", {"prog", R"(hello\)"}},
      {R"(prog "c:\temp\" opt3 opt4)", {"prog", R"(c:\temp" opt3 opt4)"}},
      {R"(prog this" is all a single "param)", {"prog", "this is all a single param"}},
      // "" inside quotes gives one quote and leaves the quoted part, so the
      // blank after it separates.
      {R"(prog a"b"" c d)", {"prog", R"(ab")", "c", "d"}},
      {R"(prog "a""b c")", {"prog", R"(a"b)", "c"}},
      {R"(prog """)", {"prog", R"(")"}},
      {R"(prog "")", {"prog", ""}},
      {R"(prog "" "")", {"prog", "", ""}},
      {R"(prog "a b)", {"prog", "a b"}},
      {"prog\ta\t\tb  ", {"prog", "a", "b"}},
      {"prog   ", {"prog"}},
      // The program name: no escapes, quoted up to the next quote.
      {R"("C:\Program Files\x.exe" -a)", {R"(C:\Program Files\x.exe)", "-a"}},
      {R"("C:\dir\" x)", {R"(C:\dir\)", "x"}},
      {R"("C:\dir\"x y)", {R"(C:\dir\)", "x", "y"}},
      {R"(C:\a"b c)", {R"(C:\a"b)", "c"}},
      {R"("never closed a b)", {"never closed a b"}},
      {R"("" a)", {"", "a"}},
      // Leading blanks give an empty program name.
      {" a b", {"", "a", "b"}},
      {" ", {""}},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(splitCommandLine(c.line), c.expected) << "line: [" << c.line << "]";
  }
}

TEST(SplitCommandLine, EmptyLineNamesTheRunningProgram) {
  Args args = splitCommandLine("");
  ASSERT_EQ(args.size(), 1u);
  EXPECT_EQ(args[0], runningProgramPath());
  EXPECT_NE(args[0].find("platform_common_test"), std::string::npos) << args[0];
}

TEST(BuildCommandLine, QuotesOnlyWhereNeeded) {
  EXPECT_EQ(buildCommandLine({"prog", "plain", R"(C:\dir\)", "a\\b"}), R"(prog plain C:\dir\ a\b)");
  EXPECT_EQ(buildCommandLine({"C:\\Program Files\\x.exe", ""}), R"("C:\Program Files\x.exe" "")");
  EXPECT_EQ(buildCommandLine({"C:\\dir\\", "x"}), R"(C:\dir\ x)");
  EXPECT_EQ(quoteArgument("a b"), R"("a b")");
  EXPECT_EQ(quoteArgument(R"(C:\my dir\)"), R"("C:\my dir\\")");
  EXPECT_EQ(quoteArgument(R"(say "hi")"), R"("say \"hi\"")");
  EXPECT_EQ(quoteArgument(R"(a\"b)"), R"("a\\\"b")");
  EXPECT_EQ(quoteArgument("tab\there"), "\"tab\there\"");
}

// Random arguments over the characters that matter to the reader: whatever
// they are, joining then splitting gives them back.
TEST(BuildCommandLine, SplitGivesBackEveryArgumentList) {
  std::mt19937 random(20240611);
  const std::string argChars = "ab \t\"\\";
  const std::string programChars = "ab \t\\";  // a program name holds no quote
  auto randomText = [&](const std::string& alphabet) {
    std::string text(random() % 7, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    return text;
  };
  for (int round = 0; round < 20000; ++round) {
    Args args{randomText(programChars)};
    size_t count = random() % 5;
    for (size_t i = 0; i < count; ++i) args.push_back(randomText(argChars));
    std::string line = buildCommandLine(args);
    ASSERT_EQ(splitCommandLine(line), args) << "line: [" << line << "]";
  }
}

}  // namespace
}  // namespace platform
