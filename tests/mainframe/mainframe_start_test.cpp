// A plain start (no switches) as a user makes one after changing settings:
// the tip chosen for start-up, a bar layout damaged by an older version, and a
// command-line file that is no site file. The program shows the damaged-file
// box and the tip, and runs on with its bars where they belong.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "engine/engineres.h"
#include "shell/app/clientapp.h"
#include "shell/doc/zarndoc.h"
#include "shell/mainframe/mainframe.h"
#include "shell/settings/regkey.h"
#include "shell/settings/settings.h"
#include "shell/sitestore/sitefile.h"
#include "views/listpanedlg.h"
#include "tests/confirm/boxdriver.h"

CClientApp theApp;

namespace {

void Pump(DWORD ms, const std::function<bool()>& done)
{
  const DWORD start = ::GetTickCount();
  MSG msg;
  while (!done() && ::GetTickCount() - start < ms) {
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT)
        continue;
      if (!theApp.PreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
      }
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

// The option flags as the next run finds them; put back at the end so the
// other start-up tests meet the store they expect.
struct StoredFlags {
  bool had = false;
  DWORD value = 0;
  StoredFlags()
  {
    CRegKeyWrap key;
    had = key.OpenKey(HKEY_CURRENT_USER, kSettingsKeyPath) && key.GetDwordValue("CONFIGVASK", value);
  }
  void Put(DWORD flags) const
  {
    CRegKeyWrap key;
    ASSERT_TRUE(key.CreateKey(HKEY_CURRENT_USER, kSettingsKeyPath));
    key.SetDwordValue("CONFIGVASK", flags);
  }
  void Restore() const
  {
    CRegKeyWrap key;
    if (!key.OpenKey(HKEY_CURRENT_USER, kSettingsKeyPath))
      return;
    if (had)
      key.SetDwordValue("CONFIGVASK", value);
    else
      ::RegDeleteValueA(key.m_hKey, "CONFIGVASK");
  }
};

void ForgetBarLayout()
{
  ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\ZARN\\ZARN\\ZARN_Bar-Summary");
  for (int i = 0; i < 8; ++i) {
    char name[80];
    wsprintfA(name, "Software\\ZARN\\ZARN\\ZARN_Bar-Bar%d", i);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, name);
  }
}

}  // namespace

