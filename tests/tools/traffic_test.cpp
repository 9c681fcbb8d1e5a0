// The traffic page in a plain frame under Wine: with the registry's own
// performance data (Wine has no interface object) it runs with empty graphs;
// with a source of ours whose counters advance 20 MiB a read the graphs fill,
// and the right-click menu, driven through the X server, lists both
// interfaces, picks one and switches the scaling.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "shell/settings/osplatform.h"
#include "shell/tools/nettrafficpage.h"
#include "shell/tools/toolsres.h"
#include "tests/confirm/boxdriver.h"
#include "tests/toolkit/wintest.h"
#include "tests/tools/perfblock.h"

CWinApp theApp("traffic");

namespace {

std::atomic<uint32_t> g_reads{0};

// Two interfaces whose counters grow by 20 MiB and a little more each read.
bool FakeSource(std::vector<uint8_t>* bytes)
{
  const uint32_t n = ++g_reads;
  const uint32_t total = n * (20u << 20) + (n % 7) * (3u << 20);
  *bytes = perfblock::Build({{u"Loopback", total, total / 3, total - total / 3},
                             {u"Ethernet Adapter", total / 2, total / 4, total / 4}})
               .bytes;
  return true;
}

class CFrame : public CWnd {
public:
  BOOL Make()
  {
    LPCTSTR cls = AfxRegisterWndClass(0, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW), (HBRUSH)(COLOR_BTNFACE + 1));
    return CreateEx(WS_EX_TOPMOST, cls, "traffic", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40, 720, 180,
                    nullptr, nullptr);
  }
};

struct MenuSeen {
  std::vector<std::string> top;
  std::vector<std::string> sub;
};

std::string ItemText(HMENU menu, int i)
{
  char text[128] = "";
  ::GetMenuStringA(menu, (UINT)i, text, sizeof text, MF_BYPOSITION);
  return text;
}

// A visible menu window showing `menu` (any menu when null).
HWND MenuWindow(HMENU menu)
{
  for (HWND w = ::FindWindowExA(nullptr, nullptr, "#32768", nullptr); w != nullptr;
       w = ::FindWindowExA(nullptr, w, "#32768", nullptr))
    if (::IsWindowVisible(w) && (menu == nullptr || (HMENU)::SendMessageA(w, MN_GETHMENU, 0, 0) == menu))
      return w;
  return nullptr;
}

void ClickMenuItem(HMENU menu, int i)
{
  RECT r = {};
  ::GetMenuItemRect(nullptr, menu, (UINT)i, &r);
  wintest::Xdo(wintest::MoveTo((r.left + r.right) / 2, (r.top + r.bottom) / 2) + " click 1");
}

