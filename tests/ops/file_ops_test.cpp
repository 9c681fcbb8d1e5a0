// The remote file operation tasks against the loopback pyftpdlib server: make
// folder, rename of exact names, move, delete of a whole tree (with a folder the
// server will not empty and a link out of the tree), attributes, the password
// change and the search, with what reaches the views and the log.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>
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
    g_optionFlags &= ~(1u << OPTBIT_NOTIFIER);
    ASSERT_NO_FATAL_FAILURE(StartWorkerSite(site));
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

bool ReadOnly(const std::string& path)
{
  const DWORD a = ::GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) != 0;
}

// Watches this process's top-level windows, from a thread of its own, for a
// box whose text holds `text` while it is visible.
class BoxWatch {
public:
  explicit BoxWatch(const char* text) : m_text(text), m_thread([this] { Run(); }) {}
  ~BoxWatch()
  {
    m_stop = true;
    m_thread.join();
  }
  bool Seen() const { return m_seen.load(); }

private:
  static BOOL CALLBACK Visit(HWND hWnd, LPARAM self)
  {
    BoxWatch* w = reinterpret_cast<BoxWatch*>(self);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid != ::GetCurrentProcessId() || !::IsWindowVisible(hWnd))
      return TRUE;
    char text[512] = {};
    ::GetDlgItemTextA(hWnd, 1169, text, sizeof(text));
    if (std::strstr(text, w->m_text) != nullptr)
      w->m_seen = true;
    return TRUE;
  }
  void Run()
  {
    while (!m_stop.load()) {
      ::EnumWindows(Visit, reinterpret_cast<LPARAM>(this));
      ::Sleep(10);
    }
  }
  const char* m_text;
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_seen{false};
  std::thread m_thread;
};

std::vector<std::string> Found(const RecordingWnd& funcView, size_t from = 0)
{
  std::vector<std::string> got;
  std::vector<Received> r = funcView.Of(UWM_SEARCH_RESULTS);
  for (size_t i = from; i < r.size(); ++i)
    if (!r[i].entries.empty())
      got.push_back(std::string(r[i].entries[0].m_second) + "|" + r[i].entries[0].m_name + "|" +
                    std::to_string(r[i].entries[0].m_tag));
  std::sort(got.begin(), got.end());
  return got;
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
  std::vector<Received> renamed = sinks.serTrView.Of(UWM_ENTRY_RENAMED);
  ASSERT_EQ(renamed.size(), 2u);
  EXPECT_STREQ(renamed[0].entries[0].m_name, "two  blanks");
  EXPECT_STREQ(renamed[0].entries[0].m_second, "renamed");

  // Four refusals make one report longer than a log line holds: one row, cut.
  before = ConnLogCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_RENAME, &site, node, "/rn", 4,
                                            Records({{"m1", "x"}, {"m2", "x"}, {"m3", "x"}, {"m4", "x"}}))));
  const int row = FindLog("127.0.0.1::Maybe you don't have the permission", before);
  ASSERT_GE(row, 0) << LogDump();
  EXPECT_EQ(nettest::LogLines()[(size_t)row].size(), (size_t)kConnLogMaxText);
  EXPECT_LT(FindLog("127.0.0.1::Maybe you don't have the permission", row + 1), 0);
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
  std::vector<Received> removed = sinks.serTrView.Of(UWM_ENTRY_REMOVED);
  ASSERT_EQ(removed.size(), 2u);
  EXPECT_STREQ(removed[1].entries[0].m_name, "top");
  EXPECT_EQ(removed[1].entries[0].m_kind, kEntryFolder);
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
  {
    // The refresh hint shows and closes by itself: the task ends on its own.
    BoxWatch watch("please press [Refresh] button");
    ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_MOVE, &site, node, "/mv", "/mv/to", 2,
                                              Records({{"a", ""}, {"b b", ""}}))));
    EXPECT_TRUE(watch.Seen());
  }
  EXPECT_TRUE(Exists("mv\\to\\a"));
  EXPECT_TRUE(Exists("mv\\to\\b b"));
  EXPECT_FALSE(Exists("mv\\a"));
  EXPECT_EQ(sinks.serTrView.Of(UWM_ENTRY_REMOVED).size(), 2u) << LogDump();
  EXPECT_EQ(sinks.serTrView.Of(UWM_DROP_LISTING_CACHE).size(), 1u);
  EXPECT_GE(FindLog("127.0.0.1::Moving file completed"), 0) << LogDump();
  std::vector<std::string> cmds = Commands();
  EXPECT_NE(std::find(cmds.begin(), cmds.end(), "RNTO /mv/to/b b"), cmds.end()) << Joined(cmds);

  // The modes reach the files: without any write bit a file reads as read-only.
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_SET_ATTRIBUTES, &site, node, "/mv/to", 2,
                                            Records({{"a", "CHMOD 444 a"}, {"b b", "CHMOD 444 b b"}}))));
  EXPECT_TRUE(ReadOnly(root + "\\mv\\to\\a"));
  EXPECT_TRUE(ReadOnly(root + "\\mv\\to\\b b"));
  EXPECT_GE(FindLog("127.0.0.1::Setting up attribute is complete"), 0) << LogDump();
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_SET_ATTRIBUTES, &site, node, "/mv/to", 1,
                                            Records({{"a", "CHMOD 644 a"}}))));
  EXPECT_FALSE(ReadOnly(root + "\\mv\\to\\a"));
  EXPECT_TRUE(ReadOnly(root + "\\mv\\to\\b b"));
  cmds = Commands();
  EXPECT_NE(std::find(cmds.begin(), cmds.end(), "SITE CHMOD 444 b b"), cmds.end()) << Joined(cmds);
}

