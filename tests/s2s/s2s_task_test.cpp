// The site-to-site tasks against real servers (tests/s2s/s2sfix.h), with the
// scripted server for what real servers will not do (stalls, silence, bad
// passive replies). No window is shown here: the task that asks in a box is
// tested in s2s_confirm_test.cpp.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/batchjob.h"
#include "engine/confirmdlg.h"
#include "engine/connlog.h"
#include "engine/exitrequest.h"
#include "engine/ftpsocketwnd.h"
#include "engine/keeper.h"
#include "engine/netfunc.h"
#include "engine/netsession.h"
#include "engine/siteitem.h"
#include "engine/viewslots.h"
#include "engine/xfertask.h"
#include "shell/settings/settings.h"
#include "tests/keeper/keeperfix.h"
#include "tests/net/netclient.h"
#include "tests/s2s/s2sfix.h"
#include "tests/support/peers.h"
#include "tests/task/taskfix.h"

using namespace keepertest;
using namespace s2stest;
using namespace tasktest;
using nettest::LogDump;

namespace {

// Every file below a folder, relative path -> content.
void Collect(const std::string& root, const std::string& rel, std::map<std::string, std::string>& out)
{
  WIN32_FIND_DATAA fd;
  const std::string base = rel.empty() ? root : root + "\\" + rel;
  HANDLE h = ::FindFirstFileA((base + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE)
    return;
  do {
    const std::string name = fd.cFileName;
    if (name == "." || name == "..")
      continue;
    const std::string sub = rel.empty() ? name : rel + "\\" + name;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out[sub + "\\"] = "";
      Collect(root, sub, out);
    } else {
      out[sub] = ReadAll(root + "\\" + sub);
    }
  } while (::FindNextFileA(h, &fd));
  ::FindClose(h);
}

// "" when both folders hold the same tree byte for byte, else what differs.
std::string TreeDiff(const std::string& got, const std::string& want)
{
  std::map<std::string, std::string> a, b;
  Collect(got, "", a);
  Collect(want, "", b);
  std::string diff;
  for (const auto& kv : b) {
    auto it = a.find(kv.first);
    if (it == a.end())
      diff += "missing " + kv.first + "\n";
    else if (it->second != kv.second)
      diff += "differs " + kv.first + " (" + std::to_string(it->second.size()) + " of " +
              std::to_string(kv.second.size()) + " bytes)\n";
  }
  for (const auto& kv : a)
    if (b.find(kv.first) == b.end())
      diff += "extra " + kv.first + "\n";
  if (b.empty())
    diff += "empty source\n";
  return diff;
}

// The commands a server's DEBUG log holds that begin with the verb.
int CountCommands(int server, const std::string& verb)
{
  std::string path = "Z:" + peers::Env(("ZARN_S2S_LOG_" + std::to_string(server)).c_str());
  for (char& c : path)
    if (c == '/')
      c = '\\';
  std::ifstream in(path);
  std::string line;
  int count = 0;
  while (std::getline(in, line))
    if (line.find("] <- " + verb) != std::string::npos)
      ++count;
  return count;
}

int CountLog(const std::string& text)
{
  int count = 0;
  for (int at = FindLog(text); at >= 0; at = FindLog(text, at + 1))
    ++count;
  return count;
}

// Source files: empty, one byte, 3 MB, and a two-level tree.
std::vector<std::pair<std::string, int64_t>> MakeSource(const std::string& folder, uint32_t seed)
{
  ::CreateDirectoryA(folder.c_str(), nullptr);
  WriteAll(folder + "\\empty.bin", "");
  WriteAll(folder + "\\one.bin", "Z");
  WriteAll(folder + "\\big.bin", Pattern(3 * 1024 * 1024 + 11, seed));
  ::CreateDirectoryA((folder + "\\tree").c_str(), nullptr);
  ::CreateDirectoryA((folder + "\\tree\\sub").c_str(), nullptr);
  ::CreateDirectoryA((folder + "\\tree\\void").c_str(), nullptr);
  WriteAll(folder + "\\tree\\a.dat", "line one\r\nline two\n");
  WriteAll(folder + "\\tree\\sub\\b.bin", Pattern(70000, seed + 1));
  WriteAll(folder + "\\tree\\sub\\c.bin", "");
  return {{"empty.bin", 0}, {"one.bin", 1}, {"big.bin", 3 * 1024 * 1024 + 11}, {"tree", -1}};
}

}  // namespace

