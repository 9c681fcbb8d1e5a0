// The transfer tasks against the loopback pyftpdlib server (byte-exact round
// trips in both modes, the name conversions, hostile listed names, open and
// edit) and the scripted server (stalls, a dropped control connection, stops,
// a folder change never answered); every job is checked never to be written
// after the task let it go. Also the pure name and speed rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/batchjob.h"
#include "engine/connlog.h"
#include "engine/exitrequest.h"
#include "engine/netsession.h"
#include "engine/shellseam.h"
#include "engine/siteitem.h"
#include "engine/viewslots.h"
#include "engine/xfertask.h"
#include "shell/settings/settings.h"
#include "tests/confirm/boxdriver.h"
#include "tests/keeper/keeperfix.h"
#include "tests/net/netclient.h"
#include "tests/support/peers.h"
#include "tests/support/tempfolder.h"
#include "tests/task/taskfix.h"

using namespace keepertest;
using namespace tasktest;
using nettest::LogDump;

namespace {

std::vector<std::string> g_opened;
std::mutex g_openedLock;
INT_PTR RecordOpen(const char* target, int)
{
  std::lock_guard<std::mutex> lock(g_openedLock);
  g_opened.push_back(target);
  return 42;
}
BOOL RecordRun(const char*, int) { return TRUE; }
const ShellRunner kRecordingRunner = {&RecordOpen, &RecordRun};

std::string LastOpened()
{
  std::lock_guard<std::mutex> lock(g_openedLock);
  return g_opened.empty() ? std::string() : g_opened.back();
}

// The function view stand-in that never frees a job and checks that it is let
// go for good: a watcher per job takes a snapshot the moment running reads 0
// and fills the whole record with a pattern; anything the task or the
// connection writes afterwards leaves a hole in it. It can also press Stop, or
// stop the site, once the first bytes moved.
class LifetimeView : public RecordingWnd {
public:
  enum Act { kNothing, kStopJob, kStopSite };
  struct Seen {
    bool ended = false;
    int32_t state = -1;
    uint64_t bytes = 0;
    uint32_t startTick = 0;
    DWORD endTick = 0;
    std::string speed;
  };
  static constexpr unsigned char kFill = 0xA5;

  explicit LifetimeView(Act act = kNothing, CSiteItem* site = nullptr) : m_act(act), m_site(site) {}
  ~LifetimeView() override
  {
    m_quit = true;
    for (std::thread& t : m_watchers)
      t.join();
  }

  // Waits until every watcher saw running 0 (bounded); true when all did.
  bool Settle(DWORD waitMs = 20000)
  {
    return WaitFor([&] {
      std::lock_guard<std::mutex> lock(m_lock);
      for (const Seen& s : m_seen)
        if (!s.ended)
          return false;
      return true;
    }, waitMs);
  }
  Seen SeenOf(size_t i)
  {
    std::lock_guard<std::mutex> lock(m_lock);
    return i < m_seen.size() ? m_seen[i] : Seen();
  }
  bool PatternIntact(size_t i) const
  {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(jobs[i]);
    return std::all_of(p, p + sizeof(BatchJobRecord), [](unsigned char c) { return c == kFill; });
  }
  std::vector<BatchJobRecord*> jobs;

protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
  {
    if (message == UWM_BATCH_ADD && lParam != 0) {
      BatchJobRecord* job = reinterpret_cast<BatchJobRecord*>(lParam);
      jobs.push_back(job);
      size_t index;
      {
        std::lock_guard<std::mutex> lock(m_lock);
        m_seen.emplace_back();
        index = m_seen.size() - 1;
      }
      m_watchers.emplace_back([this, job, index] { Watch(job, index); });
    }
    return RecordingWnd::WindowProc(message, wParam, lParam);
  }

private:
  void Watch(BatchJobRecord* job, size_t index)
  {
    bool acted = false;
    const DWORD start = ::GetTickCount();
    while (!m_quit && ::GetTickCount() - start < 120000) {
      if (!acted && m_act != kNothing && job->m_bytesDone.load() > 0) {
        if (m_act == kStopJob)
          job->m_stopRequested = 1;
        else if (m_site != nullptr)
          m_site->m_queueRun = 0;
        acted = true;
      }
      if (job->m_running.load() == 0) {
        Seen s;
        s.ended = true;
        s.endTick = ::GetTickCount();
        s.state = job->m_state.load();
        s.bytes = job->m_bytesDone.load();
        s.startTick = job->m_startTick;
        s.speed = std::string(job->m_speed, strnlen(job->m_speed, sizeof(job->m_speed)));
        std::memset(static_cast<void*>(job), kFill, sizeof(BatchJobRecord));
        std::lock_guard<std::mutex> lock(m_lock);
        m_seen[index] = s;
        return;
      }
      std::this_thread::yield();
    }
  }

