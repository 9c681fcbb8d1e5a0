// CColorButton: a colour swatch. A press opens CColorPalette under it (a grid
// of greys and web colours, a preview, a screen picker outside the palette and
// a button for the full colour dialog); the chosen colour goes to the parent
// as BN_CLICKED and, as "RRGGBB", into an optional linked text window.
#pragma once

#include "framework/afxwin.h"

// Messages between the palette and its button.
enum : UINT {
  CPM_SETCOLOR = 0x401,     // to the palette: wParam the current and the colour to restore
  CPM_FULLDIALOG = 0x402,   // to the button: close the palette, open the colour dialog
  CPM_CHOSEN = 0x403,       // to the button: wParam the colour chosen; the palette is done
};

class CColorPalette;

class CColorButton : public CButton {
  DECLARE_DYNAMIC(CColorButton)
public:
  CColorButton();
  ~CColorButton() override;

  COLORREF GetColor() const { return m_clr; }
  // Stores it, tells the parent (WM_COMMAND BN_CLICKED, posted), writes it
  // into the linked window and repaints.
  void SetColor(COLORREF clr);
  void SetLinkedWindow(CWnd* pWnd) { m_pLinked = pWnd; }
  BOOL IsPaletteOpen() const { return m_bPaletteOpen; }
  CColorPalette* GetPalette() const { return m_pPalette; }
  HCURSOR GetPickerCursor() const { return m_hPicker; }

  void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;

protected:
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  void PreSubclassWindow() override;
  void DrawFace(HDC hdc);
  void OpenPalette();
  void ClosePalette();

  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
  afx_msg LRESULT OnChosen(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnFullDialog(WPARAM wParam, LPARAM lParam);
  afx_msg void OnDestroy();
  DECLARE_MESSAGE_MAP()

  CWnd* m_pLinked = nullptr;
  COLORREF m_clr;
  CColorPalette* m_pPalette = nullptr;
  BOOL m_bPaletteOpen = FALSE;
  HCURSOR m_hPicker = nullptr;
};

class CColorPalette : public CWnd {
public:
  enum { IDC_MORE = 100, WIDTH = 191, HEIGHT = 150 };
  explicit CColorPalette(CColorButton* pButton) : m_pButton(pButton) {}

  // Registers the class, opens at the button's bottom-left (inside the
  // screen) and takes the mouse; pptPress: the press that opened it.
  BOOL Open(COLORREF clr, POINT ptPress);
  void Close();
  COLORREF GetCurrent() const { return m_clrCur; }
  static const char* ClassName() { return "ColorPalette"; }

protected:
  void SelectAt(POINT ptClient);
  void Finish(UINT nMessage, WPARAM wParam);
  CRect CellRect(int col, int row) const;

  afx_msg void OnPaint();
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnCaptureChanged(CWnd* pWnd);
  afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
  afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDIS);
  afx_msg LRESULT OnSetColor(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

  CColorButton* m_pButton;
  COLORREF m_clrCur = 0, m_clrRestore = 0;
  int m_nSelCol = -1, m_nSelRow = -1;
  POINT m_ptPress = {0, 0};
  BOOL m_bOpeningPress = TRUE;  // the press that opened it is still down
  BOOL m_bMoved = FALSE;
  BOOL m_bDone = FALSE;
  HWND m_hMore = nullptr;
  HFONT m_hFont = nullptr;
};
