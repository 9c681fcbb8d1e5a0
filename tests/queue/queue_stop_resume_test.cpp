// A queue download stopped in the middle of a 64 MiB file and started again at
// once, while the server may still hold the old data connection or owe the
// replies to its ABOR: against vsftpd, pyftpdlib and the scripted server (its
// ABOR answered 300 ms late) the item resumes from the local size with REST,
// within the idle limit, the file byte-exact, and no command takes a reply
// meant for another.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/connlog.h"
#include "engine/planthread.h"
#include "engine/queuerules.h"
#include "engine/xfertask.h"
#include "shell/settings/filerules.h"
#include "shell/settings/settings.h"
#include "tests/queue/queuefix.h"
#include "tests/support/peers.h"

using namespace queuetest;

namespace {

constexpr size_t kSize = 64u * 1024 * 1024;  // the scripted scenario's RESUME_SIZE
constexpr int32_t kIdleSeconds = 20;

struct Peer {
  std::string name;
  int port = 0;
  std::string user, pass;
  std::string remoteFolder;  // as the item names it
  std::string winFolder;     // where the test writes the served file; "" when the server makes it
};

std::vector<Peer> Peers()
{
  std::vector<Peer> all;
  const PeerLogin py = PyftpdPeer();
  all.push_back(Peer{"pyftpdlib", py.port, py.user, py.pass, "/", py.root});
  Peer vs{"vsftpd", peers::Port("ZARN_VSFTPD_PORT"), peers::Env("ZARN_VSFTPD_USER"), peers::Env("ZARN_VSFTPD_PASS"),
          peers::Env("ZARN_VSFTPD_ROOT") + "/upload", peers::Env("ZARN_VSFTPD_ROOT_WIN") + "\\upload"};
  all.push_back(vs);
  all.push_back(Peer{"scripted", peers::Port("ZARN_SCRIPTED_PORT"), "u", "p", "/", ""});
  return all;
}

// The reply the log shows first after the command line that starts with
// `sent` ("" when there is none): replies owed to an ABOR come before a new
// command goes out, never after it.
std::vector<std::string> RepliesAfter(const std::string& sent)
{
  std::vector<std::string> replies;
  bool waiting = false;
  for (int i = 0; i < ConnLogCount(); ++i) {
    const std::string row = static_cast<const char*>(ConnLogRowText(i));
    if (row.find("::Sending command ---> " + sent) != std::string::npos) {
      waiting = true;
    } else if (waiting && row.find("::Reply: ") != std::string::npos) {
      replies.push_back(row.substr(row.find("::Reply: ") + 9, 3));
      waiting = false;
    }
  }
  return replies;
}

class QueueStopResume : public ::testing::TestWithParam<int> {};

TEST_P(QueueStopResume, AStoppedDownloadStartedAtOnceResumesWhole)
{
  const Peer peer = Peers()[static_cast<size_t>(GetParam())];
  SCOPED_TRACE(peer.name);
  if (peer.port == 0) {
    GTEST_SKIP() << peer.name << " is not running (vsftpd runs only as root)";
  }
  if (peer.name == "scripted") {
    ASSERT_TRUE(peers::Scenario("retr_resume_abor_late"));
  }
  const std::string whole = peer.winFolder.empty() ? QueueServedData(kSize) : Pattern(kSize, 41);
  if (!peer.winFolder.empty())
    WriteAll(peer.winFolder + "\\big.bin", whole);

  Harness h;
  g_queueThreadCount = 1;
  // Slow enough to be stopped in the middle: 64 MiB at 16 MiB/s.
  g_optionFlags |= (1u << OPTBIT_DOWNLOAD_LIMIT) | (1u << OPTBIT_FILE_EXISTS_RULES);
  g_globalLimitA = 16384;
  g_fileRule = FileRuleSet(0, FILERULE_DOWNLOAD, FILERULE_SMALLER, FILERULE_RESUME);
  CSiteItem* site = h.AddSite(peer.port, peer.user.c_str(), peer.pass.c_str());
  site->m_downloadTimeout = kIdleSeconds;
  const std::string local = FreshTemp("stop-resume-" + peer.name);
  CPlanItem* item = h.view.Add("<-", "127.0.0.1", peer.port, peer.user.c_str(), peer.pass.c_str(), local.c_str(),
                               peer.remoteFolder.c_str(), "big.bin", static_cast<int64_t>(kSize));
  item->m_failAction = PLAN_FAIL_MOVE_LAST;
  h.doc->OnStartQueue();
  h.doc->m_sites[0]->m_queueRun = 0;

  DWORD start = ::GetTickCount();
  auto done = [&] { return __atomic_load_n(&item->m_bytesDone, __ATOMIC_RELAXED); };
  while (done() < static_cast<int64_t>(kSize / 8) && ::GetTickCount() - start < 30000)
    h.Pump(10);
  ASSERT_GE(done(), static_cast<int64_t>(kSize / 8)) << QueueLogText();
  ASSERT_EQ(item->m_status, PLAN_WORKING) << "stopped in the middle of the file";

  // The user's stop; the worker lets the item go and asks for the next one.
  const int asked = h.view.Count(UWM_NEXT_QUEUE_ITEM);
  item->m_status = PLAN_STOPPED;
  start = ::GetTickCount();
  while (h.view.Count(UWM_NEXT_QUEUE_ITEM) == asked && ::GetTickCount() - start < 15000)
    h.Pump(5);
  ASSERT_GT(h.view.Count(UWM_NEXT_QUEUE_ITEM), asked) << QueueLogText();
  ASSERT_EQ(item->m_status, PLAN_STOPPED);
  const int64_t kept = FileSizeOf(local + "\\big.bin");
  ASSERT_GT(kept, 0);
  ASSERT_LT(kept, static_cast<int64_t>(kSize)) << done() << "\n" << QueueLogText();

  // Started again at once.
  item->m_status = PLAN_QUEUED;
  const DWORD restarted = ::GetTickCount();
  h.doc->OnStartQueue();
  h.doc->m_sites[0]->m_queueRun = 0;
  while (item->m_status != PLAN_FINISHED && item->m_status != PLAN_ERROR &&
         ::GetTickCount() - restarted < 60000)
    h.Pump(20);
  const DWORD took = ::GetTickCount() - restarted;
  EXPECT_EQ(item->m_status, PLAN_FINISHED) << QueueLogText();
  EXPECT_LT(took, static_cast<DWORD>(kIdleSeconds) * 1000u) << QueueLogText();
  EXPECT_TRUE(ReadAll(local + "\\big.bin") == whole) << "resumed at the local size, byte-exact";
  const std::string log = QueueLogText();
  EXPECT_NE(log.find("---> REST " + std::to_string(kept) + "\r\n"), std::string::npos) << log;
  // REST and PASV have replies of their own; TYPE and CWD a positive one.
  for (const char* verb : {"REST", "PASV", "TYPE", "CWD"}) {
    const std::string wanted = verb[0] == 'R' ? "350" : verb[0] == 'P' ? "227" : "2";
    for (const std::string& code : RepliesAfter(verb))
      EXPECT_EQ(code.compare(0, wanted.size(), wanted), 0) << verb << " answered " << code << "\n" << log;
  }
  EXPECT_TRUE(h.WaitWorkersEnded(15000));
  g_fileRule = 0;
  if (!peer.winFolder.empty())
    ::DeleteFileA((peer.winFolder + "\\big.bin").c_str());
}

INSTANTIATE_TEST_SUITE_P(Peers, QueueStopResume, ::testing::Values(0, 1, 2));

}  // namespace