  Act m_act;
  CSiteItem* m_site;
  std::atomic<bool> m_quit{false};
  std::mutex m_lock;
  std::deque<Seen> m_seen;
  std::deque<std::thread> m_watchers;
};

// The commands of every connection the pyftpdlib server logged, in one list.
std::vector<std::string> PyftpdCommands()
{
  std::vector<std::string> all;
  for (int port : PyftpdClientPorts())
    for (const std::string& c : ServerCommands(port))
      all.push_back(c);
  return all;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& text)
{
  for (const std::string& l : lines)
    if (l.find(text) != std::string::npos)
      return true;
  return false;
}

class XferTask : public ::testing::Test {
protected:
  void SetUp() override
  {
    FastSettings();
    g_sendTimeout = 3;
    g_recvTimeout = 3;
    g_taskConnectWaitMs = 8000;
    port = peers::Port("ZARN_PYFTPD_PORT");
    ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --pyftpd";
    root = peers::Env("ZARN_PYFTPD_ROOT_WIN");
    MakeFolder(root, "xf");
    local = testsupport::TempFolder("zarn-xfer");
    local += "\\in";
    ::CreateDirectoryA(local.c_str(), nullptr);
    SetUpSite(site, port, peers::Env("ZARN_PYFTPD_USER").c_str(), peers::Env("ZARN_PYFTPD_PASS").c_str(), '0');
    g_optionFlags &= ~(1u << OPTBIT_NOTIFIER);
    ASSERT_NO_FATAL_FAILURE(StartWorkerSite(site));
  }

  void TearDown() override
  {
    StopKeeper(site);
    for (BatchJobRecord* job : owned)
      delete job;
  }

  // Jobs the function view stand-in got are freed at the end of the test,
  // each once however often its view is handed in.
  void Own(const RecordingWnd& funcView)
  {
    for (BatchJobRecord* job : Jobs(funcView))
      if (std::find(owned.begin(), owned.end(), job) == owned.end())
        owned.push_back(job);
  }

  int port = 0;
  std::string root, local;
  CSiteItem site;
  CTaskThreadList list;
  std::vector<BatchJobRecord*> owned;
};

}  // namespace

TEST(XferRules, NamesSpeedAndConversion)
{
  for (const char* bad : {"..\\evil.txt", "../evil.txt", "sub/evil", "C:evil", "CON", "nul.txt", "Com1.log",
                          "lpt9", "..", ".", ". .", "", "aux .txt", "a\tb"})
    EXPECT_FALSE(IsSafeLocalName(bad)) << bad;
  for (const char* good : {"readme.txt", "a b", "..x", "console.txt", "COM0", "com10", ".profile"})
    EXPECT_TRUE(IsSafeLocalName(good)) << good;

  char name[64];
  std::strcpy(name, "readme.txt");
  ConvertNameByDigit(name, sizeof(name), '3');
  EXPECT_STREQ(name, "Readme.txt");
  ConvertNameByDigit(name, sizeof(name), '1');
  EXPECT_STREQ(name, "README.TXT");
  ConvertNameByDigit(name, sizeof(name), '2');
  EXPECT_STREQ(name, "readme.txt");
  std::strcpy(name, "_x");
  ConvertNameByDigit(name, sizeof(name), '3');
  EXPECT_STREQ(name, "_x");

  char speed[20];
  FormatJobSpeed(speed, sizeof(speed), 1000, 10);  // 55 ms or less counts as 27
  EXPECT_STREQ(speed, "37.03KB");
  FormatJobSpeed(speed, sizeof(speed), 1005, 100);
  EXPECT_STREQ(speed, "10.05KB");
  FormatJobSpeed(speed, sizeof(speed), 0, 0);
  EXPECT_STREQ(speed, "0.00KB");
}

