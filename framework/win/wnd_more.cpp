// CWnd: the wrappers beyond the core (relations, dialog items, coordinates,
// painting, menus, scrolling) and the default handlers of the later messages.
#include "framework/wnd.h"

#include "framework/gdi.h"
#include "framework/menu.h"
#include "framework/winthread.h"
#include "framework/win/fwwin_state.h"

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
  DWORD dwStyle = GetExStyle();
  DWORD dwNew = (dwStyle & ~dwRemove) | dwAdd;
  if (dwStyle == dwNew)
    return FALSE;
  ::SetWindowLongPtrA(m_hWnd, GWL_EXSTYLE, (LONG_PTR)dwNew);
  if (nFlags != 0)
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
  return TRUE;
}

CWnd* CWnd::GetOwner() const { return FromHandle(::GetWindow(m_hWnd, GW_OWNER)); }
void CWnd::SetOwner(CWnd* pOwnerWnd) {
  ::SetWindowLongPtrA(m_hWnd, GWLP_HWNDPARENT, (LONG_PTR)(pOwnerWnd ? pOwnerWnd->m_hWnd : nullptr));
}
CWnd* CWnd::SetParent(CWnd* pWndNewParent) {
  return FromHandle(::SetParent(m_hWnd, pWndNewParent ? pWndNewParent->m_hWnd : nullptr));
}

CWnd* CWnd::GetTopLevelParent() const {
  if (m_hWnd == nullptr)
    return nullptr;
  HWND h = m_hWnd;
  while (::GetWindowLongPtrA(h, GWL_STYLE) & WS_CHILD) {
    HWND hParent = ::GetParent(h);
    if (hParent == nullptr)
      break;
    h = hParent;
  }
  return FromHandle(h);
}

CWnd* CWnd::GetTopLevelOwner() const {
  if (m_hWnd == nullptr)
    return nullptr;
  HWND h = m_hWnd;
  for (HWND hOwner; (hOwner = ::GetWindow(h, GW_OWNER)) != nullptr || (::GetWindowLongPtrA(h, GWL_STYLE) & WS_CHILD);) {
    HWND hNext = hOwner != nullptr ? hOwner : ::GetParent(h);
    if (hNext == nullptr)
      break;
    h = hNext;
  }
  return FromHandle(h);
}

HWND CWnd::GetSafeOwnerHwnd(CWnd* pParent) {
  HWND hWnd = pParent ? pParent->m_hWnd : nullptr;
  if (hWnd == nullptr) {
    // The thread's own main window when the user can see it (a worker's hidden
    // window owns nothing), else the application's.
    CWinThread* pThread = AfxGetThread();
    if (pThread != nullptr && pThread->m_pMainWnd != nullptr && pThread->m_pMainWnd->m_hWnd != nullptr &&
        ::IsWindowVisible(pThread->m_pMainWnd->m_hWnd))
      hWnd = pThread->m_pMainWnd->m_hWnd;
    CWinApp* pApp = AfxGetApp();
    if (hWnd == nullptr && pApp != nullptr && pApp->m_pMainWnd != nullptr)
      hWnd = pApp->m_pMainWnd->m_hWnd;
  }
  if (hWnd == nullptr || !::IsWindow(hWnd))
    return nullptr;
  // The top-level window of that window: a child cannot own a popup.
  while (::GetWindowLongPtrA(hWnd, GWL_STYLE) & WS_CHILD) {
    HWND hParent = ::GetParent(hWnd);
    if (hParent == nullptr)
      break;
    hWnd = hParent;
  }
  return hWnd;
}

CWnd* CWnd::GetSafeOwner(CWnd* pParent) { return FromHandle(GetSafeOwnerHwnd(pParent)); }

CWnd* CWnd::GetWindow(UINT nCmd) const { return FromHandle(::GetWindow(m_hWnd, nCmd)); }
CWnd* CWnd::GetTopWindow() const { return FromHandle(::GetTopWindow(m_hWnd)); }
CWnd* CWnd::GetLastActivePopup() const { return FromHandle(::GetLastActivePopup(m_hWnd)); }

