// The listing tasks against the loopback pyftpdlib server: the folder's entries,
// an empty folder, the cache written and read back, the fall-back when the file
// is gone, stale generations, and what a task gives back when it ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "engine/connlog.h"
#include "engine/exitrequest.h"
#include "engine/listingcache.h"
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

const std::string kLongName(255, 'L');

class ListingTask : public ::testing::Test {
protected:
  void SetUp() override
  {
    FastSettings();
    g_sendTimeout = 3;
    g_taskConnectWaitMs = 8000;
    port = peers::Port("ZARN_PYFTPD_PORT");
    ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --pyftpd";
    root = peers::Env("ZARN_PYFTPD_ROOT_WIN");
    MakeFile(root, "lt\\a b.txt", 3);
    MakeFile(root, "lt\\two  blanks", 0);
    MakeFile(root, "lt\\sub\\x", 1);
    MakeFolder(root, "lt\\empty");
    MakeFile(root, "lt\\" + kLongName, 2);
    char temp[MAX_PATH];
    ::GetTempPathA(sizeof(temp), temp);
    cache = std::string(temp) + "zarn-task-cache\\";
    ::CreateDirectoryA(cache.c_str(), nullptr);
    SetUpSite(site, port, peers::Env("ZARN_PYFTPD_USER").c_str(), peers::Env("ZARN_PYFTPD_PASS").c_str(), '0');
    std::snprintf(site.m_cacheFolder, sizeof(site.m_cacheFolder), "%s", cache.c_str());
    site.SiteOptionDigits[2] = '1';
    site.SiteOptionDigits[0] = m_limitDigit;
    g_optionFlags &= ~(1u << OPTBIT_NOTIFIER);
    ASSERT_NO_FATAL_FAILURE(StartWorkerSite(site));  // no remote folder to apply
  }

  void TearDown() override
  {
    StopKeeper(site);
    site.DeleteCacheFolder();
  }

  std::string CacheFile(HTREEITEM node) { return ListingCacheFileName(cache.c_str(), (intptr_t)node); }

  bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

  char m_limitDigit = '0';
  int port = 0;
  std::string root, cache;
  CSiteItem site;
  CTaskThreadList list;
};

std::set<std::string> Names(const std::vector<EntryRecord>& entries)
{
  std::set<std::string> names;
  for (const EntryRecord& e : entries)
    names.insert(e.m_name);
  return names;
}

const std::set<std::string> kExpected = {"a b.txt", "two  blanks", "sub", "empty", kLongName};

}  // namespace

TEST_F(ListingTask, ListsWritesCacheAndReadsItBack)
{
  Sinks sinks;
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x1234));
  const int before = ConnLogCount();
  const std::set<int> portsBefore = PyftpdClientPorts();
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_LIST, &site, node, "/lt", 0, nullptr)));
  auto ready = sinks.serTrView.Of(UWM_LISTING_READY);
  ASSERT_EQ(ready.size(), 1u) << LogDump();
  EXPECT_EQ(ready[0].wParam, (WPARAM)node);
  EXPECT_EQ(Names(ready[0].entries), kExpected);
  auto status = sinks.serTrView.Of(UWM_LISTING_STATUS);
  ASSERT_EQ(status.size(), 1u);
  EXPECT_EQ(status[0].lParam, 5);
  EXPECT_GE(FindLog("127.0.0.1::/lt search is complete", before), 0) << LogDump();
  EXPECT_TRUE(sinks.serTrView1.m_got.empty());
  EXPECT_TRUE(sinks.mainFrame.m_got.empty()) << "pop-ups only with bit 30";
  ASSERT_TRUE(Exists(CacheFile(node)));
  // The keeper's connection was borrowed: LIST without an argument went on it.
  std::vector<std::string> cmds = ServerCommands(site.m_localPort);
  EXPECT_NE(std::find(cmds.begin(), cmds.end(), "LIST"), cmds.end()) << Joined(cmds);
  EXPECT_EQ(site.m_mainBusy.load(), 0);
  EXPECT_TRUE(TaskCountReachesZero(site));

  // The cached listing: CWD and PWD, no LIST, the same entries.
  const size_t lists = std::count(cmds.begin(), cmds.end(), std::string("LIST"));
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_SEARCH_LIST, &site, node, "/lt", 0, nullptr)));
  auto cached = sinks.serTrView.Of(UWM_CACHED_LISTING);
  ASSERT_EQ(cached.size(), 1u) << LogDump();
  EXPECT_EQ(Names(cached[0].entries), kExpected);
  status = sinks.serTrView.Of(UWM_LISTING_STATUS);
  ASSERT_EQ(status.size(), 2u);
  EXPECT_EQ(status[1].lParam, 0);
  cmds = ServerCommands(site.m_localPort);
  EXPECT_EQ(lists, (size_t)std::count(cmds.begin(), cmds.end(), std::string("LIST"))) << Joined(cmds);

  // The file gone: the cached listing lists from the server.
  ::DeleteFileA(CacheFile(node).c_str());
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_SEARCH_LIST, &site, node, "/lt", 0, nullptr)));
  ready = sinks.serTrView.Of(UWM_LISTING_READY);
  ASSERT_EQ(ready.size(), 2u) << LogDump();
  EXPECT_EQ(Names(ready[1].entries), kExpected);
  EXPECT_TRUE(Exists(CacheFile(node)));
  // One after another, every task borrowed the idle keeper connection.
  EXPECT_EQ(PyftpdClientPorts(), portsBefore);

  // Bit 30: the line goes to the notifier as well.
  g_optionFlags |= 1u << OPTBIT_NOTIFIER;
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_LIST, &site, node, "/lt", 0, nullptr)));
  g_optionFlags &= ~(1u << OPTBIT_NOTIFIER);
  auto popups = sinks.mainFrame.Of(UWM_NOTIFY_POPUP);
  ASSERT_EQ(popups.size(), 1u);
  EXPECT_EQ(popups[0].text, "127.0.0.1::/lt search is complete\r\n");
}

