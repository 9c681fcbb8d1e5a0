// The structure record and the space count against vsftpd (recursive listings
// on) and the scripted server, and the file operations against servers that
// answer slowly or not at all: the record holds exactly the listing's bytes,
// both counting methods agree, a stale count writes nothing, and a stop or a
// silent server ends a task within its bound.
#include <gtest/gtest.h>

#include <winsock2.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

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

// ---- a raw client: what a server sends for one listing command ----

class RawFtp {
public:
  ~RawFtp()
  {
    if (m_ctrl != INVALID_SOCKET)
      ::closesocket(m_ctrl);
  }

  static SOCKET Dial(int port)
  {
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a;
    std::memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<u_short>(port));
    a.sin_addr.s_addr = htonl(0x7F000001);
    if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
      ::closesocket(s);
      return INVALID_SOCKET;
    }
    DWORD ms = 10000;
    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
    return s;
  }

  // The last line of the next reply (multi-line replies read to their end).
  std::string Reply()
  {
    std::string first = Line();
    if (first.size() < 4 || first[3] != '-')
      return first;
    for (;;) {
      std::string l = Line();
      if (l.empty() || (l.compare(0, 3, first, 0, 3) == 0 && l.size() > 3 && l[3] == ' '))
        return l;
    }
  }

  std::string Command(const std::string& text)
  {
    const std::string line = text + "\r\n";
    ::send(m_ctrl, line.data(), static_cast<int>(line.size()), 0);
    return Reply();
  }

  // Logs in, enters the folder and returns the bytes of "LIST arg".
  bool List(int port, const std::string& user, const std::string& pass, const std::string& folder,
            const std::string& arg, std::string* bytes)
  {
    peers::StartSockets();
    m_ctrl = Dial(port);
    if (m_ctrl == INVALID_SOCKET || Reply().rfind("220", 0) != 0)
      return false;
    Command("USER " + user);
    if (Command("PASS " + pass).rfind("230", 0) != 0 || Command("CWD " + folder)[0] != '2' ||
        Command("TYPE A")[0] != '2')
      return false;
    const std::string pasv = Command("PASV");
    int h[6] = {};
    const size_t open = pasv.find('(');
    if (open == std::string::npos ||
        std::sscanf(pasv.c_str() + open, "(%d,%d,%d,%d,%d,%d)", &h[0], &h[1], &h[2], &h[3], &h[4], &h[5]) != 6)
      return false;
    SOCKET data = Dial(h[4] * 256 + h[5]);
    if (data == INVALID_SOCKET)
      return false;
    const std::string start = Command("LIST " + arg);
    bytes->clear();
    char buf[4096];
    int n;
    while ((n = ::recv(data, buf, sizeof buf, 0)) > 0)
      bytes->append(buf, static_cast<size_t>(n));
    ::closesocket(data);
    const bool ok = start[0] == '1' && Reply()[0] == '2';
    Command("QUIT");
    return ok;
  }

private:
  std::string Line()
  {
    std::string l;
    char c;
    while (::recv(m_ctrl, &c, 1, 0) == 1) {
      if (c == '\n')
        break;
      if (c != '\r')
        l += c;
    }
    return l;
  }

  SOCKET m_ctrl = INVALID_SOCKET;
};

bool ReadFileBytes(const std::string& path, std::string* bytes)
{
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr)
    return false;
  bytes->clear();
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
    bytes->append(buf, n);
  std::fclose(f);
  return true;
}

