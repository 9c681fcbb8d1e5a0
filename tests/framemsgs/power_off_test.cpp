// The end-of-queue power-off on the running main window, over a recording
// table of the system calls (the real shut-down ends every process of the
// prefix): the settings and the queue are saved before the call, and a failing
// step says which and leaves the program running normally.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/exitrequest.h"
#include "engine/planitem.h"
#include "engine/planthread.h"
#include "engine/progthread.h"
#include "engine/queueseam.h"
#include "engine/viewslots.h"
#include "shell/funcview/funcviewres.h"
#include "shell/funcview/queuepanedlg.h"
#include "shell/mainframe/poweroff.h"
#include "shell/settings/osplatform.h"
#include "shell/settings/settings.h"
#include "tests/doc/docfix.h"
#include "tests/framemsgs/framefix.h"

namespace {

struct Recorded {
  int opens = 0, adjusts = 0, exits = 0;
  UINT flags = 0;
  std::string savedPath;   // "DOWNLOADPATH" in the registry at the shut-down
  bool queueHadItem = false;
  int failStep = -1;       // 0 open, 1 adjust, 2 exit
};
Recorded g_rec;

std::string ReadFile(const char* path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

BOOL WINAPI FakeOpen(HANDLE, DWORD, PHANDLE token)
{
  ++g_rec.opens;
  *token = nullptr;
  return g_rec.failStep != 0;
}

BOOL WINAPI FakeAdjust(HANDLE, BOOL, PTOKEN_PRIVILEGES state, DWORD, PTOKEN_PRIVILEGES, PDWORD)
{
  ++g_rec.adjusts;
  EXPECT_EQ(1u, state->PrivilegeCount);
  EXPECT_EQ((DWORD)SE_PRIVILEGE_ENABLED, state->Privileges[0].Attributes);
  if (g_rec.failStep == 1)
    ::SetLastError(ERROR_NOT_ALL_ASSIGNED);  // TRUE, yet not granted
  return TRUE;
}

BOOL WINAPI FakeExit(UINT flags, DWORD)
{
  ++g_rec.exits;
  g_rec.flags = flags;
  char path[kSettingTextLen] = {};
  DWORD size = sizeof path;
  ::RegGetValueA(HKEY_CURRENT_USER, kSettingsKeyPath, "DOWNLOADPATH", RRF_RT_REG_SZ, nullptr, path, &size);
  g_rec.savedPath = path;
  g_rec.queueHadItem = ReadFile(g_queueFilePath).find("poweroff.host") != std::string::npos;
  return g_rec.failStep != 2;
}

const PowerOffCalls kFake = {&FakeOpen, &FakeAdjust, &FakeExit};

}  // namespace

TEST(PowerOff, SavesFirstThenShutsDownWithForce)
{
  ASSERT_TRUE(framefix::StartApp());
  doctest::RecordBoxes(IDOK);
  SetPowerOffCalls(&kFake);
  CMainFrame* frame = framefix::Frame();
  // A queue file of the test's own (put back before the exit saves the settings).
  const std::string savedQueuePath = g_queueFilePath;
  char temp[MAX_PATH];
  ASSERT_NE(0u, ::GetTempPathA(sizeof temp, temp));
  std::snprintf(g_queueFilePath, sizeof g_queueFilePath, "%spoweroff-queue.dat", temp);
  std::remove(g_queueFilePath);

  // A queue item added since the last save, and a setting changed.
  CPlanItem* item = new CPlanItem();
  std::snprintf(item->m_host, sizeof item->m_host, "poweroff.host");
  std::snprintf(item->m_fileName, sizeof item->m_fileName, "f.txt");
  std::snprintf(item->m_remotePath, sizeof item->m_remotePath, "/pub");
  std::snprintf(item->m_localPath, sizeof item->m_localPath, "C:\\");
  std::snprintf(item->m_direction, sizeof item->m_direction, "<-");
  item->m_port = 21;
  // Sent, and no message taken before the power-off: the page's save timer
  // cannot have written it.
  ASSERT_NE(nullptr, g_pFuncView.load());
  g_pFuncView.load()->SendMessage(UWM_QUEUE_ADD, 0, (LPARAM)item);
  CQueuePaneDlg* page = frame->m_funcView.QueuePage();
  ASSERT_NE(nullptr, page);
  ASSERT_EQ(1, page->GetQueueCount());
  const std::string path = "C:\\poweroff-" + std::to_string(::GetTickCount());
  std::snprintf(g_downloadPath, sizeof g_downloadPath, "%s", path.c_str());

  g_osPlatformId = VER_PLATFORM_WIN32_NT;
  g_exitRequested = 1;  // as the queue's end sets it before posting
  frame->SendMessage(UWM_POWER_OFF, 0, 0);
  EXPECT_EQ(1, g_rec.opens);
  EXPECT_EQ(1, g_rec.adjusts);
  ASSERT_EQ(1, g_rec.exits);
  EXPECT_EQ((UINT)(EWX_SHUTDOWN | EWX_FORCE), g_rec.flags);
  EXPECT_EQ(path, g_rec.savedPath);
  EXPECT_TRUE(g_rec.queueHadItem);
  EXPECT_TRUE(doctest::g_boxes.empty());

  // Each step failing: its box, no later step, and the program runs on.
  const char* steps[] = {kPowerOffOpenTokenStep, kPowerOffAdjustStep, kPowerOffExitStep};
  for (int fail = 0; fail < 3; ++fail) {
    g_rec = Recorded{};
    g_rec.failStep = fail;
    doctest::RecordBoxes(IDOK);
    g_exitRequested = 1;
    frame->SendMessage(UWM_POWER_OFF, 0, 0);
    ASSERT_EQ(1u, doctest::g_boxes.size()) << fail;
    EXPECT_EQ(steps[fail], doctest::g_boxes[0].text);
    EXPECT_EQ(fail == 2 ? 1 : 0, g_rec.exits);
    EXPECT_EQ(0, g_exitRequested.load()) << "the program would stay in its closing state";
  }

  // Another platform skips the privilege step.
  g_rec = Recorded{};
  g_osPlatformId = 1;
  frame->SendMessage(UWM_POWER_OFF, 0, 0);
  EXPECT_EQ(0, g_rec.opens);
  EXPECT_EQ(1, g_rec.exits);
  g_osPlatformId = VER_PLATFORM_WIN32_NT;

  SetPowerOffCalls(nullptr);

  // A worker's notice: the text is the window's own copy once the send returned.
  {
    char text[64];
    std::snprintf(text, sizeof text, "%s", "Queue finished: 3 files");
    frame->SendMessage(UWM_NOTIFY_POPUP, 0, (LPARAM)text);
    std::snprintf(text, sizeof text, "%s", "overwritten by the worker");
    EXPECT_STREQ("Queue finished: 3 files", frame->m_notifier.GetText().GetString());
    frame->SendMessage(UWM_NOTIFY_POPUP, 0, 0);  // no text: nothing
    EXPECT_STREQ("Queue finished: 3 files", frame->m_notifier.GetText().GetString());
  }
  // The item goes again, so later runs of this prefix find the queue as it was.
  page->m_queue.SetAllSelected(true);
  page->SendMessage(WM_COMMAND, ID_QUEUE_DELETE, 0);
  EXPECT_EQ(0, page->GetQueueCount());
  std::remove(g_queueFilePath);
  std::snprintf(g_queueFilePath, sizeof g_queueFilePath, "%s", savedQueuePath.c_str());
  EXPECT_TRUE(framefix::ExitApp());
}
