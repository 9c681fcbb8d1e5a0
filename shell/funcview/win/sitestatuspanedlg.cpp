#include "shell/funcview/sitestatuspanedlg.h"

#include "shell/doc/zarndoc.h"
#include "shell/funcview/logpagesres.h"

namespace {
constexpr int kSplitWidth = 4;
}

IMPLEMENT_DYNAMIC(CSiteStatusPaneDlg, CTabPageDialog)

BEGIN_MESSAGE_MAP(CSiteStatusPaneDlg, CTabPageDialog)
  ON_WM_SIZE()
  ON_MESSAGE(UWM_SITES_STATUS_REBUILD, OnRebuild)
  ON_MESSAGE(UWM_SITES_STATUS_REFRESH, OnRefresh)
  ON_NOTIFY(UWM_SPLITTERBAR_MOVED, IDC_STATUS_VSPLIT, OnVSplitMoved)
  ON_NOTIFY(UWM_SPLITTERBAR_MOVED, IDC_STATUS_HSPLIT, OnHSplitMoved)
END_MESSAGE_MAP()

CSiteStatusPaneDlg::CSiteStatusPaneDlg(CWnd* pParent) : CTabPageDialog(IDD_SITE_STATUS_PANE, pParent) {}

BOOL CSiteStatusPaneDlg::OnInitDialog()
{
  CTabPageDialog::OnInitDialog();
  if (!m_tree.SubclassDlgItem(IDC_STATUS_TREE, this) || !m_list.SubclassDlgItem(IDC_STATUS_LIST, this) ||
      !m_text.SubclassDlgItem(IDC_STATUS_TEXT, this))
    return FALSE;
  m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  m_list.InsertColumn(0, "Item Name", LVCFMT_LEFT, 150);
  m_list.InsertColumn(1, "Data", LVCFMT_CENTER, 150);
  // The whole log may go into the box: no limit of the edit's own.
  m_text.SetLimitText(0);
  m_tree.SetTargets(&m_list, &m_text);
  m_vSplit.Create(WS_CHILD | WS_VISIBLE, CRect(100, 0, 104, 100), this, IDC_STATUS_VSPLIT);
  m_hSplit.Create(WS_CHILD | WS_VISIBLE, CRect(110, 60, 210, 64), this, IDC_STATUS_HSPLIT);
  CRect rc;
  GetClientRect(&rc);
  Layout(rc.Width(), rc.Height());
  return TRUE;
}

void CSiteStatusPaneDlg::Layout(int cx, int cy)
{
  if (m_tree.m_hWnd == nullptr || m_vSplit.m_hWnd == nullptr || m_hSplit.m_hWnd == nullptr)
    return;
  const int treeWidth = (int)(cx * 0.4);
  const int right = treeWidth + 10;
  const int rightWidth = cx > right ? cx - right : 0;
  const int listHeight = (int)(cy * 0.6);
  const int textTop = listHeight + 3 + 7;
  m_tree.MoveWindow(0, 0, treeWidth, cy);
  m_vSplit.MoveWindow(treeWidth + 3, 0, kSplitWidth, cy);
  m_list.MoveWindow(right, 0, rightWidth, listHeight);
  m_hSplit.MoveWindow(right, listHeight + 3, rightWidth, kSplitWidth);
  m_text.MoveWindow(right, textTop, rightWidth, cy > textTop ? cy - textTop : 0);
  m_vSplit.SetRange(20, cx - 20);
  m_hSplit.SetRange(40, cy - 20);
}

void CSiteStatusPaneDlg::OnSize(UINT nType, int cx, int cy)
{
  CTabPageDialog::OnSize(nType, cx, cy);
  Layout(cx, cy);
}

LRESULT CSiteStatusPaneDlg::OnRebuild(WPARAM, LPARAM)
{
  m_tree.Rebuild();
  return 0;
}

LRESULT CSiteStatusPaneDlg::OnRefresh(WPARAM, LPARAM)
{
  m_tree.Resume();
  return 0;
}

void CSiteStatusPaneDlg::OnVSplitMoved(NMHDR* pNMHDR, LRESULT* pResult)
{
  *pResult = 0;
  const int delta = reinterpret_cast<SplitterBarNotify*>(pNMHDR)->delta;
  CSplitterBar::ChangeWidth(&m_tree, delta, 1);
  CSplitterBar::ChangeWidth(&m_list, delta, 2);
  CSplitterBar::ChangeWidth(&m_text, delta, 2);
  CSplitterBar::ChangeWidth(&m_hSplit, delta, 2);
  Invalidate();
}

void CSiteStatusPaneDlg::OnHSplitMoved(NMHDR* pNMHDR, LRESULT* pResult)
{
  *pResult = 0;
  const int delta = reinterpret_cast<SplitterBarNotify*>(pNMHDR)->delta;
  CSplitterBar::ChangeHeight(&m_list, delta, 3);
  CSplitterBar::ChangeHeight(&m_text, delta, 4);
  Invalidate();
}

void CSiteStatusPaneDlg::PostNcDestroy()
{
  CTabPageDialog::PostNcDestroy();
  if (m_autoDelete)
    delete this;
}

BOOL CSiteStatusPaneDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
  if (CDialog::OnNotify(wParam, lParam, pResult))
    return TRUE;
  return CTabPageDialog::OnNotify(wParam, lParam, pResult);
}

CTabPageDialog* MakeSiteStatusPane(CWnd* parent)
{
  CSiteStatusPaneDlg* page = new CSiteStatusPaneDlg(parent);
  if (!page->Create(IDD_SITE_STATUS_PANE, parent)) {
    delete page;
    return nullptr;
  }
  page->m_autoDelete = true;
  return page;
}