TEST_F(ListingTask, EmptyFolderHiddenFlagAndNoCacheDigit)
{
  Sinks sinks;
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x42));
  const int before = ConnLogCount();
  g_optionFlags |= 1u << OPTBIT_SHOW_HIDDEN;
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_LIST, &site, node, "/lt/empty", 0, nullptr)));
  g_optionFlags &= ~(1u << OPTBIT_SHOW_HIDDEN);
  EXPECT_TRUE(sinks.serTrView.Of(UWM_LISTING_READY).empty());
  auto status = sinks.serTrView.Of(UWM_LISTING_STATUS);
  ASSERT_EQ(status.size(), 1u) << LogDump();
  EXPECT_EQ(status[0].lParam, 0);
  EXPECT_GE(FindLog("127.0.0.1::/lt/empty is empty, search is complete", before), 0) << LogDump();
  std::vector<std::string> cmds = ServerCommands(site.m_localPort);
  EXPECT_NE(std::find(cmds.begin(), cmds.end(), "LIST -al"), cmds.end()) << Joined(cmds);
  // Only the count is cached, and it reads back as empty.
  int count = -5;
  EXPECT_EQ(nullptr, ReadListingCacheFile(CacheFile(node), &count, nullptr));
  EXPECT_EQ(count, 0);

  // Digit 2 '0': no file; the second tree never caches.
  site.SiteOptionDigits[2] = '0';
  HTREEITEM other = reinterpret_cast<HTREEITEM>(intptr_t(0x43));
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_LIST, &site, other, "/lt", 0, nullptr)));
  EXPECT_FALSE(Exists(CacheFile(other)));
  site.SiteOptionDigits[2] = '1';
  ASSERT_TRUE(RunTask(list, new CProgThread(0, TASK_LIST, &site, other, "/lt", 0, nullptr)));
  EXPECT_EQ(sinks.serTrView1.Of(UWM_LISTING_READY).size(), 1u);
  EXPECT_FALSE(Exists(CacheFile(other)));
}

TEST_F(ListingTask, OnlyTheLaterOfTwoRequestsDelivers)
{
  Sinks sinks;
  HTREEITEM a = reinterpret_cast<HTREEITEM>(intptr_t(1));
  HTREEITEM b = reinterpret_cast<HTREEITEM>(intptr_t(2));
  CProgThread* first = new CProgThread(1, TASK_LIST, &site, a, "/lt", 0, nullptr);
  CProgThread* second = new CProgThread(1, TASK_LIST, &site, b, "/lt/sub", 0, nullptr);
  // The later request runs first: the earlier one is stale whenever it ends.
  ASSERT_TRUE(RunTask(list, second));
  ASSERT_TRUE(RunTask(list, first));
  auto ready = sinks.serTrView.Of(UWM_LISTING_READY);
  ASSERT_EQ(ready.size(), 1u) << LogDump();
  EXPECT_EQ(ready[0].wParam, (WPARAM)b);
}

TEST_F(ListingTask, ConcurrentTasksBorrowOrOwnAndGiveBack)
{
  Sinks sinks;
  const size_t portsBefore = PyftpdClientPorts().size();
  CProgThread* one = new CProgThread(1, TASK_LIST, &site, nullptr, "/lt", 0, nullptr);
  CProgThread* two = new CProgThread(1, TASK_LIST, &site, nullptr, "/lt", 0, nullptr);
  list.m_reapIntervalMs = 100;
  ASSERT_TRUE(StartTaskThread(list, one));
  ASSERT_TRUE(RunTask(list, two));
  // The first one may still be ending: wait until the reaper has taken it.
  for (int waited = 0; list.GetTaskThreadCount() > 0 && waited < 20000; waited += 50)
    ::Sleep(50);
  ASSERT_EQ(list.GetTaskThreadCount(), 0);
  // At most one of them found the keeper connection lent and opened its own.
  EXPECT_LE(PyftpdClientPorts().size(), portsBefore + 1);
  EXPECT_EQ(sinks.serTrView.Of(UWM_LISTING_STATUS).size(), 2u) << LogDump();
  EXPECT_TRUE(TaskCountReachesZero(site));
  EXPECT_EQ(site.m_mainBusy.load(), 0);
  // Every semaphore unit is back.
  HANDLE sem = site.ConnectionSemaphore();
  int units = 0;
  while (::WaitForSingleObject(sem, 0) == WAIT_OBJECT_0)
    ++units;
  EXPECT_EQ(units, site.ConnectionLimit());
  ::ReleaseSemaphore(sem, units, nullptr);
}