TEST_F(XferTask, RoundTripsAreByteExactInBothModes)
{
  const std::vector<size_t> sizes = {0, 1, 100 * 1024, 3 * 1024 * 1024 + 77};
  for (char mode : {'1', '0'}) {
    site.SiteOptionDigits[4] = mode;
    if (mode == '0')
      g_optionFlags &= ~(1u << OPTBIT_LAN_USER);  // else every site is passive
    Sinks sinks;
    LifetimeView view;
    g_pFuncView = &view;
    std::vector<std::pair<std::string, int64_t>> files;
    for (size_t size : sizes) {
      std::string name = std::string("f") + mode + "_" + std::to_string(size) + ".bin";
      WriteAll(local + "\\" + name, Pattern(size));
      files.push_back({name, (int64_t)size});
    }
    files.push_back({"in", -1});  // a folder: neither sent nor fetched
    HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x55));
    ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_UPLOAD, &site, node, local.c_str(), "/xf", 0,
                                              Entries(files))));
    Own(view);
    ASSERT_TRUE(view.Settle());
    ASSERT_EQ(view.jobs.size(), sizes.size()) << LogDump();
    for (size_t i = 0; i < sizes.size(); ++i) {
      const LifetimeView::Seen seen = view.SeenOf(i);
      EXPECT_EQ(seen.state, JOB_FINISHED) << files[i].first << LogDump();
      EXPECT_EQ(seen.bytes, sizes[i]) << files[i].first;
      EXPECT_NE(seen.speed.find("KB"), std::string::npos);
      EXPECT_TRUE(view.PatternIntact(i)) << "written after it was let go: " << files[i].first;
    }
    // Each row goes as soon as its file is done; the entry names the file.
    EXPECT_EQ(view.Of(UWM_TASK_FINISHED).size(), sizes.size());
    auto added = sinks.serTrView.Of(UWM_ENTRY_ADDED);
    ASSERT_EQ(added.size(), sizes.size());
    EXPECT_STREQ(added[0].entries.at(0).m_name, files[0].first.c_str());
    EXPECT_EQ(added[0].wParam, reinterpret_cast<WPARAM>(node));
    // Once let go, no job is reachable from the connection any more.
    ASSERT_NE(site.m_pMainSession, nullptr);
    EXPECT_EQ(site.m_pMainSession->m_pJob, nullptr);
    EXPECT_EQ(site.m_pMainSession->m_pFile, nullptr);
    EXPECT_EQ(sinks.serTrView.Of(UWM_LISTING_STATUS).size(), 1u);
    EXPECT_EQ(sinks.serTrView.Of(UWM_DROP_LISTING_CACHE).size(), 1u);
    EXPECT_FALSE(Exists(root + "\\xf\\in"));
    for (size_t size : sizes) {
      std::string name = std::string("f") + mode + "_" + std::to_string(size) + ".bin";
      EXPECT_EQ(ReadAll(root + "\\xf\\" + name), Pattern(size)) << name;
    }
    EXPECT_TRUE(TaskCountReachesZero(site));

    // And back into another folder.
    const std::string back = local + "_back" + mode;
    ::CreateDirectoryA(back.c_str(), nullptr);
    Sinks sinks2;
    LifetimeView view2;
    g_pFuncView = &view2;
    const int before = ConnLogCount();
    ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DOWNLOAD, &site, node, "/xf", back.c_str(), 0,
                                              Entries(files))));
    Own(view2);
    ASSERT_TRUE(view2.Settle());
    ASSERT_EQ(view2.jobs.size(), sizes.size()) << LogDump();
    for (size_t i = 0; i < sizes.size(); ++i) {
      const LifetimeView::Seen seen = view2.SeenOf(i);
      EXPECT_EQ(seen.state, JOB_FINISHED) << files[i].first << LogDump();
      EXPECT_EQ(seen.bytes, sizes[i]) << files[i].first;
      EXPECT_TRUE(view2.PatternIntact(i)) << "written after it was let go: " << files[i].first;
    }
    EXPECT_EQ(view2.Of(UWM_TASK_FINISHED).size(), sizes.size());
    EXPECT_EQ(site.m_pMainSession->m_pJob, nullptr);
    EXPECT_EQ(site.m_pMainSession->m_pFile, nullptr);
    EXPECT_EQ(sinks2.locTrView.Of(UWM_LISTING_STATUS).size(), 1u);
    EXPECT_GE(FindLog("127.0.0.1::Downloading is complete. \r\n", before), 0) << LogDump();
    EXPECT_FALSE(Exists(back + "\\in"));
    for (size_t size : sizes) {
      std::string name = std::string("f") + mode + "_" + std::to_string(size) + ".bin";
      EXPECT_EQ(ReadAll(back + "\\" + name), Pattern(size)) << name;
    }
    EXPECT_TRUE(TaskCountReachesZero(site));
  }
}

