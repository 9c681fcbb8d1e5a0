// The tree of the "Sites Status" page: the machine as its root, one child per
// work site. Selecting a node fills the page's detail list and text box; a
// timer refreshes them while that tab is shown.
#pragma once

#include "framework/afxwin.h"
#include "framework/commctrls.h"
#include "framework/controls.h"
#include "shell/funcview/statusrows.h"

class CSiteItem;

constexpr int kFuncTabSitesStatus = 5;

class CServerStatusTree : public CTreeCtrl {
  DECLARE_DYNAMIC(CServerStatusTree)
public:
  void SetTargets(CListCtrl* list, CEdit* text)
  {
    m_pList = list;
    m_pText = text;
  }

  // Root and one child per site of the document's table, the root selected.
  void Rebuild();
  // Starts the refresh again when it stopped while another tab showed.
  void Resume();
  // One timer tick's work, without the timer.
  void RefreshSelected();

  bool TimerRunning() const { return m_timer != 0; }
  BOOL IsBuilt() const { return m_built; }
  HTREEITEM Root() const { return m_root; }

  // The snapshots the rows are built from (slot of the document's table).
  static MachineStatus ReadMachineStatus();
  static SiteStatus ReadSiteStatus(int slot);

protected:
  enum Holds { kHoldsNothing, kHoldsMachine, kHoldsSite };

  void StartTimer(UINT ms);
  void StopTimer();
  // Fills the list and text for node: rows made anew (refresh false) or only
  // their values replaced.
  void Fill(HTREEITEM node, bool refresh);
  void ShowRows(const std::vector<StatusRow>& rows, bool refresh);
  void ShowText(const CString& text);
  void ScrollTextToEnd();

  afx_msg void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnDestroy();
  DECLARE_MESSAGE_MAP()

  CListCtrl* m_pList = nullptr;
  CEdit* m_pText = nullptr;
  UINT_PTR m_timer = 0;
  BOOL m_built = FALSE;
  HTREEITEM m_root = nullptr;
  Holds m_holds = kHoldsNothing;
  bool m_filling = false;
};
