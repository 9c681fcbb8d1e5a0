#include "framework/commctrls.h"

#include <atomic>

IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)
IMPLEMENT_DYNAMIC(CSpinButtonCtrl, CWnd)
IMPLEMENT_DYNAMIC(CToolTipCtrl, CWnd)
IMPLEMENT_DYNAMIC(CDateTimeCtrl, CWnd)
IMPLEMENT_DYNAMIC(CSliderCtrl, CWnd)

BOOL AfxInitCommonControls(DWORD iccFlags) {
  static std::atomic<DWORD> s_dwDone{0};
  if ((s_dwDone.load() & iccFlags) == iccFlags)
    return TRUE;
  INITCOMMONCONTROLSEX icc = {sizeof icc, iccFlags};
  if (!::InitCommonControlsEx(&icc))
    return FALSE;
  s_dwDone.fetch_or(iccFlags);
  return TRUE;
}

BOOL CProgressCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  AfxInitCommonControls(ICC_PROGRESS_CLASS);
  return CWnd::Create(PROGRESS_CLASSA, nullptr, dwStyle, rect, pParentWnd, nID);
}

void CProgressCtrl::GetRange(int& nLower, int& nUpper) const {
  PBRANGE range = {0, 0};
  SendMessage(PBM_GETRANGE, FALSE, (LPARAM)&range);
  nLower = range.iLow;
  nUpper = range.iHigh;
}

BOOL CSpinButtonCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  AfxInitCommonControls(ICC_UPDOWN_CLASS);
  return CWnd::Create(UPDOWN_CLASSA, nullptr, dwStyle, rect, pParentWnd, nID);
}

int CSpinButtonCtrl::GetPos() const { return (int)SendMessage(UDM_GETPOS32, 0, 0); }

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle) {
  AfxInitCommonControls(ICC_WIN95_CLASSES);
  BOOL bOk = CWnd::CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | dwStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr,
                            nullptr, nullptr);
  if (bOk)
    SetMaxTipWidth(SHRT_MAX);  // line breaks in tip texts work
  return bOk;
}

void CToolTipCtrl::FillInToolInfo(TOOLINFOA& ti, CWnd* pWnd, UINT_PTR nIDTool) const {
  ti = {};
  ti.cbSize = TTTOOLINFOA_V2_SIZE;
  HWND hWnd = pWnd ? pWnd->m_hWnd : nullptr;
  if (nIDTool == 0) {
    ti.hwnd = hWnd ? ::GetParent(hWnd) : nullptr;
    ti.uFlags = TTF_IDISHWND;
    ti.uId = (UINT_PTR)hWnd;
  } else {
    ti.hwnd = hWnd;
    ti.uFlags = 0;
    ti.uId = nIDTool;
  }
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, LPCTSTR lpszText, LPCRECT lpRectTool, UINT_PTR nIDTool) {
  if (pWnd == nullptr)
    return FALSE;
  TOOLINFOA ti;
  FillInToolInfo(ti, pWnd, nIDTool);
  if (lpRectTool != nullptr)
    ti.rect = *lpRectTool;
  else if (nIDTool != 0)
    ::GetClientRect(pWnd->m_hWnd, &ti.rect);
  ti.uFlags |= TTF_SUBCLASS;
  ti.lpszText = const_cast<LPSTR>(lpszText);
  return (BOOL)SendMessage(TTM_ADDTOOLA, 0, (LPARAM)&ti);
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, UINT nIDText, LPCRECT lpRectTool, UINT_PTR nIDTool) {
  CString s;
  if (!s.LoadString(nIDText))
    return FALSE;
  return AddTool(pWnd, s, lpRectTool, nIDTool);
}

void CToolTipCtrl::DelTool(CWnd* pWnd, UINT_PTR nIDTool) {
  TOOLINFOA ti;
  FillInToolInfo(ti, pWnd, nIDTool);
  SendMessage(TTM_DELTOOLA, 0, (LPARAM)&ti);
}

void CToolTipCtrl::UpdateTipText(LPCTSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool) {
  TOOLINFOA ti;
  FillInToolInfo(ti, pWnd, nIDTool);
  ti.lpszText = const_cast<LPSTR>(lpszText);
  SendMessage(TTM_UPDATETIPTEXTA, 0, (LPARAM)&ti);
}

void CToolTipCtrl::SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, LPCRECT lpRect) {
  TOOLINFOA ti;
  FillInToolInfo(ti, pWnd, nIDTool);
  ti.rect = *lpRect;
  SendMessage(TTM_NEWTOOLRECTA, 0, (LPARAM)&ti);
}

BOOL CDateTimeCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  AfxInitCommonControls(ICC_DATE_CLASSES);
  return CWnd::Create(DATETIMEPICK_CLASSA, nullptr, dwStyle, rect, pParentWnd, nID);
}

BOOL CSliderCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  AfxInitCommonControls(ICC_BAR_CLASSES);
  return CWnd::Create(TRACKBAR_CLASSA, nullptr, dwStyle, rect, pParentWnd, nID);
}
