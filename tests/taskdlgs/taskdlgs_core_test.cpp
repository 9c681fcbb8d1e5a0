// The task dialogs' rules: what OK makes of typed text, the attribute number
// and its checks, the Manual Get path split and the schedule over a set clock.
#include <gtest/gtest.h>

#include <string>

#include "engine/planitem.h"
#include "shell/taskdlgs/schedulerules.h"
#include "shell/taskdlgs/taskdlgrules.h"

TEST(ChmodRule, DigitsKeepTheirLowBitsAndOddTextReadsAsZero)
{
  bool checks[kChmodChecks];
  // 758: owner rwx, group r-x, public nothing (8 has none of the low bits).
  ChmodToChecks(ChmodModeFromText("758"), checks);
  const bool want[kChmodChecks] = {true, true, true, true, false, true, false, false, false};
  for (int i = 0; i < kChmodChecks; ++i)
    EXPECT_EQ(checks[i], want[i]) << i;
  EXPECT_EQ(ChmodFromChecks(checks), 750);

  // Text that is no three-digit number sets no bit at all.
  for (const char* bad : {"1777", "-5", "", "7a5", " 75", "9999"})
    EXPECT_EQ(ChmodModeFromText(bad), 0) << bad;
  EXPECT_EQ(ChmodModeFromText("5"), 5);
  EXPECT_EQ(ChmodModeFromText("064"), 64);
  EXPECT_EQ(ChmodModeFromText("999"), 111);
  EXPECT_EQ(ChmodNormalise(1777), 0);
  EXPECT_EQ(ChmodNormalise(-5), 0);

  // Every mode goes round through the checks unchanged.
  for (int mode = 0; mode <= 777; ++mode) {
    if (ChmodNormalise(mode) != mode)
      continue;
    ChmodToChecks(mode, checks);
    ASSERT_EQ(ChmodFromChecks(checks), mode);
  }
}

TEST(RecordDirRule, RecordAndManualGetTexts)
{
  CString save = "  C:\\rec.txt ", remote = "   ";
  EXPECT_EQ(ApplyRecordDirRules(1, save, remote), RecordDirRefusal::None);
  EXPECT_EQ(std::string(save), "C:\\rec.txt");
  EXPECT_EQ(std::string(remote), "/");  // an empty start records from the root

  save = " ";
  remote = "/pub";
  EXPECT_EQ(ApplyRecordDirRules(1, save, remote), RecordDirRefusal::NoSaveTarget);
  EXPECT_STREQ(RecordDirRefusalText(1, RecordDirRefusal::NoSaveTarget), "Please specify a file for saving record");
  EXPECT_EQ(ApplyRecordDirRules(0, save, remote), RecordDirRefusal::NoSaveTarget);
  EXPECT_STREQ(RecordDirRefusalText(0, RecordDirRefusal::NoSaveTarget), "Please specify a folder for saving file");

  // Manual Get: the root or nothing is no file.
  for (const char* text : {"/", "", "  / "}) {
    save = "C:\\in";
    remote = text;
    EXPECT_EQ(ApplyRecordDirRules(0, save, remote), RecordDirRefusal::NoFileName) << text;
  }
  EXPECT_STREQ(RecordDirRefusalText(0, RecordDirRefusal::NoFileName), "Please enter a file name. ");
  remote = " a/b/ ";
  EXPECT_EQ(ApplyRecordDirRules(0, save, remote), RecordDirRefusal::None);
  EXPECT_EQ(std::string(remote), "/a/b");
  remote = "/x.zip";
  EXPECT_EQ(ApplyRecordDirRules(0, save, remote), RecordDirRefusal::None);
  EXPECT_EQ(std::string(remote), "/x.zip");
}

