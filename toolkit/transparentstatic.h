// A bitmap static whose 0xFF00FF pixels let the parent's background show.
#pragma once

#include "framework/controls.h"

constexpr COLORREF kTransparentKey = 0xFF00FF;

class CTransparentStatic : public CStatic {
  DECLARE_DYNAMIC(CTransparentStatic)
public:
  CTransparentStatic() = default;

protected:
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);

  DECLARE_MESSAGE_MAP()
};
