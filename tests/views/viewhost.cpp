#include "tests/views/viewhost.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "engine/engineutil.h"
#include "engine/progthread.h"
#include "engine/viewslots.h"
#include "shell/funcview/funcviewres.h"
#include "shell/funcview/queuepanedlg.h"
#include "shell/settings/settings.h"
#include "tests/confirm/boxdriver.h"
#include "tests/support/peers.h"
#include "views/imagelists.h"
#include "views/maskselectdlg.h"
#include "views/panelinks.h"
#include "views/viewsres.h"

namespace viewhost {

IMPLEMENT_DYNCREATE(CHostListView, CView)
IMPLEMENT_DYNCREATE(CHostTreeView, CTreeView)

BEGIN_MESSAGE_MAP(CHostListView, CView)
  ON_WM_CREATE()
  ON_WM_SIZE()
  ON_MESSAGE(UWM_LISTING_READY, OnListingReady)
END_MESSAGE_MAP()

int CHostListView::OnCreate(LPCREATESTRUCT lpcs)
{
  if (CView::OnCreate(lpcs) == -1)
    return -1;
  const DWORD style = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_EDITLABELS | LVS_SHOWSELALWAYS |
                      LVS_SHAREIMAGELISTS;
  if (!m_list.Create(style, CRect(0, 0, 10, 10), this, kServerListId))
    return -1;
  m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  m_list.SetImageList(&g_smallImageList, LVSIL_SMALL);
  m_list.SetImageList(&g_largeImageList, LVSIL_NORMAL);
  m_list.SubclassHeader();
  m_list.SetColumns("Name,170;Date,110;Size,110;Attribute,80");
  if (!m_status.Create("", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_SUNKEN, CRect(0, 0, 10, 10), this))
    return -1;
  m_status.SetFont(m_list.GetFont());
  return 0;
}

constexpr int kStatusHeight = 18;

void CHostListView::OnSize(UINT nType, int cx, int cy)
{
  CView::OnSize(nType, cx, cy);
  const int listHeight = cy > kStatusHeight ? cy - kStatusHeight : 0;
  if (m_list.m_hWnd != nullptr)
    m_list.MoveWindow(0, 0, cx, listHeight);
  if (m_status.m_hWnd != nullptr)
    m_status.MoveWindow(0, listHeight, cx, cy - listHeight);
}

void CHostListView::SetStatusText(const char* text)
{
  m_statusText = text;
  if (m_status.m_hWnd != nullptr)
    m_status.SetWindowText(text);
}

// As a server tree refills its partner list: the entries chained in order.
LRESULT CHostListView::OnListingReady(WPARAM, LPARAM lParam)
{
  const EntryRecord* entries = reinterpret_cast<const EntryRecord*>(lParam);
  int n = 0;
  while (entries != nullptr && entries[n].m_name[0] != '\0')
    ++n;
  CFileListItem* first = nullptr;
  for (int i = n - 1; i >= 0; --i)
    first = NewFileListItem(first, &entries[i]);
  m_list.DeleteAllItems();
  m_list.FillFromChain(first, n);
  ++m_listings;
  return 0;
}

CHostListView::~CHostListView()
{
  if (m_slot >= 0)
    ClearPartnerList(m_slot, this);
}

void CHostListView::Register(int slot)
{
  m_slot = slot;
  SetPartnerList(slot, this);
  const COLORREF colour = g_viewColors[slot == kListOfLocTree ? 1 : 3];
  m_list.SetBkColor(colour);
  m_list.SetTextBkColor(colour);
}

HostViews& HostViews::Set(Place place, CRuntimeClass* cls)
{
  classes[place] = cls;
  return *this;
}

BOOL CViewHost::Make(const HostViews& views)
{
  m_config = views;
  if (!BuildSharedImageLists())
    return FALSE;
  if (m_sinks == nullptr)
    m_sinks = new tasktest::Sinks();
  CCreateContext context;
  if (!Create(nullptr, "views", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(20, 20, 1040, 760), nullptr, nullptr,
              WS_EX_TOPMOST, &context))
    return FALSE;
  // A stand-in first tree: its list takes the listing results in its place.
  if (m_config.classes[kSerTree] == nullptr && ListView() != nullptr)
    g_pSerTrView = ListView();
  for (CWnd* view : m_views) {
    CView* v = DYNAMIC_DOWNCAST(CView, view);
    if (v != nullptr)
      v->OnInitialUpdate();
  }
  ShowWindow(SW_SHOWNORMAL);
  UpdateWindow();
  return TRUE;
}

CViewHost::~CViewHost()
{
  if (g_pSerTrView == ListView())
    g_pSerTrView = nullptr;
  if (m_hWnd != nullptr)
    DestroyWindow();
  // Its sheet freed the list pane with the pages.
  delete m_funcView;
  delete m_sinks;
}

CListPaneDlg* CHostFuncView::MakeListPane()
{
  CHostListPane* pane = new CHostListPane;
  for (int i = 0; i < 3; ++i)
    pane->m_classes[i] = m_classes[i];
  pane->SetCreateContext(m_context);
  if (!pane->Create(IDD_LIST_PANE, &m_tabs)) {
    delete pane;
    return nullptr;
  }
  return pane;
}

bool CViewHost::ShowFilesList()
{
  if (m_funcView == nullptr || m_pane->IsWindowVisible())
    return true;
  RECT r;
  m_funcView->m_tabs.GetItemRect(CFuncViewDlg::kListTab, &r);
  POINT tab = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ::ClientToScreen(m_funcView->m_tabs.GetSafeHwnd(), &tab);
  return wintest::ClickUntil(tab.x, tab.y, [&] { return m_pane->IsWindowVisible() != FALSE; });
}

std::vector<CPlanItem*> CViewHost::QueuedItems() const
{
  std::vector<CPlanItem*> items;
  if (m_funcView != nullptr)
    for (int i = 0; i < m_funcView->GetQueueCount(); ++i)
      items.push_back(m_funcView->GetQueueItem(i));
  return items;
}

CRuntimeClass* CHostListPane::ListClass(Which which) const
{
  return m_classes[which] != nullptr ? m_classes[which] : RUNTIME_CLASS(CHostListView);
}

BOOL CViewHost::AddTree(int row, Place place, CCreateContext* pContext)
{
  CRuntimeClass* cls = m_config.classes[place];
  const int id = m_trees.AddView(row, 0, cls != nullptr ? cls : RUNTIME_CLASS(CHostTreeView), pContext);
  if (id < 0)
    return FALSE;
  m_viewIds[place] = id;
  m_views[place] = m_trees.GetView(id);
  return m_views[place] != nullptr;
}

BOOL CViewHost::MakeListPane(CCreateContext* pContext)
{
  static const struct {
    Place place;
    CListPaneDlg::Which which;
    int slot;
  } kLists[] = {{kSerList, CListPaneDlg::kSerList, kListOfSerTree},
                {kSerList1, CListPaneDlg::kSerList1, kListOfSerTree1},
                {kLocList, CListPaneDlg::kLocList, kListOfLocTree}};
  if (m_config.funcView) {
    // The list tab shown, as the main window starts.
    g_funcViewTab = CFuncViewDlg::kListTab;
    m_funcView = new CHostFuncView;
    for (const auto& l : kLists)
      m_funcView->m_classes[l.which] = m_config.classes[l.place];
    m_funcView->SetCreateContext(pContext);
    if (!m_funcView->Create(IDD_FUNC_VIEW, &m_split))
      return FALSE;
    ::SetWindowLongPtrA(m_funcView->m_hWnd, GWLP_ID, m_split.IdFromRowCol(0, 1));
    m_funcView->ShowWindow(SW_SHOW);
    m_pane = static_cast<CHostListPane*>(m_funcView->ListPane());
    if (m_pane == nullptr)
      return FALSE;
  } else {
    for (const auto& l : kLists)
      m_listPane.m_classes[l.which] = m_config.classes[l.place];
    // Made with the frame's context, as the main window makes it with its own.
    m_listPane.SetCreateContext(pContext);
    if (!m_listPane.Create(IDD_LIST_PANE, &m_split))
      return FALSE;
    ::SetWindowLongPtrA(m_listPane.m_hWnd, GWLP_ID, m_split.IdFromRowCol(0, 1));
    m_listPane.ShowWindow(SW_SHOW);
  }
  for (const auto& l : kLists) {
    m_views[l.place] = m_pane->List(l.which);
    if (m_views[l.place] == nullptr)
      return FALSE;
    if (CHostListView* stand = DYNAMIC_DOWNCAST(CHostListView, m_views[l.place]))
      stand->Register(l.slot);
  }
  return TRUE;
}

BOOL CViewHost::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext)
{
  if (!m_split.CreateStatic(this, 1, 2))
    return FALSE;
  m_split.SetColumnInfo(0, 330, 100);
  if (!m_trees.CreateStatic(&m_split, 2, 1, WS_CHILD | WS_VISIBLE, m_split.IdFromRowCol(0, 0)))
    return FALSE;
  // Row 1 shows the local tree unless the second server pane is asked for.
  if (!AddTree(0, kSerTree, pContext) || !AddTree(1, kSerTree1, pContext) || !AddTree(1, kLocTree, pContext) ||
      !MakeListPane(pContext))
    return FALSE;
  // The trees' first row as high as the lists'.
  int height = 0, minimum = 0;
  m_pane->m_splitter.GetRowInfo(0, height, minimum);
  m_trees.SetRowInfo(0, height, 20);
  if (m_config.dualServer)
    ShowSecondServer(true);
  // The splitters lay out on a size change only: the nested ones came later.
  m_split.RecalcLayout();
  m_trees.RecalcLayout();
  m_pane->m_splitter.RecalcLayout();
  return TRUE;
}

