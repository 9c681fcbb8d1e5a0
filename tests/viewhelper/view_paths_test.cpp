// Paths of tree nodes and rows in both forms.
#include "views/viewpaths.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using Labels = std::vector<std::string>;

TEST(ViewPaths, ServerFormFromTheStartFolder)
{
  EXPECT_EQ(ComposeServerPath("/", {"site"}), "/");
  EXPECT_EQ(ComposeServerPath("/", {"site", "pub"}), "/pub");
  EXPECT_EQ(ComposeServerPath("/home/x/", {"site", "a", "b"}), "/home/x/a/b");
  EXPECT_EQ(ComposeServerPath("/home/x/", {"site"}), "/home/x/");
  EXPECT_EQ(ComposeServerPath("", {"site", "a", "b"}), "/a/b");
  EXPECT_EQ(ComposeServerPath("/", Labels{}), "");
}

TEST(ViewPaths, LocalFormFromTheTopLevelPath)
{
  EXPECT_EQ(ComposeLocalPath("C:\\", {"Local Disk (C:)"}), "C:\\");
  EXPECT_EQ(ComposeLocalPath("C:\\", {"Local Disk (C:)", "a"}), "C:\\a");
  EXPECT_EQ(ComposeLocalPath("C:\\Users\\me\\Desktop", {"Desktop", "x", "y"}), "C:\\Users\\me\\Desktop\\x\\y");
  EXPECT_EQ(ComposeLocalPath("C:\\", Labels{}), "");
}

TEST(ViewPaths, TopLevelPathsByIndexStayInsideTheBuffer)
{
  char buffer[32] = {};
  memcpy(buffer, "D:\\desk\0C:\\\0E:\\\0", 16);
  EXPECT_STREQ(LocalRootPathAt(buffer, sizeof buffer, 0), "D:\\desk");
  EXPECT_STREQ(LocalRootPathAt(buffer, sizeof buffer, 2), "E:\\");
  EXPECT_EQ(LocalRootPathAt(buffer, sizeof buffer, 3), nullptr);
  EXPECT_EQ(LocalRootPathAt(buffer, sizeof buffer, -1), nullptr);
  char full[4] = {'a', 'b', 'c', 'd'};  // no terminator anywhere
  EXPECT_EQ(LocalRootPathAt(full, sizeof full, 0), nullptr);
  EXPECT_EQ(LocalRootPathAt(full, sizeof full, 1), nullptr);
}

TEST(ViewPaths, RowPathsJoinOnce)
{
  EXPECT_EQ(JoinRowPath("/", "DATA", false), "/DATA");
  EXPECT_EQ(JoinRowPath("/pub", "DATA", false), "/pub/DATA");
  EXPECT_EQ(JoinRowPath("C:\\", "a.txt", true), "C:\\a.txt");
  EXPECT_EQ(JoinRowPath("C:\\x", "a.txt", true), "C:\\x\\a.txt");
}

}  // namespace
