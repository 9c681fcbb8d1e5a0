// The console's settings dialog as a user meets it, under wine64.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "console/commandctrldlg.h"
#include "console/commandhelpdlg.h"
#include "console/commandsetdlg.h"
#include "console/consoleres.h"
#include "console/editex.h"
#include "console/fadeprogress.h"
#include "tests/confirm/boxdriver.h"
#include "tests/framework_gui/guitest.h"
#include "tests/support/tempfolder.h"
#include "tests/support/xside.h"
#include "toolkit/launcher.h"

CWinApp theApp("console_controls");

namespace {

void Shot(const char* name)
{
  const char* dir = std::getenv("ZARN_BINARY_DIR");
  if (dir == nullptr || *dir == '\0')
    return;
  const std::string shots = std::string(dir) + "/shots";
  xside::RunUnix("mkdir -p " + shots + " && import -window root " + shots + "/" + name + ".png", "zarn-console",
                 30000, true);
}

int ComboCount(HWND box, int id) { return (int)::SendDlgItemMessageA(box, id, CB_GETCOUNT, 0, 0); }

TEST(CommandSettings, ShowsTheValuesAndAZeroTimeOutBecomesOne)
{
  guitest::BecomeGuiThread();
  CCommandSetDlg dlg;
  dlg.m_ascii = 1;
  dlg.m_passive = 0;
  dlg.m_timeout = 120;
  dlg.m_folder = "C:\\downloads";
  dlg.m_listOption = 1;
  boxdriver::Driver driver([&] {
    HWND box = boxdriver::WaitForBox("Settings");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ComboCount(box, IDC_SET_ASCII), 2);
    EXPECT_EQ(ComboCount(box, IDC_SET_PASSIVE), 2);
    EXPECT_EQ(ComboCount(box, IDC_SET_LISTING), 3);
    EXPECT_EQ(boxdriver::ItemText(box, IDC_SET_ASCII), "ASCII");
    EXPECT_EQ(boxdriver::ItemText(box, IDC_SET_PASSIVE), "PORT");
    EXPECT_EQ(boxdriver::ItemText(box, IDC_SET_LISTING), "Show and save");
    EXPECT_EQ(boxdriver::ItemText(box, IDC_SET_TIMEOUT), "120");
    EXPECT_EQ(boxdriver::ItemText(box, IDC_SET_FOLDER), "C:\\downloads");
    Shot("console_settings");
    boxdriver::SetItemText(box, IDC_SET_TIMEOUT, "0");
    boxdriver::Click(box, IDOK);
    EXPECT_TRUE(boxdriver::WaitGone(box));
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  driver.Join();
  EXPECT_EQ(dlg.m_timeout, 1);
  EXPECT_EQ(dlg.m_ascii, 1);
  EXPECT_EQ(dlg.m_passive, 0);
  EXPECT_EQ(dlg.m_listOption, 1);
}

std::string Clipboard()
{
  std::string text;
  if (!::OpenClipboard(nullptr))
    return text;
  if (HANDLE h = ::GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(::GlobalLock(h))) {
      text = p;
      ::GlobalUnlock(h);
    }
  }
  ::CloseClipboard();
  return text;
}

void PutClipboard(const std::string& text)
{
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  memcpy(::GlobalLock(h), text.c_str(), text.size() + 1);
  ::GlobalUnlock(h);
  ::SetClipboardData(CF_TEXT, h);
  ::CloseClipboard();
}

std::string WindowText(HWND h)
{
  char text[1024] = "";
  ::GetWindowTextA(h, text, sizeof text);
  return text;
}

// The console's log: read-only, so neither typing nor the edit messages of
// its default menu change it, while copying still works.
TEST(LogEdit, ReadOnlyLogCopiesButNeverChanges)
{
  guitest::BecomeGuiThread();
  CRuntimeClass* rc = RUNTIME_CLASS(CEditEx);
  std::unique_ptr<CObject> made(rc->CreateObject());
  ASSERT_NE(dynamic_cast<CEditEx*>(made.get()), nullptr);  // dynamic creation works

  CEditEx log;
  EXPECT_EQ(log.SetBkColor(0x000000), ::GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(log.SetTextColor(0xFFFFFF), ::GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(log.SetBkColor(0x000000), 0x000000u);
  HWND host = ::CreateWindowExA(0, "STATIC", "log", WS_POPUP | WS_VISIBLE, 50, 50, 320, 180, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(host, nullptr);
  ASSERT_TRUE(log.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE | ES_READONLY | WS_VSCROLL,
                         CRect(0, 0, 300, 160), CWnd::FromHandle(host), 1002));
  const std::string lines = "220 ready\r\nUSER bob\r\n331 password";
  ::SetWindowTextA(log.m_hWnd, lines.c_str());

  PutClipboard("pasted");
  ::SendMessageA(log.m_hWnd, EM_SETSEL, 0, -1);
  for (UINT m : {WM_PASTE, WM_CUT, WM_CLEAR})
    ::SendMessageA(log.m_hWnd, m, 0, 0);
  ::SendMessageA(log.m_hWnd, WM_CHAR, 'x', 0);
  EXPECT_EQ(WindowText(log.m_hWnd), lines);

  ::SendMessageA(log.m_hWnd, EM_SETSEL, 0, 9);
  ::SendMessageA(log.m_hWnd, WM_COPY, 0, 0);
  EXPECT_EQ(Clipboard(), "220 ready");
  log.DestroyWindow();
  ::DestroyWindow(host);
}

// The help window: every line listed, Close only hides it, and it goes with
// the window that owns it.
TEST(CommandHelp, ListsTheCommandsAndCloseHides)
{
  guitest::BecomeGuiThread();
  HWND owner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  CCommandHelpDlg* help = new CCommandHelpDlg;
  ASSERT_TRUE(help->Create(CWnd::FromHandle(owner)));
  HWND box = help->m_hWnd;
  help->ShowWindow(SW_SHOW);
  ::UpdateWindow(box);
  EXPECT_EQ(ComboCount(box, IDC_HELP_LINES), 58);
  char first[128] = "";
  ::SendDlgItemMessageA(box, IDC_HELP_LINES, CB_GETLBTEXT, 0, (LPARAM)first);
  EXPECT_STREQ(first, "NOTE: In order to use Manual Control Center,");
  Shot("console_help");

  ::SendMessageA(::GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
  EXPECT_TRUE(::IsWindow(box));
  EXPECT_FALSE(::IsWindowVisible(box));
  help->ShowWindow(SW_SHOW);  // shown again, as Help does
  EXPECT_TRUE(::IsWindowVisible(box));
  ::DestroyWindow(owner);  // deletes the help object with its window
  EXPECT_FALSE(::IsWindow(box));
}

using CommandCtrlFn = int(__stdcall*)(const char*, int, const char*, const char*, const char*, int, int, CWnd*);

RECT ItemRectIn(HWND box, int id)
{
  RECT rc = {};
  ::GetWindowRect(::GetDlgItem(box, id), &rc);
  ::MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

// Ordinal 1 of the real library with no host: port 21, passive, the
// disconnected controls; the controls follow their anchors when the window
// grows; Close ends it with 1.
TEST(CommandCtrl, ExportWithoutHostOpensOnPort21Passive)
{
  guitest::BecomeGuiThread();
  WSADATA wsa;
  ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &wsa), 0);
  const char* bin = std::getenv("ZARN_BINARY_DIR");
  ASSERT_NE(bin, nullptr);
  std::string path = std::string("Z:") + bin + "/bin/zarncontrol.dll";
  for (char& c : path)
    if (c == '/')
      c = '\\';
  HMODULE library = ::LoadLibraryA(path.c_str());
  ASSERT_NE(library, nullptr) << path;
  const CommandCtrlFn open =
      reinterpret_cast<CommandCtrlFn>(reinterpret_cast<void (*)()>(::GetProcAddress(library, MAKEINTRESOURCEA(1))));
  ASSERT_NE(open, nullptr);
  const std::string folder = testsupport::TempFolder("console-export");

  boxdriver::Driver driver([&] {
    HWND box = boxdriver::WaitForBox("ZARN-Manual Control Center", 30000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(boxdriver::ItemText(box, IDC_CTRL_PORT), "21");
    EXPECT_EQ(boxdriver::ItemText(box, IDC_CTRL_HOST), "");
    EXPECT_EQ(::IsDlgButtonChecked(box, IDC_CTRL_ANONYMOUS), (UINT)BST_CHECKED);
    EXPECT_TRUE(boxdriver::ItemEnabled(box, IDC_CTRL_CONNECT));
    EXPECT_FALSE(boxdriver::ItemEnabled(box, IDC_CTRL_SEND));
    EXPECT_FALSE(boxdriver::ItemEnabled(box, IDC_CTRL_COMMAND));
    EXPECT_FALSE(boxdriver::ItemEnabled(box, IDC_CTRL_DISCONNECT));
    // Enter outside the command edit leaves the console open.
    ::SendMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(::IsWindowVisible(box));
    // Typing a user name means not anonymous.
    boxdriver::SetItemText(box, IDC_CTRL_USER, "bob");
    EXPECT_EQ(::IsDlgButtonChecked(box, IDC_CTRL_ANONYMOUS), (UINT)BST_UNCHECKED);

    boxdriver::Click(box, IDC_CTRL_OPTIONS);
    HWND settings = boxdriver::WaitForBox("Settings");
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(boxdriver::ItemText(settings, IDC_SET_PASSIVE), "PASV");
    EXPECT_EQ(boxdriver::ItemText(settings, IDC_SET_FOLDER), folder);
    boxdriver::Click(settings, IDCANCEL);
    EXPECT_TRUE(boxdriver::WaitGone(settings));

    const RECT log = ItemRectIn(box, IDC_CTRL_LOG), close = ItemRectIn(box, IDC_CTRL_CLOSE);
    const RECT command = ItemRectIn(box, IDC_CTRL_COMMAND), options = ItemRectIn(box, IDC_CTRL_OPTIONS);
    RECT window = {};
    ::GetWindowRect(box, &window);
    ::SetWindowPos(box, nullptr, 0, 0, window.right - window.left + 120, window.bottom - window.top + 80,
                   SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(xside::WaitFor([&] { return ItemRectIn(box, IDC_CTRL_CLOSE).left == close.left + 120; }, 5000));
    const RECT log2 = ItemRectIn(box, IDC_CTRL_LOG), close2 = ItemRectIn(box, IDC_CTRL_CLOSE);
    const RECT command2 = ItemRectIn(box, IDC_CTRL_COMMAND), options2 = ItemRectIn(box, IDC_CTRL_OPTIONS);
    EXPECT_EQ(log2.right - log2.left, log.right - log.left + 120);
    EXPECT_EQ(log2.bottom - log2.top, log.bottom - log.top + 80);
    EXPECT_EQ(close2.top, close.top + 80);
    EXPECT_EQ(command2.right - command2.left, command.right - command.left + 120);
    EXPECT_EQ(command2.top, command.top + 80);
    EXPECT_EQ(options2.left, options.left);
    EXPECT_EQ(options2.top, options.top + 80);
    ::RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Shot("console_grown");
    boxdriver::Click(box, IDC_CTRL_CLOSE);
    EXPECT_TRUE(boxdriver::WaitGone(box));
  });
  EXPECT_EQ(open(nullptr, 0, nullptr, nullptr, folder.c_str(), 0, 1, nullptr), 1);
  driver.Join();
  ::FreeLibrary(library);
}

struct Opened {
  std::string target;
  int count = 0;
} g_opened;

INT_PTR RecordOpen(const char* target, int)
{
  g_opened.target = target;
  ++g_opened.count;
  return 42;
}

BOOL RecordRun(const char*, int) { return TRUE; }

// Log: the open-file box, then the chosen file goes to the shell's open;
// the help window comes from Help and goes with the console.
TEST(CommandCtrl, LogOpensTheChosenFileAndHelpShows)
{
  guitest::BecomeGuiThread();
  const ToolkitLauncher recording = {RecordOpen, RecordRun};
  SetToolkitLauncher(&recording);
  const std::string folder = testsupport::TempFolder("console-log");
  const std::string record = folder + "\\session.txt";
  FILE* f = fopen(record.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fputs("log\r\n", f);
  fclose(f);

  CCommandCtrlDlg dlg;
  dlg.m_folder = folder.c_str();
  HWND helpWindow = nullptr;
  boxdriver::Driver driver([&] {
    HWND box = boxdriver::WaitForBox("ZARN-Manual Control Center", 30000);
    ASSERT_NE(box, nullptr);
    boxdriver::Click(box, IDC_CTRL_LOGFILE);
    HWND open = boxdriver::WaitForBox("Open", 15000);
    ASSERT_NE(open, nullptr);
    // The name field of the system's box (its combo, or the plain edit).
    const int nameId = ::GetDlgItem(open, 0x47c) != nullptr ? 0x47c : 0x480;
    for (int attempt = 0; attempt < 3 && ::IsWindowVisible(open); ++attempt) {
      boxdriver::SetItemText(open, nameId, record.c_str());
      boxdriver::Click(open, IDOK);
      boxdriver::WaitGone(open, 3000);
    }
    EXPECT_TRUE(xside::WaitFor([&] { return g_opened.count == 1; }, 5000));

    boxdriver::Click(box, IDC_CTRL_HELP);
    HWND help = boxdriver::WaitForBox("FTP Commands Information", 10000);
    ASSERT_NE(help, nullptr);
    helpWindow = help;
    boxdriver::Click(box, IDC_CTRL_CLOSE);
    EXPECT_TRUE(boxdriver::WaitGone(box));
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  driver.Join();
  SetToolkitLauncher(nullptr);
  EXPECT_EQ(g_opened.count, 1);
  EXPECT_EQ(g_opened.target, record);
  EXPECT_FALSE(helpWindow != nullptr && ::IsWindow(helpWindow));
}

// The console's bar: white figures only when asked for (they vanish on the
// pale start of its white-to-black gradient).
TEST(FadeProgress, PercentageOnlyWhenShown)
{
  guitest::BecomeGuiThread();
  HWND host = ::CreateWindowExA(0, "STATIC", "bar", WS_POPUP | WS_VISIBLE, 40, 40, 260, 40, nullptr, nullptr, nullptr,
                                nullptr);
  ASSERT_NE(host, nullptr);
  CFadeProgressCtrl bar;
  ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 240, 20), CWnd::FromHandle(host), 1020));
  bar.SetColours(0xFFFFFF, 0x0A0A0A, ::GetSysColor(COLOR_BTNFACE), 0xFFFFFF);
  bar.SetRange(0, 100);
  bar.SetPos(10);
  auto whiteInTheMiddle = [&] {
    ::RedrawWindow(bar.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    guitest::PumpFor(100);
    int white = 0;
    for (int x = 100; x < 140; ++x)
      for (int y = 4; y < 16; ++y)
        white += xside::ScreenPixel(bar.m_hWnd, x, y) == 0xFFFFFF;
    return white;
  };
  EXPECT_EQ(whiteInTheMiddle(), 0);
  bar.SetShowText(TRUE);
  EXPECT_GT(whiteInTheMiddle(), 0);
  bar.DestroyWindow();
  ::DestroyWindow(host);
}

}  // namespace