TEST_F(XferTask, NameConversionByDigits)
{
  Sinks sinks;
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x56));
  // Paths open whatever their case: the name on disk says what was made.
  auto nameOnDisk = [](const std::string& path) {
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA(path.c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
      return std::string();
    ::FindClose(h);
    return std::string(fd.cFileName);
  };
  // Digit 5 '3': the server stores Readme.txt, the local name stays, and the
  // tree hears of the name the server got.
  WriteAll(local + "\\readme.txt", "upper");
  site.SiteOptionDigits[5] = '3';
  ASSERT_TRUE(RunTask(list, new CProgThread(2, TASK_UPLOAD, &site, node, local.c_str(), "/xf", 0,
                                            Entries({{"readme.txt", 5}}))));
  Own(sinks.funcView);
  EXPECT_EQ(ReadAll(root + "\\xf\\Readme.txt"), "upper") << LogDump();
  EXPECT_EQ(nameOnDisk(root + "\\xf\\readme.txt"), "Readme.txt");
  EXPECT_TRUE(Exists(local + "\\readme.txt"));
  auto added = sinks.serTrView1.Of(UWM_ENTRY_ADDED);
  ASSERT_EQ(added.size(), 1u);
  ASSERT_EQ(added[0].entries.size(), 1u);
  EXPECT_STREQ(added[0].entries[0].m_name, "Readme.txt");
  EXPECT_TRUE(sinks.serTrView1.Of(UWM_DROP_LISTING_CACHE).empty()) << "only from pane 1";
  EXPECT_EQ(sinks.serTrView1.Of(UWM_LISTING_STATUS).size(), 1u);
  EXPECT_TRUE(TaskCountReachesZero(site));

  // The server's names are case-sensitive: a file arrives only when RETR
  // asked for the name as listed.
  struct Case {
    char digit;
    const char* listed;
    const char* stored;
  };
  for (const Case& c : {Case{'2', "README.TXT", "readme.txt"}, Case{'1', "readme.txt", "README.TXT"}}) {
    const std::string folder = std::string("dl") + c.digit;
    MakeFile(root, "xf\\" + folder + "\\" + c.listed, 4);
    const std::string back = local + "_case" + c.digit;
    ::CreateDirectoryA(back.c_str(), nullptr);
    site.SiteOptionDigits[6] = c.digit;
    Sinks sinks2;
    ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DOWNLOAD, &site, node, ("/xf/" + folder).c_str(),
                                              back.c_str(), 0, Entries({{c.listed, 4}}))));
    Own(sinks2.funcView);
    ASSERT_EQ(Jobs(sinks2.funcView).size(), 1u);
    EXPECT_EQ(Jobs(sinks2.funcView)[0]->m_state.load(), JOB_FINISHED) << c.digit << LogDump();
    EXPECT_EQ(nameOnDisk(back + "\\" + c.stored), c.stored) << c.digit;
    EXPECT_EQ(ReadAll(back + "\\" + c.stored), std::string(4, 'x')) << c.digit;
    EXPECT_TRUE(TaskCountReachesZero(site));
  }
}

TEST_F(XferTask, HostileNamesStayInsideTheFolder)
{
  Sinks sinks;
  MakeFile(root, "xf\\ok.txt", 7);
  const std::string target = local + "_hostile\\deep";
  ::CreateDirectoryA((local + "_hostile").c_str(), nullptr);
  ::CreateDirectoryA(target.c_str(), nullptr);
  auto listing = [&] {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((local + "_hostile\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do names.push_back(fd.cFileName); while (::FindNextFileA(h, &fd));
      ::FindClose(h);
    }
    return names;
  };
  const auto parentBefore = listing();
  const int before = ConnLogCount();
  const std::vector<std::string> hostile = {"..\\evil.txt", "../evil.txt", "sub/evil", "C:evil", "CON", "nul.txt"};
  std::vector<std::pair<std::string, int64_t>> files;
  for (const std::string& n : hostile)
    files.push_back({n, 7});
  files.push_back({"ok.txt", 7});
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x57));
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DOWNLOAD, &site, node, "/xf", target.c_str(), 0,
                                            Entries(files))));
  Own(sinks.funcView);
  auto jobs = Jobs(sinks.funcView);
  ASSERT_EQ(jobs.size(), files.size());
  for (size_t i = 0; i < hostile.size(); ++i) {
    EXPECT_EQ(jobs[i]->m_state.load(), JOB_ERROR) << hostile[i];
    EXPECT_GE(FindLog("127.0.0.1::Unsafe file name refused: " + hostile[i] + "\r\n", before), 0) << hostile[i];
  }
  EXPECT_EQ(jobs.back()->m_state.load(), JOB_FINISHED);
  EXPECT_EQ(ReadAll(target + "\\ok.txt"), std::string(7, 'x'));
  EXPECT_EQ(listing(), parentBefore);
  EXPECT_FALSE(Exists(target + "\\sub"));
}

