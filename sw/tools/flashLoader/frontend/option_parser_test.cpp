#include "sw/tools/flashLoader/frontend/option_parser.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sw/tools/flashLoader/frontend/burnkit_options.h"

namespace {

// Each option the parser returns, written as a word: the letter ("f") or the
// long option's value ("#21"), "=ARG" when it took an argument; "?" for an
// unknown option; ":" and the offending option for a missing argument. Then
// "|" and the non-option words from scan.next on.
std::string scan_all(std::vector<std::string> args) {
  args.insert(args.begin(), "burnkit");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(args.size());

  OptionScan scan;
  std::string trace;
  int option;
  int guard = 0;
  while ((option = next_option(scan, argc, argv.data(), kShortOptions, burnkit_long_options())) != kOptionsEnd) {
    if (++guard > 50) return "runaway";
    if (!trace.empty()) trace += ' ';
    if (option == kOptionUnknown) {
      trace += "?";
    } else if (option == kOptionMissingArgument) {
      trace += scan.offending < 'A' ? ":#" + std::to_string(scan.offending) : ":" + std::string(1, char(scan.offending));
    } else {
      trace += option < 'A' ? "#" + std::to_string(option) : std::string(1, static_cast<char>(option));
      if (scan.argument) trace += "=" + std::string(scan.argument);
    }
  }
  trace += " |";
  for (int i = scan.next; i < argc; ++i) trace += " " + std::string(argv[static_cast<size_t>(i)]);
  return trace;
}

struct ParserCase {
  std::vector<std::string> args;
  std::string expected;
};

class OptionParserTest : public ::testing::Test {
 protected:
  void SetUp() override { unsetenv("POSIXLY_CORRECT"); }
  void TearDown() override { unsetenv("POSIXLY_CORRECT"); }
};

TEST_F(OptionParserTest, ReadsOptionsAsTheToolDefinesThem) {
  const ParserCase cases[] = {
      // short options, alone and in clusters, with attached and separate arguments
      {{"-i", "eth", "-f", "-a", "img"}, "i=eth f a=img |"},
      {{"-ieth", "-aimg"}, "i=eth a=img |"},
      {{"-Fs", "-Fp"}, "F s F ? |"},  // p is a prefix of pxe-on and pxe-off
      // the rest of a cluster is tried as a long name first: v names version
      {{"-fv"}, "f #21 |"},
      {{"-fa", "img"}, "f #18=img |"},
      {{"-fi"}, "f ? |"},  // i is a prefix of info and interface
      // long names after one or two dashes, exact or by unique prefix
      {{"-info"}, "#3 |"},
      {{"--info"}, "#3 |"},
      {{"-t"}, "#28 |"},
      {{"--test"}, "#28 |"},
      {{"--vers"}, "#21 |"},
      {{"-interface", "eth"}, "#10=eth |"},
      {{"--in"}, "? |"},
      {{"-in"}, "? |"},
      {{"--pxe"}, "? |"},
      {{"--pxe-of"}, "#25 |"},
      // "=" values
      {{"--interface=Local Area Connection"}, "#10=Local Area Connection |"},
      {{"--hwflags="}, "#31= |"},
      {{"-hwflags=2"}, "#31=2 |"},
      {{"--info=1"}, "? |"},
      // missing arguments
      {{"-i"}, ":i |"},
      {{"-f", "-r"}, "f :r |"},
      {{"--all"}, ":#18 |"},
      {{"--restore"}, ":#19 |"},
      // unknown options; the parser goes on after them
      {{"-x"}, "? |"},
      {{"--bogus", "-f"}, "? f |"},
      {{"-zf"}, "? #12 |"},
      // "--" ends the options; "-" and "/d" are words, not options
      {{"-f", "--", "-v"}, "f | -v"},
      {{"-", "/d", "-f"}, "f | - /d"},
      // words are moved behind the options, in their order
      {{"-i", "eth", "word1", "-a", "img", "word2", "-f"}, "i=eth a=img f | word1 word2"},
      {{"w1", "-f", "w2", "--", "-v", "w3"}, "f | w1 w2 -v w3"},
  };
  for (const ParserCase& c : cases) {
    std::string joined;
    for (const std::string& a : c.args) joined += "[" + a + "]";
    EXPECT_EQ(scan_all(c.args), c.expected) << joined;
  }
}

TEST_F(OptionParserTest, PosixlyCorrectStopsAtTheFirstWord) {
  setenv("POSIXLY_CORRECT", "1", 1);
  EXPECT_EQ(scan_all({"-i", "eth", "word", "-a", "img"}), "i=eth | word -a img");
  EXPECT_EQ(scan_all({"-f", "--", "-v"}), "f | -v");
}

}  // namespace
