// CListCtrlEx: the queue page's worker list, owner-drawn with 16-pixel rows.
// A cell whose text ends in "%" is drawn as a progress bar of that share.
#pragma once

#include "framework/afxwin.h"
#include "toolkit/sortlist.h"

class CListCtrlEx : public CSortListCtrl {
  DECLARE_DYNAMIC(CListCtrlEx)
public:
  enum { kWindowText, kWindow, kHighlightText, kHighlight, kHotLight, kButtonFace, kColours };
  CListCtrlEx();

  // Row height and columns; once, after the control exists.
  void Init();
  void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;

  COLORREF m_colours[kColours];

protected:
  void DrawBar(CDC* dc, const CRect& cell, const CString& text, bool highlighted);

  CImageList m_rowHeight;  // an empty 1x16 strip: the rows' height
};
