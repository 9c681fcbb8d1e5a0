// The remote file operation tasks against the loopback pyftpdlib server: make
// folder, rename of exact names, move, delete of a whole tree, attributes and
// the password change (which pyftpdlib refuses), with what reaches the log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/confirmdlg.h"
#include "engine/connlog.h"
#include "engine/exitrequest.h"
#include "engine/fileops.h"
#include "engine/siteitem.h"
#include "shell/settings/settings.h"
#include "tests/keeper/keeperfix.h"
#include "tests/net/netclient.h"
#include "tests/support/peers.h"
#include "tests/task/taskfix.h"

using namespace keepertest;
using namespace tasktest;
using nettest::LogDump;

namespace {

EntryRecord* Records(const std::vector<std::pair<std::string, std::string>>& items, int kind = kEntryFile)
{
  EntryRecord* r = new EntryRecord[items.size() + 1];
  std::memset(r, 0, sizeof(EntryRecord) * (items.size() + 1));
  for (size_t i = 0; i < items.size(); ++i) {
    std::snprintf(r[i].m_name, sizeof(r[i].m_name), "%s", items[i].first.c_str());
    std::snprintf(r[i].m_second, sizeof(r[i].m_second), "%s", items[i].second.c_str());
    r[i].m_kind = kind;
  }
  return r;
}

class FileOps : public ::testing::Test {
protected:
  void SetUp() override
  {
    FastSettings();
    g_sendTimeout = 3;
    g_taskConnectWaitMs = 8000;
    port = peers::Port("ZARN_PYFTPD_PORT");
    ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --pyftpd";
    root = peers::Env("ZARN_PYFTPD_ROOT_WIN");
    SetUpSite(site, port, peers::Env("ZARN_PYFTPD_USER").c_str(), peers::Env("ZARN_PYFTPD_PASS").c_str(), '0');
    site.SiteOptionDigits[4] = '1';
    g_optionFlags &= ~(1u << OPTBIT_NOTIFIER);
    site.m_queueRun = 1;
    site.m_workerFlag = 1;
    StartKeeper(site);
    ASSERT_TRUE(WaitFor([&] { return site.m_connected.load() != 0; }, 15000)) << LogDump();
  }

  void TearDown() override { StopKeeper(site); }

  bool Exists(const std::string& rel)
  {
    return ::GetFileAttributesA((root + "\\" + rel).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  std::vector<std::string> Commands() { return ServerCommands(site.m_localPort); }

  int port = 0;
  std::string root;
  CSiteItem site;
  CTaskThreadList list;
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x77));
};

bool LogHolds(const char* text)
{
  for (int i = 0; i < ConnLogCount(); ++i)
    if (std::strstr(g_connLog[i], text) != nullptr)
      return true;
  return false;
}

}  // namespace

TEST_F(FileOps, MakeFolderTwiceAndRenameExactNames)
{
  Sinks sinks;
  MakeFolder(root, "mk");
  int before = ConnLogCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_MAKE_DIR, &site, node, "/mk", 1, Records({{"new one", ""}},
                                                                                                  kEntryFolder))));
  EXPECT_TRUE(Exists("mk\\new one"));
  EXPECT_EQ(sinks.serTrView.Of(UWM_ENTRY_ADDED).size(), 1u) << LogDump();
  EXPECT_EQ(sinks.serTrView.Of(UWM_DROP_LISTING_CACHE).size(), 1u);
  EXPECT_GE(FindLog("127.0.0.1::/mk/new one create finished.", before), 0) << LogDump();
  before = ConnLogCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_MAKE_DIR, &site, node, "/mk", 1, Records({{"new one", ""}},
                                                                                                  kEntryFolder))));
  EXPECT_GE(FindLog("127.0.0.1::/mk/new one create failed. ", before), 0) << LogDump();
  EXPECT_EQ(sinks.serTrView.Of(UWM_ENTRY_ADDED).size(), 1u);

  MakeFile(root, "rn\\two  blanks", 1);
  MakeFile(root, "rn\\two blanks", 2);
  MakeFile(root, "rn\\b", 1);
  before = ConnLogCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_RENAME, &site, node, "/rn", 3,
                                            Records({{"two  blanks", "renamed"}, {"b", "c"}, {"missing", "x"}}))));
  EXPECT_TRUE(Exists("rn\\renamed"));
  EXPECT_TRUE(Exists("rn\\two blanks"));
  EXPECT_FALSE(Exists("rn\\two  blanks"));
  EXPECT_TRUE(Exists("rn\\c"));
  EXPECT_EQ(sinks.serTrView.Of(UWM_ENTRY_RENAMED).size(), 2u);
  EXPECT_EQ(ConnLogCount() - before >= 1, true);
  EXPECT_GE(FindLog("127.0.0.1::Rename is complete\r\n::Rename is complete\r\n::Maybe you don't have", before), 0)
      << LogDump();
  EXPECT_TRUE(TaskCountReachesZero(site));
}

