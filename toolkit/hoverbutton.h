// CHoverButton: a light owner-drawn button whose frame rises while the pointer
// is over it (BS_FLAT: flat otherwise). It shows an icon, its text or a bitmap.
#pragma once

#include "framework/afxwin.h"

class CHoverButton : public CButton {
  DECLARE_DYNAMIC(CHoverButton)
public:
  enum { IDC_HOVER_CURSOR = 1069 };  // the module's cursor resource; missing: the arrow

  CHoverButton();
  ~CHoverButton() override;

  void EnableHover(BOOL bEnable) { m_bHoverEnabled = bEnable; }
  // Icons are the caller's; hPressed optional (else the icon moves by (1, 1)).
  void SetButtonIcon(HICON hIcon, HICON hPressed = nullptr);
  // Drawn over the whole client area; the caller's.
  void SetButtonBitmap(HBITMAP hBitmap);
  // The owner's font (null: the system message font).
  void SetButtonFont(CFont* pFont);
  BOOL IsHoverDrawn() const { return m_bHoverDrawn; }

  void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;

protected:
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  void PreSubclassWindow() override;
  void LoadColors();
  void CheckHover();
  void DrawHoverFrame(HDC hdc);

  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  afx_msg void OnSysColorChange();
  DECLARE_MESSAGE_MAP()

  BOOL m_bMouseDown = FALSE;
  BOOL m_bHoverEnabled = TRUE;
  CSize m_sizeImage{0, 0};
  COLORREF m_clrHilight = 0, m_clrShadow = 0, m_clrDkShadow = 0, m_clrFace = 0, m_clrGrayText = 0, m_clrText = 0;
  BOOL m_bHoverDrawn = FALSE;
  HICON m_hIcon = nullptr, m_hIconPressed = nullptr;
  HBITMAP m_hBitmap = nullptr;
  HFONT m_hFont = nullptr;
  HFONT m_hOwnFont = nullptr;
  HCURSOR m_hCursor = nullptr;
};
