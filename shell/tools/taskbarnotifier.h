// A skinned pop-up that slides a line of text out of the taskbar's edge, stays
// a while and slides back; a click on it tells the owner.
#pragma once

#include "framework/afxwin.h"
#include "shell/tools/notifiergeometry.h"

// Posted to the owner (wParam 0, lParam 0) when the user clicks the pop-up.
#define UWM_NOTIFIER_CLICKED (WM_USER + 123)

class CTaskbarNotifier : public CWnd {
public:
  enum { kTimerAppear = 1, kTimerStay = 2, kTimerDisappear = 3 };
  enum { kStyleBold = 1, kStyleItalic = 2, kStyleUnderline = 4 };
  static constexpr int kMaxDrawnChars = 258;

  CTaskbarNotifier();
  ~CTaskbarNotifier() override;

  BOOL CreatePopup(CWnd* pParent);
  // Normal and highlighted (mouse over) fonts of `face` at `size` tenths of a point.
  void SetFonts(LPCTSTR face, int size, int normalStyle, int highlightStyle);
  void SetColors(COLORREF normal, COLORREF highlight);
  void SetTextArea(const CRect& rect);
  // The skin bitmap sizes the window; pixels of exactly (red, green, blue) are
  // cut out of its region unless a component is 65535 or more. FALSE when the
  // bitmap cannot be loaded: Popup then shows nothing.
  BOOL LoadSkin(UINT bitmapId, DWORD red = 0xFFFF, DWORD green = 0xFFFF, DWORD blue = 0xFFFF);
  void Popup(LPCTSTR text, DWORD appearMs, DWORD stayMs, DWORD disappearMs);
  void Retract();

  int GetState() const { return m_anim.GetState(); }
  const CString& GetText() const { return m_text; }
  BOOL IsHighlighted() const { return m_highlighted; }
  CSize GetSkinSize() const { return CSize(m_skinWidth, m_skinHeight); }

protected:
  void PlaceAt(int x, int y);
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnMouseHover(UINT nFlags, CPoint point);
  afx_msg void OnMouseLeave();
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnPaint();
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnDestroy();
  DECLARE_MESSAGE_MAP()

private:
  CWnd* m_pParent = nullptr;
  CFont m_normalFont;
  CFont m_highlightFont;
  CBitmap m_skin;
  COLORREF m_normalColor = 0xB59285;
  COLORREF m_highlightColor = 0x6A240A;
  HCURSOR m_hand = nullptr;
  CRect m_textRect;
  int m_skinWidth = 0;
  int m_skinHeight = 0;
  CString m_text;
  BOOL m_highlighted = FALSE;
  CNotifierAnimation m_anim;
  DWORD m_appearMs = 0;
  DWORD m_stayMs = 0;
  DWORD m_disappearMs = 0;
};

// The main window's notifier: skin 138 with magenta cut out, "MS Sans Serif"
// at 8 points underlined on hover, text 0xC80000 inset 10 pixels from the
// skin's edges. FALSE when the window or the skin could not be made.
BOOL CreateMainNotifier(CTaskbarNotifier& notifier, CWnd* pParent);
