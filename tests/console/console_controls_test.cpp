// The console's settings dialog as a user meets it, under wine64.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "console/commandhelpdlg.h"
#include "console/commandsetdlg.h"
#include "console/consoleres.h"
#include "console/editex.h"
#include "tests/confirm/boxdriver.h"
#include "tests/framework_gui/guitest.h"
#include "tests/support/xside.h"

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

}  // namespace