// ---- direct copies ----

TEST_F(S2sTask, DirectCopyOfFilesAndATreeIsByteExact)
{
  CSiteItem a, b;
  Connect(a, 2);
  Connect(b, 3);
  const auto items = MakeSource(roots[2] + "\\src", 7);
  ::CreateDirectoryA((roots[3] + "\\dst").c_str(), nullptr);
  Sinks sinks;
  const int portsBefore = CountCommands(3, "PORT 127,0,0,2,");
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_SITE_FXP, &a, &b, kNode, "/src", "/dst", 0, Entries(items)),
                      120000))
      << LogDump();
  EXPECT_EQ(TreeDiff(roots[3] + "\\dst", roots[2] + "\\src"), "") << LogDump();
  // One report per top-level file and folder, then the end.
  const auto added = sinks.serTrView.Of(UWM_ENTRY_ADDED);
  ASSERT_EQ(added.size(), items.size()) << LogDump();
  EXPECT_EQ(sinks.serTrView.Of(UWM_LISTING_STATUS).size(), 1u);
  ASSERT_EQ(sinks.serTrView.Of(UWM_DROP_LISTING_CACHE).size(), 1u);
  EXPECT_EQ(sinks.serTrView.Of(UWM_DROP_LISTING_CACHE)[0].lParam, reinterpret_cast<LPARAM>(kNode));
  EXPECT_GE(FindLog("127.0.0.2::--->::127.0.0.3::Site to Site transfer is complete. \r\n"), 0) << LogDump();
  EXPECT_GE(FindLog("127.0.0.2::--->::127.0.0.3 Site to Site transfering starting\r\n"), 0);
  EXPECT_LT(FindLog("Attempting alternative method"), 0) << LogDump();
  // The source went passive; the target was given its address.
  EXPECT_EQ(CountCommands(3, "PORT 127,0,0,2,") - portsBefore, 6);  // six files
  EXPECT_TRUE(sinks.funcView.Of(UWM_BATCH_ADD).empty());
  EXPECT_TRUE(TaskCountReachesZero(a));
  EXPECT_TRUE(TaskCountReachesZero(b));

  // Pane 2 gets no cache drop.
  Sinks sinks2;
  ASSERT_TRUE(RunTask(list, new CProgThread(2, TASK_SITE_FXP, &a, &b, kNode, "/src", "/dst", 0,
                                            Entries({{"one.bin", 1}}))));
  EXPECT_EQ(sinks2.serTrView1.Of(UWM_ENTRY_ADDED).size(), 1u);
  EXPECT_EQ(sinks2.serTrView1.Of(UWM_LISTING_STATUS).size(), 1u);
  EXPECT_TRUE(sinks2.serTrView1.Of(UWM_DROP_LISTING_CACHE).empty());
}

