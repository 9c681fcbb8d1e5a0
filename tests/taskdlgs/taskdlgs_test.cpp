// The task dialogs as a user meets them under Xvfb, driven from a second
// thread (boxdriver) over a real document: their fields, refusals and edit
// limits, Manual Get's queue item, the schedule over a set clock, and the
// space-used count against vsftpd and the scripted server.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "engine/confirmdlg.h"
#include "engine/engineres.h"
#include "engine/engineutil.h"
#include "engine/planitem.h"
#include "engine/planthread.h"
#include "engine/progthread.h"
#include "engine/viewslots.h"
#include "shell/doc/zarndoc.h"
#include "shell/settings/settings.h"
#include "shell/taskdlgs/changepassworddlg.h"
#include "shell/taskdlgs/chmoddlg.h"
#include "shell/taskdlgs/filenamedlg.h"
#include "shell/taskdlgs/schedulestartdlg.h"
#include "shell/taskdlgs/shelltaskdialogs.h"
#include "shell/taskdlgs/spaceuseddlg.h"
#include "shell/taskdlgs/taskdlgsres.h"
#include "tests/confirm/boxdriver.h"
#include "tests/keeper/keeperfix.h"
#include "tests/net/netclient.h"
#include "tests/support/peers.h"
#include "tests/task/taskfix.h"
#include "tests/toolkit/wintest.h"

using boxdriver::Click;
using boxdriver::Driver;
using boxdriver::ItemEnabled;
using boxdriver::ItemText;
using boxdriver::SetItemText;
using boxdriver::WaitForBox;
using boxdriver::WaitGone;

