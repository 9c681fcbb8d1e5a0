#include "tests/views/viewhost.h"

#include <atomic>
#include <cstdlib>
#include <vector>

#include "engine/engineutil.h"
#include "engine/progthread.h"
#include "engine/viewslots.h"
#include "tests/confirm/boxdriver.h"
#include "views/imagelists.h"
#include "views/maskselectdlg.h"

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
  return 0;
}

void CHostListView::OnSize(UINT nType, int cx, int cy)
{
  CView::OnSize(nType, cx, cy);
  if (m_list.m_hWnd != nullptr)
    m_list.MoveWindow(0, 0, cx, cy);
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

BOOL CViewHost::Make()
{
  if (!BuildSharedImageLists())
    return FALSE;
  CCreateContext context;
  if (!Create(nullptr, "views", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(20, 20, 820, 620), nullptr, nullptr,
              WS_EX_TOPMOST, &context))
    return FALSE;
  g_pSerTrView = m_listView;
  ShowWindow(SW_SHOWNORMAL);
  UpdateWindow();
  return TRUE;
}

CViewHost::~CViewHost()
{
  if (g_pSerTrView == m_listView)
    g_pSerTrView = nullptr;
  if (m_hWnd != nullptr)
    DestroyWindow();
}

BOOL CViewHost::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext)
{
  if (!m_split.CreateStatic(this, 1, 2))
    return FALSE;
  if (!m_split.CreateView(0, 0, RUNTIME_CLASS(CHostTreeView), CSize(160, 100), pContext) ||
      !m_split.CreateView(0, 1, RUNTIME_CLASS(CHostListView), CSize(600, 100), pContext))
    return FALSE;
  m_listView = DYNAMIC_DOWNCAST(CHostListView, m_split.GetPane(0, 1));
  return m_listView != nullptr;
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

}  // namespace viewhost
