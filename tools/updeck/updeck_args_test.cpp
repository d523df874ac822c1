#include "tools/updeck/updeck_args.h"

#include <gtest/gtest.h>

namespace updeck {
namespace {

using Words = std::vector<std::string>;

TEST(UpdeckArgs, OptionsThenCommandThenHostWordsTakenAsTheyAre) {
  Request r;
  std::string error;
  ASSERT_TRUE(parseRequest({"--component", "pkg", "--log-dir", "logs", "--verbose", "--json", "install", "--silent",
                            "/d", "--json", "report.xml"},
                           &r, &error))
      << error;
  EXPECT_EQ(r.componentDir, "pkg");
  EXPECT_EQ(r.logDir, "logs");
  EXPECT_TRUE(r.verbose);
  EXPECT_TRUE(r.json);
  EXPECT_EQ(r.command, Command::Install);
  EXPECT_TRUE(r.silent);
  EXPECT_EQ(r.hostArgs, (Words{"/d", "--json", "report.xml"}));

  ASSERT_TRUE(parseRequest({"properties", "/u", "x.xml"}, &r, &error));
  EXPECT_EQ(r.command, Command::Properties);
  EXPECT_EQ(r.componentDir, ".");
  EXPECT_FALSE(r.silent);
  EXPECT_EQ(r.hostArgs, (Words{"/u", "x.xml"}));

  ASSERT_TRUE(parseRequest({"install", "/s", "--silent"}, &r, &error));
  EXPECT_FALSE(r.silent);  // --silent counts only right after the command
  EXPECT_EQ(r.hostArgs, (Words{"/s", "--silent"}));

  ASSERT_TRUE(parseRequest({"--verbose", "--help"}, &r, &error));
  EXPECT_EQ(r.command, Command::Help);
}

TEST(UpdeckArgs, BadCommandLinesAreRefusedWithAReason) {
  const std::pair<Words, const char*> cases[] = {
      {{}, "no command given"},
      {{"--json"}, "no command given"},
      {{"--component"}, "--component needs a value"},
      {{"--colour", "install"}, "unknown option --colour"},
      {{"uninstall"}, "unknown command uninstall"},
  };
  for (const auto& [words, reason] : cases) {
    Request r;
    std::string error;
    EXPECT_FALSE(parseRequest(words, &r, &error)) << reason;
    EXPECT_EQ(error, reason);
  }
}

TEST(UpdeckArgs, ManagerCommandLineAndTheRequestThatTravelsToIt) {
  Request r;
  r.hostArgs = {"/d", "C:\\reports\\r.xml"};
  EXPECT_EQ(managerArguments(r), (Words{"updeck", "/d", "C:\\reports\\r.xml"}));
  r.verbose = true;
  EXPECT_EQ(managerArguments(r), (Words{"updeck", "/d", "C:\\reports\\r.xml", "/verbose_log"}));
  r.hostArgs = {"/VERBOSE_LOG"};
  EXPECT_EQ(managerArguments(r), (Words{"updeck", "/VERBOSE_LOG"}));

  r.componentDir = "dir with blanks";
  r.logDir = "logs";
  r.json = true;
  r.command = Command::Install;
  r.silent = true;
  Request back;
  ASSERT_TRUE(decodeRequest(encodeRequest(r), &back));
  EXPECT_EQ(back.componentDir, r.componentDir);
  EXPECT_EQ(back.logDir, r.logDir);
  EXPECT_EQ(back.verbose, r.verbose);
  EXPECT_EQ(back.json, r.json);
  EXPECT_EQ(back.command, r.command);
  EXPECT_EQ(back.silent, r.silent);
  EXPECT_EQ(back.hostArgs, r.hostArgs);
  EXPECT_FALSE(decodeRequest("{\"component\": 3}", &back));
  EXPECT_FALSE(decodeRequest("not json", &back));
}

}  // namespace
}  // namespace updeck
