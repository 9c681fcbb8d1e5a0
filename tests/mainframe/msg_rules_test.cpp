// The main window's message rules without windows: the transfer status, the
// clipboard monitor's change handling and address rules, and the site
// manager's name field.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/listing.h"
#include "shell/mainframe/cliprules.h"
#include "shell/mainframe/siteeditrules.h"
#include "shell/mainframe/statusrules.h"

namespace {

struct StatusFix {
  ThreadStatusRecord records[kThreadStatusRecords] = {};
  std::atomic<int32_t> active{0};
  StatusDisplayState state;
};

}  // namespace

TEST(StatusRules, BeginAndFinishTouchOnlyTheirWorker)
{
  StatusFix f;
  // The first begin starts the display; later ones only reset their record.
  EXPECT_EQ(StatusBegin::StartDisplay, StatusOnBegin(f.state, f.records, f.active, 0, 1000, 50));
  f.state.timerRunning = true;
  EXPECT_EQ(1, f.active.load());
  f.records[0].m_bytesMoved = 700;
  f.records[0].m_direction = 1;
  f.records[3].m_bytesMoved = 55;
  f.records[3].m_bytesPresent = 9;
  f.records[3].m_uploadDone = 1;
  EXPECT_EQ(StatusBegin::Recorded, StatusOnBegin(f.state, f.records, f.active, 3, 4096, 80));
  EXPECT_EQ(0u, f.records[3].m_bytesMoved);
  EXPECT_EQ(0u, f.records[3].m_bytesPresent);
  EXPECT_EQ(0, f.records[3].m_uploadDone);
  EXPECT_EQ(4096u, f.records[3].m_fileSize);
  EXPECT_EQ(80u, f.records[3].m_startTick);
  EXPECT_STREQ("00:00:00", f.records[3].m_elapsed);
  EXPECT_STREQ("00.00", f.records[3].m_speed);
  EXPECT_EQ(700u, f.records[0].m_bytesMoved) << "another worker's record changed";
  EXPECT_EQ(50u, f.records[0].m_startTick);

  // Workers outside 0..9 are no one.
  for (int worker : {10, -1}) {
    EXPECT_EQ(StatusBegin::Ignored, StatusOnBegin(f.state, f.records, f.active, worker, 1, 1));
    EXPECT_FALSE(StatusOnFinish(f.state, f.records, worker));
  }
  EXPECT_EQ(0, f.state.finishedUploads + f.state.finishedDownloads);

  // Finish counts per direction and clears what it added.
  f.records[0].m_downloadDone = 1;
  f.records[0].m_uploadDone = 1;  // not the record's direction: left alone
  f.records[3].m_direction = 0;
  f.records[3].m_uploadDone = 1;
  EXPECT_TRUE(StatusOnFinish(f.state, f.records, 0));
  EXPECT_TRUE(StatusOnFinish(f.state, f.records, 3));
  EXPECT_TRUE(StatusOnFinish(f.state, f.records, 3));  // a second finish adds nothing
  EXPECT_EQ(1, f.state.finishedDownloads);
  EXPECT_EQ(1, f.state.finishedUploads);
  EXPECT_EQ(0u, f.records[0].m_startTick);
  EXPECT_EQ(0u, f.records[0].m_bytesMoved);
  EXPECT_EQ(0, f.records[0].m_downloadDone);

  // A begin after the run ended but before the tick collapsed the display
  // does not start a second timer.
  f.active = 0;
  EXPECT_EQ(StatusBegin::Recorded, StatusOnBegin(f.state, f.records, f.active, 1, 1, 1));
}

TEST(StatusRules, TickSpeedsAndElapsed)
{
  StatusDisplayState s;
  // The display starts with totals left from an earlier run: they are no speed.
  StatusOnStart(s, 5000000, 7000000, 10000);
  StatusTickTexts t;
  s.finishedUploads = 2;
  s.finishedDownloads = 11;
  StatusOnTick(s, 5000000 + 1536, 7000000, 11000, t);
  EXPECT_STREQ("2", t.uploads);
  EXPECT_STREQ("11", t.downloads);
  EXPECT_STREQ("1.53", t.uploadSpeed);
  EXPECT_STREQ("0.00", t.downloadSpeed);
  EXPECT_STREQ("00:00:01", t.elapsed);
  // A tick in the same millisecond divides by nothing.
  StatusOnTick(s, 5000000 + 1536 + 300, 7000000 + 5, 11000, t);
  EXPECT_STREQ("300.00", t.uploadSpeed);
  EXPECT_STREQ("5.00", t.downloadSpeed);
  // Elapsed over an hour, from the display's start.
  StatusOnTick(s, 5000000 + 1836, 7000000 + 5, 10000 + 3723000, t);
  EXPECT_STREQ("01:02:03", t.elapsed);
  EXPECT_STREQ("0.00", t.uploadSpeed);

  EXPECT_STREQ("Start Time:", StatusPaneText(0));
  EXPECT_STREQ("00:00:00", StatusPaneText(11));
  EXPECT_EQ(30, StatusFieldWidth(3));
  EXPECT_EQ(60, StatusFieldWidth(9));
  EXPECT_EQ(0, StatusFieldWidth(8));
}

