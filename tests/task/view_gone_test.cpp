// A tree closed while its task waits on the server: the task ends as usual and
// nothing it sends reaches the freed view or the tree made in its place (the
// task's node means nothing there). The closed view's memory is kept by the
// test and filled with a canary window's handle, so a worker that still read
// the freed object would send to the canary instead of touching nothing.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "engine/batchjob.h"
#include "engine/connlog.h"
#include "engine/viewmessages.h"
#include "engine/viewslots.h"
#include "shell/settings/settings.h"
#include "tests/keeper/keeperfix.h"
#include "tests/net/netclient.h"
#include "tests/support/peers.h"
#include "tests/support/tempfolder.h"
#include "tests/task/taskfix.h"

using namespace keepertest;
using namespace tasktest;
using nettest::LogDump;

namespace {

// A view the test closes and frees in place: destroyed, destructed, then its
// bytes overwritten with the canary's handle.
class FreedTree {
public:
  FreedTree() : m_wnd(new (m_bytes) RecordingWnd) {}
  ~FreedTree() { Free(nullptr); }
  RecordingWnd* Wnd() const { return m_wnd; }
  void Free(HWND canary)
  {
    if (m_wnd == nullptr)
      return;
    m_wnd->~RecordingWnd();
    m_wnd = nullptr;
    for (HWND* p = reinterpret_cast<HWND*>(m_bytes); p + 1 <= reinterpret_cast<HWND*>(m_bytes + sizeof m_bytes); ++p)
      *p = canary;
  }

private:
  alignas(RecordingWnd) unsigned char m_bytes[sizeof(RecordingWnd)];
  RecordingWnd* m_wnd;
};

class ViewGone : public ::testing::Test {
protected:
  void SetUp() override
  {
    FastSettings();
    g_recvTimeout = 5;
    g_sendTimeout = 5;
    g_taskConnectWaitMs = 8000;
    g_optionFlags &= ~(1u << OPTBIT_NOTIFIER);
    port = peers::Port("ZARN_SCRIPTED_PORT");
    ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --scripted";
    gate = "Z:\\tmp\\zarn_list_gate." + std::to_string(port);
    ::DeleteFileA(gate.c_str());
  }

  void Connect(const char* scenario)
  {
    ASSERT_TRUE(peers::Scenario(scenario));
    SetUpSite(site, port, "zarn", "secret", '0');
    site.SiteOptionDigits[2] = '0';
    site.SiteOptionDigits[4] = '1';
    ASSERT_NO_FATAL_FAILURE(StartWorkerSite(site));
  }

  void TearDown() override
  {
    ::DeleteFileA(gate.c_str());
    StopKeeper(site);
  }

  static bool ServerGot(const char* verb)
  {
    for (const std::string& line : peers::Received())
      if (line.rfind(verb, 0) == 0)
        return true;
    return false;
  }

  // The tree goes as a closed view goes (slot cleared, window destroyed, object
  // freed) and a new tree takes the slot; then the server answers.
  void CloseTreeAndAnswer(ViewSlot& slot, FreedTree& old, RecordingWnd& canary, RecordingWnd& successor)
  {
    CWnd* self = old.Wnd();
    slot.compare_exchange_strong(self, nullptr);
    old.Free(canary.GetSafeHwnd());
    slot = &successor;
    ::CloseHandle(::CreateFileA(gate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  }

  int port = 0;
  std::string gate;
  CSiteItem site;
  CTaskThreadList list;
};

// Waits for done with this thread's messages taken in (the worker sends to
// the stand-in windows of this thread).
template <typename Done>
bool Pumping(Done done, DWORD waitMs)
{
  return WaitFor([&] {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      ::DispatchMessageA(&msg);
    return done();
  }, waitMs);
}

bool PumpUntilReaped(CTaskThreadList& list, DWORD waitMs)
{
  return Pumping([&] { return list.GetTaskThreadCount() == 0; }, waitMs);
}

}  // namespace

TEST_F(ViewGone, TreeClosedDuringAHeldListingGetsNothingAndTheTaskEnds)
{
  ASSERT_NO_FATAL_FAILURE(Connect("list_gated"));
  Sinks sinks;
  FreedTree tree;
  RecordingWnd canary, successor;
  g_pSerTrView = tree.Wnd();
  const int before = ConnLogCount();
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x77));
  CProgThread* thread = new CProgThread(1, TASK_LIST, &site, node, "/x", 0, nullptr);
  list.m_reapIntervalMs = 100;
  ASSERT_TRUE(StartTaskThread(list, thread));
  ASSERT_TRUE(Pumping([] { return ServerGot("LIST"); }, 20000)) << LogDump();

  CloseTreeAndAnswer(g_pSerTrView, tree, canary, successor);
  ASSERT_TRUE(PumpUntilReaped(list, 30000));
  EXPECT_GE(FindLog("127.0.0.1::/x search is complete", before), 0) << LogDump();
  EXPECT_TRUE(canary.m_got.empty()) << "the worker read the freed view";
  EXPECT_TRUE(successor.m_got.empty()) << "another tree got the closed tree's node";
  EXPECT_TRUE(TaskCountReachesZero(site));
  g_pSerTrView = nullptr;
}

TEST_F(ViewGone, TreeClosedDuringAMultiFileUploadGetsNothingAndEveryFileGoes)
{
  ASSERT_NO_FATAL_FAILURE(Connect("store_gated"));
  const std::string local = testsupport::TempFolder("zarn-vgone");
  MakeFile(local, "one.bin", 3000);
  MakeFile(local, "two.bin", 5000);
  Sinks sinks;
  FreedTree tree;
  RecordingWnd canary, successor;
  g_pSerTrView = tree.Wnd();
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x78));
  CProgThread* thread = new CProgThread(1, TASK_UPLOAD, &site, node, local.c_str(), "/up", 0,
                                        Entries({{"one.bin", 3000}, {"two.bin", 5000}}));
  list.m_reapIntervalMs = 100;
  ASSERT_TRUE(StartTaskThread(list, thread));
  // The first file is on the wire and its 226 held: close the tree now.
  ASSERT_TRUE(Pumping([] { return ServerGot("STOR"); }, 20000)) << LogDump();
  CloseTreeAndAnswer(g_pSerTrView, tree, canary, successor);
  ASSERT_TRUE(PumpUntilReaped(list, 30000));

  std::vector<BatchJobRecord*> jobs = Jobs(sinks.funcView);
  ASSERT_EQ(jobs.size(), 2u) << LogDump();
  for (BatchJobRecord* job : jobs) {
    EXPECT_EQ(job->m_state.load(), JOB_FINISHED) << job->m_source;
    delete job;
  }
  EXPECT_TRUE(canary.m_got.empty()) << "the worker read the freed view";
  EXPECT_TRUE(successor.m_got.empty()) << "another tree got the closed tree's node";
  EXPECT_TRUE(TaskCountReachesZero(site));
  g_pSerTrView = nullptr;
}
