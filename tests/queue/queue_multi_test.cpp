// Many files over several queue workers against the loopback pyftpdlib server:
// every byte arrives, every item ends finished with one finish report, the
// status records add up, and a site limited to one connection never opens a
// second.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/connlog.h"
#include "engine/planthread.h"
#include "engine/progthread.h"
#include "engine/queuerules.h"
#include "engine/xfertask.h"
#include "shell/settings/settings.h"
#include "tests/queue/queuefix.h"
#include "tests/support/peers.h"
#include "tests/task/taskfix.h"

using namespace queuetest;

namespace {

// A server as the test sees it: the folder its FTP paths start from, in
// Windows form for writing and reading, and in FTP form for the items.
struct Server {
  int port = 0;
  std::string winBase, ftpBase, user, pass;
  bool subfolderUploads = true;  // uploads go into a folder the test makes
};

class QueueMulti : public ::testing::Test {
protected:
  void SetUp() override
  {
    const PeerLogin peer = PyftpdPeer();
    port = peer.port;
    ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --pyftpd";
    root = peer.root;
    user = peer.user;
    pass = peer.pass;
    py.port = port;
    py.winBase = root;
    py.user = user;
    py.pass = pass;
  }

  // Downloads and uploads of sizes 0 B .. 3 MiB over `workers` workers; a
  // third of the items name the server as "localhost", which is no work site.
  // With handRows false the frame hands no row notice on and the workers post them.
  void RunMany(const Server& server, int workers, int downloads, int uploads, bool handRows = true)
  {
    static const size_t kSizes[] = {0, 1, 1000, 65536 + 3, 300000, (1u << 20) + 7, 3u << 20};
    const size_t kinds = sizeof(kSizes) / sizeof(kSizes[0]);
    Harness h;
    h.frame.m_handRows = handRows;
    g_queueThreadCount = workers;
    h.AddSite(server.port, server.user.c_str(), server.pass.c_str());
    const std::string dir = "multi" + std::to_string(workers) + "-" + std::to_string(server.port);
    tasktest::MakeFolder(server.winBase, dir + "\\dl");
    std::string upWin = server.winBase, upFtp = server.ftpBase;
    if (server.subfolderUploads) {
      tasktest::MakeFolder(server.winBase, dir + "\\up");
      upWin += "\\" + dir + "\\up";
      upFtp += "/" + dir + "/up";
    }
    if (upFtp.empty())
      upFtp = "/";
    const std::string localIn = FreshTemp("in" + dir);
    const std::string localOut = FreshTemp("out" + dir);
    std::map<std::string, std::string> expectDown, expectUp;
    uint64_t total = 0;
    for (int i = 0; i < downloads; ++i) {
      const size_t size = kSizes[i % kinds];
      const std::string name = "d" + std::to_string(i) + ".bin";
      const std::string bytes = Pattern(size, 100u + static_cast<uint32_t>(i));
      WriteAll(server.winBase + "\\" + dir + "\\dl\\" + name, bytes);
      expectDown[name] = bytes;
      total += size;
      h.view.Add("<-", i % 3 == 2 ? "localhost" : "127.0.0.1", server.port, server.user.c_str(),
                 server.pass.c_str(), localIn.c_str(), (server.ftpBase + "/" + dir + "/dl").c_str(), name.c_str(),
                 static_cast<int64_t>(size));
    }
    for (int i = 0; i < uploads; ++i) {
      const size_t size = kSizes[(i + 3) % kinds];
      const std::string name = dir + "-u" + std::to_string(i) + ".bin";
      const std::string bytes = Pattern(size, 900u + static_cast<uint32_t>(i));
      WriteAll(localOut + "\\" + name, bytes);
      expectUp[name] = bytes;
      total += size;
      h.view.Add("->", i % 3 == 2 ? "localhost" : "127.0.0.1", server.port, server.user.c_str(),
                 server.pass.c_str(), localOut.c_str(), upFtp.c_str(), name.c_str(), static_cast<int64_t>(size));
    }
    const int items = downloads + uploads;
    ASSERT_TRUE(h.Run(80000)) << QueueLogText();

    for (CPlanItem* item : h.view.All())
      EXPECT_EQ(item->m_status, PLAN_FINISHED) << item->m_fileName << "\n" << QueueLogText();
    EXPECT_EQ(static_cast<int>(h.view.All().size()), items);
    for (const auto& e : expectDown)
      EXPECT_TRUE(ReadAll(localIn + "\\" + e.first) == e.second) << e.first;
    for (const auto& e : expectUp)
      EXPECT_TRUE(ReadAll(upWin + "\\" + e.first) == e.second) << e.first;

    // One finish report per file to each window, and the records' totals.
    int toView = 0;
    for (const Seen& s : h.view.m_seen)
      if (s.message == UWM_TASK_FINISHED && s.lParam == 1)
        ++toView;
    EXPECT_EQ(toView, items);
    EXPECT_EQ(h.frame.Count(UWM_TASK_FINISHED), items);
    EXPECT_EQ(h.frame.Count(UWM_UPLOAD_BEGIN), uploads);
    EXPECT_EQ(h.frame.Count(UWM_DOWNLOAD_BEGIN), downloads);
    EXPECT_EQ(h.frame.m_finishedUploads, uploads);
    EXPECT_EQ(h.frame.m_finishedDownloads, downloads);
    uint64_t recorded = 0;
    std::set<int> used;
    for (int n = 0; n < kThreadStatusRecords; ++n) {
      recorded += h.frame.m_records[n].m_runningTotal;
      if (h.frame.m_records[n].m_runningTotal != 0)
        used.insert(n);
      EXPECT_TRUE(n < workers || h.frame.m_records[n].m_runningTotal == 0) << n;
    }
    EXPECT_EQ(recorded, total);
    EXPECT_GT(used.size(), 1u) << "the work was spread over the workers";
    ExpectBeginBeforeFinish(h);
    // The last worker reset the shared state.
    EXPECT_EQ(g_planThreadCount.load(), 0);
    EXPECT_EQ(h.frame.m_active.load(), 0);
    EXPECT_EQ(g_queueFileExistsRules.load(), -1);
  }

