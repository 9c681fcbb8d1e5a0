// CBatchPaneDlg: the "Site to Site" page of the function view, one row per
// file a one-task worker moves (CMyBackList), refreshed by a timer while any
// runs. The jobs' lifetime rules are in core/batchcore.h.
#pragma once

#include <vector>

#include "framework/afxwin.h"
#include "shell/funcview/core/batchcore.h"
#include "shell/funcview/listpanebase.h"
#include "toolkit/sortlist.h"

class CMyBackList : public CSortListCtrl {
  DECLARE_DYNCREATE(CMyBackList)
public:
  CMyBackList() = default;
  ~CMyBackList() override = default;

  void Init();
  BatchJobList& Jobs() { return m_jobs; }
  int GetCount() const { return m_jobs.Count(); }
  std::vector<int> SelectedRows() const;
  // The control's count again after the array changed.
  void Changed();
  void SetAllSelected(bool selected);
  void InvertSelection();
  // Redraws the rows of running jobs.
  void RedrawRunning();

protected:
  afx_msg void OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult);
  DECLARE_MESSAGE_MAP()

  BatchJobList m_jobs;
  CString m_cellText;
};

class CBatchPaneDlg : public CListPaneBase {
  DECLARE_DYNAMIC(CBatchPaneDlg)
public:
  explicit CBatchPaneDlg(CWnd* pParent = nullptr);
  BOOL OnInitDialog() override;

  CMyBackList m_list;
  static constexpr UINT_PTR kRefreshTimer = 1;
  static constexpr UINT kRefreshMs = 1000;
  bool TimerRunning() const { return m_timer.Running(); }

protected:
  CListCtrl& PaneList() override { return m_list; }
  const ContextMenuItem* PaneMenu(size_t* count) const override;
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnDestroy();
  afx_msg LRESULT OnBatchAdd(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnTaskFinished(WPARAM wParam, LPARAM lParam);
  afx_msg void OnStopSelection();
  afx_msg void OnStopAll();
  afx_msg void OnDelete();
  afx_msg void OnClear();
  afx_msg void OnInfo();
  afx_msg void OnSelectAll();
  afx_msg void OnInvert();
  DECLARE_MESSAGE_MAP()

  BatchRefreshTimer m_timer;
};

// The "Site to Site" page (198) with the function view's page factory.
void RegisterBatchPane();
