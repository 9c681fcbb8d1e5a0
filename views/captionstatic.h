// CCaptionStatic: the thin coloured strip across the top of a file view that
// shows whether the view has the focus.
#pragma once

#include "framework/controls.h"
#include "framework/gdi.h"

constexpr COLORREF kCaptionFocusColor = RGB(214, 244, 9);

class CCaptionStatic : public CStatic {
  DECLARE_DYNAMIC(CCaptionStatic)
public:
  CCaptionStatic();
  ~CCaptionStatic() override = default;

  // Always repaints, also for the colour it already has; the previous colour.
  COLORREF SetColor(COLORREF color);
  COLORREF GetColor() const { return m_color; }

protected:
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);

  CBrush m_brush;
  COLORREF m_color;

  DECLARE_MESSAGE_MAP()
};
