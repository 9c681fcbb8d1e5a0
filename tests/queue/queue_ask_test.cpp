// A download whose local file exists, with the rules set to ask: the worker
// shows the real replace box, and the answer given there decides what happens
// to the local file. Workers asking at the same time take turns: one box at a
// time, and a "for all" answer reaches the workers still waiting.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "engine/confirmdlg.h"
#include "engine/connlog.h"
#include "engine/engineres.h"
#include "engine/planthread.h"
#include "engine/queuerules.h"
#include "shell/settings/filerules.h"
#include "shell/settings/settings.h"
#include "tests/confirm/boxdriver.h"
#include "tests/queue/queuefix.h"
#include "tests/support/peers.h"

using namespace queuetest;
using namespace boxdriver;

namespace {

const char kCaption[] = "Confirm File Replace";

BOOL CALLBACK CountProc(HWND window, LPARAM lParam)
{
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (pid != ::GetCurrentProcessId() || !::IsWindowVisible(window))
    return TRUE;
  WCHAR caption[64] = {};
  const int length = ::InternalGetWindowText(window, caption, 64);
  char narrow[128] = {};
  ::WideCharToMultiByte(CP_ACP, 0, caption, length, narrow, sizeof(narrow) - 1, nullptr, nullptr);
  if (std::string(narrow) == kCaption)
    ++*reinterpret_cast<int*>(lParam);
  return TRUE;
}

// Replace boxes of this process on screen now.
int BoxesShown()
{
  int n = 0;
  ::EnumWindows(&CountProc, reinterpret_cast<LPARAM>(&n));
  return n;
}

class QueueAsk : public ::testing::Test {
protected:
  void SetUp() override
  {
    port = peers::Port("ZARN_SCRIPTED_PORT");
    ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --scripted";
    ASSERT_TRUE(peers::Scenario("queue_files"));
  }

  // Rules on, every case asks (the harness clears the bit and resets the rules).
  static void AskAlways()
  {
    g_optionFlags |= 1u << OPTBIT_FILE_EXISTS_RULES;
    g_fileRule = 0;
    g_queueFileExistsRules = -1;
  }

  CPlanItem* Add(Harness& h, const std::string& local, const char* name)
  {
    CPlanItem* item = h.view.Add("<-", "127.0.0.1", port, "u", "p", local.c_str(), "/", name,
                                 static_cast<int64_t>(kQueueServedSize));
    item->m_failAction = PLAN_FAIL_MOVE_LAST;
    return item;
  }

  // One download over an existing local file, the box answered with button.
  // Returns the commands the server got.
  std::vector<std::string> RunOne(const std::string& path, const char* name, int button, bool expectResume)
  {
    Harness h;
    g_queueThreadCount = 1;
    AskAlways();
    CPlanItem* item = Add(h, path.substr(0, path.rfind('\\')), name);
    std::atomic<bool> resumeEnabled{false};
    std::atomic<int> shown{0};
    Driver driver([&] {
      HWND box = WaitForBox(kCaption, 20000);
      if (box == nullptr)
        return;
      ++shown;
      resumeEnabled = ItemEnabled(box, IDC_REPLACE_RESUME);
      Click(box, button);
      WaitGone(box);
    });
    EXPECT_TRUE(h.Run(60000)) << QueueLogText();
    driver.Join();
    EXPECT_EQ(shown.load(), 1);
    EXPECT_EQ(resumeEnabled.load(), expectResume) << "resume is offered only over a smaller file";
    EXPECT_EQ(item->m_status, PLAN_FINISHED) << QueueLogText();
    return peers::Received();
  }