class OneConnectionSite : public ListingTask {
protected:
  OneConnectionSite() { m_limitDigit = '1'; }
};

TEST_F(OneConnectionSite, ConnectionLimitTakenGivesUp)
{
  Sinks sinks;
  HANDLE sem = site.ConnectionSemaphore();
  ASSERT_EQ(::WaitForSingleObject(sem, 0), (DWORD)WAIT_OBJECT_0);  // a running task's unit
  g_taskConnectWaitMs = 1500;
  const int before = ConnLogCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_LIST, &site, nullptr, "/lt", 0, nullptr)));
  EXPECT_GE(FindLog("127.0.0.1::This server has connection number limit, please try again later.", before), 0)
      << LogDump();
  EXPECT_TRUE(sinks.serTrView.m_got.empty());
  ::ReleaseSemaphore(sem, 1, nullptr);
  EXPECT_TRUE(TaskCountReachesZero(site));
}

TEST(TaskPathsLive, RemoteFolderAppliedOnceAndPasswordsKept)
{
  CSiteItem site;
  std::snprintf(site.m_remoteFolder, sizeof(site.m_remoteFolder), "/pub");
  CProgThread pw(TASK_CHANGE_PASSWORD, &site, "a/b?", "c/d?", nullptr, 0);
  EXPECT_STREQ("a/b?", pw.m_firstPath);
  EXPECT_EQ(0, pw.m_matchCase);
  CProgThread search(TASK_SEARCH, &site, "*.txt?", "", nullptr, 0);
  EXPECT_STREQ("*.txt", search.m_firstPath);
  EXPECT_EQ(1, search.m_matchCase);
}

TEST_F(ListingTask, RemoteFolderGoesToTheFirstTaskOnly)
{
  Sinks sinks;
  std::snprintf(site.m_remoteFolder, sizeof(site.m_remoteFolder), "/lt");
  site.m_workerFlag = 0;
  HTREEITEM a = reinterpret_cast<HTREEITEM>(intptr_t(7));
  HTREEITEM b = reinterpret_cast<HTREEITEM>(intptr_t(8));
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_LIST, &site, a, "/", 0, nullptr)));
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_LIST, &site, b, "/", 0, nullptr)));
  auto ready = sinks.serTrView.Of(UWM_LISTING_READY);
  ASSERT_EQ(ready.size(), 2u) << LogDump();
  EXPECT_EQ(Names(ready[0].entries), kExpected);      // "/" became "/lt"
  EXPECT_EQ(Names(ready[1].entries).count("lt"), 1u);  // the root itself
  EXPECT_EQ(site.m_workerFlag.load(), 1);

  // Task 14 connects and ends; everything it took is back.
  const int before = ConnLogCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_NOTHING, &site, nullptr, "/", 0, nullptr)));
  EXPECT_EQ(ready.size(), sinks.serTrView.Of(UWM_LISTING_READY).size());
  EXPECT_LT(FindLog("127.0.0.1::", before), 0) << LogDump();
  EXPECT_TRUE(TaskCountReachesZero(site));
}

TEST(SpaceUsedRun, FailedConnectClearsOnlyItsOwnRun)
{
  Sinks sinks;
  CTaskThreadList list;
  CSiteItem site;  // not connected
  std::snprintf(site.m_host, sizeof(site.m_host), "nowhere.test");
  SpaceRunHold hold;
  SpaceUsedRun& run = *hold;
  run.m_runId = 5;
  run.m_running = 1;
  auto make = [&](int32_t id) {
    CProgThread* t = new CProgThread;
    t->m_task = TASK_SPACE_USED;
    t->m_pSite = &site;
    t->SetSpaceRun(&run, id);
    CopySiteText(t->m_firstPath, "/");
    return t;
  };
  const int before = ConnLogCount();
  ASSERT_TRUE(RunTask(list, make(4)));  // an older run: the newer one keeps running
  EXPECT_EQ(run.m_running.load(), 1);
  EXPECT_GE(FindLog("nowhere.test::Can't connect, terminated. ", before), 0) << LogDump();
  ASSERT_TRUE(RunTask(list, make(5)));
  EXPECT_EQ(run.m_running.load(), 0);
  EXPECT_TRUE(TaskCountReachesZero(site));
  EXPECT_TRUE(sinks.mainFrame.m_got.empty());
}
