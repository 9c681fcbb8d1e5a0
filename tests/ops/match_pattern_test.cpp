// The search's name patterns.
#include <gtest/gtest.h>

#include "engine/matchpattern.h"

TEST(MatchPattern, Table)
{
  struct Case {
    const char* list;
    const char* name;
    bool matchCase;
    int want;
  } cases[] = {
      {"*.txt,*.doc", "a.txt", false, 1},
      {"*.txt,*.doc", "b.doc", false, 1},
      {"*.txt,*.doc", "c.xls", false, 0},
      {"*.txt", "A.TXT", false, 1},
      {"*.txt", "A.TXT", true, 0},
      {"a*b*c", "axxbyybzc", false, 1},   // the first b is not the one: retry
      {"a*b*c", "axxbyybzcd", false, 0},
      {"a*bc", "abbbc", false, 1},
      {"?", "x", false, 1},
      {"?", "", false, 0},
      {"?", "xy", false, 0},
      {"a?c", "abc", false, 1},
      {"*", "noext", false, 1},
      {"*.*", "a.b", false, 1},
      {"*", "", false, 1},
      {"*.txt, *.doc", "b.doc", false, 0},  // the blank belongs to the pattern
      {"*.txt, *.doc", " b.doc", false, 1},
      {"abc", "abcd", false, 0},
      {"ab**", "ab", false, 1},
      {"", "", false, 1},
      {"x,", "", false, 1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MatchPattern(c.list, c.name, c.matchCase), c.want) << c.list << " / " << c.name << " / " << c.matchCase;
}
