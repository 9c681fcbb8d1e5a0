// CCoolDialogBar: a control bar hosting one modeless dialog (a pane of the main
// window). It docks on any side of the frame or floats, is resized by
// dragging its inner edge, closed and undocked by two small caption buttons,
// and keeps its sizes per docking state in the application profile.
#pragma once

#include "framework/afxwin.h"
#include "framework/bars.h"
#include "toolkit/sizingbarrules.h"

class CCoolDialogBar : public CControlBar {
  DECLARE_DYNAMIC(CCoolDialogBar)
public:
  CCoolDialogBar();

  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  CSize CalcDynamicLayout(int nLength, DWORD dwMode) override;
  void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
  // The six sizes under "<profile>-SCBar-<id>"; loaded values are at least the
  // minimum and at most the virtual screen.
  virtual void LoadState(LPCTSTR lpszProfileName);
  virtual void SaveState(LPCTSTR lpszProfileName);
  // dwStyle: the CBRS_ bits become the bar style, the rest the window's. The
  // dialog comes from the template of the id's low word. FALSE when the window
  // or the dialog cannot be made.
  virtual BOOL Create(CFrameWnd* pParentWnd, CDialog* pDialog, LPCTSTR lpszTitle, UINT nID,
                      DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP);

  // Every CCoolDialogBar among the frame's bars.
  static void GlobalLoadState(CFrameWnd* pFrame, LPCTSTR lpszProfileName);
  static void GlobalSaveState(CFrameWnd* pFrame, LPCTSTR lpszProfileName);

  SizingBarSide Side() const;

  COLORREF m_clrBtnHilight;
  COLORREF m_clrBtnShadow;
  CSize m_sizeMin = CSize(kSizingMinimum, kSizingMinimum);
  CSize m_sizeHorz = CSize(50, 50);
  CSize m_sizeVert = CSize(50, 50);
  CSize m_sizeFloat = CSize(200, 200);
  CRect m_rectBorder;   // the resize edge, window coordinates
  CRect m_rectTracker;  // the inverted rectangle while resizing
  UINT m_nDockBarID = 0;
  CPoint m_ptOld;
  BOOL m_bTracking = FALSE;
  BOOL m_bInRecalcNC = FALSE;
  int m_cxEdge = kSizingEdge;
  CRect m_rectUndock, m_rectClose, m_rectGripper;
  int m_cxGripper = kSizingGripper;
  int m_cxBorder = kSizingInset;
  CDialog* m_pDialog = nullptr;  // owned by the creator

protected:
  void StartTracking();
  void StopTracking(BOOL bAccept);
  void InvertTracker(const CRect& rect);
  void MoveTrackerTo(CPoint ptClient);
  void DrawGripper(CDC* pDC);

  afx_msg void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
  afx_msg void OnNcPaint();
  afx_msg LRESULT OnNcHitTest(CPoint point);
  afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  afx_msg void OnNcLButtonDown(UINT nHitTest, CPoint point);
  afx_msg void OnNcLButtonDblClk(UINT nHitTest, CPoint point);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnCaptureChanged(CWnd* pWnd);
  afx_msg void OnWindowPosChanged(WINDOWPOS* lpwp);
  DECLARE_MESSAGE_MAP()
};
