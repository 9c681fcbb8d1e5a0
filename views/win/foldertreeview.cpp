// The folder trees' shared window: title band, layout, focus strip, colours,
// View/Back/Refresh and the drag over the tree.
#include "views/foldertreeview.h"

#include "engine/progthread.h"
#include "engine/viewslots.h"
#include "shell/settings/settings.h"
#include "toolkit/clipboard.h"
#include "views/imagelists.h"
#include "views/panelinks.h"
#include "views/viewcmds.h"

IMPLEMENT_DYNAMIC(CFolderTreeView, CMenuView)

BEGIN_MESSAGE_MAP(CFolderTreeView, CMenuView)
  ON_WM_SIZE()
  ON_BN_CLICKED(kDualViewButtonId, OnDualViewButton)
  // Both trees' ids: the local tree's and the server trees'.
  ON_NOTIFY_RANGE(NM_SETFOCUS, kLocTreeId, kSerTreeCtrlId, OnTreeSetFocus)
  ON_NOTIFY_RANGE(NM_KILLFOCUS, kLocTreeId, kSerTreeCtrlId, OnTreeKillFocus)
  ON_COMMAND(viewcmd::kView, OnViewNode)
  ON_COMMAND(viewcmd::kBack, OnBack)
  ON_COMMAND(viewcmd::kRefresh, OnRefresh)
  ON_UPDATE_COMMAND_UI(viewcmd::kView, OnUpdateAlways)
  ON_UPDATE_COMMAND_UI(viewcmd::kBack, OnUpdateAlways)
  ON_UPDATE_COMMAND_UI(viewcmd::kRefresh, OnUpdateAlways)
END_MESSAGE_MAP()

CFolderTreeView::CFolderTreeView(const FolderTreeSpec& spec) : m_spec(spec) {}

CFolderTreeView::~CFolderTreeView() = default;

bool CFolderTreeView::CreateBandAndTree(bool dualButton, HICON icon)
{
  if (!m_caption.Create("", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), this, 0xFFFF))
    return false;
  if (dualButton) {
    if (!m_dualViewButton.Create("", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_ICON, CRect(0, 6, 16, 21), this,
                                 kDualViewButtonId)) {
      if (icon != nullptr)
        ::DestroyIcon(icon);
      return false;
    }
    m_dualViewIcon = icon;
    if (icon != nullptr)
      m_dualViewButton.SetButtonIcon(icon);
  } else if (icon != nullptr) {
    ::DestroyIcon(icon);
  }
  const DWORD style = WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS |
                      TVS_SHOWSELALWAYS;
  return m_tree.Create(style, CRect(0, kTreeTop, 10, kTreeTop + 10), this, m_spec.treeId) != FALSE;
}

void CFolderTreeView::OnDestroy()
{
  CView::OnDestroy();
  if (m_dualViewIcon != nullptr)
    ::DestroyIcon(m_dualViewIcon);
  m_dualViewIcon = nullptr;
}

void CFolderTreeView::OnSize(UINT nType, int cx, int cy)
{
  CView::OnSize(nType, cx, cy);
  if (m_caption.m_hWnd != nullptr)
    m_caption.MoveWindow(0, 0, cx, kTreeBandTop);
  if (m_dualViewButton.m_hWnd != nullptr)
    m_dualViewButton.MoveWindow(cx - 18, 6, 16, 15);
  if (m_tree.m_hWnd != nullptr)
    m_tree.MoveWindow(0, kTreeTop, cx, cy - kTreeTop > 0 ? cy - kTreeTop : 0);
}

void CFolderTreeView::OnDraw(CDC* pDC)
{
  CRect client;
  GetClientRect(&client);
  CRect band(client.left, client.top + kTreeBandTop, client.right, client.top + kTreeTop);
  pDC->FillSolidRect(&band, ::GetSysColor(COLOR_BTNFACE));
  pDC->Draw3dRect(&band, ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNSHADOW));
  CFont* font = m_tree.m_hWnd != nullptr ? m_tree.GetFont() : nullptr;
  HGDIOBJ old = font != nullptr ? pDC->SelectObject(font->m_hObject) : nullptr;
  pDC->SetBkMode(TRANSPARENT);
  pDC->DrawText(m_spec.title, -1, &band, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
  if (old != nullptr)
    pDC->SelectObject(old);
}

void CFolderTreeView::OnDualViewButton()
{
  if (CWnd* frame = g_pMainFrame.load())
    frame->SendMessage(WM_COMMAND, viewcmd::kDualServerView, 0);
}

