// Real use under wine64 and Xvfb: a pyftpdlib folder listed into a host's
// list through CViewHelper::StartTaskThread and the listing task, its rows
// dragged by the pointer onto a plain window with a CMyDropTarget, which gets
// the drag messages and a validated payload naming the dragged files.
#include "tests/framework_gui/guitest.h"

#include <shlwapi.h>

#include <algorithm>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "../doc/docfix.h"
#include "engine/dragpayload.h"
#include "engine/progthread.h"
#include "engine/viewmessages.h"
#include "engine/viewslots.h"
#include "shell/settings/settings.h"
#include "tests/keeper/keeperfix.h"
#include "tests/support/peers.h"
#include "tests/support/tempfolder.h"
#include "tests/task/taskfix.h"
#include "tests/toolkit/menu/menutest.h"
#include "views/captionstatic.h"
#include "views/droptarget.h"
#include "views/payloadtransfer.h"
#include "views/viewhelper.h"

CWinApp theApp("views_drag");

namespace {

using guitest::PumpUntil;

LONG Get(const volatile LONG& n) { return ::InterlockedCompareExchange(const_cast<LONG*>(&n), 0, 0); }

const UINT kListId = 11;

// Stands in for a server view: the listing fills its list, a begin-drag runs
// the one drag routine over the selected rows.
class CListHost : public CWnd {
public:
  CListCtrl m_list;
  CCaptionStatic m_strip;
  volatile LONG m_listed = 0, m_dragging = 0, m_dragDone = 0;
  DROPEFFECT m_effect = (DROPEFFECT)-2;

protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
  {
    if (message == UWM_LISTING_READY) {
      const EntryRecord* e = reinterpret_cast<const EntryRecord*>(lParam);
      m_list.DeleteAllItems();
      for (int i = 0; e != nullptr && e[i].m_name[0] != '\0'; ++i) {
        const int row = m_list.InsertItem(i, e[i].m_name);
        m_list.SetItemData(row, (DWORD_PTR)e[i].m_kind);
      }
      ::InterlockedExchange(&m_listed, 1);
      return 0;
    }
    if (message == UWM_LISTING_STATUS)
      return 0;
    return CWnd::WindowProc(message, wParam, lParam);
  }
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
  {
    NMHDR* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr->idFrom == kListId && hdr->code == LVN_BEGINDRAG) {
      std::vector<CString> names;
      std::vector<PayloadRow> rows;
      POSITION pos = m_list.GetFirstSelectedItemPosition();
      while (pos != nullptr) {
        const int row = m_list.GetNextSelectedItem(pos);
        names.push_back(m_list.GetItemText(row, 0));
        rows.push_back(PayloadRow{nullptr, 0, (int32_t)m_list.GetItemData(row)});
      }
      for (size_t i = 0; i < rows.size(); ++i)
        rows[i].name = names[i];
      ::InterlockedExchange(&m_dragging, 1);
      m_effect = DragPayloadRows(rows.data(), (int)rows.size(), 0, "/vd", this);
      ::InterlockedExchange(&m_dragging, 0);
      ::InterlockedExchange(&m_dragDone, 1);
      *pResult = 0;
      return TRUE;
    }
    return CWnd::OnNotify(wParam, lParam, pResult);
  }
};