TEST_F(FileOps, PasswordChangeAcceptedOrRefusedAndNeitherPasswordLogged)
{
  Sinks sinks;
  const std::string old = site.m_password;
  // Refused (the server's handler wants the right old password).
  ASSERT_TRUE(RunTask(list, new CProgThread(TASK_CHANGE_PASSWORD, &site, "WrongOld77", "NewSecret42", nullptr, 0)));
  EXPECT_EQ(std::string(site.m_password), old);
  EXPECT_TRUE(sinks.mainFrame.Of(UWM_SAVE_SITE).empty());
  EXPECT_GE(FindLog("127.0.0.1::The password change failed, maybe you don't have the permission or the server "
                    "doesn's support."), 0) << LogDump();

  // Accepted: the site takes the new password and the main frame stores it.
  int before = ConnLogCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(TASK_CHANGE_PASSWORD, &site, old.c_str(), "NewSecret42", nullptr, 0)));
  EXPECT_STREQ(site.m_password, "NewSecret42");
  std::vector<Received> saved = sinks.mainFrame.Of(UWM_SAVE_SITE);
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0].wParam, reinterpret_cast<WPARAM>(&site));
  EXPECT_EQ(saved[0].lParam, 0);
  EXPECT_GE(FindLog("127.0.0.1::The password change is complete", before), 0) << LogDump();
  std::vector<std::string> cmds = Commands();
  EXPECT_NE(std::find(cmds.begin(), cmds.end(), "SITE PSWD " + old + " NewSecret42"), cmds.end()) << Joined(cmds);

  // Both lines went out masked; no password is anywhere in the ring.
  EXPECT_EQ(nettest::LogCount("Sending command ---> SITE PSWD xxxxxxxxxxxxxxxx xxxxxxxxxxxxxxxx\r\n"), 2)
      << LogDump();
  EXPECT_FALSE(LogHolds("NewSecret42"));
  EXPECT_FALSE(LogHolds("WrongOld77"));
  EXPECT_FALSE(LogHolds(old.c_str()));

  // 64 characters do not fit the site's field: never sent, reported as failed.
  before = ConnLogCount();
  const std::string tooLong(64, 'p');
  ASSERT_TRUE(RunTask(list, new CProgThread(TASK_CHANGE_PASSWORD, &site, "NewSecret42", tooLong.c_str(), nullptr,
                                            0)));
  for (const std::string& c : Commands())
    EXPECT_EQ(c.find(tooLong), std::string::npos);
  EXPECT_STREQ(site.m_password, "NewSecret42");
  EXPECT_GE(FindLog("127.0.0.1::The password change failed", before), 0) << LogDump();
  EXPECT_EQ(sinks.mainFrame.Of(UWM_SAVE_SITE).size(), 1u);

  // Back to the server's first password for the cases after this one.
  ASSERT_TRUE(RunTask(list, new CProgThread(TASK_CHANGE_PASSWORD, &site, "NewSecret42", old.c_str(), nullptr, 0)));
  EXPECT_EQ(std::string(site.m_password), old);
}

