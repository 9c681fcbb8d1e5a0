// The application's small windows as a user meets them: the tip of the day
// read from a real tips file and its choice kept in the profile, the tray
// icon's click toggling the main window, the splash going by itself and
// showing the main window, the About box's credits scrolling.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "framework/winthread.h"
#include "shell/app/aboutdlg.h"
#include "shell/app/appres.h"
#include "shell/app/splashwnd.h"
#include "shell/app/tipdlg.h"
#include "shell/app/trayicon.h"
#include "tests/confirm/boxdriver.h"
#include "tests/toolkit/wintest.h"

CWinApp theApp("app_windows");

namespace {

constexpr UINT kTrayMessage = 0x803;

std::string TempFile(const char* name, const std::string& bytes) {
  char dir[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, dir);
  std::string path = std::string(dir) + name;
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

// The main window stand-in: answers the tray's show and hide commands.
class CMainStandIn : public CWnd {
public:
  int shows = 0, hides = 0;
  BOOL Make() {
    LPCTSTR cls = AfxRegisterWndClass(0, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW), (HBRUSH)(COLOR_WINDOW + 1));
    return CreateEx(0, cls, "app stand-in", WS_POPUP | WS_VISIBLE, 60, 60, 300, 200, nullptr, nullptr);
  }

protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    if (LOWORD(wParam) == kTrayCmdShow) {
      ++shows;
      ShowWindow(SW_SHOW);
      return TRUE;
    }
    if (LOWORD(wParam) == kTrayCmdHide) {
      ++hides;
      ShowWindow(SW_HIDE);
      return TRUE;
    }
    return CWnd::OnCommand(wParam, lParam);
  }
};

class CAboutProbe : public CAboutDlg {
public:
  volatile int position = 0;

protected:
  BOOL OnInitDialog() override {
    CAboutDlg::OnInitDialog();
    SetTimer(99, 50, nullptr);
    return TRUE;
  }
  void OnTimerProbe(UINT_PTR) { position = m_credits.ScrollPosition(); }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_TIMER && wParam == 99) {
      OnTimerProbe(wParam);
      return 0;
    }
    return CAboutDlg::WindowProc(message, wParam, lParam);
  }
};

TEST(AppWindows, TipOfTheDayReadsTheFileAndKeepsTheChoice) {
  theApp.WriteProfileInt("Tip", "StartUp", 0);
  theApp.WriteProfileString("Tip", "TimeStamp", "");
  const std::string tips = TempFile("zarn_tips.txt",
                                    "; tips of the test\r\n\r\nFirst tip: drag files onto a server folder.\tDid you "
                                    "know...\tTip 1\t1\r\nSecond tip: F4 opens the site manager.\r\n");
  CTipDlg::SetTipsFilePathForTest(tips.c_str());
  std::string first, second, heading, footer;
  bool nextEnabled = false;
  boxdriver::Driver driver([&] {
    HWND box = boxdriver::WaitForBox("Tip of the day");
    if (box == nullptr) return;
    first = boxdriver::ItemText(box, IDC_TIP_TEXT);
    heading = boxdriver::ItemText(box, IDC_TIP_HEADING);
    footer = boxdriver::ItemText(box, IDC_TIP_FOOTER);
    nextEnabled = boxdriver::ItemEnabled(box, IDC_TIP_NEXT);
    wintest::Shot("tip_of_the_day");
    boxdriver::Click(box, IDC_TIP_NEXT);
    xside::WaitFor([&] { return boxdriver::ItemText(box, IDC_TIP_TEXT) != first; }, 5000);
    second = boxdriver::ItemText(box, IDC_TIP_TEXT);
    boxdriver::Click(box, IDC_TIP_STARTUP);  // no more tips at start-up
    xside::WaitFor([&] { return ::SendMessageA(::GetDlgItem(box, IDC_TIP_STARTUP), BM_GETCHECK, 0, 0) == 0; }, 5000);
    boxdriver::Click(box, IDOK);
  });
  {
    CTipDlg dlg;
    EXPECT_TRUE(dlg.m_bStartup);
    dlg.DoModal();
  }
  driver.Join();
  EXPECT_EQ("First tip: drag files onto a server folder.", first);
  EXPECT_EQ("Did you know...", heading);
  EXPECT_EQ("Tip 1", footer);
  EXPECT_TRUE(nextEnabled);
  EXPECT_EQ("Second tip: F4 opens the site manager.", second);
  EXPECT_EQ(1u, theApp.GetProfileInt("Tip", "StartUp", 0));
  // The next dialog goes on after the second tip: round to the first.
  CTipDlg again;
  EXPECT_FALSE(again.m_bStartup);
}