TEST_F(S2sTask, RefusedPortSwitchesToTargetPassiveOnce)
{
  CSiteItem a, c;
  Connect(a, 2);
  Connect(c, 4);
  ::CreateDirectoryA((roots[2] + "\\r").c_str(), nullptr);
  ::CreateDirectoryA((roots[4] + "\\in").c_str(), nullptr);
  std::vector<std::pair<std::string, int64_t>> items;
  for (int i = 0; i < 3; ++i) {
    const std::string name = "f" + std::to_string(i) + ".bin";
    WriteAll(roots[2] + "\\r\\" + name, Pattern(50000 + i, 30 + i));
    items.push_back({name, 50000 + i});
  }
  Sinks sinks;
  const int portsBefore = CountCommands(4, "PORT");
  const int pasvBefore = CountCommands(4, "PASV");
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_SITE_FXP, &a, &c, kNode, "/r", "/in", 0, Entries(items)),
                      60000))
      << LogDump();
  for (const auto& item : items)
    EXPECT_EQ(ReadAll(roots[4] + "\\in\\" + item.first), ReadAll(roots[2] + "\\r\\" + item.first)) << LogDump();
  EXPECT_EQ(CountLog("127.0.0.2::--->::127.0.0.4::Site to Site Transfer Failed! (Attempting alternative method)"), 1)
      << LogDump();
  EXPECT_GE(FindLog("127.0.0.4::The server doesn't support FXP transfer method or the port already is occupied.\r\n"),
            0)
      << LogDump();
  // The refused PORT was the only one: every file then went target-passive.
  EXPECT_EQ(CountCommands(4, "PORT") - portsBefore, 1);
  EXPECT_EQ(CountCommands(4, "PASV") - pasvBefore, 3);
  EXPECT_EQ(sinks.serTrView.Of(UWM_ENTRY_ADDED).size(), items.size());
  EXPECT_GE(FindLog("Site to Site transfer is complete."), 0);
}

// Both servers take part and then fall silent: stopping the source site ends
// the copy with the stop text, bounded, and the task is reaped.
TEST_F(S2sTask, StopDuringSilentDirectCopyEndsInBound)
{
  ASSERT_TRUE(peers::Scenario("fxp_silent"));
  CSiteItem a, b;
  Connect(a, 0);
  Connect(b, 0);
  std::atomic<DWORD> stoppedAt{0};
  std::thread stopper([&] {
    WaitFor([&] { return FindLog("Status: Sending file.") >= 0; }, 20000);
    ::Sleep(1000);
    stoppedAt = ::GetTickCount();
    a.m_queueRun = 0;
  });
  Sinks sinks;
  const bool reaped = RunTask(list, new CProgThread(1, TASK_SITE_FXP, &a, &b, kNode, "/s", "/t", 0,
                                                    Entries({{"x.bin", 10}})),
                              40000);
  const DWORD after = ::GetTickCount() - stoppedAt.load();
  stopper.join();
  ASSERT_TRUE(reaped) << LogDump();
  EXPECT_LT(after, 10000u) << LogDump();
  EXPECT_GE(FindLog("127.0.0.1::--->::127.0.0.1::Site to Site Transfer stopped by user,back\r\n"), 0) << LogDump();
  EXPECT_TRUE(sinks.serTrView.Of(UWM_ENTRY_ADDED).empty());
  EXPECT_TRUE(TaskCountReachesZero(a));
  EXPECT_TRUE(TaskCountReachesZero(b));
  a.m_queueRun = 1;
}