bool FileExists(const std::string& path)
{
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Sent(const std::string& verb)
{
  std::vector<std::string> got = peers::Received();
  return std::any_of(got.begin(), got.end(), [&](const std::string& l) { return l.rfind(verb, 0) == 0; });
}

// ---- the fixture ----

class OpsWalks : public ::testing::Test {
protected:
  void StartSite(int port, const std::string& user, const std::string& pass)
  {
    FastSettings();
    g_recvTimeout = 3;
    g_sendTimeout = 3;
    g_taskConnectWaitMs = 8000;
    g_optionFlags &= ~(1u << OPTBIT_NOTIFIER);
    SetUpSite(site, port, user.c_str(), pass.c_str(), '0');
    site.SiteOptionDigits[2] = '0';
    ASSERT_NO_FATAL_FAILURE(StartWorkerSite(site));
  }

  void StartVsftpd()
  {
    port = peers::Port("ZARN_VSFTPD_PORT");
    ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --vsftpd";
    user = peers::Env("ZARN_VSFTPD_USER");
    pass = peers::Env("ZARN_VSFTPD_PASS");
    root = peers::Env("ZARN_VSFTPD_ROOT");
    rootWin = peers::Env("ZARN_VSFTPD_ROOT_WIN");
    StartSite(port, user, pass);
  }

  void StartScripted(const char* scenario)
  {
    port = peers::Port("ZARN_SCRIPTED_PORT");
    ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --scripted";
    ASSERT_TRUE(peers::Scenario(scenario));
    user = "zarn";
    pass = "secret";
    StartSite(port, user, pass);
  }

  void TearDown() override
  {
    StopKeeper(site);
    g_exitRequested = 0;
  }

  std::string LocalFile(const char* name) { return peers::Env("ZARN_PEER_WORK_WIN") + "\\" + name; }

  // Runs one space count of the folder with the given method into run.
  void Count(const std::string& folder, int method, SpaceUsedRun& run)
  {
    run.m_method = method;
    run.m_runId = 11;
    run.m_running = 1;
    run.m_files = run.m_folders = run.m_bytes = -1;
    CProgThread* t = new CProgThread(TASK_SPACE_USED, &site, folder.c_str(), "", nullptr, 0);
    t->SetSpaceRun(&run, 11);
    ASSERT_TRUE(RunTask(list, t));
    EXPECT_EQ(run.m_running.load(), 0);
  }

  // Runs the task while another thread does `meanwhile` after delayMs; the
  // milliseconds the task took.
  template <typename F>
  DWORD RunWhile(CProgThread* t, DWORD delayMs, F meanwhile)
  {
    std::thread other([&] {
      ::Sleep(delayMs);
      meanwhile();
    });
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(RunTask(list, t, 30000));
    const DWORD took = ::GetTickCount() - start;
    other.join();
    return took;
  }

  int port = 0;
  std::string user, pass, root, rootWin;
  CSiteItem site;
  CTaskThreadList list;
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x55));
};

EntryRecord* OneRecord(const char* name, const char* second, int kind)
{
  EntryRecord* r = new EntryRecord[2];
  std::memset(r, 0, sizeof(EntryRecord) * 2);
  std::snprintf(r[0].m_name, sizeof(r[0].m_name), "%s", name);
  std::snprintf(r[0].m_second, sizeof(r[0].m_second), "%s", second);
  r[0].m_kind = kind;
  return r;
}

}  // namespace

