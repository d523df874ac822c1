#include "sw/tools/flashLoader/hostglue/text_compare.h"

#include <gtest/gtest.h>

namespace {

TEST(TextCompare, LettersFoldEverythingElseMustMatch) {
  struct Case {
    const char* a;
    const char* b;
    bool equal;
  };
  for (const Case& c : {Case{"Properties", "PROPERTIES", true}, Case{"{4D36E972-E325}", "{4d36e972-e325}", true},
                        Case{"", "", true}, Case{"Local Area Connection", "Local Area Connection 2", false},
                        Case{"a", "", false}, Case{"[", "{", false}, Case{"@", "`", false},
                        Case{"\xC4", "\xE4", false}})
  {
    EXPECT_EQ(equal_ignoring_case(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(folded_case(c.a) == folded_case(c.b), c.equal) << c.a << " / " << c.b;
  }
}

}  // namespace