// A bad 227 fails the source-passive way before any PORT goes out; the other
// way is then tried.
TEST_F(S2sTask, BadPassiveReplyNeverReachesTheOtherServer)
{
  for (const char* scenario : {"pasv_no_close", "pasv_five_numbers", "pasv_field_300", "pasv_refused"}) {
    const bool refused = std::strcmp(scenario, "pasv_refused") == 0;
    SCOPED_TRACE(scenario);
    ConnLogClear();
    ASSERT_TRUE(peers::Scenario(scenario));
    CSiteItem a, b;
    Connect(a, 0);
    Connect(b, 3);
    ::CreateDirectoryA((roots[3] + "\\bad").c_str(), nullptr);
    const int portsBefore = CountCommands(3, "PORT");
    std::thread stopper([&] {
      // The other way waits on a server that will never connect: stop it.
      WaitFor([&] { return FindLog("Attempting alternative method") >= 0; }, 20000);
      ::Sleep(1500);
      b.m_queueRun = 0;
    });
    Sinks sinks;
    const bool reaped = RunTask(list, new CProgThread(1, TASK_SITE_FXP, &a, &b, kNode, "/", "/bad", 0,
                                                      Entries({{"x.bin", 10}})),
                                40000);
    stopper.join();
    ASSERT_TRUE(reaped) << LogDump();
    if (!refused) {
      EXPECT_GE(FindLog("127.0.0.1::Invalid passive mode reply.\r\n"), 0) << LogDump();
    }
    EXPECT_EQ(CountCommands(3, "PORT"), portsBefore) << LogDump();
    // A refused bare PASV is not turned into active mode towards this machine.
    for (const std::string& line : peers::Received())
      EXPECT_NE(line.rfind("PORT 127,0,0,1,", 0), 0u) << line;
    // Once for the switch, and once more when the other way ends too (stopped here).
    EXPECT_EQ(CountLog("Attempting alternative method"), 2) << LogDump();
    b.m_queueRun = 1;
    for (CSiteItem* site : started)
      StopKeeper(*site);
    started.clear();
  }
}

// ---- relayed copies ----

TEST_F(S2sTask, RelayIsByteExactWithAJobPerFile)
{
  CSiteItem a, b;
  Connect(a, 2);
  Connect(b, 3);
  const auto items = MakeSource(roots[2] + "\\rsrc", 11);
  ::CreateDirectoryA((roots[3] + "\\rdst").c_str(), nullptr);
  Sinks sinks;
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_SITE_RELAY, &a, &b, kNode, "/rsrc", "/rdst", 0, Entries(items)),
                      120000))
      << LogDump();
  Own(sinks.funcView);
  EXPECT_EQ(TreeDiff(roots[3] + "\\rdst", roots[2] + "\\rsrc"), "") << LogDump();
  const auto jobs = Jobs(sinks.funcView);
  ASSERT_EQ(jobs.size(), 6u) << LogDump();  // three top-level files and three in the tree
  for (BatchJobRecord* job : jobs) {
    EXPECT_EQ(job->m_state.load(), JOB_FINISHED) << job->m_source << LogDump();
    EXPECT_EQ(job->m_running.load(), 0);
    EXPECT_EQ(job->m_bytesDone.load(), job->m_size) << job->m_source;
    EXPECT_EQ(std::string(job->m_source).rfind("127.0.0.2/rsrc/", 0), 0u) << job->m_source;
    EXPECT_EQ(std::string(job->m_target).rfind("127.0.0.3/rdst/", 0), 0u) << job->m_target;
  }
  EXPECT_EQ(sinks.funcView.Of(UWM_TASK_FINISHED).size(), jobs.size());
  EXPECT_EQ(sinks.serTrView.Of(UWM_ENTRY_ADDED).size(), items.size());
  EXPECT_EQ(sinks.serTrView.Of(UWM_LISTING_STATUS).size(), 1u);
  EXPECT_EQ(sinks.serTrView.Of(UWM_DROP_LISTING_CACHE).size(), 1u);
  EXPECT_GE(FindLog("127.0.0.2::--->::127.0.0.3 Site to Site transfer complete. \r\n"), 0) << LogDump();
  EXPECT_LT(FindLog("Relay stalled"), 0) << LogDump();
  // The borrowed keeper connections are the sites' own again, untouched.
  EXPECT_STREQ(a.m_host, "127.0.0.2");
  ASSERT_NE(a.m_pMainSession, nullptr);
  EXPECT_EQ(a.m_pMainSession->m_pSite, &a);
  EXPECT_EQ(a.m_pMainSession->m_pPartner, nullptr);
  EXPECT_EQ(a.m_pMainSession->m_pJob, nullptr);
  EXPECT_TRUE(TaskCountReachesZero(a));

  // A listing on the source site over the same keeper connection still works,
  // and its log lines still carry the site's host.
  Sinks sinks2;
  const int before = ConnLogCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_LIST, &a, kNode, "/rsrc", 0, nullptr)));
  ASSERT_EQ(sinks2.serTrView.Of(UWM_LISTING_READY).size(), 1u) << LogDump();
  EXPECT_GE(sinks2.serTrView.Of(UWM_LISTING_READY)[0].entries.size(), 4u);
  EXPECT_GE(FindLog("127.0.0.2::/rsrc search is complete\r\n", before), 0) << LogDump();
}