TEST_F(XferTask, MissingSourceAndUncreatableTargetEndInError)
{
  Sinks sinks;
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x58));
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_UPLOAD, &site, node, local.c_str(), "/xf", 0,
                                            Entries({{"no-such-file.bin", 3}}))));
  Own(sinks.funcView);
  ASSERT_EQ(Jobs(sinks.funcView).size(), 1u);
  EXPECT_EQ(Jobs(sinks.funcView)[0]->m_state.load(), JOB_ERROR);
  EXPECT_EQ(sinks.funcView.Of(UWM_TASK_FINISHED).size(), 1u);

  Sinks sinks2;
  MakeFile(root, "xf\\blocked", 3);
  const std::string target = local + "_blocked";
  ::CreateDirectoryA(target.c_str(), nullptr);
  ::CreateDirectoryA((target + "\\blocked").c_str(), nullptr);
  const int before = ConnLogCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DOWNLOAD, &site, node, "/xf", target.c_str(), 0,
                                            Entries({{"blocked", 3}}))));
  Own(sinks2.funcView);
  ASSERT_EQ(Jobs(sinks2.funcView).size(), 1u);
  EXPECT_EQ(Jobs(sinks2.funcView)[0]->m_state.load(), JOB_ERROR);
  EXPECT_EQ(Jobs(sinks2.funcView)[0]->m_running.load(), 0);
  // The log names the file and the system's reason before the end line.
  const std::string said = std::string(site.m_host) + "::Can't create local file " + target + "\\blocked: ";
  const int failed = FindLog(said, before);
  ASSERT_GE(failed, 0) << LogDump();
  const std::string line = nettest::LogLines()[(size_t)failed];
  EXPECT_NE(line.find_first_not_of("\r\n ", line.find(said) + said.size()), std::string::npos)
      << "no reason given: " << line;
  EXPECT_GT(FindLog("::Downloading is complete.", before), failed) << LogDump();
}

TEST_F(XferTask, OpenAndEditThroughTheTemporaryCopy)
{
  SetShellRunner(&kRecordingRunner);
  const std::string temp = local + "_tmp";
  ::CreateDirectoryA(temp.c_str(), nullptr);
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x59));

  // Open: the copy arrives and its path goes to the shell; a folder before
  // the file is passed over.
  MakeFile(root, "xf\\open.txt", 5);
  {
    Sinks sinks;
    ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_OPEN, &site, node, "/xf", temp.c_str(), 0,
                                              Entries({{"dl1", -1}, {"open.txt", 5}}))));
    Own(sinks.funcView);
    EXPECT_EQ(LastOpened(), temp + "\\open.txt");
    EXPECT_EQ(ReadAll(temp + "\\open.txt"), std::string(5, 'x'));
  }

  // Edit with OK, digit 5 set: the changed bytes go back under the listed name.
  site.SiteOptionDigits[5] = '3';
  MakeFile(root, "xf\\edit.txt", 3);
  for (int answer : {IDCANCEL, IDOK}) {
    Sinks sinks;
    std::thread user([&] {
      HWND box = boxdriver::WaitForBox("Operation Confirmation", 20000);
      if (box == nullptr)
        return;
      WriteAll(LastOpened(), "edited bytes");
      boxdriver::Click(box, answer);
    });
    ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_EDIT, &site, node, "/xf", temp.c_str(), 0,
                                              Entries({{"dl1", -1}, {"edit.txt", 3}}))));
    user.join();
    Own(sinks.funcView);
    EXPECT_EQ(LastOpened(), temp + "\\edit.txt");
    EXPECT_EQ(ReadAll(temp + "\\edit.txt"), "edited bytes") << "the copy stays";
    if (answer == IDCANCEL) {
      EXPECT_EQ(ReadAll(root + "\\xf\\edit.txt"), std::string(3, 'x')) << "nothing uploaded";
      EXPECT_EQ(Jobs(sinks.funcView).size(), 1u);
    } else {
      EXPECT_EQ(ReadAll(root + "\\xf\\edit.txt"), "edited bytes") << LogDump();
      EXPECT_EQ(Jobs(sinks.funcView).size(), 2u);
    }
  }
  SetShellRunner(nullptr);
}

