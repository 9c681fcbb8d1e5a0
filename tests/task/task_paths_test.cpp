// The worker's one-time remote-folder fix and the search's match-case mark.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/progtask.h"

namespace {

std::string Fixed(const char* path, const char* folder, bool emptyCase)
{
  char buffer[kTaskPathLen];
  std::snprintf(buffer, sizeof(buffer), "%s", path);
  ApplyRemoteFolder(buffer, sizeof(buffer), folder, emptyCase);
  return buffer;
}

}  // namespace

TEST(TaskPaths, RemoteFolderRules)
{
  EXPECT_EQ("/pub", Fixed("/", "/pub", true));
  EXPECT_EQ("", Fixed("/", "", true));
  EXPECT_EQ("/", Fixed("/", "", false));
  EXPECT_EQ("/pub/a", Fixed("/pub/a", "/pub", true));  // already inside
  EXPECT_EQ("/pub/x/y", Fixed("/x/y", "/pub", true));
  EXPECT_EQ("/x/y", Fixed("/x/y", "", true));
  // Too long to hold the folder: left as it was, not cut.
  std::string longPath = "/" + std::string(250, 'a');
  EXPECT_EQ(longPath, Fixed(longPath.c_str(), "/pub/folder", true));
}

TEST(TaskPaths, OnlyRemotePathsAreFixed)
{
  char first[kTaskPathLen] = "/";
  char second[kTaskPathLen] = "C:/local";
  FixOneSitePaths(TASK_UPLOAD, first, second, kTaskPathLen, "/pub");
  EXPECT_STREQ("/pub", first);
  EXPECT_STREQ("C:/local", second);

  // Passwords never get the folder, whatever they hold.
  char oldPass[kTaskPathLen] = "a/b";
  char newPass[kTaskPathLen] = "c/d";
  FixOneSitePaths(TASK_CHANGE_PASSWORD, oldPass, newPass, kTaskPathLen, "/pub");
  EXPECT_STREQ("a/b", oldPass);
  EXPECT_STREQ("c/d", newPass);

  // A local second path is not fixed when the first has no "/".
  char none[kTaskPathLen] = "";
  char local[kTaskPathLen] = "C:/tmp";
  FixOneSitePaths(TASK_DOWNLOAD, none, local, kTaskPathLen, "/pub");
  EXPECT_STREQ("C:/tmp", local);

  // The move's target is remote: fixed when the first is empty, "/" kept without a folder.
  char target[kTaskPathLen] = "/";
  FixOneSitePaths(TASK_MOVE, none, target, kTaskPathLen, "");
  EXPECT_STREQ("/", target);
  FixOneSitePaths(TASK_MOVE, none, target, kTaskPathLen, "/pub");
  EXPECT_STREQ("/pub", target);
}

TEST(TaskPaths, MatchCaseOnlyForSearch)
{
  char pattern[kTaskPathLen] = "*.txt?";
  EXPECT_EQ(1, TakeMatchCaseMark(TASK_SEARCH, pattern));
  EXPECT_STREQ("*.txt", pattern);
  EXPECT_EQ(0, TakeMatchCaseMark(TASK_SEARCH, pattern));
  EXPECT_STREQ("*.txt", pattern);

  char password[kTaskPathLen] = "a/b?";
  EXPECT_EQ(0, TakeMatchCaseMark(TASK_CHANGE_PASSWORD, password));
  EXPECT_STREQ("a/b?", password);
  char folder[kTaskPathLen] = "/why?";
  EXPECT_EQ(0, TakeMatchCaseMark(TASK_RECORD_STRUCTURE, folder));
  EXPECT_STREQ("/why?", folder);
  char empty[kTaskPathLen] = "";
  EXPECT_EQ(0, TakeMatchCaseMark(TASK_SEARCH, empty));
}
