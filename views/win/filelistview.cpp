// CFileListView: the window of a file list, its strips and layout, the focus
// colours, the drag helpers and the new-folder placeholder row.
#include "views/filelistview.h"

#include "shell/doc/zarndoc.h"
#include "shell/settings/settings.h"
#include "toolkit/clipboard.h"
#include "views/imagelists.h"

IMPLEMENT_DYNAMIC(CFileListView, CMenuView)

BEGIN_MESSAGE_MAP(CFileListView, CMenuView)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_WM_SIZE()
  ON_WM_SETCURSOR()
  ON_NOTIFY_RANGE(NM_SETFOCUS, kSerListId, kSerListId1, OnListSetFocus)
  ON_NOTIFY_RANGE(NM_KILLFOCUS, kSerListId, kSerListId1, OnListKillFocus)
END_MESSAGE_MAP()

CFileListView::CFileListView(const FileListSpec& spec) : m_spec(spec) {}

CFileListView::~CFileListView()
{
  ClearPartnerList(m_spec.partnerSlot, this);
}

int CFileListView::OnCreate(LPCREATESTRUCT lpcs)
{
  if (CView::OnCreate(lpcs) == -1)
    return -1;
  if (!m_focusStrip.Create("", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, 0xFFFF))
    return -1;
  const DWORD style = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_EDITLABELS | LVS_SHOWSELALWAYS |
                      LVS_SHAREIMAGELISTS;
  m_list.m_isLocal = m_spec.isLocal;
  if (!m_list.Create(style, CRect(0, kListStripHeight, 10, 10), this, m_spec.listId))
    return -1;
  if (!m_status.Create("", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_CENTERIMAGE, CRect(0, 0, 0, 0), this,
                       0xFFFF))
    return -1;
  m_status.SetFont(m_list.GetFont());
  m_list.SubclassHeader();
  m_list.SetColumns(m_spec.columns);
  m_list.LoadLayout();
  m_list.SetImageList(&g_smallImageList, LVSIL_SMALL);
  m_list.SetImageList(&g_largeImageList, LVSIL_NORMAL);
  const COLORREF back = g_viewColors[m_spec.colorIndex];
  m_list.SetBkColor(back);
  m_list.SendMessage(LVM_SETTEXTBKCOLOR, 0, (LPARAM)back);
  m_list.SendMessage(LVM_SETTEXTCOLOR, 0, (LPARAM)RGB(0, 0, 0));
  m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
  SetPartnerList(m_spec.partnerSlot, this);
  // Without OLE (a test that never starts it) the list still works, without drops.
  m_dropTarget.Register(this);
  return 0;
}

void CFileListView::ApplyViewColor()
{
  if (m_list.m_hWnd == nullptr)
    return;
  const COLORREF back = g_viewColors[m_spec.colorIndex];
  m_list.SetBkColor(back);
  m_list.SendMessage(LVM_SETTEXTBKCOLOR, 0, (LPARAM)back);
  m_list.Invalidate();
}

void CFileListView::OnDestroy()
{
  ClearPartnerList(m_spec.partnerSlot, this);
  m_contextMenu.DestroyMenu();
  CView::OnDestroy();
}

void CFileListView::OnSize(UINT nType, int cx, int cy)
{
  CView::OnSize(nType, cx, cy);
  if (m_focusStrip.m_hWnd != nullptr)
    m_focusStrip.MoveWindow(0, 0, cx, kListStripHeight);
  const int listHeight = cy - kListStripHeight - kListStatusHeight;
  if (m_list.m_hWnd != nullptr)
    m_list.MoveWindow(0, kListStripHeight, cx, listHeight > 0 ? listHeight : 0);
  if (m_status.m_hWnd != nullptr)
    m_status.MoveWindow(0, cy - kListStatusHeight > 0 ? cy - kListStatusHeight : 0, cx, kListStatusHeight);
}

