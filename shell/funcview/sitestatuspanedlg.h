// The "Sites Status" page of the function view: the server status tree beside
// its detail list and text box, with a splitter bar between each.
#pragma once

#include "engine/viewslots.h"
#include "framework/afxwin.h"
#include "framework/commctrls.h"
#include "framework/controls.h"
#include "shell/funcview/serverstatustree.h"
#include "toolkit/splitterbar.h"
#include "toolkit/tabpagedialog.h"


class CSiteStatusPaneDlg : public CTabPageDialog {
  DECLARE_DYNAMIC(CSiteStatusPaneDlg)
public:
  explicit CSiteStatusPaneDlg(CWnd* pParent = nullptr);

  CServerStatusTree m_tree;
  CListCtrl m_list;
  CEdit m_text;
  CSplitterBar m_vSplit;
  CSplitterBar m_hSplit;

  bool m_autoDelete = false;  // made with new by the page maker

protected:
  BOOL OnInitDialog() override;
  void PostNcDestroy() override;
  // The page's own notices (splitters, reflected list notices) first; the
  // rest go on to the parent as for every page.
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  void Layout(int cx, int cy);

  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg LRESULT OnRebuild(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnRefresh(WPARAM wParam, LPARAM lParam);
  afx_msg void OnVSplitMoved(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnHSplitMoved(NMHDR* pNMHDR, LRESULT* pResult);
  DECLARE_MESSAGE_MAP()
};