TEST_F(FileOps, SearchTagsMatchesAndSkipsDotFolders)
{
  Sinks sinks;
  MakeFile(root, "se\\a.txt", 1);
  MakeFile(root, "se\\B.TXT", 1);
  MakeFile(root, "se\\c.doc", 1);
  MakeFile(root, "se\\noext", 1);
  MakeFile(root, "se\\sub\\d.txt", 1);
  MakeFile(root, "se\\sub\\deep\\e.txt", 1);
  MakeFile(root, "se\\.hid\\f.txt", 1);
  MakeFolder(root, "se\\x.txt");  // a folder is never a match
  const int before = ConnLogCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(TASK_SEARCH, &site, "/se", "*.txt,*.doc", nullptr, 5)));
  // Every match carries the tag and the folder it was found in; .hid is never entered.
  const std::vector<std::string> want = {"/se/sub/deep|e.txt|5", "/se/sub|d.txt|5", "/se|B.TXT|5", "/se|a.txt|5",
                                         "/se|c.doc|5"};
  EXPECT_EQ(Found(sinks.funcView), want) << LogDump();
  EXPECT_GE(FindLog("127.0.0.1::Search is Finished", before), 0);
  for (const std::string& c : Commands())
    EXPECT_EQ(c.find(".hid"), std::string::npos) << c;

  // Start folder only; "*.*" takes names without a dot as well.
  size_t seen = sinks.funcView.Of(UWM_SEARCH_RESULTS).size();
  ASSERT_TRUE(RunTask(list, new CProgThread(TASK_SEARCH, &site, "/se", "*.*", (HTREEITEM)1, 3)));
  const std::vector<std::string> flat = {"/se|B.TXT|3", "/se|a.txt|3", "/se|c.doc|3", "/se|noext|3"};
  EXPECT_EQ(Found(sinks.funcView, seen), flat);

  // A trailing '?' asks for case: B.TXT no longer matches.
  seen = sinks.funcView.Of(UWM_SEARCH_RESULTS).size();
  ASSERT_TRUE(RunTask(list, new CProgThread(TASK_SEARCH, &site, "/se?", "*.txt", (HTREEITEM)1, 5)));
  EXPECT_EQ(Found(sinks.funcView, seen), std::vector<std::string>{"/se|a.txt|5"}) << LogDump();

  // "/?" is the root searched with case.
  MakeFile(root, "CaseProbe.TXT", 1);
  seen = sinks.funcView.Of(UWM_SEARCH_RESULTS).size();
  ASSERT_TRUE(RunTask(list, new CProgThread(TASK_SEARCH, &site, "/?", "caseprobe.txt,CaseProbe.TXT", (HTREEITEM)1,
                                            2)));
  EXPECT_EQ(Found(sinks.funcView, seen), std::vector<std::string>{"/|CaseProbe.TXT|2"});
  seen = sinks.funcView.Of(UWM_SEARCH_RESULTS).size();
  ASSERT_TRUE(RunTask(list, new CProgThread(TASK_SEARCH, &site, "/?", "caseprobe.txt", (HTREEITEM)1, 2)));
  EXPECT_EQ(Found(sinks.funcView, seen).size(), 0u);
  {
    std::vector<std::string> cmds = Commands();
    EXPECT_NE(std::find(cmds.begin(), cmds.end(), "CWD /"), cmds.end()) << Joined(cmds);
    EXPECT_EQ(std::find(cmds.begin(), cmds.end(), "CWD /?"), cmds.end());
  }
}