namespace {
HWND FindDescendant(HWND hWnd, int nID, BOOL bOnlyPerm) {
  // A child with the id first; among those, one whose own child bears the same
  // id wins (a splitter holding its first pane under the splitter's id).
  HWND hChild = ::GetDlgItem(hWnd, nID);
  if (hChild != nullptr) {
    if (::GetTopWindow(hChild) != nullptr) {
      HWND hDeeper = FindDescendant(hChild, nID, bOnlyPerm);
      if (hDeeper != nullptr)
        return hDeeper;
    }
    if (!bOnlyPerm || CWnd::FromHandlePermanent(hChild) != nullptr)
      return hChild;
  }
  for (hChild = ::GetTopWindow(hWnd); hChild != nullptr; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
    if (::GetTopWindow(hChild) != nullptr) {
      HWND hFound = FindDescendant(hChild, nID, bOnlyPerm);
      if (hFound != nullptr)
        return hFound;
    }
  }
  return nullptr;
}
}  // namespace

CWnd* CWnd::GetDescendantWindow(int nID, BOOL bOnlyPerm) const {
  HWND h = FindDescendant(m_hWnd, nID, bOnlyPerm);
  if (h == nullptr)
    return nullptr;
  return bOnlyPerm ? FromHandlePermanent(h) : FromHandle(h);
}

BOOL CWnd::IsChild(const CWnd* pWnd) const { return pWnd && ::IsChild(m_hWnd, pWnd->m_hWnd); }
BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }
BOOL CWnd::IsZoomed() const { return ::IsZoomed(m_hWnd); }

namespace {
void SendToDescendants(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep, BOOL bOnlyPerm) {
  for (HWND hChild = ::GetTopWindow(hWnd); hChild != nullptr; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
    if (bOnlyPerm) {
      CWnd* p = CWnd::FromHandlePermanent(hChild);
      if (p != nullptr)
        p->SendMessage(message, wParam, lParam);
    } else {
      ::SendMessageA(hChild, message, wParam, lParam);
    }
    if (bDeep && ::GetTopWindow(hChild) != nullptr)
      SendToDescendants(hChild, message, wParam, lParam, bDeep, bOnlyPerm);
  }
}
}  // namespace

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep, BOOL bOnlyPerm) {
  SendToDescendants(m_hWnd, message, wParam, lParam, bDeep, bOnlyPerm);
}

LRESULT CWnd::SendDlgItemMessage(int nID, UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendDlgItemMessageA(m_hWnd, nID, message, wParam, lParam);
}
void CWnd::CheckDlgButton(int nIDButton, UINT nCheck) { ::CheckDlgButton(m_hWnd, nIDButton, nCheck); }
UINT CWnd::IsDlgButtonChecked(int nIDButton) const { return ::IsDlgButtonChecked(m_hWnd, nIDButton); }
void CWnd::CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
  ::CheckRadioButton(m_hWnd, nIDFirstButton, nIDLastButton, nIDCheckButton);
}
int CWnd::GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton) const {
  for (int nID = nIDFirstButton; nID <= nIDLastButton; nID++)
    if (::IsDlgButtonChecked(m_hWnd, nID))
      return nID;
  return 0;
}
UINT CWnd::GetDlgItemInt(int nID, BOOL* lpTrans, BOOL bSigned) const {
  return ::GetDlgItemInt(m_hWnd, nID, lpTrans, bSigned);
}
void CWnd::SetDlgItemInt(int nID, UINT nValue, BOOL bSigned) { ::SetDlgItemInt(m_hWnd, nID, nValue, bSigned); }

