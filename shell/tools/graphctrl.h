// A static control that shows its text as lit seven-segment digits on a dark
// background, as a digital meter does (the main window's speed displays).
#pragma once

#include "framework/afxwin.h"
#include "framework/controls.h"
#include "shell/tools/sevensegment.h"

class CGraphCtrl : public CStatic {
  DECLARE_DYNAMIC(CGraphCtrl)
public:
  CGraphCtrl();

  // Stores the text and repaints without erasing.
  void SetText(const char* text);
  const CString& GetText() const { return m_text; }
  void SetMinWidth(int characters) { m_minWidth = characters; }
  void SetColours(COLORREF background, COLORREF lit);
  void SetOffColour(COLORREF off);  // unlit segments in this colour from now on
  void SetDrawUnlit(BOOL draw) { m_drawUnlit = draw; }

protected:
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  DECLARE_MESSAGE_MAP()

  CString m_text;
  int m_minWidth;
  COLORREF m_background;
  COLORREF m_lit;
  BOOL m_customOff;
  COLORREF m_off;
  BOOL m_drawUnlit;
  int m_segLength;
  int m_segThickness;
  int m_penWidth;
  BOOL m_metricsSet;
};
