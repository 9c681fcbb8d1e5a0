// CFuncViewDlg: the docked "Function Information" window. One shaded tab
// control with six pages, and the one address the workers, the document and
// the views send their results and requests to: it routes each message to the
// page that owns it, answers the workers' next-item request and turns drops of
// pane entries into queue items.
#pragma once

#include "framework/afxwin.h"
#include "framework/docview.h"
#include "toolkit/tabsheet.h"
#include "views/droptarget.h"

class CListPaneDlg;
class CPlanItem;
class CQueuePaneDlg;
class CTabPageDialog;

class CFuncViewDlg : public CDialog {
  DECLARE_DYNAMIC(CFuncViewDlg)
public:
  enum { kTabs = 6, kListTab = 0, kLogTab = 1, kBatchTab = 2, kQueueTab = 3, kSearchTab = 4, kSitesTab = 5 };

  explicit CFuncViewDlg(CWnd* pParent = nullptr);
  ~CFuncViewDlg() override;

  // The context the list pane's lists are made with (the main window's).
  void SetCreateContext(CCreateContext* context) { m_context = context; }
  BOOL OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override {}

  int GetQueueCount() const;
  CPlanItem* GetQueueItem(int i) const;
  CQueuePaneDlg* QueuePage() const { return m_queue; }
  CListPaneDlg* ListPane() const { return m_listPane; }
  CWnd* Page(int tab) const { return tab >= 0 && tab < kTabs ? m_pages[tab] : nullptr; }
  void SelectTab(int tab);

  // ---- members, in this order ----
  CMyDropTarget m_dropTarget;
  CWnd* m_pages[kTabs] = {};
  CTabSheet m_tabs;

protected:
  // The list pane of tab 0 (the view host makes its own).
  virtual CListPaneDlg* MakeListPane();
  // Runs the drop rule; TRUE when items were queued.
  BOOL QueueDrop(COleDataObject* pDataObject);
  LRESULT SendToPage(int tab, UINT message, WPARAM wParam, LPARAM lParam);
  void PlacePages();

  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnDestroy();
  afx_msg void OnTabChange(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg LRESULT OnSearchResults(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnTaskFinished(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnBatchAdd(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnQueueAdd(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnQueueEnded(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnThreadProgress(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnScheduleStop(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnThreadReset(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnShowTab(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnSwitchListPane(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnNextItem(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnSitesRebuild(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnSitesRefresh(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnDragOver(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnDrop(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnDropEx(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnAnswerNothing(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

  CCreateContext* m_context = nullptr;
  CListPaneDlg* m_listPane = nullptr;
  CQueuePaneDlg* m_queue = nullptr;
};
