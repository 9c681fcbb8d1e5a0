// A bar between controls of a dialog that the user drags; on release it moves
// and tells its owner (else its parent) how far, so the owner resizes the
// controls on either side (ChangeWidth, ChangeHeight).
//
// Range, positions and the distance are in the parent's client coordinates,
// along the bar's moving direction; only the tracker is drawn on the screen.
#pragma once

#include "framework/controls.h"

// WM_NOTIFY code of the bar: an NMHDR followed by the int distance moved.
constexpr UINT UWM_SPLITTERBAR_MOVED = 0x401;

struct SplitterBarNotify {
  NMHDR hdr;
  int delta;
};

class CSplitterBar : public CStatic {
  DECLARE_DYNAMIC(CSplitterBar)
public:
  enum { kVertical = 1, kHorizontal = 2 };  // moves left-right / up-down
  static constexpr int kThickness = 5;

  CSplitterBar() = default;

  // Vertical when rect is narrower than tall; made kThickness across, about its
  // centre. It cannot move until a range is set.
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  void SetRange(int minimum, int maximum);
  // centre - below .. centre + above; a negative centre is the bar's own.
  void SetRangeAround(int below, int above, int centre = -1);

  // For the owners' notification handlers: pWnd (a control of the same parent)
  // follows a bar that moved by delta. Anchor 1: its right edge moves; 2: its
  // left edge moves (it grows or shrinks on the left); 3: its bottom moves;
  // 4: its top moves; others only re-apply its rectangle.
  static void ChangeWidth(CWnd* pWnd, int delta, DWORD anchor);
  static void ChangeHeight(CWnd* pWnd, int delta, DWORD anchor);

  int GetOrientation() const { return m_nOrientation; }
  BOOL IsTracking() const { return m_bTracking; }
  int GetTrackPosition() const { return m_nOrientation == kVertical ? m_ptCurrent.x : m_ptCurrent.y; }
  int GetCentre() const;  // along the moving direction, in the parent

protected:
  void DrawTracker() const;
  int Clamp(int v) const;

  afx_msg void OnPaint();
  afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnCaptureChanged(CWnd* pWnd);

  BOOL m_bTracking = FALSE;
  int m_nOrientation = kVertical;
  CPoint m_ptCurrent;
  int m_nMin = -1;
  int m_nMax = -1;
  int m_nStart = 0;

  DECLARE_MESSAGE_MAP()
};