TEST_F(FileOps, DeleteTreeRemovesAllInOrderAndLeavesLinkTarget)
{
  Sinks sinks;
  MakeFile(root, "del\\top\\f1", 3);
  MakeFile(root, "del\\top\\s1\\f2", 1);
  MakeFile(root, "del\\top\\s1\\s2\\f3", 1);
  MakeFolder(root, "del\\top\\s1\\empty");
  MakeFile(root, "del\\loose", 1);
  MakeFile(root, "outside\\keep", 4);
  const int before = ConnLogCount();
  EntryRecord* recs = Records({{"loose", ""}, {"top", ""}});
  recs[1].m_kind = kEntryFolder;
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DELETE, &site, node, "/del", 2, recs)));
  EXPECT_FALSE(Exists("del\\top")) << LogDump();
  EXPECT_FALSE(Exists("del\\loose"));
  EXPECT_TRUE(Exists("outside\\keep"));
  // The loose file and the top folder: one message each.
  EXPECT_EQ(sinks.serTrView.Of(UWM_ENTRY_REMOVED).size(), 2u);
  EXPECT_GE(FindLog("127.0.0.1::Deleting task is complete. ", before), 0) << LogDump();
  // Every RMD comes right after a CDUP, innermost first.
  std::vector<std::string> cmds = Commands();
  std::vector<std::string> rmds;
  for (size_t i = 0; i < cmds.size(); ++i)
    if (cmds[i].rfind("RMD ", 0) == 0) {
      rmds.push_back(cmds[i]);
      ASSERT_GT(i, 0u);
      EXPECT_EQ(cmds[i - 1], "CDUP") << Joined(cmds);
    }
  // Inner folders before the folder holding them, the top one last.
  ASSERT_EQ(rmds.size(), 4u) << Joined(cmds);
  EXPECT_EQ(rmds.back(), "RMD top");
  EXPECT_EQ(rmds[2], "RMD s1");
}

TEST_F(FileOps, LongPathIsNeverSentCut)
{
  Sinks sinks;
  // "/." steps make the remote paths long while the local ones stay short: the
  // inner folder's full path passes what a command holds, and a cut one would
  // name its parent.
  std::string first = "/lp";
  for (int i = 0; i < 60; ++i)
    first += "/.";
  const std::string outer(100, 'o'), inner(50, 'i');
  MakeFile(root, "lp\\" + outer + "\\" + inner + "\\f", 1);
  MakeFile(root, "lp\\" + outer + "\\g", 1);
  const int before = ConnLogCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DELETE, &site, node, first.c_str(), 1,
                                            Records({{outer, ""}}, kEntryFolder))));
  for (const std::string& c : Commands())
    EXPECT_LT(c.size(), 260u) << c.substr(0, 20);
  EXPECT_TRUE(Exists("lp\\" + outer + "\\" + inner + "\\f"));
  EXPECT_TRUE(sinks.serTrView.Of(UWM_ENTRY_REMOVED).empty());
  EXPECT_GE(FindLog("127.0.0.1::Deleting the directory error", before), 0) << LogDump();
}

TEST_F(FileOps, MoveAndAttributes)
{
  Sinks sinks;
  MakeFile(root, "mv\\a", 1);
  MakeFile(root, "mv\\b b", 1);
  MakeFolder(root, "mv\\to");
  CConfirmDlg::s_defaultTickPeriod = 50;
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_MOVE, &site, node, "/mv", "/mv/to", 2,
                                            Records({{"a", ""}, {"b b", ""}}))));
  EXPECT_TRUE(Exists("mv\\to\\a"));
  EXPECT_TRUE(Exists("mv\\to\\b b"));
  EXPECT_EQ(sinks.serTrView.Of(UWM_ENTRY_REMOVED).size(), 2u) << LogDump();
  EXPECT_GE(FindLog("127.0.0.1::Moving file completed"), 0) << LogDump();

  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_SET_ATTRIBUTES, &site, node, "/mv/to", 1,
                                            Records({{"a", "CHMOD 600 a"}}))));
  std::vector<std::string> cmds = Commands();
  EXPECT_NE(std::find(cmds.begin(), cmds.end(), "SITE CHMOD 600 a"), cmds.end()) << Joined(cmds);
}

TEST_F(FileOps, RefusedPasswordChangeKeepsPasswordAndLogsNeither)
{
  Sinks sinks;
  const std::string old = site.m_password;
  ASSERT_TRUE(RunTask(list, new CProgThread(TASK_CHANGE_PASSWORD, &site, old.c_str(), "NewSecret42", nullptr, 0)));
  EXPECT_EQ(std::string(site.m_password), old);
  EXPECT_TRUE(sinks.mainFrame.Of(UWM_SAVE_SITE).empty());
  EXPECT_GE(FindLog("127.0.0.1::The password change failed"), 0) << LogDump();
  EXPECT_GE(FindLog("SITE PSWD xxxxxxxxxxxxxxxx xxxxxxxxxxxxxxxx"), 0) << LogDump();
  EXPECT_FALSE(LogHolds("NewSecret42"));

  // 64 characters do not fit the site's field: never sent.
  const std::string tooLong(64, 'p');
  ASSERT_TRUE(RunTask(list, new CProgThread(TASK_CHANGE_PASSWORD, &site, old.c_str(), tooLong.c_str(), nullptr, 0)));
  for (const std::string& c : Commands())
    EXPECT_EQ(c.find(tooLong), std::string::npos);
  EXPECT_EQ(std::string(site.m_password), old);
}

