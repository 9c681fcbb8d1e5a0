#include "toolkit/fontcolor.h"

#include <commdlg.h>

#include <cstring>

#include "framework/wnd.h"

IMPLEMENT_DYNAMIC(CFontColor, CFont)

namespace {
FontSetting FromLogFont(const LOGFONT& lf, COLORREF color) {
  FontSetting s;
  s.height = lf.lfHeight;
  s.width = lf.lfWidth;
  s.escapement = lf.lfEscapement;
  s.orientation = lf.lfOrientation;
  s.weight = lf.lfWeight;
  s.italic = lf.lfItalic;
  s.underline = lf.lfUnderline;
  s.strikeOut = lf.lfStrikeOut;
  s.charSet = lf.lfCharSet;
  s.outPrecision = lf.lfOutPrecision;
  s.clipPrecision = lf.lfClipPrecision;
  s.quality = lf.lfQuality;
  s.pitchAndFamily = lf.lfPitchAndFamily;
  memcpy(s.face, lf.lfFaceName, sizeof s.face);
  s.face[kFontFaceSize - 1] = '\0';
  s.color = color;
  return s;
}

void ToLogFont(const FontSetting& s, LOGFONT* lf) {
  memset(lf, 0, sizeof *lf);
  lf->lfHeight = s.height;
  lf->lfWidth = s.width;
  lf->lfEscapement = s.escapement;
  lf->lfOrientation = s.orientation;
  lf->lfWeight = s.weight;
  lf->lfItalic = s.italic;
  lf->lfUnderline = s.underline;
  lf->lfStrikeOut = s.strikeOut;
  lf->lfCharSet = s.charSet;
  lf->lfOutPrecision = s.outPrecision;
  lf->lfClipPrecision = s.clipPrecision;
  lf->lfQuality = s.quality;
  lf->lfPitchAndFamily = s.pitchAndFamily;
  static_assert(sizeof lf->lfFaceName == kFontFaceSize, "LOGFONTA's face field");
  memcpy(lf->lfFaceName, s.face, sizeof lf->lfFaceName);
}
}  // namespace

CFontColor::CFontColor() {
  ToLogFont(FontSetting(), &m_lf);
  Recreate();
}

void CFontColor::Recreate() {
  DeleteObject();
  CreateFontIndirect(&m_lf);
}

void CFontColor::Format(CString& out) const { out = FormatFontSetting(FromLogFont(m_lf, m_color)); }

BOOL CFontColor::Parse(const CString& text) {
  FontSetting s;
  if (!ParseFontSetting(text, &s))
    return FALSE;
  ToLogFont(s, &m_lf);
  m_color = s.color;
  Recreate();
  return TRUE;
}

BOOL CFontColor::ChooseFont(const LOGFONT* pStart, DWORD nFlags, CDC* pPrinterDC, CWnd* pParent) {
  LOGFONT lf = pStart ? *pStart : m_lf;
  CHOOSEFONTA cf = {};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = CWnd::GetSafeOwnerHwnd(pParent);
  cf.hDC = pPrinterDC ? pPrinterDC->GetSafeHdc() : nullptr;
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT | nFlags;
  cf.rgbColors = m_color;
  if (!::ChooseFontA(&cf))
    return FALSE;
  m_lf = lf;
  Recreate();
  SetColor(cf.rgbColors);
  return TRUE;
}

void CFontColor::SetColor(COLORREF color) {
  m_color = color;
  if (m_pDC != nullptr)
    m_pDC->SetTextColor(color);
}