void CWnd::CenterWindow(CWnd* pAlternateOwner) {
  CRect rcMe;
  ::GetWindowRect(m_hWnd, &rcMe);
  const bool bChild = (GetStyle() & WS_CHILD) != 0;
  CRect rcArea;
  CRect rcCenter;
  if (bChild) {
    HWND hParent = ::GetParent(m_hWnd);
    ::GetClientRect(hParent, &rcArea);
    rcCenter = rcArea;
    ::MapWindowPoints(m_hWnd, hParent, reinterpret_cast<LPPOINT>(&rcMe), 0);  // keep size only
  } else {
    HWND hCenter = pAlternateOwner ? pAlternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    if (hCenter != nullptr && (!::IsWindowVisible(hCenter) || ::IsIconic(hCenter)))
      hCenter = nullptr;
    MONITORINFO mi = {sizeof mi};
    HMONITOR hMon = ::MonitorFromWindow(hCenter ? hCenter : m_hWnd, MONITOR_DEFAULTTONEAREST);
    ::GetMonitorInfoA(hMon, &mi);
    rcArea = mi.rcWork;
    if (hCenter != nullptr)
      ::GetWindowRect(hCenter, &rcCenter);
    else
      rcCenter = rcArea;
  }
  int x = (rcCenter.left + rcCenter.right) / 2 - rcMe.Width() / 2;
  int y = (rcCenter.top + rcCenter.bottom) / 2 - rcMe.Height() / 2;
  // Keep it on the work area (or inside the parent).
  if (x + rcMe.Width() > rcArea.right)
    x = rcArea.right - rcMe.Width();
  if (x < rcArea.left)
    x = rcArea.left;
  if (y + rcMe.Height() > rcArea.bottom)
    y = rcArea.bottom - rcMe.Height();
  if (y < rcArea.top)
    y = rcArea.top;
  ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::ClientToScreen(LPPOINT p) const { ::ClientToScreen(m_hWnd, p); }
void CWnd::ClientToScreen(LPRECT r) const {
  ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(r));
  ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(r) + 1);
}
void CWnd::ScreenToClient(LPPOINT p) const { ::ScreenToClient(m_hWnd, p); }
void CWnd::ScreenToClient(LPRECT r) const {
  ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(r));
  ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(r) + 1);
}
void CWnd::MapWindowPoints(CWnd* pwndTo, LPRECT lpRect) const {
  ::MapWindowPoints(m_hWnd, pwndTo ? pwndTo->m_hWnd : nullptr, reinterpret_cast<LPPOINT>(lpRect), 2);
}
void CWnd::MapWindowPoints(CWnd* pwndTo, LPPOINT lpPoint, UINT nCount) const {
  ::MapWindowPoints(m_hWnd, pwndTo ? pwndTo->m_hWnd : nullptr, lpPoint, nCount);
}
void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) { ::InvalidateRect(m_hWnd, lpRect, bErase); }
void CWnd::InvalidateRgn(HRGN hRgn, BOOL bErase) { ::InvalidateRgn(m_hWnd, hRgn, bErase); }
void CWnd::ValidateRect(LPCRECT lpRect) { ::ValidateRect(m_hWnd, lpRect); }
BOOL CWnd::RedrawWindow(LPCRECT lpRectUpdate, HRGN hrgnUpdate, UINT flags) {
  return ::RedrawWindow(m_hWnd, lpRectUpdate, hrgnUpdate, flags);
}
void CWnd::SetRedraw(BOOL bRedraw) { ::SendMessageA(m_hWnd, WM_SETREDRAW, bRedraw, 0); }
BOOL CWnd::GetUpdateRect(LPRECT lpRect, BOOL bErase) { return ::GetUpdateRect(m_hWnd, lpRect, bErase); }
int CWnd::ScrollWindowEx(int dx, int dy, LPCRECT lpRectScroll, LPCRECT lpRectClip, HRGN hrgnUpdate,
                         LPRECT lpRectUpdate, UINT flags) {
  return ::ScrollWindowEx(m_hWnd, dx, dy, lpRectScroll, lpRectClip, hrgnUpdate, lpRectUpdate, flags);
}
CWnd* CWnd::SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
BOOL CWnd::SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
void CWnd::BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
CWnd* CWnd::GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
CWnd* CWnd::GetForegroundWindow() { return FromHandle(::GetForegroundWindow()); }
CWnd* CWnd::GetDesktopWindow() { return FromHandle(::GetDesktopWindow()); }
CWnd* CWnd::FindWindow(LPCTSTR lpszClassName, LPCTSTR lpszWindowName) {
  return FromHandle(::FindWindowA(lpszClassName, lpszWindowName));
}
CWnd* CWnd::SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
CWnd* CWnd::GetCapture() { return FromHandle(::GetCapture()); }
BOOL CWnd::FlashWindow(BOOL bInvert) { return ::FlashWindow(m_hWnd, bInvert); }
BOOL CWnd::ShowOwnedPopups(BOOL bShow) { return ::ShowOwnedPopups(m_hWnd, bShow); }
BOOL CWnd::GetWindowPlacement(WINDOWPLACEMENT* lpwndpl) const {
  lpwndpl->length = sizeof(WINDOWPLACEMENT);
  return ::GetWindowPlacement(m_hWnd, lpwndpl);
}
BOOL CWnd::SetWindowPlacement(const WINDOWPLACEMENT* lpwndpl) {
  WINDOWPLACEMENT wp = *lpwndpl;
  wp.length = sizeof wp;
  return ::SetWindowPlacement(m_hWnd, &wp);
}
HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
  return (HICON)::SendMessageA(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, (LPARAM)hIcon);
}
HICON CWnd::GetIcon(BOOL bBigIcon) const {
  return (HICON)::SendMessageA(m_hWnd, WM_GETICON, bBigIcon ? ICON_BIG : ICON_SMALL, 0);
}
void CWnd::SetFont(CFont* pFont, BOOL bRedraw) {
  ::SendMessageA(m_hWnd, WM_SETFONT, (WPARAM)(pFont ? pFont->m_hObject : nullptr), bRedraw);
}
CFont* CWnd::GetFont() const { return CFont::FromHandle((HFONT)::SendMessageA(m_hWnd, WM_GETFONT, 0, 0)); }

