// The local tree's window-free rules: the folder a site's local folder leads
// through, the shell's source list of a copy, folder labels, top-level paths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "views/loctreerules.h"
#include "views/viewpaths.h"

namespace {

TEST(LocTreeRules, FollowMatchesAtPathComponentBoundaries)
{
  EXPECT_EQ(FollowStepFor("c:\\foo", "C:\\Foo"), FollowStep::kArrived);
  EXPECT_EQ(FollowStepFor("C:\\foo\\", "c:\\foo"), FollowStep::kArrived);
  EXPECT_EQ(FollowStepFor("C:\\", "c:\\foo\\bar"), FollowStep::kOnTheWay);
  EXPECT_EQ(FollowStepFor("c:\\FOO", "c:\\foo\\bar\\"), FollowStep::kOnTheWay);
  // Only a whole component leads on; containment elsewhere is not the way.
  EXPECT_EQ(FollowStepFor("c:\\foo", "c:\\foobar\\x"), FollowStep::kAside);
  EXPECT_EQ(FollowStepFor("c:\\foobar", "c:\\foo"), FollowStep::kAside);
  EXPECT_EQ(FollowStepFor("bar", "c:\\foo\\bar"), FollowStep::kAside);
  EXPECT_EQ(FollowStepFor("d:\\", "c:\\foo"), FollowStep::kAside);
  // No folder to follow, or a node without a path, leads nowhere.
  EXPECT_EQ(FollowStepFor("c:\\", ""), FollowStep::kAside);
  EXPECT_EQ(FollowStepFor("", "c:\\foo"), FollowStep::kAside);
}

TEST(LocTreeRules, CopyListHoldsEveryFullPathInOneDoubleNulList)
{
  std::vector<std::string> names;
  for (int i = 0; i < 60; ++i)
    names.push_back(std::string(197, 'a' + i % 26) + std::to_string(100 + i));
  const std::string folder = "C:\\users\\me\\Temp\\src";
  const std::string list = BuildShellFileList(folder + "\\", names);
  ASSERT_GE(list.size(), 2u);
  EXPECT_EQ(list[list.size() - 1], '\0');
  EXPECT_EQ(list[list.size() - 2], '\0');
  std::vector<std::string> got;
  for (size_t at = 0; at < list.size() && list[at] != '\0';) {
    got.emplace_back(list.c_str() + at);
    at += got.back().size() + 1;
  }
  ASSERT_EQ(got.size(), 60u);
  for (size_t i = 0; i < got.size(); ++i)
    EXPECT_EQ(got[i], folder + "\\" + names[i]);
  EXPECT_EQ(list.size(), 60 * (folder.size() + 1 + 200 + 1) + 1);
  // No entries still gives a well-formed empty list; empty names are left out.
  EXPECT_EQ(BuildShellFileList("C:\\", {}), std::string(2, '\0'));
  EXPECT_EQ(BuildShellFileList("C:\\", {"", "x"}), std::string("C:\\x") + std::string(2, '\0'));
}

TEST(LocTreeRules, FolderLabelsAndTopLevelPaths)
{
  EXPECT_TRUE(IsUsableFolderLabel("New Folder"));
  for (const char* bad : {"", "..", ".", "..\\..\\x", "a/b", "c:", "a*b", "q?", "<x>", "p|q", "\"", "tab\there"})
    EXPECT_FALSE(IsUsableFolderLabel(bad)) << bad;

  char buffer[3 * 260 + 264];
  const char* folders[3] = {"C:\\users\\me\\Desktop", "C:\\users\\me\\Documents", ""};
  const char drives[] = "C:\\\0D:\\\0Z:\\\0";
  ASSERT_EQ(FillLocalRootPaths(buffer, sizeof buffer, folders, drives), 3);
  EXPECT_STREQ(LocalRootPathAt(buffer, sizeof buffer, 0), folders[0]);
  EXPECT_STREQ(LocalRootPathAt(buffer, sizeof buffer, 1), folders[1]);
  EXPECT_EQ(LocalRootPathAt(buffer, sizeof buffer, 2), nullptr);  // the empty Favorites slot
  EXPECT_STREQ(LocalRootPathAt(buffer, sizeof buffer, 3), "C:\\");
  EXPECT_STREQ(LocalRootPathAt(buffer, sizeof buffer, 5), "Z:\\");
  EXPECT_EQ(LocalRootPathAt(buffer, sizeof buffer, 6), nullptr);
  // Three paths of 259 characters and 26 drives still fit, ended by two NULs.
  const std::string longPath(259, 'p');
  const char* longFolders[3] = {longPath.c_str(), longPath.c_str(), longPath.c_str()};
  std::string many;
  for (char d = 'A'; d <= 'Z'; ++d)
    many += std::string(1, d) + ":\\" + std::string(1, '\0');
  EXPECT_EQ(FillLocalRootPaths(buffer, sizeof buffer, longFolders, many.c_str()), 26);
  EXPECT_STREQ(LocalRootPathAt(buffer, sizeof buffer, 28), "Z:\\");
  // A buffer too small keeps what fits and stays terminated.
  char small[40];
  EXPECT_EQ(FillLocalRootPaths(small, sizeof small, folders, drives), 0);
  EXPECT_EQ(small[sizeof small - 1], '\0');
}

}  // namespace
