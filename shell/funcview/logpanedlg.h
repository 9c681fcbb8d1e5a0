// The "Information" page of the function view: the connection log above the
// network traffic page, a splitter bar between them.
#pragma once

#include <cstdint>

#include "framework/afxwin.h"
#include "framework/commctrls.h"
#include "shell/funcview/connlogtext.h"
#include "toolkit/splitterbar.h"
#include "toolkit/tabpagedialog.h"

// Lines ever written (ConnLogWritten) when the log list last took the ring's
// rows. GUI thread only.
extern uint64_t g_connLogShown;

// Makes the page below the log (the traffic page) as a child of parent; null
// when it cannot. The page is destroyed with the pane's window; a page made
// with new deletes itself (PostNcDestroy). Unset: the area stays empty.
using LogPaneLowerPageMaker = CWnd* (*)(CWnd* parent);
void SetLogPaneLowerPageMaker(LogPaneLowerPageMaker maker);

// The connection log's rows: owner data straight from the ring, white on
// black. Left clicks select nothing; the right button asks the pane for its
// menu.
class CConnInfoList : public CListCtrl {
  DECLARE_DYNAMIC(CConnInfoList)
public:
  // Sets the colours and the one column.
  void Setup();

protected:
  afx_msg void OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
  afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
  DECLARE_MESSAGE_MAP()
};

class CLogPaneDlg : public CTabPageDialog {
  DECLARE_DYNAMIC(CLogPaneDlg)
public:
  explicit CLogPaneDlg(CWnd* pParent = nullptr);

  // Takes the ring's rows into the list when lines were written since the
  // last time (the timer's work).
  void TakeNewLines();
  // The context menu at a screen point; opens nothing while the list is empty.
  // Returns the command chosen (already carried out), 0 for none.
  UINT ShowConnInfoMenu(CPoint screen);

  CConnInfoList m_list;
  CSplitterBar m_splitter;
  CWnd* m_pLowerPage = nullptr;

  bool m_autoDelete = false;  // made with new by the page maker

protected:
  BOOL OnInitDialog() override;
  void PostNcDestroy() override;
  // The page's own notices (splitters, reflected list notices) first; the
  // rest go on to the parent as for every page.
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  void Layout(int cx, int cy);

  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnDestroy();
  afx_msg void OnSplitterMoved(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnCopy();
  afx_msg void OnSave();
  afx_msg void OnClear();
  afx_msg void OnUpdateConnInfo(CCmdUI* pCmdUI);
  DECLARE_MESSAGE_MAP()

  int m_splitY = -1;  // top of the splitter; -1 until the first layout
  bool m_splitMoved = false;
  int m_height = 0;
};

// Registers the log page (143) and the sites-status page (154) with the
// function view's page makers.
void RegisterLogPanes();