  // Each worker's files, one after another: a begin to the frame and a row
  // reset to the view before that file's finish, never two begins in a row.
  static void ExpectBeginBeforeFinish(const Harness& h)
  {
    std::map<WPARAM, int> open;
    for (const Seen& s : h.frame.m_seen) {
      if (s.message == UWM_UPLOAD_BEGIN || s.message == UWM_DOWNLOAD_BEGIN)
        EXPECT_EQ(open[s.wParam]++, 0) << "worker " << s.wParam << " began twice";
      else if (s.message == UWM_TASK_FINISHED)
        EXPECT_EQ(open[s.wParam]--, 1) << "worker " << s.wParam << " finished before its begin";
    }
    open.clear();
    for (const Seen& s : h.view.m_seen) {
      if (s.message == UWM_THREAD_RESET)
        EXPECT_EQ(open[s.wParam]++, 0) << "row " << s.wParam << " reset twice";
      else if (s.message == UWM_TASK_FINISHED && s.lParam == 1)
        EXPECT_EQ(open[s.wParam]--, 1) << "row " << s.wParam << " finished before its reset";
    }
  }

  int port = 0;
  std::string root, user, pass;
  Server py;
};

// A local file that cannot be made fails its item, its begin still shown
// before the failure's finish and the next file fetched whole.
TEST_F(QueueMulti, AFileThatCannotBeOpenedStillBeginsBeforeItFails)
{
  Harness h;
  g_queueThreadCount = 1;
  h.AddSite(port, user.c_str(), pass.c_str());
  tasktest::MakeFolder(root, "noopen");
  const std::string bytes = Pattern(3000, 7);
  WriteAll(root + "\\noopen\\a.bin", bytes);
  WriteAll(root + "\\noopen\\b.bin", bytes);
  const std::string local = FreshTemp("noopen");
  const std::string missing = local + "\\no-such-folder";
  CPlanItem* lost = h.view.Add("<-", "127.0.0.1", port, user.c_str(), pass.c_str(), missing.c_str(), "/noopen",
                               "a.bin", 3000);
  lost->m_failAction = PLAN_FAIL_MOVE_LAST;
  CPlanItem* fine =
      h.view.Add("<-", "127.0.0.1", port, user.c_str(), pass.c_str(), local.c_str(), "/noopen", "b.bin", 3000);
  ASSERT_TRUE(h.Run(60000)) << QueueLogText();
  EXPECT_EQ(lost->m_status, PLAN_ERROR) << QueueLogText();
  EXPECT_EQ(fine->m_status, PLAN_FINISHED) << QueueLogText();
  EXPECT_TRUE(ReadAll(local + "\\b.bin") == bytes);
  EXPECT_NE(QueueLogText().find("can't be opened."), std::string::npos) << QueueLogText();
  EXPECT_EQ(h.frame.Count(UWM_DOWNLOAD_BEGIN), 2);
  EXPECT_EQ(h.frame.Count(UWM_TASK_FINISHED), 2);
  ExpectBeginBeforeFinish(h);
}

TEST_F(QueueMulti, TwoWorkers) { RunMany(py, 2, 30, 10); }
TEST_F(QueueMulti, ThreeWorkers) { RunMany(py, 3, 30, 10); }
TEST_F(QueueMulti, FiveWorkers) { RunMany(py, 5, 30, 10); }
TEST_F(QueueMulti, WorkersPostTheirRowNoticesWhenTheFrameDoesNotHandThemOn) { RunMany(py, 3, 12, 6, false); }

// The vsftpd peer; port 0 when it is not running.
Server Vsftpd()
{
  Server vs;
  vs.port = peers::Port("ZARN_VSFTPD_PORT");
  // The daemon's root is read-only but for its "upload" folder, which the
  // local user reaches by its full path.
  vs.winBase = peers::Env("ZARN_VSFTPD_ROOT_WIN") + "\\upload";
  vs.ftpBase = peers::Env("ZARN_VSFTPD_ROOT") + "/upload";
  vs.user = peers::Env("ZARN_VSFTPD_USER");
  vs.pass = peers::Env("ZARN_VSFTPD_PASS");
  vs.subfolderUploads = false;
  return vs;
}

TEST_F(QueueMulti, FiveWorkersAgainstVsftpd)
{
  const Server vs = Vsftpd();
  if (vs.port == 0)
    GTEST_SKIP() << "no vsftpd (it runs only as root)";
  RunMany(vs, 5, 30, 10);
}

TEST_F(QueueMulti, AnUploadRetryResumesWithRestBeforeAppe)
{
  const Server vs = Vsftpd();
  if (vs.port == 0)
    GTEST_SKIP() << "no vsftpd (it runs only as root)";
  const size_t size = 3 * 1024 * 1024 + 11;
  const size_t part = 1024 * 1024 + 3;
  const std::string data = Pattern(size, 777);
  // What the failed attempt left on the server: bytes of its own, so a
  // transfer from the start would show. Uploaded, so that the daemon's user
  // owns the file.
  const std::string left(part, 'Z');
  const std::string local = FreshTemp("up-resume");
  WriteAll(local + "\\up-resume.bin", left);

  Harness h;
  g_queueThreadCount = 1;
  CSiteItem* site = h.AddSite(vs.port, vs.user.c_str(), vs.pass.c_str());
  site->SiteOptionDigits[8] = '1';  // REST before APPE
  h.view.Add("->", "127.0.0.1", vs.port, vs.user.c_str(), vs.pass.c_str(), local.c_str(), vs.ftpBase.c_str(),
             "up-resume.bin", static_cast<int64_t>(part));
  ASSERT_TRUE(h.Run(60000)) << QueueLogText();
  ASSERT_TRUE(ReadAll(vs.winBase + "\\up-resume.bin") == left);

  h.view.Clear();
  ConnLogClear();
  h.frame.m_records[0] = ThreadStatusRecord{};
  WriteAll(local + "\\up-resume.bin", data);
  CPlanItem* item = h.view.Add("->", "127.0.0.1", vs.port, vs.user.c_str(), vs.pass.c_str(), local.c_str(),
                               vs.ftpBase.c_str(), "up-resume.bin", static_cast<int64_t>(size));
  item->m_retryCount = 1;
  ASSERT_TRUE(h.Run(60000)) << QueueLogText();
  EXPECT_EQ(item->m_status, PLAN_FINISHED) << QueueLogText();
  const std::string log = QueueLogText();
  EXPECT_NE(log.find("---> REST " + std::to_string(part)), std::string::npos) << log;
  EXPECT_NE(log.find("---> APPE up-resume.bin"), std::string::npos) << log;
  EXPECT_TRUE(ReadAll(vs.winBase + "\\up-resume.bin") == left + data.substr(part)) << "resumed at the offset";
  // Only the rest went over the wire.
  EXPECT_EQ(h.frame.m_records[0].m_runningTotal, static_cast<uint32_t>(size - part));
}

TEST_F(QueueMulti, ASiteLimitedToOneConnectionNeverOpensASecond)
{
  Harness h;
  g_queueThreadCount = 3;
  h.AddSite(port, user.c_str(), pass.c_str(), '1');
  tasktest::MakeFolder(root, "one");
  const std::string localIn = FreshTemp("one");
  for (int i = 0; i < 6; ++i) {
    const std::string name = "o" + std::to_string(i) + ".bin";
    WriteAll(root + "\\one\\" + name, Pattern(40000 + static_cast<size_t>(i)));
    h.view.Add("<-", "127.0.0.1", port, user.c_str(), pass.c_str(), localIn.c_str(), "/one", name.c_str(),
               40000 + i);
  }
  const std::set<int> before = tasktest::PyftpdClientPorts();
  ASSERT_TRUE(h.Run(60000)) << QueueLogText();
  for (CPlanItem* item : h.view.All())
    EXPECT_EQ(item->m_status, PLAN_FINISHED) << item->m_fileName;
  std::set<int> added;
  for (int p : tasktest::PyftpdClientPorts())
    if (before.count(p) == 0)
      added.insert(p);
  EXPECT_EQ(added.size(), 1u) << "the keeper's connection is the site's one";
  EXPECT_LE(h.view.m_maxWorkingPerSite1, 1);
  for (int i = 0; i < 6; ++i) {
    const std::string name = "o" + std::to_string(i) + ".bin";
    EXPECT_TRUE(ReadAll(localIn + "\\" + name) == Pattern(40000 + static_cast<size_t>(i))) << name;
  }
  // The site is free again: its one unit is back.
  HANDLE sem = h.doc->GetSite(1)->ConnectionSemaphore();
  ASSERT_NE(sem, nullptr);
  EXPECT_EQ(::WaitForSingleObject(sem, 0), WAIT_OBJECT_0);
  ::ReleaseSemaphore(sem, 1, nullptr);
  EXPECT_EQ(h.doc->GetSite(1)->m_taskCount.load(), 0);
}

// Lines of the connection log that hold text.
int LogLinesWith(const std::string& text)
{
  int n = 0;
  for (int i = 0; i < ConnLogCount(); ++i)
    if (std::string(static_cast<const char*>(ConnLogRowText(i))).find(text) != std::string::npos)
      ++n;
  return n;
}

// One worker keeping its connection: a folder or type the server acknowledged
// last is not asked for again, a changed one is, and the next run's new
// connection asks for both again.
TEST_F(QueueMulti, ACommandIsSentOnlyWhenItsFolderOrTypeChanges)
{
  Harness h;
  g_queueThreadCount = 1;
  g_optionFlags |= 1u << OPTBIT_REUSE_CONNECTION;
  g_transferType = 0;
  tasktest::MakeFolder(root, "seq\\a");
  tasktest::MakeFolder(root, "seq\\b");
  const std::string local = FreshTemp("seq");
  // "localhost" is no work site: the worker's own connection, no keep-alive.
  struct File {
    const char* folder;
    const char* name;
  };
  const File files[] = {{"a", "one.bin"}, {"a", "two.bin"}, {"a", "three.txt"}, {"b", "four.bin"}, {"a", "five.bin"}};
  for (const File& f : files) {
    WriteAll(root + "\\seq\\" + f.folder + "\\" + f.name, std::string(3000, 'q'));
    h.view.Add("<-", "localhost", port, user.c_str(), pass.c_str(), local.c_str(),
               (std::string("/seq/") + f.folder).c_str(), f.name, 3000);
  }
  ASSERT_TRUE(h.Run(60000)) << QueueLogText();
  for (CPlanItem* item : h.view.All())
    EXPECT_EQ(item->m_status, PLAN_FINISHED) << item->m_fileName << "\n" << QueueLogText();
  for (const File& f : files)
    EXPECT_TRUE(ReadAll(local + "\\" + f.name) == std::string(3000, 'q')) << f.name;
  // /seq/a, then /seq/b, then /seq/a again; binary, text for three.txt, binary.
  EXPECT_EQ(LogLinesWith("Sending command ---> CWD /seq/a"), 2) << QueueLogText();
  EXPECT_EQ(LogLinesWith("Sending command ---> CWD /seq/b"), 1);
  EXPECT_EQ(LogLinesWith("Sending command ---> TYPE I"), 2);
  EXPECT_EQ(LogLinesWith("Sending command ---> TYPE A"), 1);
  EXPECT_EQ(LogLinesWith("Sending command ---> RETR"), 5);

  // A new run connects anew: nothing is taken from the last connection.
  h.view.Add("<-", "localhost", port, user.c_str(), pass.c_str(), local.c_str(), "/seq/a", "one.bin", 3000);
  ASSERT_TRUE(h.Run(60000)) << QueueLogText();
  EXPECT_EQ(LogLinesWith("Sending command ---> CWD /seq/a"), 3) << QueueLogText();
  EXPECT_EQ(LogLinesWith("Sending command ---> TYPE I"), 3);
}

TEST_F(QueueMulti, UploadRetriesResumeOnlyWhatIsMissing)
{
  Harness h;
  g_queueThreadCount = 2;
  h.AddSite(port, user.c_str(), pass.c_str());
  tasktest::MakeFolder(root, "upretry");
  const std::string remote = root + "\\upretry\\";
  const std::string local = FreshTemp("upretry");
  const std::string whole = Pattern((2u << 20) + 11, 77);
  for (const char* name : {"part.bin", "done.bin", "over.bin"})
    WriteAll(local + "\\" + name, whole);
  WriteAll(remote + "part.bin", whole.substr(0, 1u << 20));
  WriteAll(remote + "done.bin", whole);
  WriteAll(remote + "over.bin", whole + "trailing bytes the local file does not have");
  std::vector<CPlanItem*> items;
  for (const char* name : {"part.bin", "done.bin", "over.bin", "missing.bin"}) {
    CPlanItem* item = h.view.Add("->", "127.0.0.1", port, user.c_str(), pass.c_str(), local.c_str(), "/upretry",
                                 name, static_cast<int64_t>(whole.size()));
    item->m_retryCount = 1;
    item->m_failAction = PLAN_FAIL_MOVE_LAST;
    items.push_back(item);
  }
  ASSERT_TRUE(h.Run(60000)) << QueueLogText();
  EXPECT_EQ(items[0]->m_status, PLAN_FINISHED);
  EXPECT_EQ(items[1]->m_status, PLAN_FINISHED);
  EXPECT_EQ(items[2]->m_status, PLAN_FINISHED);
  // A local file that cannot be read fails its item and nothing else.
  EXPECT_EQ(items[3]->m_status, PLAN_ERROR);
  EXPECT_EQ(items[3]->m_retryCount, 2);
  for (const char* name : {"part.bin", "done.bin", "over.bin"})
    EXPECT_TRUE(ReadAll(remote + name) == whole) << name;
  // Only the missing megabyte went over the wire for the resumed file, nothing
  // for the complete one.
  EXPECT_EQ(items[0]->m_bytesDone, static_cast<int64_t>(whole.size() - (1u << 20)));
  EXPECT_EQ(items[1]->m_bytesDone, 0);
  EXPECT_EQ(items[2]->m_bytesDone, static_cast<int64_t>(whole.size()));
}

TEST_F(QueueMulti, FileExistsRulesSkipOrRenameAnExistingLocalFile)
{
  Harness h;
  g_queueThreadCount = 1;
  g_optionFlags |= 1u << OPTBIT_FILE_EXISTS_RULES;
  uint32_t rules = 0;
  for (int d = 0; d < 2; ++d)
    for (int s = 0; s < 3; ++s)
      rules = FileRuleSet(rules, static_cast<FileRuleDirection>(d), static_cast<FileRuleSize>(s), FILERULE_OVERWRITE);
  rules = FileRuleSet(rules, FILERULE_DOWNLOAD, FILERULE_SAME, FILERULE_RENAME);
  rules = FileRuleSet(rules, FILERULE_DOWNLOAD, FILERULE_LARGER, FILERULE_SKIP);
  g_fileRule = rules;
  h.AddSite(port, user.c_str(), pass.c_str());
  tasktest::MakeFolder(root, "rules");
  const std::string server = Pattern(5000, 5);
  WriteAll(root + "\\rules\\same.bin", server);
  WriteAll(root + "\\rules\\larger.bin", server);
  const std::string local = FreshTemp("rules");
  const std::string mine = Pattern(5000, 6);
  WriteAll(local + "\\same.bin", mine);
  WriteAll(local + "\\larger.bin", mine + "more");
  h.view.Add("<-", "127.0.0.1", port, user.c_str(), pass.c_str(), local.c_str(), "/rules", "same.bin", 5000);
  h.view.Add("<-", "127.0.0.1", port, user.c_str(), pass.c_str(), local.c_str(), "/rules", "larger.bin", 5000);
  ASSERT_TRUE(h.Run(60000)) << QueueLogText();
  for (CPlanItem* item : h.view.All())
    EXPECT_EQ(item->m_status, PLAN_FINISHED) << item->m_fileName;
  // Neither local file was touched; the same-sized one came in under a new name.
  EXPECT_TRUE(ReadAll(local + "\\same.bin") == mine);
  EXPECT_TRUE(ReadAll(local + "\\larger.bin") == mine + "more");
  std::vector<std::string> names = EntriesIn(local, true);
  ASSERT_EQ(names.size(), 3u);
  std::string renamed;
  for (const std::string& n : names)
    if (n != "same.bin" && n != "larger.bin")
      renamed = n;
  ASSERT_EQ(renamed.size(), std::string("00-00-00-same.bin").size()) << renamed;
  EXPECT_EQ(renamed.substr(8), "-same.bin");
  EXPECT_TRUE(ReadAll(local + "\\" + renamed) == server);
  g_fileRule = 0;
}

}  // namespace