namespace {
// The function view stand-in whose user presses Stop as soon as a row comes,
// before any byte moved.
class StoppingView : public RecordingWnd {
protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
  {
    if (message == UWM_BATCH_ADD && lParam != 0)
      reinterpret_cast<BatchJobRecord*>(lParam)->m_stopRequested = 1;
    return RecordingWnd::WindowProc(message, wParam, lParam);
  }
};
}  // namespace

TEST_F(XferTask, StopRequestedBeforeDataInterruptsWithAbort)
{
  Sinks sinks;
  StoppingView view;
  g_pFuncView = &view;
  MakeFile(root, "xf\\stop.bin", 1000);
  const std::string target = local + "_stop";
  ::CreateDirectoryA(target.c_str(), nullptr);
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x5A));
  const DWORD start = ::GetTickCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DOWNLOAD, &site, node, "/xf", target.c_str(), 0,
                                            Entries({{"stop.bin", 1000}, {"next.bin", 1000}}))));
  Own(view);
  auto jobs = Jobs(view);
  ASSERT_EQ(jobs.size(), 2u) << "a stopped job does not end the download";
  for (BatchJobRecord* job : jobs) {
    EXPECT_EQ(job->m_state.load(), JOB_INTERRUPTED) << LogDump();
    EXPECT_EQ(job->m_running.load(), 0);
    EXPECT_NE(job->m_speed[0], '\0');
  }
  EXPECT_LT(::GetTickCount() - start, 10000u);
  EXPECT_EQ(site.m_pMainSession->m_pJob, nullptr);
  EXPECT_EQ(site.m_pMainSession->m_pFile, nullptr);
  EXPECT_TRUE(HasLine(PyftpdCommands(), "ABOR")) << Joined(PyftpdCommands());
  EXPECT_EQ(ReadAll(target + "\\stop.bin"), "") << "nothing fetched";
  g_pFuncView = &sinks.funcView;
}

// ---- against the scripted server ----

namespace {

// The bytes the scripted server's transfers send: byte i is (i * 7 + 3) mod 256.
std::string ScriptedPattern(size_t size)
{
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i)
    s[i] = static_cast<char>((i * 7 + 3) & 0xFF);
  return s;
}

class XferScripted : public ::testing::Test {
protected:
  void SetUp() override
  {
    FastSettings();
    g_sendTimeout = 2;
    g_recvTimeout = 2;
    g_taskConnectWaitMs = 8000;
    g_optionFlags &= ~(1u << OPTBIT_NOTIFIER);
    port = peers::Port("ZARN_SCRIPTED_PORT");
    ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --scripted";
    local = testsupport::TempFolder("zarn-xfs");
  }

  // The scenario for every connection from now on, then the site's keeper.
  void Connect(const char* scenario)
  {
    ASSERT_TRUE(peers::Scenario(scenario));
    SetUpSite(site, port, "zarn", "secret", '0');
    site.SiteOptionDigits[4] = '1';
    site.m_uploadTimeout = 0;
    site.m_downloadTimeout = 0;
    site.m_queueRun = 1;
    site.m_workerFlag = 1;
    StartKeeper(site);
    started = true;
    ASSERT_TRUE(WaitFor([&] { return site.m_connected.load() != 0; }, 15000)) << LogDump();
  }

  void TearDown() override
  {
    if (started)
      StopKeeper(site);
    for (BatchJobRecord* job : owned)
      delete job;
  }

  void Own(const LifetimeView& view)
  {
    for (BatchJobRecord* job : view.jobs)
      owned.push_back(job);
  }

  // The connection no longer reaches the job (the keeper's record may be gone).
  bool LetGo(BatchJobRecord* job) const
  {
    NetSession* session = site.m_pMainSession;
    return session == nullptr || (session->m_pJob != job && session->m_pFile == nullptr);
  }