TEST(AppWindows, TipsFilesWithoutTipsOrMissing) {
  const std::string comments = TempFile("zarn_tips_comments.txt", "; nothing\r\n\r\n  indented\r\n");
  CTipDlg::SetTipsFilePathForTest(comments.c_str());
  CString none;
  none.LoadString(IDS_TIP_NONE);
  std::string text;
  boxdriver::Driver driver([&] {
    HWND box = boxdriver::WaitForBox("Tip of the day");
    if (box == nullptr) return;
    text = boxdriver::ItemText(box, IDC_TIP_TEXT);
    boxdriver::Click(box, IDOK);
  });
  CTipDlg(nullptr).DoModal();
  driver.Join();
  EXPECT_EQ(std::string(none), text);

  CTipDlg::SetTipsFilePathForTest("Z:\\no\\such\\folder\\Tips.txt");
  std::string heading;
  bool nextEnabled = true;
  boxdriver::Driver missing([&] {
    HWND box = boxdriver::WaitForBox("Tip of the day");
    if (box == nullptr) return;
    heading = boxdriver::ItemText(box, IDC_TIP_HEADING);
    nextEnabled = boxdriver::ItemEnabled(box, IDC_TIP_NEXT);
    boxdriver::Click(box, IDOK);
  });
  CTipDlg(nullptr).DoModal();
  missing.Join();
  EXPECT_EQ("Oops!", heading);
  EXPECT_FALSE(nextEnabled);
  CTipDlg::SetTipsFilePathForTest(nullptr);
}

TEST(AppWindows, TrayClickTogglesTheMainWindow) {
  CMainStandIn main;
  ASSERT_TRUE(main.Make());
  CTrayIcon tray;
  HICON icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
  ASSERT_NE(nullptr, icon);
  tray.Create(&main, 128, icon, "Pelmoro ZARN v3.69", kTrayMessage);
  EXPECT_FALSE(tray.OnTrayNotification(7, WM_LBUTTONDOWN));  // another icon's
  EXPECT_TRUE(tray.OnTrayNotification(128, WM_LBUTTONDOWN));
  EXPECT_FALSE(main.IsWindowVisible());
  EXPECT_TRUE(tray.OnTrayNotification(128, WM_LBUTTONDOWN));
  EXPECT_TRUE(main.IsWindowVisible());
  EXPECT_EQ(1, main.hides);
  EXPECT_EQ(1, main.shows);
  tray.Remove();
  EXPECT_FALSE(tray.IsAdded());
  main.DestroyWindow();
}

TEST(AppWindows, SplashGoesByItselfAndShowsTheMainWindow) {
  CMainStandIn main;
  ASSERT_TRUE(main.Make());
  main.ShowWindow(SW_HIDE);
  theApp.m_pMainWnd = &main;
  CSplashWnd::EnableSplashScreen(FALSE);
  CSplashWnd::ShowSplashScreen(&main);
  EXPECT_EQ(nullptr, CSplashWnd::Current());  // an embedded start shows none
  CSplashWnd::EnableSplashScreen(TRUE);
  CSplashWnd::ShowSplashScreen(&main);
  CSplashWnd* splash = CSplashWnd::Current();
  ASSERT_NE(nullptr, splash);
  EXPECT_TRUE(splash->IsWindowVisible());
  CRect rc;
  splash->GetWindowRect(&rc);
  EXPECT_EQ(400, rc.Width());
  EXPECT_EQ(220, rc.Height());
  wintest::Shot("splash");
  EXPECT_TRUE(guitest::PumpUntil([] { return CSplashWnd::Current() == nullptr; }, 10000));
  EXPECT_TRUE(main.IsWindowVisible());
  theApp.m_pMainWnd = nullptr;
  main.DestroyWindow();
}

TEST(AppWindows, AboutBoxScrollsItsCredits) {
  CAboutProbe about;
  int seenA = 0, seenB = 0;
  std::string version;
  boxdriver::Driver driver([&] {
    HWND box = boxdriver::WaitForBox("About Pelmoro ZARN");
    if (box == nullptr) return;
    version = boxdriver::ItemText(box, IDC_ABOUT_VERSION);
    xside::WaitFor([&] { return about.position != 0; }, 5000);
    seenA = about.position;
    xside::WaitFor([&] { return about.position < seenA - 20; }, 5000);
    seenB = about.position;
    wintest::Shot("about");
    boxdriver::Click(box, IDOK);
  });
  about.DoModal();
  driver.Join();
  EXPECT_EQ("Pelmoro ZARN v3.69", version);
  EXPECT_LT(seenB, seenA);  // moving up
}

}  // namespace
