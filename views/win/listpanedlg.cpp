#include "views/listpanedlg.h"

#include "shell/settings/settings.h"
#include "views/listpanerules.h"
#include "views/loclistview.h"
#include "views/serlistview.h"
#include "views/viewsres.h"

IMPLEMENT_DYNAMIC(CListPaneDlg, CTabPageDialog)

BEGIN_MESSAGE_MAP(CListPaneDlg, CTabPageDialog)
  ON_WM_SIZE()
  ON_MESSAGE(UWM_SWITCH_LIST_PANE, OnSwitchListPane)
END_MESSAGE_MAP()

CListPaneDlg::CListPaneDlg(CWnd* pParent) : CTabPageDialog(IDD_LIST_PANE, pParent) {}

CRuntimeClass* CListPaneDlg::ListClass(Which which) const
{
  switch (which) {
    case kSerList: return RUNTIME_CLASS(CSerLiView);
    case kSerList1: return RUNTIME_CLASS(CSerLiView1);
    case kLocList: return RUNTIME_CLASS(CLocLiView);
  }
  return nullptr;
}

CWnd* CListPaneDlg::List(Which which) const
{
  const int id = which == kSerList ? m_serLiViewId : which == kSerList1 ? m_serLiView1Id : m_locLiViewId;
  return m_splitter.m_hWnd != nullptr && id > 0 ? m_splitter.GetView(id) : nullptr;
}

BOOL CListPaneDlg::OnInitDialog()
{
  if (!m_splitter.CreateStatic(this, 2, 1, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST))
    return FALSE;
  CTabPageDialog::OnInitDialog();
  m_serLiViewId = m_splitter.AddView(0, 0, ListClass(kSerList), m_context);
  m_serLiView1Id = m_splitter.AddView(1, 0, ListClass(kSerList1), m_context);
  m_locLiViewId = m_splitter.AddView(1, 0, ListClass(kLocList), m_context);
  CRect client;
  GetClientRect(&client);
  const bool keepLayout = IsOptionSet(OPTBIT_SAVE_LAYOUT);
  m_splitter.SetRowInfo(0, ListPaneFirstRowHeight(keepLayout, g_savedListSplit, client.Height()), 0);
  // The dual server view is kept from the last run only with the layout.
  if (!keepLayout)
    g_dualServerView = 0;
  ShowRowOne();
  m_splitter.MoveWindow(&client);
  return TRUE;
}

void CListPaneDlg::ShowRowOne()
{
  if (m_splitter.m_hWnd == nullptr)
    return;
  m_splitter.ShowView(g_dualServerView != 0 ? m_serLiView1Id : m_locLiViewId);
}

void CListPaneDlg::OnSize(UINT nType, int cx, int cy)
{
  CTabPageDialog::OnSize(nType, cx, cy);
  if (m_splitter.m_hWnd != nullptr)
    m_splitter.MoveWindow(0, 0, cx, cy);
}

LRESULT CListPaneDlg::OnSwitchListPane(WPARAM, LPARAM)
{
  ShowRowOne();
  return 0;
}
