// CTabSheet: a shaded tab control that hosts one child page (a modeless
// dialog, usually a CTabPageDialog) per tab: it switches, fits and focuses the
// pages and passes their commands on to its own parent.
#pragma once

#include <vector>

#include "toolkit/flattabctrl.h"

class CTabSheet : public CShadedTabCtrl {
  DECLARE_DYNAMIC(CTabSheet)
public:
  CTabSheet() = default;

  // Hooks, each with the page's index and user value.
  virtual BOOL WantsFirstChildFocus(int nIndex, DWORD dwUser) { return TRUE; }
  virtual void OnPageShown(int nIndex, DWORD dwUser) {}
  virtual void OnPageHiding(int nIndex, DWORD dwUser) {}
  virtual void OnPageRemoving(int nIndex, DWORD dwUser) {}

  // A tab at the end for pPage (made a child of the sheet); the tab's index,
  // or -1 when the tab could not be added or there is no page (the tab is
  // removed again). The first page is shown.
  int AddPage(LPCTSTR lpszTitle, DWORD dwUser, CWnd* pPage);
  // FALSE past the last tab; TRUE for the current one, which stays as it is.
  BOOL SetActivePage(int nIndex);
  // Fits the current page into the display area, gives it back its focus and
  // shows it; owners call it on WM_SIZE and after a tab change.
  void ResizePages();

  // The sheet deletes the page object when it is destroyed.
  void SetDeleteWithSheet(int nIndex, BOOL bDelete);
  int GetPageCount() const { return (int)m_pages.size(); }
  CWnd* GetPage(int nIndex) const;
  DWORD GetPageUserValue(int nIndex) const;

  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
  struct Page {
    CWnd* pWnd;
    BOOL bDeleteWithSheet;
  };
  std::vector<Page> m_pages;
  std::vector<HWND> m_focus;     // the control that had the focus in each page
  std::vector<DWORD> m_userValues;

  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  // The page's display rectangle in the sheet's client coordinates.
  CRect PageRect() const;
  void FitPage(int nIndex);
  void RememberFocus(int nIndex);
  void RestoreFocus(int nIndex);
  BOOL IsPage(int nIndex) const;

  afx_msg void OnSelChanging(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnSetFocus(CWnd* pOldWnd);
  afx_msg void OnKillFocus(CWnd* pNewWnd);
  afx_msg void OnDestroy();
  DECLARE_MESSAGE_MAP()
};
