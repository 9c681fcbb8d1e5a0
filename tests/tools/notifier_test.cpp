// The pop-up notifier under Xvfb, where the work area is the whole screen: it
// slides up out of the bottom edge by 2 pixels a step and back, a click on it
// through the X server tells its owner, and a skin that cannot be loaded
// shows nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/tools/taskbarnotifier.h"
#include "shell/tools/toolsres.h"
#include "tests/toolkit/wintest.h"

CWinApp theApp("notifier");

namespace {

class COwner : public CWnd {
public:
  int clicks = 0;
  BOOL Make()
  {
    LPCTSTR cls = AfxRegisterWndClass(0, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW), (HBRUSH)(COLOR_WINDOW + 1));
    return CreateEx(0, cls, "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
  }

protected:
  LRESULT OnClicked(WPARAM wParam, LPARAM lParam)
  {
    if (wParam == 0 && lParam == 0)
      clicks++;
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(COwner, CWnd)
  ON_MESSAGE(0x47B, OnClicked)
END_MESSAGE_MAP()

// Every position the notifier is placed at, as its window sees it.
HWND g_watched = nullptr;
std::vector<POINT> g_positions;
HHOOK g_hook = nullptr;
LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam)
{
  const CWPRETSTRUCT* m = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && m->hwnd == g_watched && m->message == WM_WINDOWPOSCHANGED) {
    const WINDOWPOS* wp = reinterpret_cast<const WINDOWPOS*>(m->lParam);
    if (wp->cx > 0 && (g_positions.empty() || g_positions.back().y != wp->y || g_positions.back().x != wp->x))
      g_positions.push_back({wp->x, wp->y});
  }
  return ::CallNextHookEx(g_hook, code, wParam, lParam);
}

class Notifier : public ::testing::Test {
protected:
  void SetUp() override
  {
    guitest::BecomeGuiThread();
    ASSERT_TRUE(m_owner.Make());
    ASSERT_TRUE(Make());
    g_watched = m_notifier.m_hWnd;
    g_positions.clear();
    g_hook = ::SetWindowsHookExA(WH_CALLWNDPROCRET, Watch, nullptr, ::GetCurrentThreadId());
  }
  void TearDown() override
  {
    ::UnhookWindowsHookEx(g_hook);
    m_notifier.DestroyWindow();
    m_owner.DestroyWindow();
  }
  virtual BOOL Make() { return m_notifier.CreatePopup(&m_owner); }
  COwner m_owner;
  CTaskbarNotifier m_notifier;
};

// Set up as the main window sets it up.
class MainNotifier : public Notifier {
protected:
  BOOL Make() override { return CreateMainNotifier(m_notifier, &m_owner); }
};

TEST_F(MainNotifier, SlidesUpShowsTakesAClickAndSlidesBack)
{
  const CSize skin = m_notifier.GetSkinSize();
  EXPECT_EQ(skin, CSize(200, 100));
  const int screenW = ::GetSystemMetrics(SM_CXSCREEN), screenH = ::GetSystemMetrics(SM_CYSCREEN);
  // The magenta corners are outside the window's region, the panel inside.
  HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(::GetWindowRgn(m_notifier.m_hWnd, rgn), ERROR);
  EXPECT_FALSE(::PtInRegion(rgn, 0, 0));
  EXPECT_TRUE(::PtInRegion(rgn, 100, 50));
  ::DeleteObject(rgn);

  m_notifier.Popup("3 files were transferred to ftp.example.test", 500, 6000, 500);
  ASSERT_TRUE(guitest::PumpUntil([&] { return m_notifier.GetState() == 2; }, 10000));
  EXPECT_TRUE(m_notifier.IsWindowVisible());
  ASSERT_GE(g_positions.size(), 10u);
  EXPECT_EQ(g_positions.front().y, screenH);
  EXPECT_EQ(g_positions.back().y, screenH - skin.cy);
  for (size_t i = 1; i < g_positions.size(); i++) {
    EXPECT_EQ(g_positions[i].x, screenW - skin.cx);
    EXPECT_EQ(g_positions[i - 1].y - g_positions[i].y, 2) << i;
  }
  wintest::Shot("notifier");

  // A user points at it (highlighted) and clicks: the owner hears of it.
  CRect rc;
  m_notifier.GetWindowRect(&rc);
  const CPoint centre = rc.CenterPoint();
  EXPECT_TRUE(wintest::ClickUntil(centre.x, centre.y, [&] { return m_owner.clicks > 0; }));
  EXPECT_TRUE(guitest::PumpUntil([&] { return m_notifier.IsHighlighted() != FALSE; }, 3000));
  wintest::Shot("notifier_hover");
  wintest::Xdo("mousemove 0 0");

  // After the stay it slides back down and hides.
  g_positions.clear();
  ASSERT_TRUE(guitest::PumpUntil([&] { return m_notifier.GetState() == 0; }, 15000));
  EXPECT_FALSE(m_notifier.IsWindowVisible());
  ASSERT_GE(g_positions.size(), 10u);
  for (size_t i = 1; i < g_positions.size(); i++)
    EXPECT_EQ(g_positions[i].y - g_positions[i - 1].y, 2) << i;
  EXPECT_EQ(g_positions.back().y, screenH);
}

TEST_F(MainNotifier, SecondPopupsAndLongTexts)
{
  const std::string longText(600, 'x');
  m_notifier.Popup("first", 500, 200, 500);
  EXPECT_EQ(m_notifier.GetState(), 1);
  // Appearing: the text changes, the slide goes on.
  m_notifier.Popup(longText.c_str(), 500, 200, 500);
  EXPECT_EQ(m_notifier.GetState(), 1);
  EXPECT_EQ(m_notifier.GetText().GetLength(), 600);
  m_notifier.UpdateWindow();  // 600 characters paint (258 of them)
  ASSERT_TRUE(guitest::PumpUntil([&] { return m_notifier.GetState() == 3; }, 10000));
  // Disappearing: back to fully shown at once.
  m_notifier.Popup("again", 500, 200, 500);
  EXPECT_EQ(m_notifier.GetState(), 2);
  CRect rc;
  m_notifier.GetWindowRect(&rc);
  EXPECT_EQ(rc.bottom, ::GetSystemMetrics(SM_CYSCREEN));
  ASSERT_TRUE(guitest::PumpUntil([&] { return m_notifier.GetState() == 0; }, 10000));
  EXPECT_FALSE(m_notifier.IsWindowVisible());
}

TEST_F(Notifier, WithoutASkinNothingShows)
{
  EXPECT_FALSE(m_notifier.LoadSkin(9999, 255, 0, 255));
  m_notifier.Popup("nothing", 500, 1000, 500);
  EXPECT_EQ(m_notifier.GetState(), 0);
  EXPECT_FALSE(m_notifier.IsWindowVisible());
}

}  // namespace
