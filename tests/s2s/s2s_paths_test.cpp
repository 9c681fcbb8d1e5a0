// The connection-free rules of a copy between two servers: what of a passive
// reply may go to the other server, and the folder rules that keep a copy on
// one site out of the copy it makes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/s2spath.h"

TEST(S2sPortArgument, OnlyASoundPassiveReplyGoesOut)
{
  char out[64];
  ASSERT_TRUE(FxpPortArgument("227 Entering Passive Mode (127,0,0,2,19,137).", out, sizeof(out)));
  EXPECT_STREQ(out, "127,0,0,2,19,137");
  ASSERT_TRUE(FxpPortArgument("227 Entering passive mode (192, 168, 0, 2, 0, 21)", out, sizeof(out)));
  EXPECT_STREQ(out, "192,168,0,2,0,21");

  const std::string huge = "227 Entering Passive Mode (127,0,0,1," + std::string(600, '9') + ",1).";
  for (const char* bad : {"227 Entering Passive Mode (127,0,0,2,19",        // no ')', five numbers
                          "227 Entering Passive Mode (127,0,0,300,4,1).",  // a number above 255
                          "227 Entering Passive Mode (127,0,0,1,4).",      // five numbers
                          "227 Entering Passive Mode (127,0,0,1,0,0).",    // port 0
                          "227 Entering Passive Mode =127,0,0,1,4,1",      // no '('
                          "200 (127,0,0,1,4,1)",                           // no 227
                          "", huge.c_str()}) {
    std::strcpy(out, "junk");
    EXPECT_FALSE(FxpPortArgument(bad, out, sizeof(out))) << bad;
    EXPECT_STREQ(out, "") << bad;
  }
  EXPECT_FALSE(FxpPortArgument(nullptr, out, sizeof(out)));
  // Too small a buffer is a failure, never a cut argument.
  char small[10];
  EXPECT_FALSE(FxpPortArgument("227 ok (127,0,0,2,19,137)", small, sizeof(small)));
  EXPECT_STREQ(small, "");
}

TEST(S2sFolders, JoinWithinAndNames)
{
  EXPECT_EQ(S2sJoinPath("/a", "b"), "/a/b");
  EXPECT_EQ(S2sJoinPath("/a/", "b"), "/a/b");
  EXPECT_EQ(S2sJoinPath("", "b"), "/b");

  EXPECT_TRUE(RemotePathWithin("/p/x/in/x", "/p/x/in/x"));
  EXPECT_TRUE(RemotePathWithin("/p/x/in/x/", "/p/x/in/x"));
  EXPECT_TRUE(RemotePathWithin("/p/x/in/x/deep", "/p/x/in/x/"));
  EXPECT_FALSE(RemotePathWithin("/p/x/in", "/p/x/in/x"));  // the folder holding the copy is copied
  EXPECT_FALSE(RemotePathWithin("/p/x/inx", "/p/x/in"));
  EXPECT_FALSE(RemotePathWithin("/p/x", "/p/x/in/x"));
  EXPECT_TRUE(RemotePathWithin("/anything", "/"));
  EXPECT_FALSE(RemotePathWithin("/a", ""));

  EXPECT_TRUE(IsPlainRemoteName("file.txt"));
  EXPECT_TRUE(IsPlainRemoteName("..hidden"));
  for (const char* bad : {"", ".", "..", "a/b", "../x", "/etc"})
    EXPECT_FALSE(IsPlainRemoteName(bad)) << bad;
  EXPECT_FALSE(IsPlainRemoteName(nullptr));
}
