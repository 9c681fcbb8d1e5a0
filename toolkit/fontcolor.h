// A font and its text colour held as one settings value (fontsetting.h), with
// the font common dialog to change both.
#pragma once

#include "framework/gdi.h"
#include "toolkit/fontsetting.h"

class CFontColor : public CFont {
  DECLARE_DYNAMIC(CFontColor)
public:
  CFontColor();  // "MS Sans Serif", -12, black

  void Format(CString& out) const;
  // FALSE for a malformed text: the font and colour stay as they were.
  BOOL Parse(const CString& text);
  // The font dialog (screen fonts and effects, and nFlags) from pStart's
  // description or the own one and the colour. TRUE on OK, with both taken.
  BOOL ChooseFont(const LOGFONT* pStart = nullptr, DWORD nFlags = 0, CDC* pPrinterDC = nullptr,
                  CWnd* pParent = nullptr);
  void SetColor(COLORREF color);
  COLORREF GetColor() const { return m_color; }
  const LOGFONT& GetDescription() const { return m_lf; }
  // Colour changes go to this context at once (null: none).
  void AttachDC(CDC* pDC) { m_pDC = pDC; }

protected:
  void Recreate();

  LOGFONT m_lf;
  COLORREF m_color = 0;
  CDC* m_pDC = nullptr;
};
