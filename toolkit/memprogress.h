// A percentage bar painted as a colour gradient, off screen. Its painter
// (DrawGradient) serves the gradient progress control of the console as well.
#pragma once

#include "framework/commctrls.h"
#include "framework/gdi.h"

// Draws into a bitmap the size of rect and copies it onto the target when it
// goes; a printing context is drawn on directly.
class CProgressMemDC : public CDC {
public:
  CProgressMemDC(CDC* pTarget, const CRect& rect);
  ~CProgressMemDC() override;
  CProgressMemDC(const CProgressMemDC&) = delete;
  CProgressMemDC& operator=(const CProgressMemDC&) = delete;

private:
  CDC* m_pTarget;
  CRect m_rect;
  CBitmap m_bitmap;
  HGDIOBJ m_hOldBitmap = nullptr;
  BOOL m_bDirect;
};

class CMemProgressBar : public CProgressCtrl {
  DECLARE_DYNAMIC(CMemProgressBar)
public:
  CMemProgressBar() = default;

  void SetRange(int nLower, int nUpper);  // the position goes to the lower bound
  int SetPos(int nPos);
  int SetStep(int nStep);
  int StepIt();
  int GetPos() const { return m_nPos; }
  void SetColours(COLORREF start, COLORREF end, COLORREF background, COLORREF text);
  void SetShowText(BOOL bShow);

  // The gradient from the start to the end colour over the bar, up to about
  // filledWidth, the background after it (see gradient.h).
  void DrawGradient(CDC* pDC, const CRect& rect, int filledWidth) const;
  static void DrawGradient(CDC* pDC, const CRect& rect, int filledWidth, COLORREF start, COLORREF end,
                           COLORREF background);

  int m_nLower = 0;
  int m_nUpper = 100;
  int m_nStep = 10;
  int m_nPos = 0;
  COLORREF m_crStart = 0x0000FF;
  COLORREF m_crEnd = 0xFF0000;
  COLORREF m_crBackground = ::GetSysColor(COLOR_BTNFACE);
  COLORREF m_crText = ::GetSysColor(COLOR_BTNTEXT);  // readable on the background
  BOOL m_bShowText = FALSE;

protected:
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);

  DECLARE_MESSAGE_MAP()
};
