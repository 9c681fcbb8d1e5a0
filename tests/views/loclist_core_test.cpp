// The local list's and list pane's rules without a window: the first row's
// height, the one delete list of full paths however long, and the character
// test of a typed name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/confirmtext.h"
#include "views/listpanerules.h"
#include "views/loctreerules.h"

namespace {

TEST(LocListRules, FirstRowHeightOfTheListPane)
{
  // Bit 21 clear: 0.4 of the page whatever was saved.
  EXPECT_EQ(ListPaneFirstRowHeight(false, 300, 500), 200);
  EXPECT_EQ(ListPaneFirstRowHeight(false, 0, 499), 199);  // cut, not rounded
  // Set with nothing saved: 0.4; with 300 saved: 300, whatever the page.
  EXPECT_EQ(ListPaneFirstRowHeight(true, 0, 500), 200);
  EXPECT_EQ(ListPaneFirstRowHeight(true, -5, 500), 200);
  EXPECT_EQ(ListPaneFirstRowHeight(true, 300, 500), 300);
  EXPECT_EQ(ListPaneFirstRowHeight(true, 300, 100), 300);
  // Never below 0.
  EXPECT_EQ(ListPaneFirstRowHeight(false, 0, -40), 0);
  EXPECT_EQ(ListPaneFirstRowHeight(false, 0, 0), 0);
}

TEST(LocListRules, DeleteListHoldsFiftyPathsOf259CharactersWhole)
{
  // As long as a path gets: 259 characters each, none fitting a 260-byte list
  // beside another.
  std::vector<std::string> paths;
  const std::string folder = "C:\\users\\me\\Temp\\long";
  for (int i = 0; i < 50; ++i) {
    std::string p = folder + "\\" + std::to_string(100 + i) + "_";
    p += std::string(259 - p.size(), (char)('a' + i % 26));
    ASSERT_EQ(p.size(), 259u);
    paths.push_back(p);
  }
  paths.insert(paths.begin() + 7, "");  // an empty path is left out
  const std::string list = BuildShellPathList(paths);
  ASSERT_EQ(list.size(), 50u * 260u + 1u);
  EXPECT_EQ(list.back(), '\0');
  std::vector<std::string> got;
  for (size_t at = 0; at < list.size() && list[at] != '\0';) {
    got.push_back(list.c_str() + at);
    at += got.back().size() + 1;
  }
  paths.erase(paths.begin() + 7);
  EXPECT_EQ(got, paths);
  // Nothing to delete still makes a terminated list.
  EXPECT_EQ(BuildShellPathList({}), std::string(2, '\0'));
}

TEST(LocListRules, TypedNamesAreTestedByTheirCharactersOnly)
{
  for (const char* good : {"b.txt", " b.txt", "b.txt  ", "name.", "a b"}) {
    EXPECT_TRUE(HasOnlyNameCharacters(good)) << good;
  }
  for (const char* bad : {"", ".", "..", "..\\up", "a/b", "c:x", "a*", "a?", "\"q\"", "<a>", "a|b", "tab\there"}) {
    EXPECT_FALSE(HasOnlyNameCharacters(bad)) << bad;
  }
  // The transfer names keep their stricter rule: no trailing blank or dot.
  EXPECT_FALSE(IsValidTransferName("b.txt "));
  EXPECT_FALSE(IsValidTransferName("name."));
  EXPECT_TRUE(IsValidTransferName("b.txt"));
}

}  // namespace