TEST_F(OpsWalks, VsftpdRecordIsTheRawListingAndBothCountsAgree)
{
  StartVsftpd();
  Sinks sinks;
  MakeFile(rootWin, "walk\\a", 10);
  MakeFile(rootWin, "walk\\s\\b", 20);
  MakeFile(rootWin, "walk\\s\\t\\c", 30);
  MakeFile(rootWin, "walk\\name with  two blanks", 5);
  MakeFolder(rootWin, "walk\\e");
  MakeFolder(rootWin, "bare");
  const std::string folder = root + "/walk";

  const std::string record = LocalFile("walk-record.txt");
  int before = ConnLogCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(TASK_RECORD_STRUCTURE, &site, folder.c_str(), record.c_str(), nullptr,
                                            0)));
  EXPECT_GE(FindLog("127.0.0.1::" + folder + " recording directory structure is complete", before), 0) << LogDump();
  std::string saved, raw;
  ASSERT_TRUE(ReadFileBytes(record, &saved));
  ASSERT_TRUE(RawFtp().List(port, user, pass, folder, "-alR", &raw));
  EXPECT_EQ(saved, raw);
  EXPECT_NE(saved.find("./s/t:"), std::string::npos) << saved;

  // One recursive listing and the folder walk: 4 files, 3 folders, 65 bytes.
  SpaceRunHold listingRun, walkRun;
  SpaceUsedRun& byListing = *listingRun;
  SpaceUsedRun& byWalk = *walkRun;
  before = ConnLogCount();
  Count(folder, 0, byListing);
  EXPECT_GE(FindLog("127.0.0.1::" + folder + " calculate FTP Space Used is complete. \r\n", before), 0) << LogDump();
  Count(folder, 1, byWalk);
  EXPECT_EQ(byListing.m_files, 4);
  EXPECT_EQ(byListing.m_folders, 3);
  EXPECT_EQ(byListing.m_bytes, 65);
  EXPECT_EQ(byWalk.m_files, byListing.m_files);
  EXPECT_EQ(byWalk.m_folders, byListing.m_folders);
  EXPECT_EQ(byWalk.m_bytes, byListing.m_bytes);

  // An empty tree counts 0 both ways.
  Count(root + "/bare", 0, byListing);
  Count(root + "/bare", 1, byWalk);
  EXPECT_EQ(byListing.m_files, 0);
  EXPECT_EQ(byListing.m_folders, 0);
  EXPECT_EQ(byListing.m_bytes, 0);
  EXPECT_EQ(byWalk.m_files, 0);
  EXPECT_EQ(byWalk.m_folders, 0);
  EXPECT_EQ(byWalk.m_bytes, 0);

  // A record file that cannot be made: the error line, nothing written.
  const std::string nowhere = "Z:\\zarn-no-such-folder\\deeper\\rec.txt";
  before = ConnLogCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(TASK_RECORD_STRUCTURE, &site, folder.c_str(), nowhere.c_str(), nullptr,
                                            0)));
  EXPECT_GE(FindLog("127.0.0.1::" + folder + " recording directory structure error: cannot create " + nowhere,
                    before), 0) << LogDump();
  EXPECT_FALSE(FileExists(nowhere));
  EXPECT_TRUE(TaskCountReachesZero(site));
}

TEST_F(OpsWalks, EmptyRecursiveListingWritesNoFile)
{
  StartScripted("ops_list_empty");
  Sinks sinks;
  const std::string record = LocalFile("empty-record.txt");
  const int before = ConnLogCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(TASK_RECORD_STRUCTURE, &site, "/x", record.c_str(), nullptr, 0)));
  EXPECT_GE(FindLog("127.0.0.1::/x directory is empty,no data\r\n", before), 0) << LogDump();
  EXPECT_FALSE(FileExists(record));
}

TEST_F(OpsWalks, RecordOfFolderEndingInQuestionMarkAndCountOfLongHeaders)
{
  StartScripted("ops_list_recursive");
  Sinks sinks;
  const std::string record = LocalFile("odd-record.txt");
  ASSERT_TRUE(RunTask(list, new CProgThread(TASK_RECORD_STRUCTURE, &site, "/odd?", record.c_str(), nullptr, 0)));
  std::vector<std::string> got = peers::Received();
  EXPECT_NE(std::find(got.begin(), got.end(), "CWD /odd?"), got.end());
  EXPECT_NE(std::find(got.begin(), got.end(), "LIST -alR"), got.end());
  std::string saved, raw;
  ASSERT_TRUE(ReadFileBytes(record, &saved));
  ASSERT_TRUE(RawFtp().List(port, user, pass, "/odd?", "-alR", &raw));
  EXPECT_EQ(saved, raw);

  // Folder header lines of 30 characters and more are no files; the total
  // passes 32 bits.
  SpaceRunHold hold;
  SpaceUsedRun& run = *hold;
  Count("/odd", 0, run);
  EXPECT_EQ(run.m_files, 4);
  EXPECT_EQ(run.m_folders, 3);
  EXPECT_EQ(run.m_bytes, 5000002017LL);
}