namespace {

constexpr int kPySlot = 1;      // pyftpdlib
constexpr int kVsSlot = 2;      // vsftpd
constexpr int kStallSlot = 3;   // the scripted server
constexpr int kNowhereSlot = 5; // nobody listens

// The whole screen into $ZARN_BINARY_DIR/shots/<name>.png.
void Shot(const char* name)
{
  const char* dir = std::getenv("ZARN_BINARY_DIR");
  if (dir == nullptr || *dir == '\0')
    return;
  const std::string shots = std::string(dir) + "/shots";
  wintest::RunHost("mkdir -p " + shots + " && import -window root " + shots + "/" + name + ".png");
}

// Types text into a control as keys do (WM_CHAR each), so its limit applies.
void TypeChars(HWND box, int id, const std::string& text)
{
  HWND edit = ::GetDlgItem(box, id);
  for (char c : text)
    ::SendMessageA(edit, WM_CHAR, (WPARAM)(unsigned char)c, 0);
}

HWND FocusOf(HWND box)
{
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  ::GetGUIThreadInfo(::GetWindowThreadProcessId(box, nullptr), &info);
  return info.hwndFocus;
}

bool Checked(HWND box, int id) { return ::SendDlgItemMessageA(box, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The main window's part in a schedule: the Start Queue command goes to the document.
class MainSink : public CWnd {
public:
  MainSink() { CreateEx(0, AfxRegisterWndClass(0), "main sink", WS_POPUP, CRect(0, 0, 1, 1), nullptr, 0); }
  ~MainSink() override { DestroyWindow(); }
  int m_starts = 0;

protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
  {
    if (message == WM_COMMAND && LOWORD(wParam) == ID_QUEUE_START) {
      ++m_starts;
      if (g_pDoc != nullptr)
        g_pDoc->OnStartQueue();
      return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

// Runs a call on the thread that made it (the GUI thread), sent from a driver.
class GuiCall : public CWnd {
public:
  GuiCall() { CreateEx(0, AfxRegisterWndClass(0), "gui call", WS_POPUP, CRect(0, 0, 1, 1), nullptr, 0); }
  ~GuiCall() override { DestroyWindow(); }
  void Run(const std::function<void()>& fn) { ::SendMessageA(m_hWnd, WM_APP, 0, (LPARAM)&fn); }

protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
  {
    if (message == WM_APP) {
      (*reinterpret_cast<const std::function<void()>*>(lParam))();
      return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

std::atomic<int64_t> g_now{0};
int64_t TestClock() { return g_now.load(); }

std::atomic<int> g_workersMade{0};
UINT __cdecl StandInWorker(LPVOID)
{
  MSG msg;
  while (::GetMessage(&msg, nullptr, 0, 0) > 0) {
  }
  return 0;
}
CWinThread* MakeStandInWorker(int)
{
  ++g_workersMade;
  return new CWinThread(&StandInWorker, nullptr);
}

int AnswerDocBox(const DocBoxRequest&, BOOL* dontShow)
{
  *dontShow = FALSE;
  return IDOK;
}

class TaskDlgs : public ::testing::Test {
protected:
  void SetUp() override
  {
    keepertest::FastSettings();
    g_sendTimeout = 3;
    g_recvTimeout = 3;
    g_taskConnectWaitMs = 8000;
    g_optionFlags &= ~((1u << OPTBIT_NOTIFIER) | (1u << OPTBIT_CONFIRM_CONNECT));
    CConfirmDlg::s_defaultTickPeriod = 1000;
    SetDocBoxHook(&AnswerDocBox);
    previousDialogs = BindShellTaskDialogs();
    doc = std::make_unique<CZarnDoc>();
    g_pDoc = doc.get();
    doc->TaskThreads().m_reapIntervalMs = 100;
    AddSite(kPySlot, "py site", peers::Port("ZARN_PYFTPD_PORT"), peers::Env("ZARN_PYFTPD_USER"),
            peers::Env("ZARN_PYFTPD_PASS"));
    AddSite(kVsSlot, "vs site", peers::Port("ZARN_VSFTPD_PORT"), peers::Env("ZARN_VSFTPD_USER"),
            peers::Env("ZARN_VSFTPD_PASS"));
    AddSite(kStallSlot, "stall site", peers::Port("ZARN_SCRIPTED_PORT"), "zarn", "secret");
    AddSite(kNowhereSlot, "nowhere site", peers::UnusedPort(), "zarn", "secret");
  }

  void TearDown() override
  {
    doc.reset();
    g_pDoc = nullptr;
    SetTaskDialogs(previousDialogs);
    SetDocBoxHook(nullptr);
    SetScheduleClock(nullptr);
    SetQueueWorkerFactory(nullptr);
  }

  void AddSite(int slot, const char* alias, int port, const std::string& user, const std::string& pass)
  {
    delete doc->m_sites[slot];
    auto* site = new CSiteItem();
    keepertest::SetUpSite(*site, port, user.c_str(), pass.c_str(), '0');
    CopySiteText(site->m_name, alias);
    CopySiteText(site->m_host, "127.0.0.1");
    site->SiteOptionDigits[4] = '1';
    doc->m_sites[slot] = site;
    ++doc->m_nSites;
  }

  bool TasksEnd(DWORD waitMs = 60000)
  {
    return keepertest::WaitFor(
        [&] {
          MSG msg;
          while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
          }
          return doc->TaskThreads().GetTaskThreadCount() == 0;
        },
        waitMs);
  }

  CTaskDialogs* previousDialogs = nullptr;
  std::unique_ptr<CZarnDoc> doc;
};

TEST_F(TaskDlgs, FileNameMoveToAndChangePassword)
{
  // Blanks only: Cancel.
  {
    CFileNameDlg dlg;
    Driver driver([] {
      HWND box = WaitForBox("Dialog");
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(FocusOf(box), ::GetDlgItem(box, IDC_FILE_NAME));
      Shot("taskdlgs_filename");
      SetItemText(box, IDC_FILE_NAME, "   ");
      Click(box, IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  }
  {
    CFileNameDlg dlg;
    Driver driver([] {
      HWND box = WaitForBox("Dialog");
      ASSERT_NE(box, nullptr);
      SetItemText(box, IDC_FILE_NAME, " a b ");
      Click(box, IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_STREQ(dlg.m_name, " a b ");
  }

  MoveToValues move;
  move.target = "/pub";
  {
    Driver driver([] {
      HWND box = WaitForBox("Move To...");
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(ItemText(box, IDC_MOVE_TARGET), "/pub");
      Shot("taskdlgs_moveto");
      SetItemText(box, IDC_MOVE_TARGET, " /in ");
      Click(box, IDOK);
    });
    EXPECT_TRUE(TaskDialogs()->MoveTo(nullptr, move));
  }
  EXPECT_STREQ(move.target, " /in ");

  // A wrong old password: the box, the dialog stays with the old field
  // focused; then a mismatch; the 63-character limit on the new ones; OK.
  CopySiteText(doc->m_sites[kPySlot]->m_password, "secret");
  ChangePasswordValues pwd;
  pwd.siteIndex = kPySlot;
  std::vector<std::string> boxes;
  std::string typedNew;
  {
    Driver driver([&] {
      HWND box = WaitForBox("Change Password");
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(ItemText(box, IDC_PWD_OLD), "");  // nothing preset
      Shot("taskdlgs_changepassword");
      SetItemText(box, IDC_PWD_OLD, "wrong");
      SetItemText(box, IDC_PWD_NEW, "n1");
      SetItemText(box, IDC_PWD_CONFIRM, "n1");
      Click(box, IDOK);
      HWND error = WaitForBox("Error");
      ASSERT_NE(error, nullptr);
      boxes.push_back(ItemText(error, 0xFFFF));
      Click(error, IDOK);
      ASSERT_TRUE(WaitGone(error));
      EXPECT_TRUE(::IsWindowVisible(box));
      EXPECT_TRUE(keepertest::WaitFor([&] { return FocusOf(box) == ::GetDlgItem(box, IDC_PWD_OLD); }, 5000));
      SetItemText(box, IDC_PWD_OLD, "secret");
      SetItemText(box, IDC_PWD_CONFIRM, "other");
      Click(box, IDOK);
      error = WaitForBox("Error");
      ASSERT_NE(error, nullptr);
      boxes.push_back(ItemText(error, 0xFFFF));
      Click(error, IDOK);
      ASSERT_TRUE(WaitGone(error));
      SetItemText(box, IDC_PWD_NEW, "");
      SetItemText(box, IDC_PWD_CONFIRM, "");
      const std::string seventy(70, 'p');
      TypeChars(box, IDC_PWD_NEW, seventy);
      TypeChars(box, IDC_PWD_CONFIRM, seventy);
      typedNew = ItemText(box, IDC_PWD_NEW);
      EXPECT_EQ(ItemText(box, IDC_PWD_CONFIRM).size(), 63u);
      Click(box, IDOK);
    });
    EXPECT_TRUE(TaskDialogs()->ChangePassword(nullptr, pwd));
  }
  EXPECT_EQ(boxes, std::vector<std::string>({"The old password you entered is not correct,please try again",
                                             "The new and confirm passwords do not match, please re-type them"}));
  EXPECT_EQ(typedNew, std::string(63, 'p'));
  EXPECT_STREQ(pwd.newPassword, std::string(63, 'p').c_str());
}

TEST_F(TaskDlgs, ChmodSearchAndRecordDirectory)
{
  // Chmod: the checks of 755; "1777" (past the limit) and 758 in the manual field.
  ChmodValues chmod;
  chmod.mode = 755;
  {
    Driver driver([] {
      HWND box = WaitForBox("Change File Attributes");
      ASSERT_NE(box, nullptr);
      EXPECT_TRUE(Checked(box, IDC_CHMOD_OWNER_EXEC));
      EXPECT_TRUE(Checked(box, IDC_CHMOD_PUBLIC_READ));
      EXPECT_FALSE(Checked(box, IDC_CHMOD_PUBLIC_WRITE));
      Shot("taskdlgs_chmod");
      SetItemText(box, IDC_CHMOD_MANUAL, "1777");
      EXPECT_FALSE(Checked(box, IDC_CHMOD_OWNER_READ));
      EXPECT_FALSE(Checked(box, IDC_CHMOD_PUBLIC_EXEC));
      SetItemText(box, IDC_CHMOD_MANUAL, "");
      TypeChars(box, IDC_CHMOD_MANUAL, "7581");
      EXPECT_EQ(ItemText(box, IDC_CHMOD_MANUAL), "758");
      EXPECT_TRUE(Checked(box, IDC_CHMOD_GROUP_EXEC));
      EXPECT_FALSE(Checked(box, IDC_CHMOD_GROUP_WRITE));
      EXPECT_FALSE(Checked(box, IDC_CHMOD_PUBLIC_READ));
      Click(box, IDOK);
    });
    EXPECT_TRUE(TaskDialogs()->Chmod(nullptr, chmod));
  }
  EXPECT_EQ(chmod.mode, 750);

  // Search: the sites in slot order, the node's site chosen; case sensitive
  // over an empty folder.
  SearchFileValues find;
  find.siteIndex = kVsSlot;
  {
    Driver driver([] {
      HWND box = WaitForBox("Search For File");
      ASSERT_NE(box, nullptr);
      HWND combo = ::GetDlgItem(box, IDC_SEARCH_SITE);
      // The document's own site in slot 0, then ours.
      EXPECT_EQ(::SendMessageA(combo, CB_GETCOUNT, 0, 0), 5);
      EXPECT_EQ(::SendMessageA(combo, CB_GETITEMDATA, 1, 0), kPySlot);
      EXPECT_EQ(::SendMessageA(combo, CB_GETITEMDATA, 2, 0), kVsSlot);
      EXPECT_EQ(::SendMessageA(combo, CB_GETITEMDATA, ::SendMessageA(combo, CB_GETCURSEL, 0, 0), 0), kVsSlot);
      Shot("taskdlgs_search");
      SetItemText(box, IDC_SEARCH_FOLDER, "  ");
      SetItemText(box, IDC_SEARCH_TYPES, "");
      Click(box, IDC_SEARCH_CASE);
      Click(box, IDOK);
    });
    EXPECT_TRUE(TaskDialogs()->SearchFile(nullptr, find));
  }
  EXPECT_EQ(find.siteIndex, kVsSlot);
  EXPECT_STREQ(find.startFolder, "/?");
  EXPECT_STREQ(find.types, "*.*");
  EXPECT_TRUE(find.caseSensitive);

  // Record: an empty save target is refused; an empty start records from "/".
  RecordDirValues record;
  record.siteIndex = kStallSlot;
  std::string prompt;
  {
    Driver driver([&] {
      HWND box = WaitForBox("Record Server Directory Structure");
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(ItemText(box, IDOK), "&Record");
      EXPECT_FALSE(boxdriver::ItemVisible(box, IDC_RECORD_FILE_LABEL));
      Shot("taskdlgs_recorddir");
      SetItemText(box, IDC_RECORD_REMOTE, "");
      Click(box, IDOK);
      HWND p = WaitForBox("Prompt");
      ASSERT_NE(p, nullptr);
      prompt = ItemText(p, 0xFFFF);
      Click(p, IDOK);
      ASSERT_TRUE(WaitGone(p));
      SetItemText(box, IDC_RECORD_SAVE, "C:\\rec.txt");
      Click(box, IDOK);
    });
    EXPECT_TRUE(TaskDialogs()->RecordDir(nullptr, record));
  }
  EXPECT_EQ(prompt, "Please specify a file for saving record");
  EXPECT_EQ(record.siteIndex, kStallSlot);
  EXPECT_STREQ(record.remoteText, "/");
  EXPECT_STREQ(record.saveTarget, "C:\\rec.txt");

  // A site deleted while the dialog is open is not taken: the list is filled again.
  record = RecordDirValues();
  record.siteIndex = kNowhereSlot;
  GuiCall gui;
  {
    Driver driver([&] {
      HWND box = WaitForBox("Record Server Directory Structure");
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(::SendDlgItemMessageA(box, IDC_RECORD_SITE, CB_GETCOUNT, 0, 0), 5);
      SetItemText(box, IDC_RECORD_SAVE, "C:\\rec.txt");
      gui.Run([&] {
        delete doc->m_sites[kNowhereSlot];
        doc->m_sites[kNowhereSlot] = nullptr;
      });
      Click(box, IDOK);
      EXPECT_TRUE(keepertest::WaitFor(
          [&] { return ::SendDlgItemMessageA(box, IDC_RECORD_SITE, CB_GETCOUNT, 0, 0) == 4; }, 5000));
      EXPECT_TRUE(::IsWindowVisible(box));
      Click(box, IDOK);
    });
    EXPECT_TRUE(TaskDialogs()->RecordDir(nullptr, record));
  }
  EXPECT_EQ(record.siteIndex, 0);  // the first site listed
}

TEST_F(TaskDlgs, ManualGetQueuesOneDownload)
{
  tasktest::Sinks sinks;
  std::string prompt;
  Driver driver([&] {
    HWND box = WaitForBox("Manual Get");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ItemText(box, IDOK), "&Get");
    EXPECT_TRUE(boxdriver::ItemVisible(box, IDC_RECORD_FILE_LABEL));
    EXPECT_EQ(ItemText(box, IDC_RECORD_FILE_LABEL), "File Name:");
    Shot("taskdlgs_manualget");
    SetItemText(box, IDC_RECORD_SAVE, "C:\\in");
    SetItemText(box, IDC_RECORD_REMOTE, "/");
    Click(box, IDOK);
    HWND p = WaitForBox("Prompt");
    ASSERT_NE(p, nullptr);
    prompt = ItemText(p, 0xFFFF);
    Click(p, IDOK);
    ASSERT_TRUE(WaitGone(p));
    HWND combo = ::GetDlgItem(box, IDC_RECORD_SITE);
    ::SendMessageA(combo, CB_SETCURSEL, 2, 0);  // "vs site"
    SetItemText(box, IDC_RECORD_REMOTE, "pub/x/file.tar.gz");
    Click(box, IDOK);
  });
  doc->m_sites[kVsSlot]->m_queueRun = 0;
  doc->OnManualGet();
  driver.Join();
  keepertest::WaitFor(
      [&] {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
          ::DispatchMessageA(&msg);
        return sinks.funcView.Of(UWM_SHOW_FUNC_TAB).size() == 1;
      },
      5000);
  EXPECT_EQ(prompt, "Please enter a file name. ");
  std::vector<tasktest::Received> adds = sinks.funcView.Of(UWM_QUEUE_ADD);
  ASSERT_EQ(adds.size(), 1u);
  std::unique_ptr<CPlanItem> item(reinterpret_cast<CPlanItem*>(adds[0].lParam));
  const CSiteItem& site = *doc->m_sites[kVsSlot];
  EXPECT_STREQ(item->m_remotePath, "/pub/x");
  EXPECT_STREQ(item->m_fileName, "file.tar.gz");
  EXPECT_STREQ(item->m_localPath, "C:\\in");
  EXPECT_STREQ(item->m_direction, "<-");
  EXPECT_STREQ(item->m_host, site.m_host);
  EXPECT_STREQ(item->m_user, site.m_user);
  EXPECT_STREQ(item->m_password, site.m_password);
  EXPECT_EQ(item->m_port, site.m_port);
  EXPECT_EQ(item->m_passive, 1);
  EXPECT_EQ(item->m_kind, kEntryFile);
  EXPECT_EQ(site.m_queueRun.load(), 1);
  std::vector<tasktest::Received> tabs = sinks.funcView.Of(UWM_SHOW_FUNC_TAB);
  ASSERT_EQ(tabs.size(), 1u);
  EXPECT_EQ(tabs[0].lParam, 3);
}

TEST_F(TaskDlgs, ScheduleStartsTheQueueAndStopsIt)
{
  tasktest::Sinks sinks;
  MainSink main;
  g_pMainFrame = &main;
  SetQueueWorkerFactory(&MakeStandInWorker);
  g_workersMade = 0;
  g_queueThreadCount = 2;
  g_now = CTime(2026, 12, 10, 3, 0, 0).GetTime();
  SetScheduleClock(&TestClock);

  // A start in the past (the pickers as they open: now) closes with nothing armed.
  {
    CScheduleStartDlg dlg;
    Driver driver([] {
      HWND box = WaitForBox("Schedule Time Start");
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(ItemText(box, IDC_SCHED_CLOCK), "03:00:00");
      Shot("taskdlgs_schedule");
      Click(box, IDC_SCHED_BUTTON);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_state.start, 0);
  }

  // Start one minute on, stop two minutes on; Abort once, arm again; the clock
  // moved past the start starts the workers, past the stop stops and closes.
  CScheduleStartDlg dlg;
  Driver driver([&] {
    HWND box = WaitForBox("Schedule Time Start");
    ASSERT_NE(box, nullptr);
    SYSTEMTIME start, stop;
    CTime(g_now + 60).GetAsSystemTime(start);
    CTime(g_now + 120).GetAsSystemTime(stop);
    ::SendDlgItemMessageA(box, IDC_SCHED_START_TIME, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&start);
    ::SendDlgItemMessageA(box, IDC_SCHED_STOP_TIME, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&stop);
    Click(box, IDC_SCHED_STOP_CHECK);
    Click(box, IDC_SCHED_BUTTON);
    ASSERT_TRUE(keepertest::WaitFor([&] { return ItemText(box, IDC_SCHED_BUTTON) == "&Abort"; }, 5000));
    EXPECT_FALSE(ItemEnabled(box, IDC_SCHED_START_DATE));
    EXPECT_FALSE(ItemEnabled(box, IDCANCEL));
    ::SendMessageA(box, WM_COMMAND, IDCANCEL, 0);  // Escape: the armed schedule stays
    EXPECT_TRUE(::IsWindowVisible(box));
    Click(box, IDC_SCHED_BUTTON);
    ASSERT_TRUE(keepertest::WaitFor([&] { return ItemText(box, IDC_SCHED_BUTTON) == "&Start"; }, 5000));
    EXPECT_TRUE(ItemEnabled(box, IDC_SCHED_START_DATE));
    Click(box, IDC_SCHED_BUTTON);
    ASSERT_TRUE(keepertest::WaitFor([&] { return ItemText(box, IDC_SCHED_BUTTON) == "&Abort"; }, 5000));
    g_now += 61;
    EXPECT_TRUE(keepertest::WaitFor([&] { return g_workersMade.load() == 2; }, 5000));
    EXPECT_TRUE(::IsWindowVisible(box));
    g_now += 60;
    EXPECT_TRUE(WaitGone(box));
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  driver.Join();
  EXPECT_EQ(main.m_starts, 1);
  EXPECT_EQ(g_workersMade.load(), 2);
  EXPECT_EQ(sinks.funcView.Of(UWM_SCHEDULE_STOP).size(), 1u);
  g_pMainFrame = &sinks.mainFrame;
}

// The modeless count as the main window keeps it, on the GUI thread; a driver
// answers the boxes it shows.
class SpaceUsed : public TaskDlgs {
protected:
  void SetUp() override
  {
    TaskDlgs::SetUp();
    dlg = new CSpaceUsedDlg();
    ASSERT_TRUE(dlg->Create(nullptr));
    dlg->ShowWindow(SW_SHOW);
    box = dlg->m_hWnd;
  }
  void TearDown() override
  {
    if (dlg != nullptr) {
      dlg->DestroyWindow();
      delete dlg;
    }
    EXPECT_TRUE(TasksEnd());
    TaskDlgs::TearDown();
  }

  void Choose(int slot, const char* folder)
  {
    HWND combo = ::GetDlgItem(box, IDC_SPACE_SITE);
    for (int i = 0; i < ::SendMessageA(combo, CB_GETCOUNT, 0, 0); ++i)
      if (::SendMessageA(combo, CB_GETITEMDATA, i, 0) == slot)
        ::SendMessageA(combo, CB_SETCURSEL, i, 0);
    dlg->SetDlgItemText(IDC_SPACE_FOLDER, folder);
  }

  bool Pump(const std::function<bool()>& done, DWORD waitMs = 30000)
  {
    return keepertest::WaitFor(
        [&] {
          MSG msg;
          while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!::IsDialogMessageA(box, &msg)) {
              ::TranslateMessage(&msg);
              ::DispatchMessageA(&msg);
            }
          }
          return done();
        },
        waitMs);
  }

  bool Idle() { return ItemText(box, IDC_SPACE_BUTTON) == "&Check" && ItemEnabled(box, IDC_SPACE_SITE); }

  CSpaceUsedDlg* dlg = nullptr;
  HWND box = nullptr;
};

TEST_F(SpaceUsed, BothMethodsCountTheKnownTree)
{
  ASSERT_NE(peers::Port("ZARN_VSFTPD_PORT"), 0) << "run under tests/peers/with-peers.sh --vsftpd";
  const std::string root = peers::Env("ZARN_VSFTPD_ROOT_WIN");
  tasktest::MakeFile(root, "su\\a", 10);
  tasktest::MakeFile(root, "su\\s\\b", 20);
  tasktest::MakeFile(root, "su\\s\\t\\c", 5000);
  tasktest::MakeFolder(root, "su\\e");
  Shot("taskdlgs_spaceused");
  for (int method : {IDC_SPACE_BY_SERVER, IDC_SPACE_BY_LOCAL}) {
    Choose(kVsSlot, (peers::Env("ZARN_VSFTPD_ROOT") + "/su").c_str());  // vsftpd shows the whole file system
    ::CheckRadioButton(box, IDC_SPACE_BY_SERVER, IDC_SPACE_BY_LOCAL, method);
    std::string text;
    bool wasCounting = false;
    std::atomic<bool> answered{false};
    Driver driver([&] {
      // "Complete", or the failure's "Error" box (answered so nothing hangs).
      HWND done = nullptr;
      keepertest::WaitFor(
          [&] {
            done = WaitForBox("Complete", 100);
            if (done == nullptr && (done = WaitForBox("Error", 100)) != nullptr)
              text = "failed: " + ItemText(done, 0xFFFF);
            return done != nullptr;
          },
          40000);
      ASSERT_NE(done, nullptr);
      if (text.empty())
        text = ItemText(done, 0xFFFF);
      if (method == IDC_SPACE_BY_SERVER)
        Shot("taskdlgs_spaceused_result");
      Click(done, IDOK);
      answered = true;
    });
    Click(box, IDC_SPACE_BUTTON);
    ASSERT_TRUE(Pump([&] {
      wasCounting = wasCounting || ItemText(box, IDC_SPACE_BUTTON) == "&Abort";
      return wasCounting && Idle() && answered.load();
    })) << method;
    driver.Join();
    EXPECT_EQ(text, "Calculation Complete") << nettest::LogDump();
    EXPECT_EQ(ItemText(box, IDC_SPACE_RESULT), "Folders:3 Files:3 Space Used: " +
                                                   std::string(FormatSize64(5030))) << method;
    EXPECT_EQ(dlg->m_pRun->m_bytes, -1);  // the record is reset
    EXPECT_EQ(dlg->m_pRun->m_files, 0);
  }
}

TEST_F(SpaceUsed, AbortDestroyAndARefusedConnect)
{
  ASSERT_NE(peers::Port("ZARN_SCRIPTED_PORT"), 0) << "run under tests/peers/with-peers.sh --scripted";
  ASSERT_TRUE(peers::Scenario("list_stall"));
  // Abort while the listing never comes: no result, ABOR on the server.
  Choose(kStallSlot, "/");
  Click(box, IDC_SPACE_BUTTON);
  ASSERT_TRUE(Pump([&] { return ItemText(box, IDC_SPACE_BUTTON) == "&Abort"; }));
  EXPECT_FALSE(ItemEnabled(box, IDCANCEL));
  ASSERT_TRUE(Pump([&] {
    for (const std::string& line : peers::Received())
      if (line.rfind("LIST", 0) == 0)
        return true;
    return false;
  }));
  Click(box, IDC_SPACE_BUTTON);
  ASSERT_TRUE(Pump([&] { return Idle(); }));
  EXPECT_TRUE(TasksEnd());
  bool abor = false;
  for (const std::string& line : peers::Received())
    abor = abor || line.rfind("ABOR", 0) == 0;
  EXPECT_TRUE(abor);
  EXPECT_EQ(ItemText(box, IDC_SPACE_RESULT), "");
  EXPECT_EQ(dlg->m_pRun->m_bytes, -1);

  // The dialog destroyed during a count: the task keeps the record, ends and is reaped.
  Click(box, IDC_SPACE_BUTTON);
  ASSERT_TRUE(Pump([&] { return ItemText(box, IDC_SPACE_BUTTON) == "&Abort"; }));
  ASSERT_EQ(doc->TaskThreads().GetTaskThreadCount(), 1);
  EXPECT_EQ(dlg->m_pRun->Holders(), 2);
  dlg->DestroyWindow();
  delete dlg;
  dlg = nullptr;
  EXPECT_TRUE(TasksEnd());

  // A site whose connect is refused: the connection text, then the start
  // error; the fields are enabled again.
  dlg = new CSpaceUsedDlg();
  ASSERT_TRUE(dlg->Create(nullptr));
  dlg->ShowWindow(SW_SHOW);
  box = dlg->m_hWnd;
  doc->DisconnectSite(kStallSlot, TRUE);
  g_optionFlags |= 1u << OPTBIT_CONFIRM_CONNECT;
  SetDocBoxHook([](const DocBoxRequest&, BOOL* dontShow) {
    *dontShow = FALSE;
    return (int)IDCANCEL;
  });
  std::vector<std::string> texts;
  Driver driver([&] {
    HWND error = WaitForBox("ZARN ERROR MESSAGE:");
    ASSERT_NE(error, nullptr);
    texts.push_back(ItemText(error, IDC_CONFIRM_TEXT));
    Click(error, IDOK);
    ASSERT_TRUE(WaitGone(error));
    HWND start = WaitForBox("Error");
    ASSERT_NE(start, nullptr);
    texts.push_back(ItemText(start, 0xFFFF));
    Click(start, IDOK);
  });
  Choose(kNowhereSlot, "/");
  // A site deleted meanwhile: the list is filled again, the chosen site kept.
  delete doc->m_sites[kPySlot];
  doc->m_sites[kPySlot] = nullptr;
  dlg->SendMessage(UWM_SITES_CHANGED, 0, 0);
  HWND combo = ::GetDlgItem(box, IDC_SPACE_SITE);
  EXPECT_EQ(::SendMessageA(combo, CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(::SendMessageA(combo, CB_GETITEMDATA, ::SendMessageA(combo, CB_GETCURSEL, 0, 0), 0), kNowhereSlot);
  Click(box, IDC_SPACE_BUTTON);
  ASSERT_TRUE(Pump([&] { return texts.size() == 2; }));
  driver.Join();
  EXPECT_EQ(texts, std::vector<std::string>({" 127.0.0.1::Connection failed. Abort! ",
                                             "Start up count thread error! Back. "}));
  EXPECT_TRUE(Pump([&] { return Idle(); }, 5000));
  EXPECT_TRUE(ItemEnabled(box, IDCANCEL));
  EXPECT_EQ(doc->TaskThreads().GetTaskThreadCount(), 0);
}

}  // namespace
