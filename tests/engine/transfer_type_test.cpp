// The TYPE argument of a transfer.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/engineutil.h"
#include "shell/settings/settings.h"

namespace {

CString AutoType(const char* path) { return GetTransferTypeText(path, 0, kDefaultAsciiExtensions); }

TEST(TransferType, FixedTypes)
{
  EXPECT_EQ(GetTransferTypeText("a.zip", 1, kDefaultAsciiExtensions), CString("A"));
  EXPECT_EQ(GetTransferTypeText("a.txt", 2, kDefaultAsciiExtensions), CString("I"));
  EXPECT_EQ(GetTransferTypeText("a.txt", 7, kDefaultAsciiExtensions), CString("I"));
  EXPECT_EQ(GetTransferTypeText("a.txt", -1, kDefaultAsciiExtensions), CString("I"));
}

TEST(TransferType, AutoDetectMatchesWholeEntries)
{
  for (const char* path : {"readme.txt", "README.TXT", "/pub/index.Html", "x.c", "x.C", "x.h", "x.cpp",
                           "x.php", "x.php3", "x.asp", "x.pl", "x.pm", "x.screenrc", "C:\\src\\main.cpp"})
    EXPECT_EQ(AutoType(path), CString("A")) << path;
  // Parts of entries are not entries: ".A" lies inside ".ASP", ".PA" inside
  // ".PAS", ".SC" inside ".SCREENRC", ".PHP" begins ".PHP3" but ".PH" is nothing.
  for (const char* path : {"x.a", "x.pa", "x.sc", "x.ph", "x.htmlx", "x.cp", "x.tx", "x.xt", "x.zip",
                           "x.exe", "noext", "file.", "", "x.TXT.gz"})
    EXPECT_EQ(AutoType(path), CString("I")) << path;
}

TEST(TransferType, OnlyTheFileNameHasTheExtension)
{
  EXPECT_EQ(AutoType("/pub/docs.txt/binary"), CString("I"));
  EXPECT_EQ(AutoType("C:\\docs.txt\\setup"), CString("I"));
  EXPECT_EQ(AutoType("/pub/docs.txt/notes.txt"), CString("A"));
  EXPECT_EQ(AutoType(nullptr), CString("I"));
  EXPECT_EQ(GetTransferTypeText("x.txt", 0, ""), CString("I"));
  EXPECT_EQ(GetTransferTypeText("x.log", 0, ".LOG"), CString("A"));
  EXPECT_EQ(GetTransferTypeText("x.log", 0, ".log.cfg"), CString("A"));
}

TEST(TransferType, FollowsTheSettings)
{
  ResetSettingsDefaults();
  EXPECT_EQ(GetTransferTypeText("notes.txt"), CString("A"));
  EXPECT_EQ(GetTransferTypeText("photo.jpg"), CString("I"));
  g_transferType = 1;
  EXPECT_EQ(GetTransferTypeText("photo.jpg"), CString("A"));
  g_transferType = 2;
  EXPECT_EQ(GetTransferTypeText("notes.txt"), CString("I"));
  g_transferType = 0;
  strcpy(g_asciiExtensions, ".JPG");
  EXPECT_EQ(GetTransferTypeText("photo.jpg"), CString("A"));
  EXPECT_EQ(GetTransferTypeText("notes.txt"), CString("I"));
  ResetSettingsDefaults();
}

TEST(TransferType, ResultsAreValuesNotSharedBuffers)
{
  CString line;
  line.Format("TYPE %s / TYPE %s", GetTransferTypeText("a.txt", 0, kDefaultAsciiExtensions).GetString(),
              GetTransferTypeText("a.bin", 0, kDefaultAsciiExtensions).GetString());
  EXPECT_EQ(line, CString("TYPE A / TYPE I"));
}

}  // namespace