  // A download from the silent_transfer scenario with the site's idle limit
  // at 11 s: it fails at that limit, and the ABOR nobody answers holds the
  // worker a few seconds more at most (its thread ends within the limit plus
  // 10 s), the connection failed with the usual text.
  void ExpectSilentServerLetGo(const char* name)
  {
    Connect("silent_transfer");
    site.m_downloadTimeout = 11;
    Sinks sinks;
    LifetimeView view;
    g_pFuncView = &view;
    const std::string target = local + "\\silent";
    ::CreateDirectoryA(target.c_str(), nullptr);
    HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x66));
    const DWORD start = ::GetTickCount();
    ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DOWNLOAD, &site, node, "/", target.c_str(), 0,
                                              Entries({{name, 1 << 20}})),
                        60000));
    const DWORD ended = ::GetTickCount() - start;
    Own(view);
    ASSERT_TRUE(view.Settle());
    ASSERT_EQ(view.jobs.size(), 1u);
    const LifetimeView::Seen seen = view.SeenOf(0);
    EXPECT_EQ(seen.state, JOB_ERROR) << LogDump();
    EXPECT_GE(seen.endTick - seen.startTick, 11000u - 500u) << "failed before its idle limit";
    EXPECT_LT(ended, 11000u + 10000u) << LogDump();
    EXPECT_TRUE(LetGo(view.jobs[0]));
    EXPECT_GE(FindLog("127.0.0.1::Connection failed. Please check the network."), 0) << LogDump();
  }

  static constexpr DWORD kIdleMs = 2000;
  int port = 0;
  bool started = false;
  std::string local;
  CSiteItem site;
  CTaskThreadList list;
  std::vector<BatchJobRecord*> owned;
};

}  // namespace

TEST_F(XferScripted, StalledDownloadAbortsWithinTheIdleLimit)
{
  Connect("xfer_stall");
  Sinks sinks;
  LifetimeView view;
  g_pFuncView = &view;
  const std::string target = local + "\\stall";
  ::CreateDirectoryA(target.c_str(), nullptr);
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x60));
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DOWNLOAD, &site, node, "/", target.c_str(), 0,
                                            Entries({{"big.bin", 1000000}}))));
  Own(view);
  ASSERT_TRUE(view.Settle());
  ASSERT_EQ(view.jobs.size(), 1u);
  const LifetimeView::Seen seen = view.SeenOf(0);
  EXPECT_EQ(seen.state, JOB_ERROR) << LogDump();
  EXPECT_EQ(seen.bytes, 65536u);
  EXPECT_LT(seen.endTick - seen.startTick, kIdleMs + 6000) << LogDump();
  EXPECT_TRUE(view.PatternIntact(0)) << "written after it was let go";
  EXPECT_TRUE(LetGo(view.jobs[0]));
  const auto got = peers::Received();
  EXPECT_TRUE(HasLine(got, "ABOR")) << Joined(got);
  // What arrived is what was sent, however much of it was kept.
  const std::string kept = ReadAll(target + "\\big.bin");
  EXPECT_LE(kept.size(), 65536u);
  EXPECT_EQ(kept, ScriptedPattern(kept.size()));
}

TEST_F(XferScripted, StalledUploadAbortsWithinTheIdleLimit)
{
  Connect("xfer_stall");
  Sinks sinks;
  LifetimeView view;
  g_pFuncView = &view;
  // Far more than the socket buffers hold: the server reads nothing.
  const size_t size = 8 * 1024 * 1024;
  WriteAll(local + "\\up.bin", Pattern(size));
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x61));
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_UPLOAD, &site, node, local.c_str(), "/", 0,
                                            Entries({{"up.bin", (int64_t)size}, {"second.bin", 3}}))));
  Own(view);
  ASSERT_TRUE(view.Settle());
  ASSERT_EQ(view.jobs.size(), 1u) << "a failed upload ends the task";
  const LifetimeView::Seen seen = view.SeenOf(0);
  EXPECT_EQ(seen.state, JOB_ERROR) << LogDump();
  EXPECT_GT(seen.bytes, 0u);
  EXPECT_LT(seen.bytes, size);
  EXPECT_LT(seen.endTick - seen.startTick, kIdleMs + 6000) << LogDump();
  EXPECT_TRUE(view.PatternIntact(0)) << "written after it was let go";
  EXPECT_TRUE(LetGo(view.jobs[0]));
  EXPECT_EQ(view.Of(UWM_TASK_FINISHED).size(), 1u);
  EXPECT_TRUE(sinks.serTrView.Of(UWM_ENTRY_ADDED).empty());
  EXPECT_EQ(sinks.serTrView.Of(UWM_LISTING_STATUS).size(), 1u);
  // An upload is given up by resetting its data connection: closed in order,
  // the server would keep the cut file as a whole one.
  const auto got = peers::Received();
  EXPECT_TRUE(HasLine(got, "DATA RESET")) << Joined(got);
}