namespace {

const char kOwn[] = "ftp://127.0.0.1/pub/own.txt";

ClipMonitorState Joined(int mode)
{
  ClipMonitorState s;
  ClipSetMode(s, mode);
  ClipJoined(s, true);
  EXPECT_EQ(ClipAction::None, ClipOnNotice(s, "ftp://h/already.txt", kOwn)) << "the join's notice";
  return s;
}

}  // namespace

TEST(ClipRules, ChangeHandling)
{
  ClipMonitorState s = Joined(CLIPMODE_FILES);
  EXPECT_EQ(ClipAction::Queue, ClipOnNotice(s, "ftp://h/a.txt", kOwn));
  EXPECT_EQ(ClipAction::None, ClipOnNotice(s, "ftp://h/a.txt", kOwn)) << "the same text twice";
  // The program's own copy: not acted on, and not remembered either.
  EXPECT_EQ(ClipAction::None, ClipOnNotice(s, kOwn, kOwn));
  EXPECT_STREQ("ftp://h/a.txt", s.lastText);
  EXPECT_EQ(ClipAction::None, ClipOnNotice(s, nullptr, kOwn));
  // 260 characters are taken; 261 are not.
  std::string t260 = "ftp://h/" + std::string(252, 'x');
  ASSERT_EQ(260u, t260.size());
  EXPECT_EQ(ClipAction::Queue, ClipOnNotice(s, t260.c_str(), kOwn));
  EXPECT_EQ(t260, s.lastText);
  const std::string t261 = t260 + "y";
  EXPECT_EQ(ClipAction::None, ClipOnNotice(s, t261.c_str(), kOwn));
  EXPECT_EQ(t260, s.lastText);

  // Mode 1 only remembers; mode 0 does nothing.
  ClipMonitorState r = Joined(CLIPMODE_REMEMBER);
  EXPECT_EQ(ClipAction::Remembered, ClipOnNotice(r, "ftp://h/b.txt", kOwn));
  ClipChainStep step = ClipSetMode(r, CLIPMODE_OFF);
  EXPECT_TRUE(step.leave);
  EXPECT_FALSE(step.join);
  ClipLeft(r);
  EXPECT_EQ(ClipAction::None, ClipOnNotice(r, "ftp://h/c.txt", kOwn));

  // 2 to 3 stays in the chain; 0 to 1 joins and ignores the join's notice.
  step = ClipSetMode(s, CLIPMODE_FILES_FOLDERS);
  EXPECT_FALSE(step.join);
  EXPECT_FALSE(step.leave);
  EXPECT_EQ(ClipAction::Queue, ClipOnNotice(s, "ftp://h/d/", kOwn));
  step = ClipSetMode(r, CLIPMODE_REMEMBER);
  EXPECT_TRUE(step.join);
  ClipJoined(r, true);
  EXPECT_EQ(ClipAction::None, ClipOnNotice(r, "ftp://h/e.txt", kOwn));
  EXPECT_EQ(ClipAction::Remembered, ClipOnNotice(r, "ftp://h/f.txt", kOwn));
  EXPECT_EQ(-1, ClipModeOfCommand(32815));
  EXPECT_EQ(CLIPMODE_FILES_FOLDERS, ClipModeOfCommand(32814));
}