// Right-clicks the graph, records what the menu offers and chooses: the
// interface `pick` of the sub-menu, or the last item when pick is -1.
MenuSeen RunGraphMenu(CWnd& graph, int pick, const char* shot)
{
  MenuSeen seen;
  std::atomic<bool> done{false};
  const POINT at = xside::WindowCentre(graph.m_hWnd);
  const HWND top = ::GetAncestor(graph.m_hWnd, GA_ROOT);
  boxdriver::Driver driver([&] {
    HWND popup = nullptr;
    for (int attempt = 0; attempt < 3 && popup == nullptr; attempt++) {
      // Another test's window on the shared screen may have come up over the
      // graph since: ours goes on top again, and the click waits until the
      // graph is what lies under the pointer.
      ::SetWindowPos(top, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      xside::WaitFor([&] { return ::WindowFromPoint(at) == graph.m_hWnd; }, 2000, 20);
      wintest::Xdo(wintest::MoveTo(at.x, at.y) + " click 3");
      xside::WaitFor([&] { return (popup = MenuWindow(nullptr)) != nullptr; }, 3000, 20);
    }
    if (popup != nullptr) {
      HMENU menu = (HMENU)::SendMessageA(popup, MN_GETHMENU, 0, 0);
      const int count = ::GetMenuItemCount(menu);
      for (int i = 0; i < count; i++)
        seen.top.push_back(ItemText(menu, i));
      HMENU sub = ::GetSubMenu(menu, 0);
      if (pick >= 0 && sub != nullptr) {
        for (int i = 0; i < ::GetMenuItemCount(sub); i++)
          seen.sub.push_back(ItemText(sub, i));
        ClickMenuItem(menu, 0);
        xside::WaitFor([&] { return MenuWindow(sub) != nullptr; }, 3000, 20);
        if (shot != nullptr)
          wintest::Shot(shot);
        ClickMenuItem(sub, pick);
      } else {
        ClickMenuItem(menu, count - 1);
      }
      // A menu still up (a click lost) is closed, so the tracking ends.
      if (!xside::WaitFor([&] { return MenuWindow(nullptr) == nullptr; }, 3000, 20))
        wintest::Xdo("key Escape");
    }
    done = true;
  });
  guitest::PumpUntil([&] { return done.load(); }, 40000);
  driver.Join();
  return seen;
}

CNetTrafficPage* MakePage(CFrame& frame)
{
  CWnd* page = CreateNetTrafficPage(&frame);
  if (page != nullptr)
    page->ShowWindow(SW_SHOW);
  return static_cast<CNetTrafficPage*>(page);
}

class TrafficPage : public ::testing::Test {
protected:
  void SetUp() override
  {
    guitest::BecomeGuiThread();
    ASSERT_TRUE(m_frame.Make());
  }
  void TearDown() override
  {
    m_frame.DestroyWindow();
    SetPerfDataSource(nullptr);
    g_osPlatformId = 2;
  }
  CFrame m_frame;
};

TEST_F(TrafficPage, WineDataLeavesTheGraphsEmptyAndRunning)
{
  CNetTrafficPage* page = MakePage(m_frame);
  ASSERT_NE(page, nullptr);
  for (CTrafficButton& graph : page->m_graphs) {
    EXPECT_EQ(graph.Traffic().GetInterfaceCount(), 0);
    EXPECT_EQ(graph.GetSelectedInterface(), -1);
  }
  EXPECT_EQ(std::string(guitest::Text(page->GetDlgItem(IDC_TRAFFIC_TOTAL_SECS)->m_hWnd)), "3");
  EXPECT_FALSE(page->GetDlgItem(IDC_TRAFFIC_APPLY)->IsWindowEnabled());
  // A short interval: samples are taken and stay 0.
  page->m_graphs[0].SetIntervals(50, 50);
  guitest::PumpFor(300);
  EXPECT_EQ(std::string((const char*)page->m_graphs[0].GetCurrentText()), "0.0 KBps");
  const MenuSeen seen = RunGraphMenu(page->m_graphs[0], -1, nullptr);
  EXPECT_EQ(seen.top, (std::vector<std::string>{"Toggle scaling to local maximum"}));
  EXPECT_EQ(std::string((const char*)page->m_graphs[0].GetOtherScalingName()), "global maximum");
}

TEST_F(TrafficPage, FakeCountersFillTheGraphsAndTheMenuPicksAnInterface)
{
  SetPerfDataSource(FakeSource);
  CNetTrafficPage* page = MakePage(m_frame);
  ASSERT_NE(page, nullptr);
  CTrafficButton& total = page->m_graphs[0];
  ASSERT_EQ(total.Traffic().GetInterfaceCount(), 2);
  EXPECT_EQ(total.GetSelectedInterface(), 0);

  // The user types an interval of 1 second and applies it.
  CWnd* apply = page->GetDlgItem(IDC_TRAFFIC_APPLY);
  page->GetDlgItem(IDC_TRAFFIC_TOTAL_SECS)->SetWindowText("1");
  EXPECT_TRUE(apply->IsWindowEnabled());
  apply->SendMessage(BM_CLICK);
  EXPECT_FALSE(apply->IsWindowEnabled());
  EXPECT_EQ(page->m_seconds[0], 1);
  EXPECT_EQ(page->m_seconds[1], 3);

  // 20 MiB and more a second: above 20,000 KBps, on a graph with several bars.
  auto bars = [&] {
    int n = 0;
    for (const auto& s : total.GetHistory().Samples())
      n += s.value > 0.0;
    return n;
  };
  ASSERT_TRUE(guitest::PumpUntil([&] { return bars() >= 6; }, 20000));
  EXPECT_GT(total.GetCurrentRate(), 20000.0);
  EXPECT_GT(total.GetHistory().Latest(), 0.0);
  wintest::Shot("traffic_page");

  const MenuSeen seen = RunGraphMenu(total, 1, "traffic_menu");
  ASSERT_EQ(seen.top.size(), 3u);
  EXPECT_EQ(seen.top[0], "Select Interface:");
  EXPECT_EQ(seen.top[2], "Toggle scaling to local maximum");
  ASSERT_EQ(seen.sub.size(), 2u);
  EXPECT_EQ(seen.sub[0].rfind("Loopback : ", 0), 0u) << seen.sub[0];
  EXPECT_EQ(seen.sub[1].rfind("Ethernet Adapter : ", 0), 0u) << seen.sub[1];
  EXPECT_TRUE(guitest::PumpUntil([&] { return total.GetSelectedInterface() == 1; }, 5000));
  EXPECT_EQ(std::string(guitest::Text(page->GetDlgItem(IDC_TRAFFIC_STATUS)->m_hWnd)), "NetTrafficButton using Interface: 1");

  RunGraphMenu(total, -1, nullptr);
  EXPECT_EQ(std::string((const char*)total.GetOtherScalingName()), "global maximum");
  RunGraphMenu(total, -1, nullptr);
  EXPECT_EQ(std::string((const char*)total.GetOtherScalingName()), "local maximum");
}

TEST_F(TrafficPage, OtherSystemsShowTheNoticeAndStayIdle)
{
  g_osPlatformId = 1;
  SetPerfDataSource(FakeSource);
  CNetTrafficPage* page = MakePage(m_frame);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(std::string(guitest::Text(page->GetDlgItem(IDC_TRAFFIC_STATUS)->m_hWnd)),
            "Windows 95/98: Unsupported. This function requires Windows NT 4.0 or later");
  page->GetDlgItem(IDC_TRAFFIC_TOTAL_SECS)->SetWindowText("1");
  EXPECT_FALSE(page->GetDlgItem(IDC_TRAFFIC_APPLY)->IsWindowEnabled());
  const uint32_t before = g_reads;
  guitest::PumpFor(1500);
  EXPECT_EQ(g_reads.load(), before);  // no timer reads the counters
}

}  // namespace