TEST_F(FileOps, SpaceUsedByFolderWalk)
{
  Sinks sinks;
  MakeFile(root, "sp\\a", 10);
  MakeFile(root, "sp\\s\\b", 20);
  MakeFile(root, "sp\\s\\t\\c", 30);
  MakeFolder(root, "sp\\e");
  SpaceRunHold hold;
  SpaceUsedRun& run = *hold;
  run.m_method = 1;
  run.m_runId = 7;
  run.m_running = 1;
  CProgThread* t = new CProgThread(TASK_SPACE_USED, &site, "/sp", "", nullptr, 0);
  t->SetSpaceRun(&run, 7);
  ASSERT_TRUE(RunTask(list, t));
  EXPECT_EQ(run.m_files, 3);
  EXPECT_EQ(run.m_folders, 3);
  EXPECT_EQ(run.m_bytes, 60);
  EXPECT_EQ(run.m_running.load(), 0);

  // A stale run writes nothing and leaves the flag alone.
  SpaceRunHold staleHold;
  SpaceUsedRun& stale = *staleHold;
  stale.m_method = 1;
  stale.m_runId = 9;
  stale.m_running = 1;
  t = new CProgThread(TASK_SPACE_USED, &site, "/sp", "", nullptr, 0);
  t->SetSpaceRun(&stale, 8);
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

TEST_F(FileOps, UndeletableFileKeepsItsFolderEveryFolderAboveAndAfter)
{
  Sinks sinks;
  // The server keeps the files right inside ud/top/l_locked; its subfolders and
  // everything else may go. Listings come sorted by name.
  MakeFile(root, "ud\\top\\a_file", 1);
  MakeFile(root, "ud\\top\\l_locked\\a_sub\\x", 1);
  MakeFile(root, "ud\\top\\l_locked\\m_file", 1);
  MakeFile(root, "ud\\top\\l_locked\\z_sub\\y", 1);
  MakeFile(root, "ud\\top\\z_after\\w", 1);
  MakeFile(root, "ud\\z_next\\v", 1);
  const int before = ConnLogCount();
  EntryRecord* recs = Records({{"top", ""}, {"z_next", ""}}, kEntryFolder);
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DELETE, &site, node, "/ud", 2, recs)));
  EXPECT_FALSE(Exists("ud\\top\\a_file"));  // tried before anything failed
  EXPECT_TRUE(Exists("ud\\top\\l_locked\\m_file"));
  // Listed before and after the refused file: both stay.
  EXPECT_TRUE(Exists("ud\\top\\l_locked\\a_sub\\x"));
  EXPECT_TRUE(Exists("ud\\top\\l_locked\\z_sub\\y"));
  EXPECT_TRUE(Exists("ud\\top\\z_after\\w"));
  EXPECT_TRUE(Exists("ud\\z_next\\v"));
  for (const std::string& c : Commands())
    EXPECT_NE(c.rfind("RMD", 0), 0u) << c;
  EXPECT_TRUE(sinks.serTrView.Of(UWM_ENTRY_REMOVED).empty());
  EXPECT_GE(FindLog("127.0.0.1::Deleting error, maybe you don't have the permission or the file doesn't exist",
                    before), 0) << LogDump();
  EXPECT_GE(FindLog("127.0.0.1::Deleting the directory error, maybe you don't have the permission", before), 0);
  EXPECT_GE(FindLog("127.0.0.1::Deleting task is complete. ", before), 0);
}

TEST_F(FileOps, LinkOutOfTheTreeIsNeverFollowed)
{
  Sinks sinks;
  // lnk/tree/outlink points at "linktarget" beside the server's root.
  MakeFile(root, "lnk\\tree\\a", 1);
  MakeFile(root, "lnk\\tree\\sub\\b", 1);
  const std::string target = peers::Env("ZARN_PEER_WORK_WIN") + "\\linktarget\\keep.txt";
  ASSERT_NE(::GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES) << target;
  const int before = ConnLogCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DELETE, &site, node, "/lnk", 1,
                                            Records({{"tree", ""}}, kEntryFolder))));
  EXPECT_NE(::GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(Exists("lnk\\tree\\a"));
  EXPECT_FALSE(Exists("lnk\\tree\\sub"));
  // The link keeps its folder: the refused RMD is said and the views keep it.
  EXPECT_TRUE(Exists("lnk\\tree"));
  for (const std::string& c : Commands())
    EXPECT_EQ(c.find("outlink"), std::string::npos) << c;
  EXPECT_TRUE(sinks.serTrView.Of(UWM_ENTRY_REMOVED).empty());
  EXPECT_GE(FindLog("127.0.0.1::Deleting the directory error", before), 0) << LogDump();
}
