#include "platform/common/environment_text.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(EnvironmentText, ExpandsSetNamesAndKeepsTheRest) {
  EnvironmentLookup lookup = [](const std::string& name) -> std::optional<std::string> {
    if (name == "systemdrive") return std::string("/h/drive_c");
    if (name == "X") return std::string("x%X%");  // values are not expanded again
    return std::nullopt;
  };
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"%systemdrive%\\kstsystem\\log\\", "/h/drive_c\\kstsystem\\log\\"},
      {"a%unset%b", "a%unset%b"},
      {"%unset%X%", "%unsetx%X%"},
      {"%X%%X%", "x%X%x%X%"},
      {"100%", "100%"},
      {"%%", "%%"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(expandEnvironmentText(c.in, lookup), c.out) << c.in;
}

}  // namespace
}  // namespace platform