void CFolderTreeView::OnTreeSetFocus(UINT id, NMHDR*, LRESULT* pResult)
{
  *pResult = 0;
  if (id == m_spec.treeId)
    m_caption.SetColor(kCaptionFocusColor);
}

void CFolderTreeView::OnTreeKillFocus(UINT id, NMHDR*, LRESULT* pResult)
{
  *pResult = 0;
  if (id == m_spec.treeId)
    m_caption.SetColor(::GetSysColor(COLOR_BTNFACE));
}

void CFolderTreeView::OnUpdateAlways(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }

void CFolderTreeView::ColorTree()
{
  m_tree.SetTextColor(RGB(0, 0, 0));
  m_tree.SetBkColor(g_viewColors[m_spec.colorIndex]);
  m_tree.SetImageList(&g_smallImageList, TVSIL_NORMAL);
}

void CFolderTreeView::ApplyViewColor()
{
  if (m_tree.m_hWnd == nullptr)
    return;
  m_tree.SetBkColor(g_viewColors[m_spec.colorIndex]);
  m_tree.Invalidate();
}

bool CFolderTreeView::IsBelow(HTREEITEM node, HTREEITEM ancestor) const
{
  for (HTREEITEM p = node != nullptr ? m_tree.GetParentItem(node) : nullptr; p != nullptr; p = m_tree.GetParentItem(p))
    if (p == ancestor)
      return true;
  return false;
}

// ---- View, Back, Refresh ----

void CFolderTreeView::OnViewNode()
{
  HTREEITEM node = CommandNode();
  if (node != nullptr && node != m_tree.GetRootItem())
    m_tree.SelectItem(node);
}

void CFolderTreeView::OnBack()
{
  HTREEITEM node = CommandNode();
  if (node != nullptr && node != m_tree.GetRootItem())
    m_tree.SelectItem(m_tree.GetParentItem(node));
}

void CFolderTreeView::OnRefresh()
{
  HTREEITEM node = CommandNode();
  if (node == nullptr || node == m_tree.GetRootItem())
    return;
  BeforeRefresh(node);
  ReselectNode(&m_tree, node);
}

// ---- a drag over the tree ----

BOOL CFolderTreeView::CanDropOn(HTREEITEM node, int flag)
{
  // The root is no folder: a drop there would reach no place or the wrong server.
  if (node == nullptr || node == m_tree.GetRootItem())
    return FALSE;
  if (m_dragNode == nullptr)
    return TRUE;
  if (flag != 0)
    return node != m_tree.GetSelectedItem() && node != m_dragNode;
  return node != m_dragNode && node != m_tree.GetParentItem(m_dragNode) && !IsBelow(node, m_dragNode);
}

DROPEFFECT CFolderTreeView::OnDragEnter(COleDataObject* pDataObject, DWORD, CPoint)
{
  return g_clipFormat != 0 && pDataObject->IsDataAvailable((CLIPFORMAT)g_clipFormat) ? DROPEFFECT_COPY
                                                                                      : DROPEFFECT_NONE;
}

DROPEFFECT CFolderTreeView::OnDragOver(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point)
{
  m_dropNode = nullptr;
  if (g_clipFormat == 0 || !pDataObject->IsDataAvailable((CLIPFORMAT)g_clipFormat))
    return DROPEFFECT_NONE;
  // Into the tree's own coordinates (the tree sits below the title band).
  CPoint at = point;
  ClientToScreen(&at);
  m_tree.ScreenToClient(&at);
  // While the button is held, the band above and the edge below scroll a line.
  if ((dwKeyState & MK_LBUTTON) != 0 || (::GetKeyState(VK_LBUTTON) & 0x8000) != 0) {
    CRect client;
    m_tree.GetClientRect(&client);
    if (at.y < 0)
      m_tree.SendMessage(WM_VSCROLL, SB_LINEUP, 0);
    else if (at.y > client.bottom)
      m_tree.SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
  }
  HTREEITEM node = m_tree.HitTest(at);
  m_tree.SelectDropTarget(node);
  if (node != nullptr && CanDropOn(node, 0)) {
    m_dropNode = node;
    return DROPEFFECT_COPY;
  }
  return DROPEFFECT_NONE;
}

void CFolderTreeView::OnDragLeave()
{
  m_dropNode = nullptr;
  m_tree.SelectDropTarget(nullptr);
}