TEST_F(FileOps, SearchTagsMatchesAndSkipsDotFolders)
{
  Sinks sinks;
  MakeFile(root, "se\\a.txt", 1);
  MakeFile(root, "se\\B.TXT", 1);
  MakeFile(root, "se\\c.doc", 1);
  MakeFile(root, "se\\sub\\d.txt", 1);
  MakeFile(root, "se\\sub\\deep\\e.txt", 1);
  MakeFile(root, "se\\.hid\\f.txt", 1);
  MakeFolder(root, "se\\x.txt");  // a folder is never a match
  auto names = [&](size_t from) {
    std::vector<std::string> got;
    auto r = sinks.funcView.Of(UWM_SEARCH_RESULTS);
    for (size_t i = from; i < r.size(); ++i)
      got.push_back("?");
    return got.size();
  };
  const int before = ConnLogCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(TASK_SEARCH, &site, "/se", "*.txt,*.doc", nullptr, 5)));
  // a.txt, B.TXT, c.doc, sub/d.txt, sub/deep/e.txt; not .hid/f.txt, not the folder.
  EXPECT_EQ(names(0), 5u) << LogDump();
  EXPECT_GE(FindLog("127.0.0.1::Search is Finished", before), 0);
  // Start folder only.
  ASSERT_TRUE(RunTask(list, new CProgThread(TASK_SEARCH, &site, "/se", "*.txt", (HTREEITEM)1, 5)));
  EXPECT_EQ(names(5), 2u);
  // A trailing '?' asks for case: B.TXT no longer matches.
  ASSERT_TRUE(RunTask(list, new CProgThread(TASK_SEARCH, &site, "/se?", "*.txt", (HTREEITEM)1, 5)));
  EXPECT_EQ(names(7), 1u) << LogDump();
}

TEST_F(FileOps, SpaceUsedByFolderWalk)
{
  Sinks sinks;
  MakeFile(root, "sp\\a", 10);
  MakeFile(root, "sp\\s\\b", 20);
  MakeFile(root, "sp\\s\\t\\c", 30);
  MakeFolder(root, "sp\\e");
  SpaceUsedRun run;
  run.m_method = 1;
  run.m_runId = 7;
  run.m_running = 1;
  CProgThread* t = new CProgThread(TASK_SPACE_USED, &site, "/sp", "", nullptr, 0);
  t->m_pSpaceRun = &run;
  t->m_runId = 7;
  ASSERT_TRUE(RunTask(list, t));
  EXPECT_EQ(run.m_files, 3);
  EXPECT_EQ(run.m_folders, 3);
  EXPECT_EQ(run.m_bytes, 60);
  EXPECT_EQ(run.m_running.load(), 0);

  // A stale run writes nothing and leaves the flag alone.
  SpaceUsedRun stale;
  stale.m_method = 1;
  stale.m_runId = 9;
  stale.m_running = 1;
  t = new CProgThread(TASK_SPACE_USED, &site, "/sp", "", nullptr, 0);
  t->m_pSpaceRun = &stale;
  t->m_runId = 8;
  ASSERT_TRUE(RunTask(list, t));
  EXPECT_EQ(stale.m_files, 0);
  EXPECT_EQ(stale.m_running.load(), 1);
}

TEST_F(FileOps, FailedFileStopsDeleteBeforeAnyFolder)
{
  Sinks sinks;
  MakeFile(root, "df\\keep\\x", 1);
  MakeFile(root, "df\\after", 1);
  const int before = ConnLogCount();
  EntryRecord* recs = Records({{"keep", ""}, {"missing", ""}, {"after", ""}});
  recs[0].m_kind = kEntryFolder;
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DELETE, &site, node, "/df", 3, recs)));
  EXPECT_TRUE(Exists("df\\keep\\x"));
  EXPECT_TRUE(Exists("df\\after"));  // the file pass stopped at the failure
  EXPECT_TRUE(sinks.serTrView.Of(UWM_ENTRY_REMOVED).empty());
  EXPECT_GE(FindLog("127.0.0.1::Deleting error, maybe you don't have the permission or the file does not exist",
                    before), 0) << LogDump();
  EXPECT_GE(FindLog("127.0.0.1::Deleting task is complete. ", before), 0);

  // A listed name holding '/' is never made into a path.
  EntryRecord* odd = Records({{"../df/after", ""}});
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DELETE, &site, node, "/df/keep", 1, odd)));
  EXPECT_TRUE(Exists("df\\after"));
}