// Tiny files one after another, the target passive and then active: each is
// over in a moment, so a target whose socket says "ready" twice (its connect's
// FD_WRITE and its verb's) must not leave the next copy's pump a socket that
// is not there yet. Every copy is whole and no pump gives up.
TEST_F(S2sTask, RelayOfTinyFilesInARowKeepsEachPumpToItsOwnCopy)
{
  CSiteItem a, b;
  Connect(a, 2);
  Connect(b, 3);
  const std::string src = roots[2] + "\\tiny";
  ::CreateDirectoryA(src.c_str(), nullptr);
  std::vector<std::pair<std::string, int64_t>> items;
  for (int i = 0; i < 12; ++i) {
    const std::string name = "t" + std::to_string(i) + ".txt";
    const std::string body = "tiny " + std::to_string(i);
    WriteAll(src + "\\" + name, body);
    items.push_back({name, static_cast<int64_t>(body.size())});
  }
  for (char mode : {'1', '0'}) {
    SCOPED_TRACE(mode == '1' ? "target passive" : "target active");
    b.SiteOptionDigits[4] = mode;
    if (mode == '0')
      g_optionFlags &= ~(1u << OPTBIT_LAN_USER);  // else every site is passive
    const std::string folder = std::string("tiny") + mode;
    ::CreateDirectoryA((roots[3] + "\\" + folder).c_str(), nullptr);
    const int before = ConnLogCount();
    Sinks sinks;
    ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_SITE_RELAY, &a, &b, kNode, "/tiny", ("/" + folder).c_str(), 0,
                                              Entries(items)),
                        60000))
        << LogDump();
    Own(sinks.funcView);
    EXPECT_EQ(TreeDiff(roots[3] + "\\" + folder, src), "") << LogDump();
    const auto jobs = Jobs(sinks.funcView);
    EXPECT_EQ(jobs.size(), items.size()) << LogDump();
    for (BatchJobRecord* job : jobs)
      EXPECT_EQ(job->m_state.load(), JOB_FINISHED) << job->m_source;
    EXPECT_LT(FindLog("Relay stalled", before), 0) << LogDump();
    // Nothing is left raised for a later copy over the same connection.
    ASSERT_NE(b.m_pMainSession, nullptr);
    ASSERT_NE(b.m_pMainSession->m_pWnd, nullptr);
    EXPECT_EQ(::WaitForSingleObject(b.m_pMainSession->m_pWnd->m_hRelayReady, 0), (DWORD)WAIT_TIMEOUT);
  }
  b.SiteOptionDigits[4] = '1';
}

