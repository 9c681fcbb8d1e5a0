// CListPaneDlg: the "Files List" page of the function view's tabs. It holds
// the main window's file lists in one splitter of two rows: the first server
// list on top and, below, the local list or, in the dual server view, the
// second server list. The list not shown keeps its rows.
#pragma once

#include "framework/docview.h"
#include "toolkit/panesplitter.h"
#include "toolkit/tabpagedialog.h"

// Sent by the main window when the user switches the dual server view (no
// parameters): row 1 shows the list g_dualServerView names. Result 0.
constexpr UINT UWM_SWITCH_LIST_PANE = 0x7FC;  // WM_USER+1020

class CListPaneDlg : public CTabPageDialog {
  DECLARE_DYNAMIC(CListPaneDlg)
public:
  // The three lists, as ListClass names them.
  enum Which : int { kSerList = 0, kSerList1 = 1, kLocList = 2 };

  explicit CListPaneDlg(CWnd* pParent = nullptr);
  // The context the lists are made with (the main window's); set before the
  // page is created. Null: the splitter's default.
  void SetCreateContext(CCreateContext* context) { m_context = context; }
  // A list (null while it is not made).
  CWnd* List(Which which) const;

  BOOL OnInitDialog() override;

  // ---- members, in this order ----
  CPaneSplitterWnd m_splitter;
  int m_serLiViewId = -1;
  int m_serLiView1Id = -1;
  int m_locLiViewId = -1;

protected:
  // The classes of the three lists: CSerLiView, CSerLiView1 and CLocLiView
  // (a host of the tests puts stand-ins in their places).
  virtual CRuntimeClass* ListClass(Which which) const;
  // Row 1 shows the second server list when g_dualServerView is set, else the
  // local list.
  void ShowRowOne();

  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg LRESULT OnSwitchListPane(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

  CCreateContext* m_context = nullptr;
};
