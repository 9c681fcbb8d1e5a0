// A static that opens a web address when clicked: blue, purple once visited,
// the highlight colour under the mouse, underlined, fitted to its text, with the
// address as its tooltip. Opening goes through the toolkit's launcher seam.
#pragma once

#include "framework/commctrls.h"
#include "framework/controls.h"
#include "framework/gdi.h"

class CHyperLink : public CStatic {
  DECLARE_DYNAMIC(CHyperLink)
public:
  CHyperLink();
  ~CHyperLink() override;

  // A link window of its own (SubclassDlgItem works as well).
  BOOL Create(LPCTSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

  void SetURL(const CString& url);
  CString GetURL() const { return m_strURL; }
  void SetVisited(BOOL bVisited, BOOL bRepaint = TRUE);
  BOOL GetVisited() const { return m_bVisited; }
  BOOL IsOverLink() const { return m_bOverLink; }

  // Opens address with the shell; when that fails, runs the browser registered
  // for ".htm" with the address. The shell's value (above 32: opened).
  static INT_PTR GotoURL(LPCTSTR address, int nShowCmd);
  // The default value of key\subkey (at most 260 bytes, terminated) into out;
  // the registry's error (0 on success).
  static LONG GetRegKey(HKEY key, LPCTSTR subkey, LPTSTR out);

  COLORREF m_crLinkColour = 0xEE0000;
  COLORREF m_crVisitedColour = 0x8B1A55;
  COLORREF m_crHoverColour;
  BOOL m_bUnderline = TRUE;
  BOOL m_bAdjustToFit = TRUE;

protected:
  void PreSubclassWindow() override;
  BOOL PreTranslateMessage(MSG* pMsg) override;
  void SetUpLink();
  void PositionWindow();
  static HCURSOR LinkCursor();

  HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
  void OnClicked();
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  afx_msg void OnCaptureChanged(CWnd* pWnd);

  BOOL m_bOverLink = FALSE;
  BOOL m_bVisited = FALSE;
  CString m_strURL;
  CFont m_font;
  CToolTipCtrl m_toolTip;

  DECLARE_MESSAGE_MAP()
};