TEST_F(S2sTask, RelayOnOneSiteAndIntoItsOwnSubfolder)
{
  CSiteItem a;
  Connect(a, 2);
  const std::string p = roots[2] + "\\p";
  ::CreateDirectoryA(p.c_str(), nullptr);
  ::CreateDirectoryA((p + "\\x").c_str(), nullptr);
  ::CreateDirectoryA((p + "\\x\\in").c_str(), nullptr);
  WriteAll(p + "\\x\\f.bin", Pattern(200000, 5));
  WriteAll(p + "\\x\\in\\g.txt", "inner");
  WriteAll(p + "\\solo.bin", Pattern(1000, 6));

  // Plain files on one site: the first connection is the keeper's, the second its own.
  Sinks sinks;
  a.SiteOptionDigits[4] = '0';  // active data connections this time
  g_optionFlags &= ~(1u << OPTBIT_LAN_USER);
  ::CreateDirectoryA((roots[2] + "\\same").c_str(), nullptr);
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_SITE_RELAY, &a, &a, kNode, "/p", "/same", 0,
                                            Entries({{"solo.bin", 1000}}))))
      << LogDump();
  Own(sinks.funcView);
  EXPECT_EQ(ReadAll(roots[2] + "\\same\\solo.bin"), Pattern(1000, 6)) << LogDump();
  a.SiteOptionDigits[4] = '1';
  g_optionFlags |= 1u << OPTBIT_LAN_USER;

  // The folder x into its own subfolder x/in: x/in/x gets x's files and x/in,
  // and the walk never enters the copy it makes.
  Sinks sinks2;
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_SITE_RELAY, &a, &a, kNode, "/p", "/p/x/in", 0,
                                            Entries({{"x", -1}})),
                      60000))
      << LogDump();
  Own(sinks2.funcView);
  EXPECT_EQ(ReadAll(p + "\\x\\in\\x\\f.bin"), Pattern(200000, 5)) << LogDump();
  EXPECT_EQ(ReadAll(p + "\\x\\in\\x\\in\\g.txt"), "inner");
  EXPECT_FALSE(Exists(p + "\\x\\in\\x\\in\\x"));
  EXPECT_GE(FindLog("127.0.0.2::/p/x/in/x is the folder being copied into, skipped. \r\n"), 0) << LogDump();
  EXPECT_EQ(sinks2.serTrView.Of(UWM_ENTRY_ADDED).size(), 1u);
  EXPECT_TRUE(TaskCountReachesZero(a));
}

// The option "passive mode for every site" holds over a site's active digit
// for a download and for both connections of a relay, as it does for the
// queue and the listings.
TEST_F(S2sTask, PassiveForEverySiteHoldsForDownloadsAndRelays)
{
  CSiteItem a, b;
  Connect(a, 2);
  Connect(b, 3);
  a.SiteOptionDigits[4] = '0';
  b.SiteOptionDigits[4] = '0';
  g_optionFlags |= 1u << OPTBIT_LAN_USER;
  ::CreateDirectoryA((roots[2] + "\\lan").c_str(), nullptr);
  ::CreateDirectoryA((roots[3] + "\\lan").c_str(), nullptr);
  WriteAll(roots[2] + "\\lan\\p.bin", Pattern(70001, 41));
  const std::string local = roots[3] + "\\lan_local";
  ::CreateDirectoryA(local.c_str(), nullptr);
  const int port2 = CountCommands(2, "PORT"), pasv2 = CountCommands(2, "PASV");
  const int port3 = CountCommands(3, "PORT"), pasv3 = CountCommands(3, "PASV");

  Sinks sinks;
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DOWNLOAD, &a, kNode, "/lan", local.c_str(), 0,
                                            Entries({{"p.bin", 70001}}))))
      << LogDump();
  EXPECT_EQ(ReadAll(local + "\\p.bin"), Pattern(70001, 41)) << LogDump();
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_SITE_RELAY, &a, &b, kNode, "/lan", "/lan", 0,
                                            Entries({{"p.bin", 70001}}))))
      << LogDump();
  Own(sinks.funcView);
  EXPECT_EQ(ReadAll(roots[3] + "\\lan\\p.bin"), Pattern(70001, 41)) << LogDump();
  EXPECT_EQ(CountCommands(2, "PORT") - port2, 0);
  EXPECT_EQ(CountCommands(3, "PORT") - port3, 0);
  EXPECT_EQ(CountCommands(2, "PASV") - pasv2, 2);  // the download and the relay's source
  EXPECT_EQ(CountCommands(3, "PASV") - pasv3, 1);  // the relay's target
  a.SiteOptionDigits[4] = '1';
  b.SiteOptionDigits[4] = '1';
}

