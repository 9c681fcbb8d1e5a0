// A splitter whose panes each hold several views and show one at a time. The
// shown view carries the pane's control id and is visible; the hidden ones
// have control id 0 and are hidden.
#pragma once

#include <map>

#include "framework/splitter.h"

class CPaneSplitterWnd : public CSplitterWnd {
  DECLARE_DYNAMIC(CPaneSplitterWnd)
public:
  CPaneSplitterWnd() = default;

  // Hides the pane's view, creates one of pViewClass there and shows it. The
  // new view's id (from 1), or -1 when it could not be made: the view shown
  // before shows again.
  int AddView(int row, int col, CRuntimeClass* pViewClass, CCreateContext* pContext);
  // Shows the view of that id in its pane; FALSE for an id AddView never gave.
  BOOL ShowView(int nViewID);
  CWnd* GetView(int nViewID) const;
  int GetShownView(int row, int col) const;  // -1: none

protected:
  static DWORD PaneKey(int row, int col) { return ((DWORD)col << 16) | (DWORD)(row & 0xFFFF); }
  void HideView(CWnd* pView);
  void ShowInPane(CWnd* pView, DWORD pane);

  std::map<int, DWORD> m_viewPane;   // view id -> pane
  std::map<int, HWND> m_views;       // view id -> view window (a view may go first)
  std::map<DWORD, int> m_shown;      // pane -> view id shown there
  int m_nNextViewID = 1;
};