BOOL CFileListView::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
  // A label edit keeps its own cursor.
  const bool ours = pWnd == this || pWnd == &m_list;
  if (m_busyCursor == nullptr || !ours || nHitTest != HTCLIENT)
    return CView::OnSetCursor(pWnd, nHitTest, message);
  const bool busy = g_pDoc != nullptr && g_pDoc->GetTaskThreadCount() > 0;
  ::SetCursor(busy ? m_busyCursor : ::LoadCursor(nullptr, IDC_ARROW));
  return TRUE;
}

void CFileListView::OnListSetFocus(UINT id, NMHDR*, LRESULT* pResult)
{
  *pResult = 0;
  if (id == m_spec.listId)
    m_focusStrip.SetColor(kCaptionFocusColor);
}

void CFileListView::OnListKillFocus(UINT id, NMHDR*, LRESULT* pResult)
{
  *pResult = 0;
  if (id == m_spec.listId)
    m_focusStrip.SetColor(::GetSysColor(COLOR_BTNFACE));
}

void CFileListView::SetStatusText(const char* text)
{
  m_statusText = text != nullptr ? text : "";
  if (m_status.m_hWnd != nullptr)
    m_status.SetWindowText(m_statusText);
}

CString CFileListView::StatusText() const { return m_statusText; }

std::vector<int> CFileListView::SelectedRows() const
{
  std::vector<int> rows;
  if (m_list.m_hWnd == nullptr)
    return rows;
  for (int i = m_list.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = m_list.GetNextItem(i, LVNI_SELECTED))
    rows.push_back(i);
  return rows;
}

int CFileListView::RowAt(CPoint viewPoint) const
{
  if (m_list.m_hWnd == nullptr)
    return -1;
  CPoint at = viewPoint;
  ClientToScreen(&at);
  m_list.ScreenToClient(&at);
  UINT flags = 0;
  const int row = m_list.HitTest(at, &flags);
  return row >= 0 && row < m_list.GetItemCount() ? row : -1;
}

int CFileListView::BeginNewFolderRow(const char* dateText)
{
  EndNewFolderRow();
  const int row = m_list.InsertItem(0, "", kRowFolder);
  if (row < 0)
    return -1;
  m_list.SetItemText(row, 1, dateText);
  m_list.SetItemText(row, 2, "<DIR>");
  m_list.HoldRow(row);
  m_newFolderEdit = TRUE;
  m_list.SetItemState(-1, 0, LVIS_SELECTED);
  m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  m_list.EnsureVisible(row, FALSE);
  m_list.SetFocus();
  if (m_list.EditLabel(row) == nullptr) {
    const int index = EndNewFolderRow();
    m_list.DeleteItem(index);
    return -1;
  }
  return row;
}

int CFileListView::EndNewFolderRow()
{
  const int index = m_list.HeldRowIndex();
  m_list.ReleaseHeldRow();
  m_newFolderEdit = FALSE;
  return index;
}

void CFileListView::ScrollAtDragEdges(CPoint viewPoint, DWORD keyState)
{
  if ((keyState & MK_LBUTTON) == 0 || m_list.m_hWnd == nullptr)
    return;
  CRect frame;
  m_list.GetWindowRect(&frame);
  ScreenToClient(&frame);
  const int below = viewPoint.y - frame.top;
  if (below < kDragScrollTopBand)
    m_list.SendMessage(WM_VSCROLL, SB_LINEUP, 0);
  else if (below > frame.Height() - kDragScrollBottomBand)
    m_list.SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
}

void CFileListView::SetDropRow(int row)
{
  if (m_dropRow >= 0 && m_dropRow != row)
    m_list.SetItemState(m_dropRow, 0, LVIS_DROPHILITED);
  m_dropRow = row;
  if (row >= 0)
    m_list.SetItemState(row, LVIS_DROPHILITED, LVIS_DROPHILITED);
}

DROPEFFECT CFileListView::OnDragEnter(COleDataObject* pDataObject, DWORD, CPoint)
{
  SetDropRow(-1);
  return g_clipFormat != 0 && pDataObject->IsDataAvailable((CLIPFORMAT)g_clipFormat) ? DROPEFFECT_COPY
                                                                                      : DROPEFFECT_NONE;
}
