// The tree's rules without a window: what a drop does, which spare names are
// taken, and a label's sections renamed or moved in the site file.
#include <gtest/gtest.h>

#include <string>

#include "sitemanager/initext.h"
#include "sitemanager/sitetreerules.h"

namespace {

using K = SiteNodeKind;
using A = SiteDropAction;

A Drop(K source, K target, bool same = false, bool inSubtree = false, bool childNamed = false)
{
  SiteDropQuery q;
  q.source = source, q.target = target, q.sameItem = same, q.targetInSourceSubtree = inSubtree,
  q.targetHasChildNamed = childNamed;
  return DecideSiteDrop(q);
}

TEST(SiteTreeRules, DropsDoWhatTheirSourceAndTargetAllow)
{
  EXPECT_EQ(A::WorkToSpare, Drop(K::WorkSite, K::SpareHeading));
  EXPECT_EQ(A::WorkToSpare, Drop(K::WorkSite, K::Label));
  EXPECT_EQ(A::SpareToWork, Drop(K::SpareSite, K::WorkHeading));
  EXPECT_EQ(A::MoveInSpare, Drop(K::SpareSite, K::Label));
  EXPECT_EQ(A::MoveInSpare, Drop(K::Label, K::SpareHeading));
  // Refused: no target, itself, a site as target, a label onto the work part,
  // a heading as source, into its own subtree, onto a clashing sibling.
  EXPECT_EQ(A::Nothing, Drop(K::SpareSite, K::None));
  EXPECT_EQ(A::Nothing, Drop(K::Label, K::Label, true));
  EXPECT_EQ(A::Nothing, Drop(K::SpareSite, K::SpareSite));
  EXPECT_EQ(A::Nothing, Drop(K::SpareSite, K::WorkSite));
  EXPECT_EQ(A::Nothing, Drop(K::Label, K::WorkHeading));
  EXPECT_EQ(A::Nothing, Drop(K::WorkSite, K::WorkHeading));
  EXPECT_EQ(A::Nothing, Drop(K::SpareHeading, K::Label));
  EXPECT_EQ(A::Nothing, Drop(K::Label, K::Label, false, true));
  EXPECT_EQ(A::Nothing, Drop(K::SpareSite, K::Label, false, false, true));
  EXPECT_EQ(A::Nothing, Drop(K::SpareSite, K::WorkHeading, false, false, true));
}

TEST(SiteTreeRules, SpareNamesAreOneTo49BytesWithoutControlBytes)
{
  EXPECT_TRUE(IsValidSpareName("a\\b"));  // no file or key is named after it
  EXPECT_TRUE(IsValidSpareName(std::string(49, 'x')));
  EXPECT_TRUE(IsValidSpareName("\xD5\xBE\xB5\xE3"));
  EXPECT_FALSE(IsValidSpareName(""));
  EXPECT_FALSE(IsValidSpareName(std::string(50, 'x')));
  EXPECT_FALSE(IsValidSpareName("a\x0C" "b"));
  EXPECT_FALSE(IsValidSpareName("a\r\nb"));
}

TEST(SiteTreeRules, LabelPathsAreRenamedAndMovedAtTheirDepth)
{
  const std::string s = "site\x0C" "top\x0C" "mid\x0C" "low\x0C";
  // "mid" renamed: the path to it with the new name replaces two labels.
  EXPECT_EQ("site\x0C" "top\x0C" "MID\x0C" "low\x0C", RelocateLabelPath(s, 2, {"top", "MID"}));
  // The subtree of "mid" moved to the heading: only "mid" and below remain.
  EXPECT_EQ("site\x0C" "mid\x0C" "low\x0C", RelocateLabelPath(s, 1, {}));
  // Moved under another label.
  EXPECT_EQ("site\x0C" "other\x0C" "top\x0C" "mid\x0C" "low\x0C", RelocateLabelPath(s, 0, {"other"}));
  // A site not that deep is left alone.
  EXPECT_EQ("site\x0C", RelocateLabelPath("site\x0C", 1, {"x"}));
}

TEST(SiteTreeRules, MovingASectionKeepsEveryEntryAndLosesNothingOnRefusal)
{
  CIniText ini(std::string("[a\x0C" "L\x0C]\r\nAddress=h.example\r\nPass=\x01\x02\r\nFuture=kept\r\n"
                           "[b\x0C]\r\nAddress=other\r\n"),
               "");
  ASSERT_TRUE(MoveSiteSection(ini, "a\x0C" "L\x0C", "a\x0C" "M\x0C"));
  EXPECT_EQ("h.example", ini.GetString("a\x0C" "M\x0C", "Address"));
  EXPECT_EQ("\x01\x02", ini.GetString("a\x0C" "M\x0C", "Pass"));
  EXPECT_EQ("kept", ini.GetString("a\x0C" "M\x0C", "Future"));
  std::string dummy;
  EXPECT_FALSE(ini.GetValue("a\x0C" "L\x0C", "Address", dummy));
  EXPECT_EQ("other", ini.GetString("b\x0C", "Address"));
  // A name with a line break is refused; the old section stays whole.
  EXPECT_FALSE(MoveSiteSection(ini, "b\x0C", "b\r\n\x0C"));
  EXPECT_EQ("other", ini.GetString("b\x0C", "Address"));
  EXPECT_FALSE(MoveSiteSection(ini, "missing\x0C", "x\x0C"));
}

}  // namespace