TEST_F(OpsWalks, CountWhoseRunIdChangesAbortsAndWritesNothing)
{
  StartScripted("ops_list_recursive_slow");
  Sinks sinks;
  SpaceRunHold hold;
  SpaceUsedRun& run = *hold;
  run.m_method = 0;
  run.m_runId = 21;
  run.m_running = 1;
  run.m_files = run.m_folders = run.m_bytes = -1;
  CProgThread* t = new CProgThread(TASK_SPACE_USED, &site, "/slow", "", nullptr, 0);
  t->SetSpaceRun(&run, 21);
  const int before = ConnLogCount();
  // The dialog's Abort (or a new Check) while the listing comes in.
  const DWORD took = RunWhile(t, 1200, [&] { run.m_runId = 22; });
  EXPECT_LT(took, 6000u);  // the whole listing takes about 7 s
  EXPECT_TRUE(Sent("ABOR"));
  EXPECT_EQ(run.m_files, -1);
  EXPECT_EQ(run.m_folders, -1);
  EXPECT_EQ(run.m_bytes, -1);
  EXPECT_EQ(run.m_running.load(), 1);  // the newer run's flag
  EXPECT_LT(FindLog("127.0.0.1::/slow calculate", before), 0) << LogDump();
  EXPECT_TRUE(TaskCountReachesZero(site));
}

TEST_F(OpsWalks, StopDuringDeleteEndsWithTheStoppedText)
{
  StartScripted("ops_slow_replies");
  Sinks sinks;
  const int before = ConnLogCount();
  const DWORD took = RunWhile(new CProgThread(1, TASK_DELETE, &site, node, "/d", 1, OneRecord("f", "", kEntryFile)),
                              700, [&] { site.m_queueRun = 0; });
  EXPECT_LT(took, 4500u);  // one 2-second slice after the stop
  EXPECT_GE(FindLog("127.0.0.1::Deleting stopped. \r\n", before), 0) << LogDump();
  EXPECT_TRUE(sinks.serTrView.Of(UWM_ENTRY_REMOVED).empty());
}

TEST_F(OpsWalks, StopDuringRenameEndsWithTheStoppedText)
{
  StartScripted("ops_slow_replies");
  Sinks sinks;
  const int before = ConnLogCount();
  const DWORD took = RunWhile(new CProgThread(1, TASK_RENAME, &site, node, "/d", 1, OneRecord("a", "b", kEntryFile)),
                              700, [&] { site.m_queueRun = 0; });
  EXPECT_LT(took, 4500u);
  EXPECT_GE(FindLog("127.0.0.1::Renaming stopped by user\r\n", before), 0) << LogDump();
  EXPECT_TRUE(sinks.serTrView.Of(UWM_ENTRY_RENAMED).empty());
}

TEST_F(OpsWalks, StopDuringSearchEndsIt)
{
  StartScripted("ops_slow_replies");
  Sinks sinks;
  const int before = ConnLogCount();
  const DWORD took = RunWhile(new CProgThread(TASK_SEARCH, &site, "/d", "*", nullptr, 1), 700,
                              [&] { site.m_queueRun = 0; });
  EXPECT_LT(took, 4500u);
  EXPECT_GE(FindLog("127.0.0.1::Search is Finished\r\n", before), 0) << LogDump();
  EXPECT_TRUE(sinks.funcView.Of(UWM_SEARCH_RESULTS).empty());
}

TEST_F(OpsWalks, SilentServerAfterDeleFailsTheStep)
{
  StartScripted("ops_silent_after_dele");
  Sinks sinks;
  const int before = ConnLogCount();
  const DWORD start = ::GetTickCount();
  ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_DELETE, &site, node, "/d", 1, OneRecord("f", "", kEntryFile)),
                      30000));
  EXPECT_LT(::GetTickCount() - start, 12000u);  // the 3-second idle limit, not the site's stop
  EXPECT_GE(FindLog("127.0.0.1::Deleting error, maybe you don't have the permission or the file does not exist",
                    before), 0) << LogDump();
  EXPECT_GE(FindLog("127.0.0.1::Deleting task is complete. ", before), 0);
  EXPECT_TRUE(sinks.serTrView.Of(UWM_ENTRY_REMOVED).empty());
  EXPECT_TRUE(TaskCountReachesZero(site));
}
