// CIconButton: an owner-drawn push button with icons, colours per state, hover
// tracking (flat buttons raise under the pointer), a checkbox mode, an
// optional drop-down menu, an optional web address, sounds and a tool tip.
// The parent still gets BN_CLICKED after the button's own behaviour ran.
#pragma once

#include "framework/afxwin.h"
#include "toolkit/bcmenu.h"

class CIconButton : public CButton {
  DECLARE_DYNAMIC(CIconButton)
public:
  enum { ALIGN_LEFT = 0, ALIGN_TOP = 1, ALIGN_RIGHT = 2 };
  // Colour pairs: the state in (hover or pressed), out, focus.
  enum { COLOR_BK_IN, COLOR_FG_IN, COLOR_BK_OUT, COLOR_FG_OUT, COLOR_BK_FOCUS, COLOR_FG_FOCUS, COLOR_COUNT };
  enum { ICON_NONE = 0, ICON_GREY = (UINT)-2 };  // the out icon of SetIcon

  CIconButton();
  ~CIconButton() override;

  // Both icons from the resources; nIconOut ICON_NONE: no out icon, ICON_GREY: a
  // grey copy of the in icon. 0, or 1 (nothing changed) when one cannot be read.
  DWORD SetIcon(UINT nIconIn, UINT nIconOut = ICON_NONE);
  void SetTooltipText(LPCTSTR lpszText, BOOL bActivate = FALSE);
  // Opened with the shell's "open", maximised, when clicked; null clears it.
  void SetURL(LPCTSTR lpszURL);
  // Checkbox buttons only.
  void SetCheck(BOOL bCheck, BOOL bRepaint = TRUE);
  BOOL GetCheck() const { return m_bChecked; }
  // 0: images move (1, 1) when pressed; 1: (0, 2). Others: 6, nothing changed.
  DWORD SetPressedStyle(int nStyle, BOOL bRepaint = TRUE);
  void SetDefaultColors(BOOL bRepaint = TRUE);
  DWORD SetColor(int nIndex, COLORREF clr, BOOL bRepaint = TRUE);
  void SetFlat(BOOL bFlat, BOOL bRepaint = TRUE);
  void SetAlign(int nAlign, BOOL bRepaint = TRUE);
  // Paint over the parent's own pixels instead of a background colour.
  void DrawTransparent(BOOL bRepaint = TRUE);
  // A drop-down menu (resource nMenu, its first popup) whose chosen command is
  // posted to hOwner; nMenu 0 removes it. FALSE when the menu cannot be loaded.
  BOOL SetMenu(UINT nMenu, HWND hOwner);
  // Sent to hWnd before the menu opens: (nMessage, first popup, lParam).
  void SetMenuCallback(HWND hWnd, UINT nMessage, LPARAM lParam = 0);
  // PlaySound arguments for the hover and the click; null name: none.
  void SetSound(BOOL bHover, LPCTSTR lpszSound, HMODULE hMod = nullptr, DWORD dwFlags = 0);

  BOOL IsHovered() const { return m_bHover; }
  BOOL IsDefault() const { return m_bIsDefault; }
  BOOL IsCheckBox() const { return m_bIsCheckBox; }

  void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;

protected:
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  void PreSubclassWindow() override;
  void TakeButtonType(DWORD& dwStyle);
  void CancelHover();
  void FreeIcons();
  void DrawImage(CDC* pDC, const CRect& rcClient, BOOL bPressed, CRect* prcText);
  void PlayOne(int nWhich);

  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
  afx_msg void OnMouseLeave();
  afx_msg void OnKillFocus(CWnd* pNewWnd);
  afx_msg void OnCancelMode();
  afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
  afx_msg void OnEnable(BOOL bEnable);
  afx_msg UINT OnGetDlgCode();
  afx_msg LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu);
  afx_msg void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMIS);
  afx_msg HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
  afx_msg BOOL OnClicked();
  afx_msg LRESULT OnSetStyle(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnSetCheck(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnGetCheck(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

  BOOL m_bFlat = TRUE;
  BOOL m_bAlwaysTrack = TRUE;
  BOOL m_bDrawBorder = TRUE;
  BOOL m_bDrawFlatFocus = FALSE;
  BOOL m_bTransparent = FALSE;
  BOOL m_bHover = FALSE;
  BOOL m_bPressed = FALSE, m_bFocused = FALSE, m_bDisabled = FALSE;
  BOOL m_bIsDefault = FALSE;
  BOOL m_bIsCheckBox = FALSE;
  BOOL m_bChecked = FALSE;
  CPoint m_ptMargin{3, 3};
  CPoint m_ptPressedOffset{1, 1};
  int m_nAlign = ALIGN_LEFT;
  COLORREF m_colors[COLOR_COUNT];
  struct Icon {
    HICON hIcon = nullptr;
    CSize size;
  } m_iconIn, m_iconOut;
  BCMenu m_menu;
  HWND m_hMenuOwner = nullptr;
  HWND m_hMenuNotify = nullptr;
  UINT m_nMenuMessage = 0;
  LPARAM m_lMenuValue = 0;
  BOOL m_bMenuShowing = FALSE;
  HWND m_hTooltip = nullptr;
  char m_szURL[260] = "";
  struct Sound {
    CString name;
    HMODULE hMod = nullptr;
    DWORD dwFlags = 0;
  } m_sounds[2];  // hover, click
  HDC m_hdcBack = nullptr;  // the parent's pixels under the button
  HBITMAP m_hbmBack = nullptr, m_hbmBackOld = nullptr;
};