TEST(MainFrameStart, DamagedFileAndBarLayoutThenTheTipAndTheLayoutKept)
{
  const StoredFlags stored;
  // Tip at start-up (bit 26), layout kept (bit 21).
  stored.Put(0x4BF7E701u | (1u << 26) | (1u << 21));
  theApp.m_hInstance = ::GetModuleHandleA(nullptr);
  theApp.m_nThreadID = ::GetCurrentThreadId();
  theApp.SetRegistryKey("ZARN");
  theApp.WriteProfileInt("Tip", "StartUp", 0);
  // A layout naming a bar this window does not have: ignored as a whole.
  ForgetBarLayout();
  theApp.WriteProfileInt("ZARN_Bar-Summary", "Version", 1);
  theApp.WriteProfileInt("ZARN_Bar-Summary", "Bars", 1);
  theApp.WriteProfileInt("ZARN_Bar-Bar0", "BarID", 999);
  theApp.WriteProfileInt("ZARN_Bar-Bar0", "Visible", 1);
  theApp.WriteProfileInt("ZARN_Bar-Bar0", "DockBarID", AFX_IDW_DOCKBAR_TOP);

  // One byte: not even a site count.
  char temp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, temp);
  static std::string badFile = std::string(temp) + "not-a-site-file.zst";
  HANDLE file = ::CreateFileA(badFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  DWORD written = 0;
  ::WriteFile(file, "x", 1, &written, nullptr);
  ::CloseHandle(file);
  theApp.m_lpCmdLine = const_cast<LPTSTR>(badFile.c_str());

  // The boxes in the order they come, each answered as a user would.
  std::vector<std::string> seen;
  std::atomic<bool> done{false};
  boxdriver::Driver driver([&] {
    while (!done.load()) {
      if (HWND box = boxdriver::WaitForBox("ZARN ERROR MESSAGE:", 50)) {
        seen.push_back("box: " + boxdriver::ItemText(box, IDC_CONFIRM_TEXT));
        boxdriver::Click(box, IDOK);
        boxdriver::WaitGone(box);
      }
      if (HWND tip = boxdriver::WaitForBox("Tip of the day", 50)) {
        seen.push_back(std::string("tip") + (::IsDlgButtonChecked(tip, 1184) == BST_CHECKED ? " checked" : ""));
        boxdriver::Click(tip, IDOK);
        boxdriver::WaitGone(tip);
      }
    }
  });
  const BOOL started = theApp.InitInstance();
  done = true;
  driver.Join();
  ASSERT_TRUE(started);
  std::string all;
  for (const std::string& s : seen)
    all += s + "|";
  ASSERT_EQ(2u, seen.size()) << all;
  EXPECT_EQ(std::string("box: ") + kSiteFileDamagedText, seen[0]);
  EXPECT_EQ("tip checked", seen[1]);
  // The document was made although a file was opened.
  ASSERT_NE(nullptr, g_pDoc);

  CMainFrame* frame = DYNAMIC_DOWNCAST(CMainFrame, theApp.m_pMainWnd);
  ASSERT_NE(nullptr, frame);
  Pump(300, [] { return false; });
  ASSERT_NE(nullptr, frame->m_funcBar.GetParent());
  EXPECT_EQ(AFX_IDW_DOCKBAR_BOTTOM, (UINT)frame->m_funcBar.GetParent()->GetDlgCtrlID());

  // The layout a close saves is the one the next start restores: the bar
  // moved to the top comes back there after it was put back at the bottom.
  frame->DockControlBar(&frame->m_funcBar, AFX_IDW_DOCKBAR_TOP);
  frame->RecalcLayout();
  ASSERT_EQ(AFX_IDW_DOCKBAR_TOP, (UINT)frame->m_funcBar.GetParent()->GetDlgCtrlID());
  CCoolDialogBar::GlobalSaveState(frame, "ZARN_Bar");
  frame->SaveBarState("ZARN_Bar");
  frame->DockControlBar(&frame->m_funcBar, AFX_IDW_DOCKBAR_BOTTOM);
  ASSERT_EQ(AFX_IDW_DOCKBAR_BOTTOM, (UINT)frame->m_funcBar.GetParent()->GetDlgCtrlID());
  ASSERT_TRUE(frame->VerifyBarState("ZARN_Bar"));
  CCoolDialogBar::GlobalLoadState(frame, "ZARN_Bar");
  frame->LoadBarState("ZARN_Bar");
  EXPECT_EQ(AFX_IDW_DOCKBAR_TOP, (UINT)frame->m_funcBar.GetParent()->GetDlgCtrlID());

  // The close keeps both splits: the trees' first row and the first server
  // list's height.
  CListPaneDlg* pane = frame->m_funcView.ListPane();
  ASSERT_NE(nullptr, pane);
  CRect list;
  pane->List(CListPaneDlg::kSerList)->GetClientRect(&list);
  ASSERT_GT(list.Height(), 0);
  g_savedListSplit = 0;
  g_savedTreeSplit = 0;
  frame->CaptureGeometry();
  EXPECT_EQ(list.Height(), g_savedListSplit);
  EXPECT_GT(g_savedTreeSplit, 0);

  HWND hwnd = frame->m_hWnd;
  frame->PostMessage(WM_COMMAND, ID_APP_EXIT, 0);
  Pump(8000, [&] { return !::IsWindow(hwnd); });
  EXPECT_FALSE(::IsWindow(hwnd));
  ::DeleteFileA(badFile.c_str());
  ForgetBarLayout();
  theApp.WriteProfileInt("Tip", "StartUp", 0);
  stored.Restore();
}