void CViewHost::ShowSecondServer(bool dual)
{
  g_dualServerView = dual ? 1 : 0;
  m_pane->SendMessage(UWM_SWITCH_LIST_PANE, 0, 0);
  m_trees.ShowView(m_viewIds[dual ? kSerTree1 : kLocTree]);
  m_trees.RecalcLayout();
}

CPoint RowCentre(CListCtrl& list, int row)
{
  list.EnsureVisible(row, FALSE);
  RECT r;
  list.GetItemRect(row, &r, LVIR_LABEL);
  CPoint p((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  list.ClientToScreen(&p);
  return p;
}

bool ClickTwoRows(CListCtrl& list, const char* first, const char* second)
{
  const auto rowNamed = [&](const char* name) {
    for (int i = 0; i < list.GetItemCount(); ++i)
      if (list.GetItemText(i, 0) == name)
        return i;
    return -1;
  };
  const auto onlyBoth = [&] {
    int seen = 0;
    for (int i = list.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = list.GetNextItem(i, LVNI_SELECTED)) {
      const CString name = list.GetItemText(i, 0);
      if (name != first && name != second)
        return false;
      ++seen;
    }
    return seen == 2;
  };
  for (int attempt = 0; attempt < 3; ++attempt) {
    const CPoint a = RowCentre(list, rowNamed(first)), b = RowCentre(list, rowNamed(second));
    Xdo(wintest::MoveTo(a.x, a.y) + " click 1 sleep 0.3 mousemove " + std::to_string(b.x) + " " +
        std::to_string(b.y) + " sleep 0.2 keydown ctrl click 1 keyup ctrl");
    if (wintest::PumpUntil(onlyBoth, 3000))
      return true;
  }
  return false;
}

bool MenuCommandAt(CPoint screen, UINT id, const std::function<bool()>& done)
{
  return ChooseFromContextMenuAt(screen, id) && wintest::PumpUntil(done, 15000);
}

bool DragUntil(CPoint from, CPoint to, const std::function<bool()>& done, int attempts)
{
  for (int attempt = 0; attempt < attempts && !done(); ++attempt) {
    std::atomic<bool> moved{false}, finished{false};
    // The drag runs modally on this thread: the pointer moves from another.
    // A release the drag loop never saw would hold that loop for ever, so
    // Escape ends it after a while.
    boxdriver::Driver driver([&] {
      DragWithPointer(from, to);
      moved = true;
      for (int waited = 100; !finished; waited += 100) {
        ::Sleep(100);
        if (waited % 3000 == 0 && !finished)
          Xdo("key Escape");
      }
    });
    wintest::PumpUntil([&] { return moved.load() && done(); }, 10000);
    finished = true;
    driver.Join();
  }
  return done();
}

bool TypeInto(HWND edit, const std::string& text)
{
  auto typed = [&] { return boxdriver::Text(edit) == text; };
  // Keys lost to another program's window (tests run side by side): the
  // edit's window made the foreground one again, the edit emptied, typed again.
  for (int attempt = 0; attempt < 5 && !text.empty() && ::IsWindow(edit) && !typed(); ++attempt) {
    const HWND top = ::GetAncestor(edit, GA_ROOT);
    if (::GetForegroundWindow() != top)
      ::SetForegroundWindow(top);
    if (::GetFocus() != edit)
      ::SetFocus(edit);
    ::SetWindowTextA(edit, "");
    Xdo("type --delay 30 '" + text + "'");
    wintest::PumpUntil(typed, 3000);
  }
  return typed();
}

std::vector<std::string> WithBoxes(const char* caption, int textId, int button, const std::function<void()>& action)
{
  std::atomic<bool> done{false};
  std::vector<std::string> texts;
  boxdriver::Driver driver([&] {
    while (!done) {
      HWND box = boxdriver::WaitForBox(caption, 100);
      if (box == nullptr)
        continue;
      texts.push_back(boxdriver::ItemText(box, textId));
      boxdriver::Click(box, button);
      boxdriver::WaitGone(box, 3000);
    }
  });
  action();
  done = true;
  driver.Join();
  return texts;
}

std::vector<std::string> WithErrorBoxes(const std::function<void()>& action)
{
  return WithBoxes("ZARN ERROR MESSAGE:", 1169, IDOK, action);
}

int ServerLogCount(int server, const std::string& text)
{
  std::ifstream in("Z:" + peers::Env(("ZARN_S2S_LOG_" + std::to_string(server)).c_str()));
  int n = 0;
  for (std::string line; std::getline(in, line);)
    n += line.find(text) != std::string::npos;
  return n;
}

void TellViewColoursApart()
{
  g_viewColors[0] = RGB(255, 250, 220);
  g_viewColors[1] = RGB(220, 255, 220);
  g_viewColors[2] = RGB(220, 230, 255);
  g_viewColors[3] = RGB(255, 225, 240);
}

void Shot(const char* name)
{
  const char* dir = std::getenv("ZARN_BINARY_DIR");
  if (dir == nullptr || *dir == '\0')
    return;
  // No redraw of the desktop here: a paint sent to another program's window
  // waits for as long as that program does not pump its messages. Callers
  // paint their own windows first.
  const std::string shots = std::string(dir) + "/shots";
  wintest::RunHost("mkdir -p " + shots + " && import -window root " + shots + "/" + name + ".png");
}

std::string DriveMaskSelect(CFileListCtrl& list, const std::string& typed, bool ok, bool* promptSeen,
                            const char* shot)
{
  const DWORD guiThread = ::GetCurrentThreadId();
  std::atomic<bool> done{false};
  std::string prompt;
  bool seen = false;
  boxdriver::Driver driver([&] {
    bool typedIn = false;
    while (!done) {
      HWND dlg = boxdriver::WaitForBox("Mask Select", 200);
      if (dlg != nullptr && !typedIn) {
        typedIn = true;
        seen = boxdriver::ItemText(dlg, 1068) == "Enter select mask:";
        HWND edit = ::GetDlgItem(dlg, 1152);
        const POINT p = wintest::ScreenCentre(edit);
        // Keys lost to another window's X focus: empty the edit and type again.
        for (int attempt = 0; attempt < 3 && boxdriver::ItemText(dlg, 1152) != typed; ++attempt) {
          boxdriver::SetItemText(dlg, 1152, "");
          wintest::ClickUntil(p.x, p.y, [&] {
            GUITHREADINFO info = {};
            info.cbSize = sizeof(info);
            return ::GetGUIThreadInfo(guiThread, &info) && info.hwndFocus == edit;
          });
          Xdo("type --delay 50 '" + typed + "'");
          wintest::PumpUntil([&] { return boxdriver::ItemText(dlg, 1152) == typed; }, 3000);
        }
        if (shot != nullptr)
          Shot(shot);
      }
      // Pressed again should a press be lost.
      if (dlg != nullptr) {
        boxdriver::Click(dlg, ok ? IDOK : IDCANCEL);
        boxdriver::WaitGone(dlg, 2000);
      }
      HWND box = boxdriver::WaitForBox("Prompt", 200);
      if (box != nullptr) {
        prompt = boxdriver::ItemText(box, 0xFFFF);
        boxdriver::Click(box, IDOK);
        boxdriver::WaitGone(box, 2000);
      }
    }
  });
  RunMaskSelect(list);
  done = true;
  driver.Join();
  if (promptSeen != nullptr)
    *promptSeen = seen;
  return prompt;
}

bool TypeLabel(CTreeCtrl& tree, const std::string& text)
{
  if (!wintest::PumpUntil([&] { return tree.GetEditControl() != nullptr; }, 5000))
    return false;
  if (!TypeInto(tree.GetEditControl()->m_hWnd, text))
    return false;
  tree.SendMessage(TVM_ENDEDITLABELNOW, FALSE, 0);
  return wintest::PumpUntil([&] { return tree.GetEditControl() == nullptr; }, 5000);
}

CPoint NodeCentre(CTreeCtrl& tree, HTREEITEM node)
{
  tree.EnsureVisible(node);
  CRect r;
  tree.GetItemRect(node, &r, TRUE);
  tree.ClientToScreen(&r);
  return r.CenterPoint();
}

void DragWithPointer(CPoint from, CPoint to)
{
  Xdo(wintest::MoveTo(from.x, from.y) + " mousedown 1 sleep 0.3 mousemove " + std::to_string(from.x + 8) + " " +
      std::to_string(from.y + 8) + " sleep 0.3 mousemove " + std::to_string(to.x) + " " + std::to_string(to.y) +
      " sleep 0.5 mousemove " + std::to_string(to.x + 1) + " " + std::to_string(to.y) + " sleep 0.5 mouseup 1");
}

bool ChooseFromContextMenu(CTreeCtrl& tree, HTREEITEM node, UINT id, const char* shot)
{
  tree.EnsureVisible(node);
  RECT r;
  if (!tree.GetItemRect(node, &r, TRUE))
    return false;
  return ChooseFromContextMenuAt(NodeCentre(tree, node), id, shot);
}

bool ChooseFromContextMenuAt(CPoint p, UINT id, const char* shot)
{
  std::atomic<bool> clicked{false}, done{false};
  boxdriver::Driver driver([&] {
    // A right click lost to a loaded X server is made again.
    for (int attempt = 0; attempt < 3 && !clicked; ++attempt) {
      Xdo(wintest::MoveTo(p.x, p.y) + " click 3");
      HWND popup = nullptr;
      // Only a menu that is up counts (a closed one may linger hidden).
      for (int i = 0; i < 60 && popup == nullptr; ++i, ::Sleep(50)) {
        HWND shown = ::FindWindowA("#32768", nullptr);
        popup = shown != nullptr && ::IsWindowVisible(shown) ? shown : nullptr;
      }
      HMENU menu = popup != nullptr ? (HMENU)::SendMessageA(popup, MN_GETHMENU, 0, 0) : nullptr;
      for (int i = 0; menu != nullptr && i < ::GetMenuItemCount(menu) && !clicked; ++i) {
        if (::GetMenuItemID(menu, i) != id)
          continue;
        RECT item;
        ::GetMenuItemRect(nullptr, menu, i, &item);
        Xdo(wintest::MoveTo((item.left + item.right) / 2, (item.top + item.bottom) / 2));
        if (shot != nullptr)
          Shot(shot);
        Xdo("click 1");
        clicked = true;
      }
      // The popup closes with the click; one still up (no such item, or a
      // click lost) is closed, so that the tracking ends.
      if (!clicked && popup != nullptr)
        Xdo("key Escape");
      for (int i = 0; i < 40 && popup != nullptr && ::IsWindow(popup) && ::IsWindowVisible(popup); ++i)
        ::Sleep(50);
      if (popup != nullptr && ::IsWindow(popup) && ::IsWindowVisible(popup))
        Xdo("key Escape");
    }
    done = true;
  });
  wintest::PumpUntil([&] { return done.load(); }, 30000);
  driver.Join();
  return clicked;
}

}  // namespace viewhost