// The source sends 64 KB and stalls with its data connection open and stays
// silent after ABOR: the job ends in state 3 with the time-out text, and the
// task and both of its connection threads end. The keepers' connections are
// held by the test, so the task opens connections of its own.
class S2sStall : public S2sTask {
protected:
  struct Handles {
    HANDLE task = nullptr, first = nullptr, second = nullptr;
    ~Handles()
    {
      for (HANDLE h : {task, first, second})
        if (h != nullptr)
          ::CloseHandle(h);
    }
  };

  static HANDLE Dup(HANDLE h)
  {
    HANDLE out = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), h, ::GetCurrentProcess(), &out, SYNCHRONIZE, FALSE, 0);
    return out;
  }

  // The stalling scenario, both sites connected and their main connections
  // claimed as the relay needs them.
  void ConnectStalled(CSiteItem& a, CSiteItem& b)
  {
    ASSERT_TRUE(peers::Scenario("retr_stall"));
    Connect(a, 0);
    Connect(b, 3);
    ASSERT_TRUE(WaitFor([&] { return ClaimMainConnection(&a) != nullptr; }, 10000));
    ASSERT_TRUE(WaitFor([&] { return ClaimMainConnection(&b) != nullptr; }, 10000));
  }

  // Starts the relay and takes the thread handles while it runs; returns when
  // the task is reaped (or after waitMs).
  // `during` is called on each turn once the handles are taken, until it returns true.
  bool RunStalled(CSiteItem& from, CSiteItem& to, Handles& h, DWORD waitMs, const std::function<bool()>& during)
  {
    list.m_reapIntervalMs = 100;
    CProgThread* task = new CProgThread(1, TASK_SITE_RELAY, &from, &to, kNode, "/", "/", 0,
                                        Entries({{"big.bin", 100000}}));
    if (!StartTaskThread(list, task)) {
      delete task;
      return false;
    }
    h.task = Dup(task->m_hThread);
    const DWORD start = ::GetTickCount();
    bool reaped = false;
    bool duringDone = !during;
    while (::GetTickCount() - start < waitMs) {
      MSG msg;
      while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&msg);
      if (list.GetTaskThreadCount() == 0) {
        reaped = true;
        break;
      }
      // The task lives until the reaper takes it: its fields are readable.
      if (h.second == nullptr && ::WaitForSingleObject(h.task, 0) == WAIT_TIMEOUT && task->m_pNetFunc1 != nullptr &&
          task->m_pNetFunc2 != nullptr) {
        h.first = Dup(task->m_pNetFunc1->m_hThread);
        h.second = Dup(task->m_pNetFunc2->m_hThread);
      }
      if (h.second != nullptr && !duringDone)
        duringDone = during();
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return reaped;
  }
};

