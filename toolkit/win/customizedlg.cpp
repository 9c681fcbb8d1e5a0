// The Customize Toolbar dialog: the platform's dialog, caught as the thread's
// first new window while TB_CUSTOMIZE runs and given a text-label chooser;
// and the toolbar's context menu that opens it.
#include "toolkit/toolbarex.h"

#include "framework/docview.h"

namespace {

thread_local HHOOK t_hCustomizeHook = nullptr;

LRESULT CALLBACK CustomizeCbtHook(int nCode, WPARAM wParam, LPARAM lParam) {
  CCustomizeDialog* pDlg = CToolBarEx::s_pCustomizeDialog;
  if (nCode == HCBT_CREATEWND && pDlg != nullptr && pDlg->m_hWnd == nullptr)
    pDlg->SubclassWindow((HWND)wParam);
  return ::CallNextHookEx(t_hCustomizeHook, nCode, wParam, lParam);
}

const char* const kTextChoices[] = {"Show Text Labels", "Selective Text on Right", "No Text Labels"};
const UINT kCustomizeCommand = 255;

}  // namespace

IMPLEMENT_DYNAMIC(CCustomizeDialog, CWnd)

CCustomizeDialog::CCustomizeDialog(CToolBarEx* pToolBar, int nTextOption, int nIconOption)
    : m_pToolBar(pToolBar), m_nTextOption(nTextOption), m_nIconOption(nIconOption) {}

void CCustomizeDialog::SetTextChoice(int n) {
  m_nTextOption = n;
  if (m_hTextCombo != nullptr)
    ::SendMessageA(m_hTextCombo, CB_SETCURSEL, (WPARAM)n, 0);
}

void CCustomizeDialog::OnInitDialogAdditions() {
  CRect rcClient;
  GetClientRect(&rcClient);
  HFONT hFont = (HFONT)SendMessage(WM_GETFONT);
  // Below the platform's controls, in dialog units of this dialog.
  RECT rcLabel = {4, 2, 4 + 49, 2 + 8};
  RECT rcCombo = {52, 0, 52 + 123, 0 + 50};
  RECT rcGrow = {0, 0, 0, 15};
  ::MapDialogRect(m_hWnd, &rcLabel);
  ::MapDialogRect(m_hWnd, &rcCombo);
  ::MapDialogRect(m_hWnd, &rcGrow);
  const int top = rcClient.bottom;
  HINSTANCE hInst = (HINSTANCE)::GetWindowLongPtrA(m_hWnd, GWLP_HINSTANCE);
  m_hTextLabel = ::CreateWindowExA(0, "STATIC", "Text: ", WS_CHILD | WS_VISIBLE, rcLabel.left, top + rcLabel.top,
                                   rcLabel.right - rcLabel.left, rcLabel.bottom - rcLabel.top, m_hWnd, nullptr, hInst,
                                   nullptr);
  m_hTextCombo = ::CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                                   rcCombo.left, top + rcCombo.top, rcCombo.right - rcCombo.left,
                                   rcCombo.bottom - rcCombo.top, m_hWnd, (HMENU)(UINT_PTR)kTextComboId, hInst, nullptr);
  for (HWND h : {m_hTextLabel, m_hTextCombo})
    if (h != nullptr)
      ::SendMessageA(h, WM_SETFONT, (WPARAM)hFont, FALSE);
  if (m_hTextCombo != nullptr) {
    for (const char* psz : kTextChoices)
      ::SendMessageA(m_hTextCombo, CB_ADDSTRING, 0, (LPARAM)psz);
    ::SendMessageA(m_hTextCombo, CB_SETCURSEL, (WPARAM)m_nTextOption, 0);
  }
  CRect rcWnd;
  GetWindowRect(&rcWnd);
  ::SetWindowPos(m_hWnd, nullptr, 0, 0, rcWnd.Width(), rcWnd.Height() + (rcGrow.bottom - rcGrow.top) + 3,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CString strBar;
  if (m_pToolBar != nullptr)
    m_pToolBar->GetWindowText(strBar);
  if (!strBar.IsEmpty()) {
    CString strTitle;
    GetWindowText(strTitle);
    SetWindowText(strTitle + " - " + strBar);
  }
  CenterWindow();
}