TEST(ManualGetSplit, FolderAndNameOfTheQueueItem)
{
  std::string folder, name;
  ASSERT_TRUE(SplitRemoteFilePath("/pub/x/file.tar.gz", folder, name));
  EXPECT_EQ(folder, "/pub/x");
  EXPECT_EQ(name, "file.tar.gz");
  ASSERT_TRUE(SplitRemoteFilePath("file", folder, name));
  EXPECT_EQ(folder, "/");
  EXPECT_EQ(name, "file");
  ASSERT_TRUE(SplitRemoteFilePath("/top", folder, name));
  EXPECT_EQ(folder, "/");
  EXPECT_EQ(name, "top");
  ASSERT_TRUE(SplitRemoteFilePath("a/b", folder, name));
  EXPECT_EQ(folder, "/a");
  // No name: nothing to get.
  EXPECT_FALSE(SplitRemoteFilePath("/pub/", folder, name));
  EXPECT_FALSE(SplitRemoteFilePath("", folder, name));
}

TEST(SearchRule, MatchCaseMarkAndDefaultTypes)
{
  CString folder = "  ", types = " ";
  ApplySearchFileRules(folder, types, true);
  EXPECT_EQ(std::string(folder), "/?");
  EXPECT_EQ(std::string(types), "*.*");
  folder = " /pub ";
  types = " *.txt,*.cpp ";
  ApplySearchFileRules(folder, types, false);
  EXPECT_EQ(std::string(folder), "/pub");
  EXPECT_EQ(std::string(types), "*.txt,*.cpp");
}

namespace {
int64_t g_now = 0;
int64_t TestClock() { return g_now; }
}  // namespace

TEST(ScheduleRule, StartStopAndAbortOverTheClock)
{
  ScheduleClockFn previous = SetScheduleClock(TestClock);
  g_now = 1000000;
  EXPECT_EQ(ScheduleNow(), 1000000);
  ScheduleState state;

  // A start not in the future arms nothing.
  EXPECT_EQ(ArmSchedule(state, g_now, g_now, true, g_now + 60), ScheduleArmResult::StartPassed);
  EXPECT_EQ(state.start, 0);
  EXPECT_EQ(state.stop, 0);
  EXPECT_FALSE(state.armed);
  EXPECT_EQ(ArmSchedule(state, g_now, g_now - 3600, false, 0), ScheduleArmResult::StartPassed);

  // A future start fires once; the stop later fires once.
  ASSERT_EQ(ArmSchedule(state, g_now, g_now + 60, true, g_now + 120), ScheduleArmResult::Armed);
  EXPECT_FALSE(TickSchedule(state, g_now + 59).startQueue);
  ScheduleTick tick = TickSchedule(state, g_now + 61);
  EXPECT_TRUE(tick.startQueue);
  EXPECT_FALSE(tick.stopQueue);
  EXPECT_FALSE(TickSchedule(state, g_now + 62).startQueue);
  tick = TickSchedule(state, g_now + 500);
  EXPECT_TRUE(tick.stopQueue);
  EXPECT_FALSE(TickSchedule(state, g_now + 501).stopQueue);

  // A stop before the start (or disabled, or past) is not kept.
  ASSERT_EQ(ArmSchedule(state, g_now, g_now + 120, true, g_now + 60), ScheduleArmResult::Armed);
  EXPECT_EQ(state.stop, 0);
  ASSERT_EQ(ArmSchedule(state, g_now, g_now + 120, false, g_now + 600), ScheduleArmResult::Armed);
  EXPECT_EQ(state.stop, 0);
  ASSERT_EQ(ArmSchedule(state, g_now, g_now + 120, true, g_now - 1), ScheduleArmResult::Armed);
  EXPECT_EQ(state.stop, 0);

  // Abort clears both: nothing fires afterwards.
  ASSERT_EQ(ArmSchedule(state, g_now, g_now + 60, true, g_now + 120), ScheduleArmResult::Armed);
  AbortSchedule(state);
  tick = TickSchedule(state, g_now + 1000);
  EXPECT_FALSE(tick.startQueue);
  EXPECT_FALSE(tick.stopQueue);
  EXPECT_FALSE(state.armed);
  SetScheduleClock(previous);
}