CDC* CWnd::GetDC() {
  HDC h = ::GetDC(m_hWnd);
  return h ? CDC::FromHandle(h) : nullptr;
}
CDC* CWnd::GetWindowDC() {
  HDC h = ::GetWindowDC(m_hWnd);
  return h ? CDC::FromHandle(h) : nullptr;
}
int CWnd::ReleaseDC(CDC* pDC) { return pDC ? ::ReleaseDC(m_hWnd, pDC->m_hDC) : 0; }

CMenu* CWnd::GetMenu() const { return CMenu::FromHandle(::GetMenu(m_hWnd)); }
BOOL CWnd::SetMenu(CMenu* pMenu) { return ::SetMenu(m_hWnd, pMenu ? pMenu->m_hMenu : nullptr); }
void CWnd::DrawMenuBar() { ::DrawMenuBar(m_hWnd); }
CMenu* CWnd::GetSystemMenu(BOOL bRevert) const { return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert)); }

int CWnd::MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType) {
  if (lpszCaption == nullptr) {
    CWinApp* pApp = AfxGetApp();
    lpszCaption = pApp && pApp->m_pszAppName ? pApp->m_pszAppName : "";
  }
  return ::MessageBoxA(m_hWnd, lpszText, lpszCaption, nType);
}
void CWnd::DragAcceptFiles(BOOL bAccept) { ::DragAcceptFiles(m_hWnd, bAccept); }
BOOL CWnd::OpenClipboard() { return ::OpenClipboard(m_hWnd); }
HWND CWnd::SetClipboardViewer() { return ::SetClipboardViewer(m_hWnd); }
BOOL CWnd::ChangeClipboardChain(HWND hWndNext) { return ::ChangeClipboardChain(m_hWnd, hWndNext); }
int CWnd::GetScrollPos(int nBar) const { return ::GetScrollPos(m_hWnd, nBar); }
int CWnd::SetScrollPos(int nBar, int nPos, BOOL bRedraw) { return ::SetScrollPos(m_hWnd, nBar, nPos, bRedraw); }
void CWnd::GetScrollRange(int nBar, LPINT lpMinPos, LPINT lpMaxPos) const {
  ::GetScrollRange(m_hWnd, nBar, lpMinPos, lpMaxPos);
}
void CWnd::SetScrollRange(int nBar, int nMinPos, int nMaxPos, BOOL bRedraw) {
  ::SetScrollRange(m_hWnd, nBar, nMinPos, nMaxPos, bRedraw);
}
BOOL CWnd::GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask) {
  lpScrollInfo->cbSize = sizeof(SCROLLINFO);
  lpScrollInfo->fMask = nMask;
  return ::GetScrollInfo(m_hWnd, nBar, lpScrollInfo);
}
BOOL CWnd::SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw) {
  lpScrollInfo->cbSize = sizeof(SCROLLINFO);
  ::SetScrollInfo(m_hWnd, nBar, lpScrollInfo, bRedraw);
  return TRUE;
}
void CWnd::ShowScrollBar(UINT nBar, BOOL bShow) { ::ShowScrollBar(m_hWnd, (int)nBar, bShow); }
int CWnd::SetWindowRgn(HRGN hRgn, BOOL bRedraw) { return ::SetWindowRgn(m_hWnd, hRgn, bRedraw); }
BOOL CWnd::IsDialogMessage(LPMSG lpMsg) { return ::IsDialogMessageA(m_hWnd, lpMsg); }
void CWnd::GotoDlgCtrl(CWnd* pWndCtrl) {
  if (pWndCtrl != nullptr)
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, (WPARAM)pWndCtrl->m_hWnd, TRUE);
}
CWnd* CWnd::GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious) const {
  return FromHandle(::GetNextDlgTabItem(m_hWnd, pWndCtl ? pWndCtl->m_hWnd : nullptr, bPrevious));
}
CWnd* CWnd::GetNextDlgGroupItem(CWnd* pWndCtl, BOOL bPrevious) const {
  return FromHandle(::GetNextDlgGroupItem(m_hWnd, pWndCtl ? pWndCtl->m_hWnd : nullptr, bPrevious));
}

