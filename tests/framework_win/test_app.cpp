// The application object and the GUI program's life on the main thread.
#include "fwtest.h"

namespace {

class CAppMainWnd : public CWnd {
protected:
  afx_msg void OnTimer(UINT_PTR) {
    KillTimer(1);
    DestroyWindow();  // the main window going away ends the program's loop
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CAppMainWnd, CWnd)
  ON_WM_TIMER()
END_MESSAGE_MAP()

class CTestApp : public CWinApp {
public:
  CAppMainWnd m_wnd;
  bool m_bThreadWasApp = false;
  bool m_bExitRan = false;

  BOOL InitInstance() override {
    m_bThreadWasApp = AfxGetThread() == this && AfxGetApp() == this;
    if (!m_wnd.CreateEx(0, nullptr, "app", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr))
      return FALSE;
    m_pMainWnd = &m_wnd;
    m_wnd.SetTimer(1, 20);
    return TRUE;
  }
  int ExitInstance() override {
    m_bExitRan = true;
    return CWinApp::ExitInstance() + 7;
  }
};

CTestApp theApp;

}  // namespace

TEST(App, WinMainRunsInitRunAndExitOnTheMainThread) {
  EXPECT_EQ(&theApp, AfxGetApp());
  char szCmd[] = "-x";
  int nCode = AfxWinMain(::GetModuleHandleA(nullptr), nullptr, szCmd, SW_HIDE);
  EXPECT_EQ(7, nCode);  // the quit's code 0, plus what ExitInstance added
  EXPECT_TRUE(theApp.m_bThreadWasApp);
  EXPECT_TRUE(theApp.m_bExitRan);
  EXPECT_STREQ("framework_win", theApp.m_pszAppName);
  EXPECT_STREQ("-x", theApp.m_lpCmdLine);
  EXPECT_EQ(SW_HIDE, theApp.m_nCmdShow);
  EXPECT_EQ(nullptr, theApp.m_pMainWnd);
  EXPECT_EQ(nullptr, theApp.m_wnd.m_hWnd);
}
