#pragma once
// The About box's credits: the text rendered once into a 500 x 400 bitmap,
// combined (AND) onto the background bitmap 151 and scrolled up a pixel every
// 40 ms.
#include "framework/controls.h"
#include "framework/gdi.h"

class CCreditsStatic : public CStatic {
public:
  CCreditsStatic() = default;
  ~CCreditsStatic() override;

  // Lines split at line feeds: a leading TAB draws bold in 0xE78C10, a leading
  // CR bold in black, others regular in black.
  void SetCredits(const char* text) { m_credits = text; }
  // Renders the text, loads the background and starts the timer.
  BOOL StartScrolling();
  int ScrollPosition() const { return m_scrollPos; }

  enum { kTimerId = 1, kTickMs = 40, kTextWidth = 500, kTextHeight = 400, kTextX = 100 };

protected:
  void DrawFrame(CDC* pDC);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnDestroy();

  CString m_credits;
  CBitmap m_text;
  CBitmap m_background;
  CBitmap m_work;
  CSize m_backSize;
  int m_scrollPos = 0;

  DECLARE_MESSAGE_MAP()
};
