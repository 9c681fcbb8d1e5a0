// CSplitterWnd: a static grid of panes (rows x columns) with bars between them
// that the user drags to share the space out. Each pane is a child window with
// the control id IdFromRowCol(row, col); views are created into panes by class.
// Rows and columns are laid out in order: each takes its ideal size while room
// is left, the last one takes the rest.
#pragma once

#include <vector>

#include "framework/docview.h"

class CSplitterWnd : public CWnd {
  DECLARE_DYNAMIC(CSplitterWnd)
public:
  CSplitterWnd();
  ~CSplitterWnd() override;

  // nRows x nCols panes (1..16 each); nID: the id the splitter takes in its parent
  // (a frame's pane id, or a pane id of an outer splitter).
  virtual BOOL CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle = WS_CHILD | WS_VISIBLE,
                            UINT nID = AFX_IDW_PANE_FIRST);
  // Creates a view of pViewClass in an empty pane; sizeInit becomes the ideal
  // width of the column and height of the row. FALSE when the pane is taken, out
  // of range, or the view was not made (a failed view has deleted itself).
  virtual BOOL CreateView(int row, int col, CRuntimeClass* pViewClass, SIZE sizeInit, CCreateContext* pContext);

  int GetRowCount() const { return (int)m_rows.size(); }
  int GetColumnCount() const { return (int)m_cols.size(); }
  void GetRowInfo(int row, int& cyCur, int& cyMin) const;
  void SetRowInfo(int row, int cyIdeal, int cyMin);  // takes effect at RecalcLayout
  void GetColumnInfo(int col, int& cxCur, int& cxMin) const;
  void SetColumnInfo(int col, int cxIdeal, int cxMin);
  int IdFromRowCol(int row, int col) const { return AFX_IDW_PANE_FIRST + row * 16 + col; }
  CWnd* GetPane(int row, int col) const;  // null for an empty pane
  BOOL IsChildPane(CWnd* pWnd, int* pRow, int* pCol);
  // The frame's active view when it is one of these panes.
  virtual CWnd* GetActivePane(int* pRow = nullptr, int* pCol = nullptr);
  virtual void SetActivePane(int row, int col, CWnd* pWnd = nullptr);
  virtual void RecalcLayout();

  // Thickness of the bars and of the sunken edge drawn round each pane.
  int m_cxSplitter = 6;
  int m_cySplitter = 6;
  int m_cxBorder = 2;
  int m_cyBorder = 2;

protected:
  struct CRowColInfo {
    int nMinSize;
    int nIdealSize;
    int nCurSize;
  };
  enum HitTestValue { noHit = 0, vSplitterBar1 = 101, hSplitterBar1 = 201 };

  CRect CellRect(int row, int col) const;
  // noHit, vSplitterBar1 + c (the bar right of column c) or hSplitterBar1 + r.
  virtual int HitTest(CPoint pt) const;
  virtual void StartTracking(int ht, CPoint pt);
  virtual void StopTracking(BOOL bAccept);
  virtual void OnInvertTracker(const CRect& rect);
  virtual void OnDrawSplitter(CDC* pDC);

  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

  afx_msg void OnPaint();
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnCaptureChanged(CWnd* pWnd);
  afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);

  std::vector<CRowColInfo> m_rows;
  std::vector<CRowColInfo> m_cols;
  BOOL m_bTracking = FALSE;
  int m_htTrack = noHit;
  CRect m_rectTracker;
  CRect m_rectLimit;  // where the tracker may go
  int m_nTrackOffset = 0;  // the mouse's distance from the tracker's edge

  DECLARE_MESSAGE_MAP()
};