TEST_F(S2sStall, StalledSourceTimesOutAndEveryThreadEnds)
{
  CSiteItem a, b;
  ASSERT_NO_FATAL_FAILURE(ConnectStalled(a, b));
  Sinks sinks;
  Handles h;
  const DWORD start = ::GetTickCount();
  const bool reaped = RunStalled(a, b, h, 40000, nullptr);
  const DWORD took = ::GetTickCount() - start;
  ReleaseMainConnection(&a);
  ReleaseMainConnection(&b);
  Own(sinks.funcView);
  ASSERT_TRUE(reaped) << LogDump();
  // Connecting and changing folders, then the idle limit (3 s) plus 6 s.
  EXPECT_LT(took, 16000u) << LogDump();
  const auto jobs = Jobs(sinks.funcView);
  ASSERT_EQ(jobs.size(), 1u) << LogDump();
  EXPECT_EQ(jobs[0]->m_state.load(), JOB_ERROR);
  EXPECT_EQ(jobs[0]->m_running.load(), 0);
  EXPECT_EQ(jobs[0]->m_bytesDone.load(), 65536u);
  EXPECT_EQ(sinks.funcView.Of(UWM_TASK_FINISHED).size(), 1u);
  EXPECT_GE(FindLog("127.0.0.1::--->::127.0.0.3::Site to site transfer timeout, back. \r\n"), 0) << LogDump();
  ASSERT_NE(h.first, nullptr);
  ASSERT_NE(h.second, nullptr);
  EXPECT_EQ(::WaitForSingleObject(h.task, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(::WaitForSingleObject(h.first, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(::WaitForSingleObject(h.second, 5000), WAIT_OBJECT_0);
  EXPECT_TRUE(TaskCountReachesZero(a));
  EXPECT_TRUE(TaskCountReachesZero(b));
}

TEST_F(S2sStall, ClosingTheProgramDuringAStallEndsEverything)
{
  CSiteItem a, b;
  ASSERT_NO_FATAL_FAILURE(ConnectStalled(a, b));
  Sinks sinks;
  Handles h;
  DWORD closedAt = 0;
  const bool reaped = RunStalled(a, b, h, 40000, [&] {
    // The copy has begun: the program closes as the main window does it.
    ::Sleep(1500);
    closedAt = ::GetTickCount();
    g_exitRequested = 1;
    a.m_keeperRunning = 0;
    b.m_keeperRunning = 0;
    return true;
  });
  const DWORD after = ::GetTickCount() - closedAt;
  ReleaseMainConnection(&a);
  ReleaseMainConnection(&b);
  Own(sinks.funcView);
  ASSERT_TRUE(reaped) << LogDump();
  ASSERT_NE(closedAt, 0u);
  EXPECT_LT(after, 12000u) << LogDump();
  EXPECT_EQ(::WaitForSingleObject(h.task, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(::WaitForSingleObject(h.first, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(::WaitForSingleObject(h.second, 5000), WAIT_OBJECT_0);
  // Nothing reaches a window while the program closes.
  EXPECT_TRUE(sinks.funcView.Of(UWM_TASK_FINISHED).empty());
  for (BatchJobRecord* job : Jobs(sinks.funcView))
    EXPECT_EQ(job->m_running.load(), 0);
  EXPECT_TRUE(KeeperEnded(a, 15000));
  EXPECT_TRUE(KeeperEnded(b, 15000));
}

// The list's stop command on a running relay job: the job ends interrupted
// (state 4) with the stop text, within the bounds of the abort.
TEST_F(S2sStall, StoppedJobEndsInterrupted)
{
  CSiteItem a, b;
  ASSERT_NO_FATAL_FAILURE(ConnectStalled(a, b));
  Sinks sinks;
  Handles h;
  DWORD stoppedAt = 0;
  const bool reaped = RunStalled(a, b, h, 40000, [&] {
    const auto jobs = Jobs(sinks.funcView);
    if (jobs.empty() || jobs[0]->m_bytesDone.load() == 0)
      return false;
    stoppedAt = ::GetTickCount();
    jobs[0]->m_stopRequested = 1;
    return true;
  });
  const DWORD after = ::GetTickCount() - stoppedAt;
  ReleaseMainConnection(&a);
  ReleaseMainConnection(&b);
  Own(sinks.funcView);
  ASSERT_TRUE(reaped) << LogDump();
  ASSERT_NE(stoppedAt, 0u);
  EXPECT_LT(after, 10000u) << LogDump();
  const auto jobs = Jobs(sinks.funcView);
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0]->m_state.load(), JOB_INTERRUPTED);
  EXPECT_EQ(jobs[0]->m_running.load(), 0);
  EXPECT_EQ(sinks.funcView.Of(UWM_TASK_FINISHED).size(), 1u);
  EXPECT_GE(FindLog("127.0.0.1::--->::127.0.0.3::Site to Site transfer interrupt by user,back. \r\n"), 0)
      << LogDump();
  EXPECT_EQ(::WaitForSingleObject(h.first, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(::WaitForSingleObject(h.second, 5000), WAIT_OBJECT_0);
}