// ---- command UI for controls ----

namespace {

// An update object for one child control of a bar or dialog.
class CControlCmdUI : public CCmdUI {
public:
  void SetText(LPCTSTR lpszText) override {
    if (m_pOther != nullptr)
      CCmdUI::SetText(lpszText);
  }
};

}  // namespace

void CWnd::UpdateDialogControls(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) {
  if (pTarget == nullptr || m_hWnd == nullptr)
    return;
  CControlCmdUI state;
  CWnd wndTemp;  // wraps controls without a bound object
  for (HWND hWndChild = ::GetTopWindow(m_hWnd); hWndChild != nullptr;
       hWndChild = ::GetWindow(hWndChild, GW_HWNDNEXT)) {
    state.m_nID = (UINT)(WORD)::GetDlgCtrlID(hWndChild);
    if (state.m_nID == 0 || state.m_nID == 0xFFFF)
      continue;
    CWnd* pCtrl = FromHandlePermanent(hWndChild);
    if (pCtrl == nullptr) {
      wndTemp.m_hWnd = hWndChild;
      pCtrl = &wndTemp;
    }
    state.m_pOther = pCtrl;
    // Buttons without a command handler (a check box that holds a setting) keep
    // their state: only push buttons are disabled for lack of a handler.
    BOOL bDisable = bDisableIfNoHndler;
    if (bDisable) {
      LRESULT code = ::SendMessageA(hWndChild, WM_GETDLGCODE, 0, 0);
      if (!(code & DLGC_BUTTON) ||
          ((::GetWindowLongPtrA(hWndChild, GWL_STYLE) & BS_TYPEMASK) != BS_PUSHBUTTON &&
           (::GetWindowLongPtrA(hWndChild, GWL_STYLE) & BS_TYPEMASK) != BS_DEFPUSHBUTTON))
        bDisable = FALSE;
    }
    // The control's own object may handle its update first.
    if (pCtrl != &wndTemp && pCtrl->OnCmdMsg(state.m_nID, CN_UPDATE_COMMAND_UI, &state, nullptr)) {
      continue;
    }
    state.DoUpdate(pTarget, bDisable);
  }
  wndTemp.m_hWnd = nullptr;
}

// ---- more base handlers: default processing ----

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* pWnd, UINT) {
  LRESULT lResult = 0;
  if (pWnd != nullptr && ReflectLastMsg(pWnd->m_hWnd, &lResult))
    return (HBRUSH)lResult;
  return (HBRUSH)Default();
}
void CWnd::OnHScroll(UINT, UINT, CScrollBar* pScrollBar) {
  CWnd* pBar = reinterpret_cast<CWnd*>(pScrollBar);
  if (pBar != nullptr && ReflectLastMsg(pBar->m_hWnd))
    return;
  Default();
}
void CWnd::OnVScroll(UINT, UINT, CScrollBar* pScrollBar) {
  CWnd* pBar = reinterpret_cast<CWnd*>(pScrollBar);
  if (pBar != nullptr && ReflectLastMsg(pBar->m_hWnd))
    return;
  Default();
}
void CWnd::OnEnable(BOOL) { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return (BOOL)Default(); }
void CWnd::OnInitMenuPopup(CMenu*, UINT, BOOL) { Default(); }
LRESULT CWnd::OnMenuChar(UINT, UINT, CMenu*) { return Default(); }
void CWnd::OnMenuSelect(UINT, UINT, HMENU) { Default(); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
UINT CWnd::OnGetDlgCode() { return (UINT)Default(); }
void CWnd::OnMButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnMButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnNcLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnNcLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnNcPaint() { Default(); }
BOOL CWnd::OnNcActivate(BOOL) { return (BOOL)Default(); }
void CWnd::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS*) { Default(); }
void CWnd::OnSysKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysColorChange() { Default(); }
void CWnd::OnSettingChange(UINT, LPCTSTR) { Default(); }
void CWnd::OnSizing(UINT, LPRECT) { Default(); }
int CWnd::OnMouseActivate(CWnd*, UINT, UINT) { return (int)Default(); }
void CWnd::OnParentNotify(UINT, LPARAM) { Default(); }
void CWnd::OnCancelMode() { Default(); }
void CWnd::OnMouseLeave() { Default(); }
void CWnd::OnMouseHover(UINT, CPoint) { Default(); }