  int port = 0;
};

TEST_F(QueueAsk, OverwriteSkipAndResumeDoWhatTheBoxSaid)
{
  const std::string whole = QueueServedData(kQueueServedSize);
  const std::string local = FreshTemp("ask");

  // Overwrite over a smaller file: the whole file from the start.
  WriteAll(local + "\\over.bin", std::string(1000, 'x'));
  std::vector<std::string> got = RunOne(local + "\\over.bin", "over.bin", IDOK, true);
  EXPECT_TRUE(HasLine(got, "RETR"));
  EXPECT_FALSE(HasLine(got, "REST"));
  EXPECT_TRUE(ReadAll(local + "\\over.bin") == whole);

  // Skip over a larger file: nothing fetched, the file untouched.
  const std::string larger = whole + "tail";
  WriteAll(local + "\\skip.bin", larger);
  got = RunOne(local + "\\skip.bin", "skip.bin", IDCANCEL, false);
  EXPECT_FALSE(HasLine(got, "RETR"));
  EXPECT_TRUE(ReadAll(local + "\\skip.bin") == larger);

  // Resume over a smaller file holding the start: REST at its size, byte-exact.
  const size_t part = 1024 * 1024 + 7;
  WriteAll(local + "\\resume.bin", whole.substr(0, part));
  got = RunOne(local + "\\resume.bin", "resume.bin", IDC_REPLACE_RESUME, true);
  EXPECT_TRUE(HasLine(got, "REST " + std::to_string(part))) << QueueLogText();
  EXPECT_TRUE(ReadAll(local + "\\resume.bin") == whole);
}

TEST_F(QueueAsk, RenameFetchesUnderTheNewNameAndKeepsTheOldFile)
{
  Harness h;
  g_queueThreadCount = 1;
  AskAlways();
  const std::string local = FreshTemp("ask-rename");
  const std::string mine(900, 'r');
  WriteAll(local + "\\ren.bin", mine);
  CPlanItem* item = Add(h, local, "ren.bin");
  std::atomic<bool> renamed{false};
  Driver driver([&renamed] {
    HWND box = WaitForBox(kCaption, 20000);
    if (box == nullptr)
      return;
    Click(box, IDC_REPLACE_RENAME);
    HWND rename = WaitForBox("Rename", 10000);
    if (rename == nullptr)
      return;
    SetItemText(rename, IDC_RENAME_EDIT, "ren (2).bin");
    Click(rename, IDOK);
    renamed = true;
  });
  EXPECT_TRUE(h.Run(60000)) << QueueLogText();
  driver.Join();
  ASSERT_TRUE(renamed.load());
  EXPECT_EQ(item->m_status, PLAN_FINISHED) << QueueLogText();
  EXPECT_TRUE(ReadAll(local + "\\ren.bin") == mine);
  EXPECT_TRUE(ReadAll(local + "\\ren (2).bin") == QueueServedData(kQueueServedSize));
}

TEST_F(QueueAsk, WorkersAskingAtOnceShowOneBoxAtATime)
{
  Harness h;
  g_queueThreadCount = 3;
  AskAlways();
  const std::string local = FreshTemp("ask-many");
  std::vector<CPlanItem*> items;
  for (int i = 0; i < 3; ++i) {
    const std::string name = "many" + std::to_string(i) + ".bin";
    WriteAll(local + "\\" + name, std::string(500 + i, 'm'));
    items.push_back(Add(h, local, name.c_str()));
  }
  std::atomic<int> boxes{0};
  std::atomic<int> mostAtOnce{0};
  Driver driver([&] {
    // First box: Skip. Second: Skip All, which the third worker then obeys
    // without a box of its own.
    const int buttons[] = {IDCANCEL, IDC_REPLACE_SKIP_ALL};
    for (int button : buttons) {
      HWND box = WaitForBox(kCaption, 20000);
      if (box == nullptr)
        return;
      ++boxes;
      // Give the other workers time to reach their decision.
      for (int t = 0; t < 15; ++t) {
        const int n = BoxesShown();
        if (n > mostAtOnce.load())
          mostAtOnce = n;
        ::Sleep(50);
      }
      Click(box, button);
      WaitGone(box);
    }
    // No further box may come.
    if (WaitForBox(kCaption, 1500) != nullptr)
      ++boxes;
  });
  EXPECT_TRUE(h.Run(60000)) << QueueLogText();
  driver.Join();
  EXPECT_EQ(boxes.load(), 2);
  EXPECT_EQ(mostAtOnce.load(), 1);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(items[static_cast<size_t>(i)]->m_status, PLAN_FINISHED) << i;
    EXPECT_TRUE(ReadAll(local + "\\many" + std::to_string(i) + ".bin") == std::string(500 + i, 'm')) << i;
  }
}

TEST_F(QueueAsk, ClosingWithTheBoxUpEndsTheWorkerAndKeepsTheFile)
{
  Harness h;
  g_queueThreadCount = 1;
  AskAlways();
  const std::string local = FreshTemp("ask-close");
  const std::string mine(700, 'k');
  WriteAll(local + "\\keep.bin", mine);
  Add(h, local, "keep.bin");
  h.doc->OnStartQueue();
  const DWORD start = ::GetTickCount();
  while (BoxesShown() == 0 && ::GetTickCount() - start < 20000)
    h.Pump(20);
  ASSERT_EQ(BoxesShown(), 1) << QueueLogText();
  // The box ends on the worker's WM_QUIT and gives its owner (a window of this
  // thread) back: the document answers that while it waits.
  const DWORD closing = ::GetTickCount();
  h.doc.reset();
  EXPECT_LT(::GetTickCount() - closing, 12000u);
  EXPECT_EQ(g_planThreadCount.load(), 0) << "the worker ended";
  EXPECT_EQ(BoxesShown(), 0);
  EXPECT_TRUE(ReadAll(local + "\\keep.bin") == mine);
}

}  // namespace
