#include "shell/funcview/listctrlex.h"

#include <cstdlib>

IMPLEMENT_DYNAMIC(CListCtrlEx, CSortListCtrl)

CListCtrlEx::CListCtrlEx()
{
  m_colours[kWindowText] = ::GetSysColor(COLOR_WINDOWTEXT);
  m_colours[kWindow] = ::GetSysColor(COLOR_WINDOW);
  m_colours[kHighlightText] = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
  m_colours[kHighlight] = ::GetSysColor(COLOR_HIGHLIGHT);
  m_colours[kHotLight] = ::GetSysColor(COLOR_HOTLIGHT);
  m_colours[kButtonFace] = ::GetSysColor(COLOR_BTNFACE);
}

void CListCtrlEx::Init()
{
  SubclassHeader();
  SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT);
  if (m_rowHeight.Create(1, 16, ILC_COLOR, 0, 1))
    SetImageList(&m_rowHeight, LVSIL_SMALL);
  SetColumns("Thread #,70;<->,40;Working File,100;Size,100;Progress,80;Remaining,40;Elapsed,40;Speed(KBps), 100");
}

void CListCtrlEx::DrawBar(CDC* dc, const CRect& cell, const CString& text, bool highlighted)
{
  CRect frame = cell;
  frame.DeflateRect(1, 1);
  dc->FrameRect(&frame, CBrush::FromHandle(static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH))));
  CRect inner = frame;
  inner.DeflateRect(1, 1);
  int share = std::atoi(text);
  if (share < 0)
    share = 0;
  if (share > 100)
    share = 100;
  CRect done = inner, rest = inner;
  done.right = inner.left + ::MulDiv(inner.Width(), share, 100);
  rest.left = done.right;
  const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;  // 0x8025
  dc->SetBkMode(TRANSPARENT);
  if (highlighted) {
    dc->FillSolidRect(&done, m_colours[kButtonFace]);
    dc->FillSolidRect(&rest, m_colours[kWindow]);
    dc->SetTextColor(m_colours[kWindowText]);
    CRect r = inner;
    dc->DrawText(text, &r, format);
    return;
  }
  dc->FillSolidRect(&done, m_colours[kHotLight]);
  dc->FillSolidRect(&rest, m_colours[kButtonFace]);
  // The text twice, each clipped to its part of the bar.
  const int saved = dc->SaveDC();
  CRect r = inner;
  dc->IntersectClipRect(&done);
  dc->SetTextColor(m_colours[kWindow]);
  dc->DrawText(text, &r, format);
  dc->RestoreDC(saved);
  const int saved2 = dc->SaveDC();
  dc->IntersectClipRect(&rest);
  dc->SetTextColor(m_colours[kWindowText]);
  r = inner;
  dc->DrawText(text, &r, format);
  dc->RestoreDC(saved2);
}

void CListCtrlEx::DrawItem(LPDRAWITEMSTRUCT lpDIS)
{
  CDC* dc = CDC::FromHandle(lpDIS->hDC);
  const int row = static_cast<int>(lpDIS->itemID);
  const UINT state = GetItemState(row, LVIS_SELECTED | LVIS_DROPHILITED);
  const bool showSelection = (GetStyle() & LVS_SHOWSELALWAYS) != 0 || ::GetFocus() == m_hWnd;
  const bool highlighted = (state & LVIS_DROPHILITED) != 0 || ((state & LVIS_SELECTED) != 0 && showSelection);
  CRect rowRect = lpDIS->rcItem;
  dc->FillSolidRect(&rowRect, m_colours[highlighted ? kHighlight : kWindow]);
  CHeaderCtrl* header = GetHeaderCtrl();
  const int columns = header != nullptr ? header->GetItemCount() : 0;
  int left = rowRect.left;
  for (int c = 0; c < columns; ++c) {
    const int width = GetColumnWidth(c);
    CRect cell(left, rowRect.top, left + width, rowRect.bottom);
    left += width;
    const CString text = GetItemText(row, c);
    if (!text.IsEmpty() && text[text.GetLength() - 1] == '%') {
      DrawBar(dc, cell, text, highlighted);
      continue;
    }
    dc->SetBkMode(TRANSPARENT);
    dc->SetTextColor(m_colours[highlighted ? kHighlightText : kWindowText]);
    CRect r = cell;
    r.DeflateRect(2, 0);
    dc->DrawText(text, &r, DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS);  // 0x8104
  }
}