TEST_F(XferScripted, DroppedControlConnectionEndsInErrorWithoutAbort)
{
  Connect("xfer_drop");
  Sinks sinks;
  LifetimeView view;
  g_pFuncView = &view;
  const std::string target = local + "\\drop";
  ::CreateDirectoryA(target.c_str(), nullptr);
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x62));
  const DWORD start = ::GetTickCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DOWNLOAD, &site, node, "/", target.c_str(), 0,
                                            Entries({{"drop.bin", 1000000}}))));
  Own(view);
  ASSERT_TRUE(view.Settle());
  ASSERT_EQ(view.jobs.size(), 1u);
  EXPECT_EQ(view.SeenOf(0).state, JOB_ERROR) << LogDump();
  EXPECT_TRUE(view.PatternIntact(0)) << "written after it was let go";
  EXPECT_TRUE(LetGo(view.jobs[0]));
  EXPECT_LT(::GetTickCount() - start, kIdleMs + 6000);
  const auto got = peers::Received();
  EXPECT_TRUE(HasLine(got, "RETR drop.bin")) << Joined(got);
  EXPECT_FALSE(HasLine(got, "ABOR")) << Joined(got);
}

TEST_F(XferScripted, StopDuringTransferAbortsAndInterrupts)
{
  Connect("xfer_stall");
  Sinks sinks;
  LifetimeView view(LifetimeView::kStopJob);
  g_pFuncView = &view;
  const std::string target = local + "\\stopjob";
  ::CreateDirectoryA(target.c_str(), nullptr);
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x63));
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DOWNLOAD, &site, node, "/", target.c_str(), 0,
                                            Entries({{"stop.bin", 1000000}}))));
  Own(view);
  ASSERT_TRUE(view.Settle());
  ASSERT_EQ(view.jobs.size(), 1u);
  const LifetimeView::Seen seen = view.SeenOf(0);
  EXPECT_EQ(seen.state, JOB_INTERRUPTED) << LogDump();
  // The stop is seen at the next slice, long before the idle limit would end it.
  EXPECT_LT(seen.endTick - seen.startTick, 3000u + 3000u) << LogDump();
  EXPECT_TRUE(view.PatternIntact(0)) << "written after it was let go";
  EXPECT_TRUE(LetGo(view.jobs[0]));
  const auto got = peers::Received();
  EXPECT_TRUE(HasLine(got, "ABOR")) << Joined(got);
}

TEST_F(XferScripted, SiteStoppedDuringTransferInterrupts)
{
  Connect("xfer_stall");
  Sinks sinks;
  LifetimeView view(LifetimeView::kStopSite, &site);
  g_pFuncView = &view;
  const std::string target = local + "\\stopsite";
  ::CreateDirectoryA(target.c_str(), nullptr);
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x64));
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DOWNLOAD, &site, node, "/", target.c_str(), 0,
                                            Entries({{"a.bin", 1000000}, {"b.bin", 1000000}}))));
  Own(view);
  ASSERT_TRUE(view.Settle());
  ASSERT_EQ(view.jobs.size(), 1u) << "a stopped site fetches nothing more";
  EXPECT_EQ(view.SeenOf(0).state, JOB_INTERRUPTED) << LogDump();
  EXPECT_TRUE(view.PatternIntact(0)) << "written after it was let go";
  EXPECT_TRUE(LetGo(view.jobs[0]));
}

TEST_F(XferScripted, UnansweredFolderChangeEndsTheTask)
{
  Connect("cwd_silent");
  Sinks sinks;
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x65));
  const DWORD start = ::GetTickCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DOWNLOAD, &site, node, "/nowhere", local.c_str(), 0,
                                            Entries({{"x.bin", 3}}))));
  EXPECT_LT(::GetTickCount() - start, kIdleMs + 6000);
  EXPECT_TRUE(sinks.funcView.Of(UWM_BATCH_ADD).empty());
  EXPECT_GE(FindLog("This server response timeout"), 0) << LogDump();
}

TEST_F(XferScripted, ASilentServerAfterTheWholeFileFreesTheWorkerSoon)
{
  ExpectSilentServerLetGo("nofinal.bin");
}

TEST_F(XferScripted, ASilentServerInTheMiddleOfTheFileFreesTheWorkerSoon)
{
  ExpectSilentServerLetGo("halfstall.bin");
}