// A plain window taking the drag messages; on the drop it shows what it got.
class CDropPane : public CWnd {
public:
  CMyDropTarget m_target;
  CListBox m_shown;
  std::vector<UINT> m_messages;
  std::vector<std::string> m_dropped;
  volatile LONG m_overs = 0, m_drops = 0;

protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
  {
    if (message < UWM_DRAG_ENTER || message > UWM_DRAG_LEAVE)
      return CWnd::WindowProc(message, wParam, lParam);
    if (m_messages.empty() || m_messages.back() != message)
      m_messages.push_back(message);
    COleDropInfo* info = reinterpret_cast<COleDropInfo*>(wParam);
    switch (message) {
    case UWM_DRAG_ENTER:
      return DROPEFFECT_COPY;
    case UWM_DRAG_OVER:
      ::InterlockedIncrement(&m_overs);
      return DROPEFFECT_COPY;
    case UWM_DROP_EX:
      return (LRESULT)(DROPEFFECT)-1;
    case UWM_DROP: {
      DragPayload p;
      int count = 0;
      const EntryRecord* e = ReadDroppedPayload(info->m_pDataObject, &p, &count);
      for (int i = 0; e != nullptr && i < count; ++i) {
        m_dropped.push_back(e[i].m_name);
        m_shown.AddString(std::string(std::string(p.m_sourcePath) + "/" + e[i].m_name).c_str());
      }
      ::InterlockedIncrement(&m_drops);
      return e != nullptr;
    }
    default:
      return 0;
    }
  }
};

using xside::RunCommand;
bool Xdo(const std::string& args) { return RunCommand("Z:\\usr\\bin\\xdotool " + args); }

using xside::WaitFor;

std::string At(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }

TEST(ViewsDrag, ListedRowsDraggedOntoAPlainWindow)
{
  guitest::BecomeGuiThread();
  ASSERT_TRUE(AfxOleInit());
  keepertest::FastSettings();
  g_taskConnectWaitMs = 8000;
  const int port = peers::Port("ZARN_PYFTPD_PORT");
  ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --pyftpd";
  const std::string root = peers::Env("ZARN_PYFTPD_ROOT_WIN");
  tasktest::MakeFile(root, "vd\\alpha.txt", 3);
  tasktest::MakeFile(root, "vd\\beta.bin", 5);

  SHDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\ZARN\\ZARNSITE");
  ResetSettingsDefaults();
  const std::string folder = testsupport::TempFolder("zarn-vdrag");
  lstrcpynA(g_appPath, folder.c_str(), (int)sizeof g_appPath);
  doctest::RecordBoxes();
  CZarnDoc doc;
  ASSERT_TRUE(doc.OnNewDocument());

  CSiteItem site;
  keepertest::SetUpSite(site, port, peers::Env("ZARN_PYFTPD_USER").c_str(), peers::Env("ZARN_PYFTPD_PASS").c_str(),
                        '0');
  ASSERT_NO_FATAL_FAILURE(keepertest::StartWorkerSite(site));

  LPCTSTR cls = AfxRegisterWndClass(0, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW), (HBRUSH)(COLOR_WINDOW + 1));
  CWnd top;
  ASSERT_TRUE(top.CreateEx(WS_EX_TOPMOST | WS_EX_NOACTIVATE, cls, "views drag", WS_POPUP | WS_BORDER, 60, 60, 620,
                           300, nullptr, nullptr));
  CListHost host;
  ASSERT_TRUE(host.Create(cls, "list", WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 300), &top, 1));
  ASSERT_TRUE(host.m_strip.Create("", WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 3), &host, 2));
  ASSERT_TRUE(host.m_list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, CRect(0, 3, 300, 300),
                                 &host, kListId));
  host.m_list.InsertColumn(0, "Name", LVCFMT_LEFT, 280);
  CDropPane pane;
  ASSERT_TRUE(pane.Create(cls, "pane", WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(310, 0, 620, 300), &top, 3));
  CCaptionStatic paneStrip;
  ASSERT_TRUE(paneStrip.Create("", WS_CHILD | WS_VISIBLE, CRect(0, 0, 310, 3), &pane, 4));
  ASSERT_TRUE(pane.m_shown.Create(WS_CHILD | WS_VISIBLE, CRect(0, 3, 306, 296), &pane, 5));
  ASSERT_TRUE(pane.m_target.Register(&pane));
  top.ShowWindow(SW_SHOWNOACTIVATE);
  host.m_strip.SetColor(kCaptionFocusColor);  // the list's view has the focus

  g_pSerTrView = &host;
  CViewHelper helper;
  HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(0x4321));
  ASSERT_TRUE(helper.StartTaskThread(new CProgThread(1, TASK_LIST, &site, node, "/vd", 0, nullptr)));
  ASSERT_TRUE(PumpUntil([&] { return Get(host.m_listed) != 0 && doc.TaskThreads().GetTaskThreadCount() == 0; }, 60000));
  ASSERT_EQ(host.m_list.GetItemCount(), 2);
  host.m_list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);

  // The pointer: press on the first row, move past the drag threshold (the
  // list starts the drag), over the pane, release. The start ends on the one
  // move that crosses the threshold: a further move still on its way to Wine
  // when the drag begins would land after the move onto the pane and pull the
  // drag back off it, so the release would drop on nothing.
  RECT row;
  host.m_list.GetItemRect(0, &row, LVIR_LABEL);
  CPoint from((row.left + row.right) / 2, (row.top + row.bottom) / 2);
  host.m_list.ClientToScreen(&from);
  CRect paneRect;
  pane.GetWindowRect(&paneRect);
  const DWORD gui = ::GetCurrentThreadId();
  std::thread driver([&] {
    bool started = false;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
      Xdo("mousemove " + At(from.x, from.y) + " sleep 0.1 mousedown 1 sleep 0.1 mousemove " +
          At(from.x + 12, from.y + 6));
      started = WaitFor([&] { return Get(host.m_dragging) != 0; }, 8000);
      if (!started)
        Xdo("mouseup 1");
    }
    if (started) {
      const LONG before = Get(pane.m_overs);
      for (int attempt = 0; attempt < 3; ++attempt) {
        Xdo("mousemove " + At(paneRect.CenterPoint().x + attempt, paneRect.CenterPoint().y));
        if (WaitFor([&] { return Get(pane.m_overs) > before; }, 3000))
          break;
      }
      for (int attempt = 0; attempt < 3; ++attempt) {
        Xdo("mouseup 1");
        if (WaitFor([&] { return Get(host.m_dragDone) != 0; }, 5000))
          break;
      }
    }
    if (!WaitFor([&] { return Get(host.m_dragDone) != 0; }, 5000)) {
      Xdo("mouseup 1");
      ::PostThreadMessageA(gui, WM_KEYDOWN, VK_ESCAPE, 0);
      ::InterlockedExchange(&host.m_dragDone, 2);
    }
  });
  EXPECT_TRUE(PumpUntil([&] { return Get(host.m_dragDone) != 0; }, 90000));
  driver.join();

  EXPECT_EQ(host.m_effect, (DROPEFFECT)DROPEFFECT_COPY);
  ASSERT_GE(pane.m_messages.size(), 4u);
  const std::vector<UINT> expected = {UWM_DRAG_ENTER, UWM_DRAG_OVER, UWM_DROP_EX, UWM_DROP};
  EXPECT_EQ(std::vector<UINT>(pane.m_messages.end() - 4, pane.m_messages.end()), expected);
  std::sort(pane.m_dropped.begin(), pane.m_dropped.end());
  EXPECT_EQ(pane.m_dropped, (std::vector<std::string>{"alpha.txt", "beta.bin"}));
  EXPECT_EQ(pane.m_shown.GetCount(), 2);
  EXPECT_EQ(LivePayloadArrays(), 0) << "the drag's entries released when it returned";

  top.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpUntil([&] { return !GetUpdateRect(pane.m_shown.m_hWnd, nullptr, FALSE); });
  if (const char* shot = getenv("ZARN_SHOT")) {
    guitest::PumpFor(500);  // for the eye only: Wine flushes window surfaces to X a little later
    const char* display = getenv("DISPLAY");
    menutest::RunUnix(std::string("DISPLAY=") + (display ? display : ":0") + " import -window root " + shot);
  }

  g_pSerTrView = nullptr;
  top.DestroyWindow();
  keepertest::StopKeeper(site);
}

}  // namespace