TEST(ClipRules, QueueSplits)
{
  struct Case {
    const char* path;
    int mode;
    bool queue;
    int kind;
    const char* folder;
    const char* name;
  };
  const Case cases[] = {
      {"/pub/file.zip", CLIPMODE_FILES, true, kEntryFile, "/pub", "file.zip"},
      {"/f.txt", CLIPMODE_FILES, true, kEntryFile, "/", "f.txt"},
      {"/a/b/c.tar.gz", CLIPMODE_FILES_FOLDERS, true, kEntryFile, "/a/b", "c.tar.gz"},
      {"/pub/", CLIPMODE_FILES, false, 0, "", ""},
      {"/pub/", CLIPMODE_FILES_FOLDERS, true, kEntryFolder, "/", "pub"},
      {"/a/b/c/", CLIPMODE_FILES_FOLDERS, true, kEntryFolder, "/a/b", "c"},
      {"/", CLIPMODE_FILES_FOLDERS, false, 0, "", ""},
      {"", CLIPMODE_FILES_FOLDERS, false, 0, "", ""},
      {"/pub/f.txt", CLIPMODE_REMEMBER, false, 0, "", ""},
  };
  for (const Case& c : cases) {
    const ClipQueueTarget t = ClipQueueSplit(c.path, c.mode);
    EXPECT_EQ(c.queue, t.queue) << c.path << " mode " << c.mode;
    if (!c.queue)
      continue;
    EXPECT_EQ(c.kind, t.kind) << c.path;
    EXPECT_EQ(c.folder, t.folder) << c.path;
    EXPECT_EQ(c.name, t.name) << c.path;
  }
}

TEST(ClipRules, AddressPartsMustFit)
{
  FtpUrlParts p;
  p.host = "ftp.example.org";
  p.port = 2121;
  p.path = "/pub/a b.txt";
  SiteFields f;
  ASSERT_TRUE(ClipSiteFields(p, f));
  EXPECT_STREQ("ftp.example.org", f.m_name);
  EXPECT_EQ(2121, f.m_port);
  EXPECT_EQ('1', f.SiteOptionDigits[1]) << "no user: anonymous";
  EXPECT_STREQ("/pub/a b.txt", f.m_remoteFolder);
  p.user = "joe";
  p.password = "pw";
  ASSERT_TRUE(ClipSiteFields(p, f));
  EXPECT_EQ('0', f.SiteOptionDigits[1]) << "a user logs in as himself";
  EXPECT_STREQ("joe", f.m_user);

  const auto refused = [](FtpUrlParts q) {
    SiteFields g;
    return !ClipSiteFields(q, g);
  };
  FtpUrlParts q = p;
  q.host = std::string(60, 'h');
  EXPECT_TRUE(refused(q)) << "host of 60";
  q = p;
  q.user = std::string(70, 'u');
  EXPECT_TRUE(refused(q)) << "user of 70";
  q = p;
  q.host.clear();
  EXPECT_TRUE(refused(q)) << "no host";
  q = p;
  q.path = "/" + std::string(259, 'p');
  EXPECT_TRUE(refused(q)) << "path of 260";
  q = p;
  q.path = "/a\nb";
  EXPECT_TRUE(refused(q)) << "a decoded line break";

  EXPECT_TRUE(ClipLooksLikeFtpUrl("  FTP://h/x"));
  EXPECT_FALSE(ClipLooksLikeFtpUrl("just some text"));
  EXPECT_FALSE(ClipLooksLikeFtpUrl("ftp://h/a\r\nftp://h/b"));
  EXPECT_FALSE(ClipLooksLikeFtpUrl("   "));
  EXPECT_FALSE(ClipLooksLikeFtpUrl("ftp://h/a%0Ab.txt"));
  EXPECT_FALSE(ClipLooksLikeFtpUrl("ftp://h/a%00.txt"));
  EXPECT_TRUE(ClipLooksLikeFtpUrl("ftp://h/a%20b%2"));
}

TEST(SiteEditRules, NameFieldIsScannedWithinItsWidth)
{
  char field[kSiteNameLen] = {};
  std::string a, b;
  std::strcpy(field, "old\x0Cnew");
  EXPECT_EQ(SiteNameField::Rename, SplitSiteNameField(field, sizeof field, a, b));
  EXPECT_EQ("old", a);
  EXPECT_EQ("new", b);
  std::strcpy(field, "plain");
  EXPECT_EQ(SiteNameField::Plain, SplitSiteNameField(field, sizeof field, a, b));
  EXPECT_EQ("plain", a);
  EXPECT_TRUE(b.empty());
  // 50 bytes without an end: the names ran into the next field.
  char overrun[kSiteNameLen + 8];
  std::memset(overrun, 'x', sizeof overrun);
  overrun[10] = '\x0C';
  overrun[sizeof overrun - 1] = '\0';
  EXPECT_EQ(SiteNameField::Unterminated, SplitSiteNameField(overrun, kSiteNameLen, a, b));
}