LRESULT CCustomizeDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialogAdditions();
      break;
    case WM_COMMAND:
      if (LOWORD(wParam) == kTextComboId && HIWORD(wParam) == CBN_SELENDOK) {
        int n = (int)::SendMessageA(m_hTextCombo, CB_GETCURSEL, 0, 0);
        if (n >= 0) {
          m_nTextOption = n;
          if (m_pToolBar != nullptr)
            m_pToolBar->SetTextOptions(n, TRUE);
        }
        return 0;
      }
      if (LOWORD(wParam) == kIconComboId && HIWORD(wParam) == CBN_SELENDOK) {
        int n = (int)::SendMessageA((HWND)lParam, CB_GETCURSEL, 0, 0);
        if (n >= 0)
          m_nIconOption = n;
        return 0;
      }
      break;
    case WM_HELP: {
      const HELPINFO* p = reinterpret_cast<const HELPINFO*>(lParam);
      if (p != nullptr && (p->iCtrlId == (int)kTextComboId || p->iCtrlId == (int)kIconComboId))
        return TRUE;
      break;
    }
    case WM_NCDESTROY:
      m_hTextCombo = m_hTextLabel = m_hIconCombo = m_hIconLabel = nullptr;
      break;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CToolBarEx::OnCustomizeRequest(WPARAM, LPARAM) {
  if (s_pCustomizeDialog != nullptr)
    return 0;  // one Customize dialog at a time
  return RunPlatformCustomize();
}

LRESULT CToolBarEx::RunPlatformCustomize() {
  CCustomizeDialog* pDlg = new CCustomizeDialog(this, m_nTextOption, m_nIconOption);
  s_pCustomizeDialog = pDlg;
  t_hCustomizeHook = ::SetWindowsHookExA(WH_CBT, CustomizeCbtHook, nullptr, ::GetCurrentThreadId());
  LRESULT r = Default();
  if (t_hCustomizeHook != nullptr)
    ::UnhookWindowsHookEx(t_hCustomizeHook);
  t_hCustomizeHook = nullptr;
  if (pDlg->m_nIconOption != m_nIconOption)
    SetIconOptions(pDlg->m_nIconOption, TRUE);
  if (pDlg->m_hWnd != nullptr)
    pDlg->UnsubclassWindow();
  delete pDlg;
  s_pCustomizeDialog = nullptr;
  SaveState();
  return r;
}

void CToolBarEx::Customize() {
  SendMessage(TB_CUSTOMIZE);
  UpdateBandSize();
}

void CToolBarEx::UpdateBandSize() {
  // The band holding the bar (band 0 of its rebar) takes the bar's size.
  CReBar* pReBar = DYNAMIC_DOWNCAST(CReBar, CWnd::FromHandlePermanent(::GetParent(m_hWnd)));
  if (pReBar == nullptr || pReBar->GetReBarCtrl().GetBandCount() == 0)
    return;
  CSize size = CalcFixedLayout(FALSE, TRUE);
  REBARBANDINFOA rbbi = {};
  rbbi.cbSize = sizeof rbbi;
  rbbi.fMask = RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_IDEALSIZE;
  rbbi.cxMinChild = (UINT)size.cx;
  rbbi.cyMinChild = (UINT)size.cy;
  rbbi.cx = rbbi.cxIdeal = (UINT)size.cx;
  pReBar->GetReBarCtrl().SetBandInfo(0, &rbbi);
}

void CToolBarEx::OnContextMenu(CWnd*, CPoint point) {
  if (GetToolBarCtrl().GetButtonCount() == 0 || m_buttons.empty() || m_pDockSite == nullptr) {
    Default();
    return;
  }
  HMENU hMenu = ::CreatePopupMenu();
  for (POSITION pos = m_pDockSite->m_listControlBars.GetHeadPosition(); pos != nullptr;) {
    CControlBar* pBar = static_cast<CControlBar*>(m_pDockSite->m_listControlBars.GetNext(pos));
    if (!pBar->IsKindOf(RUNTIME_CLASS(CToolBar)) || pBar->m_hWnd == nullptr)
      continue;
    CString strTitle;
    pBar->GetWindowText(strTitle);
    ::AppendMenuA(hMenu, MF_STRING | (pBar->IsVisible() ? MF_CHECKED : MF_UNCHECKED), (UINT_PTR)pBar->GetDlgCtrlID(),
                  strTitle);
  }
  ::AppendMenuA(hMenu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(hMenu, MF_STRING, kCustomizeCommand, "(&C)Customize Toolbar..");
  if (point.x == -1 && point.y == -1) {
    CRect rc;
    GetWindowRect(&rc);
    point = rc.TopLeft();
  }
  UINT nCmd = (UINT)::TrackPopupMenu(hMenu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, point.x,
                                     point.y, 0, m_hWnd, nullptr);
  ::DestroyMenu(hMenu);
  if (nCmd == kCustomizeCommand) {
    Customize();
  } else if (nCmd != 0) {
    CControlBar* pBar = m_pDockSite->GetControlBar(nCmd);
    if (pBar != nullptr)
      m_pDockSite->ShowControlBar(pBar, !pBar->IsVisible(), FALSE);
  }
}
