#include "framework/dialog.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include <commctrl.h>

#include "framework/commctrls.h"
#include "framework/fwtime.h"
#include "framework/module.h"
#include "framework/winthread.h"
#include "framework/win/fwwin_state.h"

IMPLEMENT_DYNAMIC(CUserException, CException)

void AfxThrowUserException() { throw new CUserException; }

namespace {

// The template in the resource module, else in this module.
LPCDLGTEMPLATE FindDialogTemplate(LPCTSTR lpszTemplateName, HINSTANCE* phInst) {
  if (lpszTemplateName == nullptr)
    return nullptr;
  HINSTANCE candidates[2] = {AfxGetResourceHandle(), AfxGetInstanceHandle()};
  for (int i = 0; i < 2; i++) {
    HINSTANCE hInst = candidates[i];
    if (i == 1 && hInst == candidates[0])
      break;
    HRSRC hRes = ::FindResourceA(hInst, lpszTemplateName, (LPCSTR)RT_DIALOG);
    if (hRes == nullptr)
      continue;
    HGLOBAL hGlobal = ::LoadResource(hInst, hRes);
    LPCDLGTEMPLATE p = hGlobal ? static_cast<LPCDLGTEMPLATE>(::LockResource(hGlobal)) : nullptr;
    if (p != nullptr) {
      *phInst = hInst;
      return p;
    }
  }
  return nullptr;
}

bool IsDialogWindow(HWND hWnd) {
  char sz[16] = "";
  ::GetClassNameA(hWnd, sz, sizeof sz);
  return lstrcmpA(sz, "#32770") == 0;
}

void ReportTrouble(const char* pszWhat, LPCTSTR lpszTemplateName) {
  char sz[160];
  if (IS_INTRESOURCE(lpszTemplateName))
    std::snprintf(sz, sizeof sz, "dialog %u: %s\n", (unsigned)(UINT_PTR)lpszTemplateName, pszWhat);
  else
    std::snprintf(sz, sizeof sz, "dialog %.80s: %s\n", lpszTemplateName ? lpszTemplateName : "?", pszWhat);
  ::OutputDebugStringA(sz);
}

}  // namespace

// Only WM_INITDIALOG needs the dialog procedure: every other message reaches the
// object through its window procedure before the dialog manager sees it.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG)
    return FALSE;
  CDialog* pDlg = DYNAMIC_DOWNCAST(CDialog, CWnd::FromHandlePermanent(hWnd));
  if (pDlg == nullptr)
    return TRUE;
  try {
    return pDlg->OnInitDialog();
  } catch (CException* e) {
    char sz[256] = "";
    e->GetErrorMessage(sz, sizeof sz);
    ::OutputDebugStringA(sz);
    e->Delete();
  } catch (const std::exception& e) {
    ::OutputDebugStringA(e.what());
  }
  // A failed start: the dialog ends as cancelled rather than half set up.
  pDlg->EndDialog(IDCANCEL);
  return FALSE;
}

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, OnOK)
  ON_COMMAND(IDCANCEL, OnCancel)
  ON_WM_GETMINMAXINFO()
  ON_WM_SIZE()
END_MESSAGE_MAP()

CDialog::CDialog() = default;

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd) {
  m_lpszTemplateName = MAKEINTRESOURCEA(nIDTemplate);
}

CDialog::CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd) : m_pParentWnd(pParentWnd) {
  if (IS_INTRESOURCE(lpszTemplateName)) {
    m_lpszTemplateName = lpszTemplateName;
    m_nIDHelp = (UINT)(UINT_PTR)lpszTemplateName;
  } else if (lpszTemplateName != nullptr) {
    m_strTemplateName = lpszTemplateName;
    m_lpszTemplateName = m_strTemplateName;
  }
}

CDialog::~CDialog() {
  // A modeless dialog deleted while its window lives: CWnd's destructor destroys
  // the window after unbinding it.
}

BOOL CDialog::CreateFromResource(HINSTANCE hInst, LPCDLGTEMPLATE lpTemplate, HWND hParent) {
  if (m_hWnd != nullptr)
    return FALSE;
  // Keep a creation that is pending outside (a dialog made in OnCreate).
  AfxThreadState* st = AfxGetThreadState();
  CWnd* pSavedInit = st->pWndInit;
  LPCTSTR lpszSavedClass = st->lpszInitClass;
  LPVOID lpSavedParam = st->lpInitParam;
  const bool bOuterHook = st->hHookCbt != nullptr;
  // Templates name common controls by class: make sure they are registered.
  AfxInitCommonControls(ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_USEREX_CLASSES | ICC_INTERNET_CLASSES);
  AfxHookWindowCreate(this);
  HWND hWnd = ::CreateDialogIndirectParamA(hInst, lpTemplate, hParent, &AfxDlgProc, 0);
  const bool bBound = st->pWndInit == nullptr;
  if (bOuterHook) {
    st->pWndInit = pSavedInit;
    st->lpszInitClass = lpszSavedClass;
    st->lpInitParam = lpSavedParam;
  } else {
    AfxUnhookWindowCreate();
  }
  if (!bBound) {
    if (hWnd != nullptr)
      ::DestroyWindow(hWnd);
    return FALSE;
  }
  // Bound and destroyed again (a control class that does not exist): unbound at
  // its WM_NCDESTROY already.
  return hWnd != nullptr;
}

BOOL CDialog::CreateFromTemplate(LPCTSTR lpszTemplateName, HWND hParent) {
  HINSTANCE hInst = nullptr;
  LPCDLGTEMPLATE lpTemplate = FindDialogTemplate(lpszTemplateName, &hInst);
  if (lpTemplate == nullptr) {
    ReportTrouble("template not found", lpszTemplateName);
    return FALSE;
  }
  if (!CreateFromResource(hInst, lpTemplate, hParent)) {
    ReportTrouble("window not created", lpszTemplateName);
    return FALSE;
  }
  return TRUE;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
  m_nIDHelp = nIDTemplate;
  return Create(MAKEINTRESOURCEA(nIDTemplate), pParentWnd);
}

BOOL CDialog::Create(LPCTSTR lpszTemplateName, CWnd* pParentWnd) {
  if (!IS_INTRESOURCE(lpszTemplateName) && lpszTemplateName != nullptr && lpszTemplateName != m_lpszTemplateName) {
    m_strTemplateName = lpszTemplateName;
    lpszTemplateName = m_strTemplateName;
  }
  m_lpszTemplateName = lpszTemplateName;
  if (pParentWnd != nullptr)
    m_pParentWnd = pParentWnd;
  HINSTANCE hInst = nullptr;
  LPCDLGTEMPLATE lpTemplate = FindDialogTemplate(lpszTemplateName, &hInst);
  if (lpTemplate == nullptr) {
    ReportTrouble("template not found", lpszTemplateName);
    return FALSE;
  }
  return CreateIndirect(lpTemplate, pParentWnd, hInst);
}

BOOL CDialog::CreateIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd, HINSTANCE hInst) {
  if (lpDialogTemplate == nullptr)
    return FALSE;
  if (pParentWnd != nullptr)
    m_pParentWnd = pParentWnd;
  // The template's style: DLGTEMPLATEEX keeps it after its signature and help id.
  const WORD* pw = reinterpret_cast<const WORD*>(lpDialogTemplate);
  DWORD dwStyle = (pw[0] == 1 && pw[1] == 0xFFFF) ? *reinterpret_cast<const DWORD UNALIGNED*>(pw + 6)
                                                  : lpDialogTemplate->style;
  HWND hParent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  if (!(dwStyle & WS_CHILD) && hParent == nullptr)
    hParent = GetSafeOwnerHwnd(nullptr);
  m_bInModalLoop = FALSE;
  return CreateFromResource(hInst ? hInst : AfxGetInstanceHandle(), lpDialogTemplate, hParent);
}

INT_PTR CDialog::DoModal() {
  if (m_hWnd != nullptr)
    return -1;  // already showing
  HINSTANCE hInst = nullptr;
  LPCDLGTEMPLATE lpTemplate = FindDialogTemplate(m_lpszTemplateName, &hInst);
  if (lpTemplate == nullptr) {
    ReportTrouble("template not found", m_lpszTemplateName);
    return -1;
  }
  HWND hOwner = GetSafeOwnerHwnd(m_pParentWnd);
  const bool bOwnerHere = hOwner != nullptr && ::GetWindowThreadProcessId(hOwner, nullptr) == ::GetCurrentThreadId();
  bool bOwnerDisabled = false;
  if (bOwnerHere && ::IsWindowEnabled(hOwner)) {
    ::EnableWindow(hOwner, FALSE);
    bOwnerDisabled = true;
  }
  m_bEndModal = FALSE;
  m_nModalResult = -1;
  m_bInModalLoop = TRUE;
  INT_PTR nResult = -1;
  if (CreateFromResource(hInst, lpTemplate, hOwner)) {
    if (!m_bEndModal)
      RunModalLoop();
    nResult = m_nModalResult;
    // Hidden before the owner comes back, so activation returns to the owner.
    if (m_hWnd != nullptr)
      ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
  } else {
    ReportTrouble("window not created", m_lpszTemplateName);
  }
  if (bOwnerDisabled)
    ::EnableWindow(hOwner, TRUE);
  if (bOwnerHere && m_hWnd != nullptr && ::GetActiveWindow() == m_hWnd)
    ::SetActiveWindow(hOwner);
  if (m_hWnd != nullptr)
    DestroyWindow();
  m_bInModalLoop = FALSE;
  return nResult;
}

INT_PTR CDialog::RunModalLoop() {
  bool bShowIdle = (GetStyle() & WS_VISIBLE) == 0;
  bool bIdle = true;
  LONG lIdleCount = 0;
  MSG msg;
  for (;;) {
    if (m_bEndModal || m_hWnd == nullptr)
      break;
    while (bIdle && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (bShowIdle) {
        ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
        ::UpdateWindow(m_hWnd);
        bShowIdle = false;
      }
      // Dialogs that update their controls at idle answer nonzero for more.
      if (!::SendMessageA(m_hWnd, WM_KICKIDLE, MSGF_DIALOGBOX, lIdleCount++))
        bIdle = false;
      if (m_bEndModal || m_hWnd == nullptr)
        break;
    }
    if (m_bEndModal || m_hWnd == nullptr)
      break;
    BOOL bRet = ::GetMessageA(&msg, nullptr, 0, 0);
    if (bRet == 0) {
      // The thread is quitting: end the dialog and hand the quit on to the
      // loop outside.
      ::PostQuitMessage((int)msg.wParam);
      if (!m_bEndModal)
        m_nModalResult = IDABORT;
      break;
    }
    if (bRet == -1) {
      if (!m_bEndModal)
        m_nModalResult = IDABORT;
      break;
    }
    if (!AfxPreTranslateMessage(&msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (bShowIdle && (msg.message == WM_SYSKEYDOWN || msg.message == WM_KEYDOWN)) {
      ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
      ::UpdateWindow(m_hWnd);
      bShowIdle = false;
    }
    if (msg.message != WM_PAINT && msg.message != 0x0118 && msg.message != WM_NULL) {
      bIdle = true;
      lIdleCount = 0;
    }
  }
  return m_nModalResult;
}

void CDialog::EndDialog(int nResult) {
  if (m_bInModalLoop) {
    m_nModalResult = nResult;
    m_bEndModal = TRUE;
    if (m_hWnd != nullptr)
      ::PostMessageA(m_hWnd, WM_NULL, 0, 0);  // wakes the loop
  } else if (m_hWnd != nullptr) {
    ::ShowWindow(m_hWnd, SW_HIDE);
  }
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;  // the dialog manager focuses the first tab stop
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE))
    return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
  if (m_hWnd == nullptr)
    return FALSE;
  CDataExchange dx(this, bSaveAndValidate);
  try {
    DoDataExchange(&dx);
  } catch (CUserException* e) {
    e->Delete();
    return FALSE;
  }
  return TRUE;
}

void CDialog::NextDlgCtrl() const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 0, 0); }
void CDialog::PrevDlgCtrl() const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 1, 0); }
void CDialog::GotoDlgCtrl(CWnd* pWndCtrl) {
  if (pWndCtrl != nullptr && pWndCtrl->m_hWnd != nullptr)
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, (WPARAM)pWndCtrl->m_hWnd, 1);
}
void CDialog::SetDefID(UINT nID) { ::SendMessageA(m_hWnd, DM_SETDEFID, nID, 0); }
DWORD CDialog::GetDefID() const { return (DWORD)::SendMessageA(m_hWnd, DM_GETDEFID, 0, 0); }
void CDialog::MapDialogRect(LPRECT lpRect) const { ::MapDialogRect(m_hWnd, lpRect); }

void CDialog::ShowSizeGrip(BOOL bShow) {
  if (m_hWnd == nullptr)
    return;
  if (bShow && m_hWndSizeGrip == nullptr) {
    CRect rc;
    ::GetClientRect(m_hWnd, &rc);
    int cx = ::GetSystemMetrics(SM_CXVSCROLL);
    int cy = ::GetSystemMetrics(SM_CYHSCROLL);
    m_hWndSizeGrip = ::CreateWindowExA(0, "SCROLLBAR", "",
                                       WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBS_SIZEGRIP |
                                           SBS_SIZEBOXBOTTOMRIGHTALIGN,
                                       rc.right - cx, rc.bottom - cy, cx, cy, m_hWnd, (HMENU)(UINT_PTR)0xFFFF,
                                       AfxGetInstanceHandle(), nullptr);
  } else if (!bShow && m_hWndSizeGrip != nullptr) {
    ::DestroyWindow(m_hWndSizeGrip);
    m_hWndSizeGrip = nullptr;
  }
}

void CDialog::OnGetMinMaxInfo(MINMAXINFO* lpMMI) {
  if (m_sizeMinTrack.cx > 0)
    lpMMI->ptMinTrackSize.x = m_sizeMinTrack.cx;
  if (m_sizeMinTrack.cy > 0)
    lpMMI->ptMinTrackSize.y = m_sizeMinTrack.cy;
}

void CDialog::OnSize(UINT nType, int cx, int cy) {
  Default();
  if (m_hWndSizeGrip != nullptr && ::IsWindow(m_hWndSizeGrip)) {
    int gx = ::GetSystemMetrics(SM_CXVSCROLL);
    int gy = ::GetSystemMetrics(SM_CYHSCROLL);
    ::SetWindowPos(m_hWndSizeGrip, nullptr, cx - gx, cy - gy, gx, gy, SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(m_hWndSizeGrip, nType == SIZE_MAXIMIZED ? SW_HIDE : SW_SHOW);
  }
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
  if (m_hWnd == nullptr)
    return FALSE;
  const UINT m = pMsg->message;
  const bool bInput = (m >= WM_KEYFIRST && m <= WM_KEYLAST) || (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST);
  if (!bInput)
    return FALSE;
  if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd))
    return FALSE;
  // A page inside another dialog (DS_CONTROL gives WS_EX_CONTROLPARENT) leaves
  // navigation to the outermost dialog, so Tab moves across all of them.
  HWND hTop = m_hWnd;
  while ((::GetWindowLongPtrA(hTop, GWL_STYLE) & WS_CHILD) &&
         (::GetWindowLongPtrA(hTop, GWL_EXSTYLE) & WS_EX_CONTROLPARENT)) {
    HWND hParent = ::GetParent(hTop);
    if (hParent == nullptr || (!IsDialogWindow(hParent) && !(::GetWindowLongPtrA(hParent, GWL_EXSTYLE) &
                                                             WS_EX_CONTROLPARENT)))
      break;
    hTop = hParent;
  }
  if (hTop != m_hWnd && IsDialogWindow(hTop)) {
    CWnd* pOuter = FromHandlePermanent(hTop);
    if (pOuter != nullptr)
      return FALSE;  // its own PreTranslateMessage comes next in the walk
    return ::IsDialogMessageA(hTop, pMsg);
  }
  return ::IsDialogMessageA(m_hWnd, pMsg);
}

BOOL CDialog::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
    return TRUE;
  // Menu commands a dialog does not handle go to its thread and the application.
  if ((nCode != CN_COMMAND && nCode != CN_UPDATE_COMMAND_UI) || nID == 0 || nID >= 0xF000)
    return FALSE;
  CWinThread* pThread = AfxGetThread();
  if (pThread != nullptr && pThread->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
    return TRUE;
  CWinApp* pApp = AfxGetApp();
  if (pApp != nullptr && pApp != pThread && pApp->m_nThreadID == ::GetCurrentThreadId() &&
      pApp->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
    return TRUE;
  return FALSE;
}

// ---- data exchange ----

HWND CDataExchange::PrepareCtrl(int nIDC) {
  HWND hWndCtrl = m_pDlgWnd ? ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC) : nullptr;
  if (hWndCtrl == nullptr) {
    char sz[96];
    std::snprintf(sz, sizeof sz, "data exchange: no control %d in the dialog\n", nIDC);
    ::OutputDebugStringA(sz);
    m_hWndLastControl = nullptr;
    m_bEditLastControl = FALSE;
    Fail();
  }
  m_hWndLastControl = hWndCtrl;
  m_bEditLastControl = FALSE;
  return hWndCtrl;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
  HWND hWnd = PrepareCtrl(nIDC);
  m_bEditLastControl = TRUE;
  return hWnd;
}

void CDataExchange::Fail() {
  if (m_bSaveAndValidate && m_hWndLastControl != nullptr && m_pDlgWnd != nullptr) {
    // Back to the control that failed, its text selected for retyping.
    ::SendMessageA(m_pDlgWnd->m_hWnd, WM_NEXTDLGCTL, (WPARAM)m_hWndLastControl, 1);
    if (m_bEditLastControl)
      ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
  }
  AfxThrowUserException();
}

namespace {

CString WindowText(HWND hWnd) {
  CString s;
  int nLen = ::GetWindowTextLengthA(hWnd);
  if (nLen > 0) {
    char* p = s.GetBuffer(nLen);
    int nGot = ::GetWindowTextA(hWnd, p, nLen + 1);
    s.ReleaseBuffer(nGot < 0 ? 0 : nGot);
  }
  return s;
}

// Only when it differs: setting an edit's text moves its caret and sends EN_CHANGE.
void SetWindowTextIfChanged(HWND hWnd, LPCTSTR lpsz) {
  if (WindowText(hWnd) != lpsz)
    ::SetWindowTextA(hWnd, lpsz);
}

// Decimal integer with blanks around; false when it is not one or does not fit.
bool ParseInteger(const char* psz, long long llMin, long long llMax, long long* pValue) {
  while (*psz == ' ' || *psz == '\t')
    psz++;
  if (*psz == '\0')
    return false;
  const char* pDigits = psz + ((*psz == '-' || *psz == '+') ? 1 : 0);
  if (*pDigits < '0' || *pDigits > '9')
    return false;
  errno = 0;
  char* pEnd = nullptr;
  long long v = std::strtoll(psz, &pEnd, 10);
  if (errno == ERANGE)
    return false;
  while (*pEnd == ' ' || *pEnd == '\t')
    pEnd++;
  if (*pEnd != '\0' || v < llMin || v > llMax)
    return false;
  *pValue = v;
  return true;
}

void ExchangeInteger(CDataExchange* pDX, int nIDC, long long llMin, long long llMax, long long* pValue,
                     const char* pszPrompt) {
  HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    long long v = 0;
    if (!ParseInteger(WindowText(hWndCtrl), llMin, llMax, &v)) {
      AfxMessageBox(pszPrompt, MB_ICONEXCLAMATION);
      pDX->Fail();
    }
    *pValue = v;
  } else {
    char sz[32];
    std::snprintf(sz, sizeof sz, "%lld", *pValue);
    SetWindowTextIfChanged(hWndCtrl, sz);
  }
}

}  // namespace

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
  HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate)
    value = WindowText(hWndCtrl);
  else
    SetWindowTextIfChanged(hWndCtrl, value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
  long long v = value;
  ExchangeInteger(pDX, nIDC, INT_MIN, INT_MAX, &v, "Please enter an integer.");
  value = (int)v;
}

void DDX_Text(CDataExchange* pDX, int nIDC, long& value) {
  long long v = value;
  ExchangeInteger(pDX, nIDC, LONG_MIN, LONG_MAX, &v, "Please enter an integer.");
  value = (long)v;
}

void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) {
  long long v = value;
  ExchangeInteger(pDX, nIDC, 0, UINT_MAX, &v, "Please enter a positive integer.");
  value = (UINT)v;
}

void DDX_Text(CDataExchange* pDX, int nIDC, DWORD& value) {
  long long v = value;
  ExchangeInteger(pDX, nIDC, 0, 0xFFFFFFFFLL, &v, "Please enter a positive integer.");
  value = (DWORD)v;
}

void DDX_Text(CDataExchange* pDX, int nIDC, double& value) {
  HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    CString s = WindowText(hWndCtrl);
    s.Trim();
    char* pEnd = nullptr;
    errno = 0;
    double d = s.IsEmpty() ? 0 : std::strtod(s, &pEnd);
    if (s.IsEmpty() || *pEnd != '\0' || errno == ERANGE) {
      AfxMessageBox("Please enter a number.", MB_ICONEXCLAMATION);
      pDX->Fail();
    }
    value = d;
  } else {
    char sz[64];
    std::snprintf(sz, sizeof sz, "%.15g", value);
    SetWindowTextIfChanged(hWndCtrl, sz);
  }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
  HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    value = (int)::SendMessageA(hWndCtrl, BM_GETCHECK, 0, 0);
  } else {
    int n = (value >= 0 && value <= 2) ? value : 0;
    ::SendMessageA(hWndCtrl, BM_SETCHECK, (WPARAM)n, 0);
  }
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& index) {
  HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate)
    index = -1;
  int iButton = 0;
  // The group: the first button and every following sibling up to the next WS_GROUP.
  for (HWND h = hWndCtrl; h != nullptr; h = ::GetWindow(h, GW_HWNDNEXT)) {
    if (h != hWndCtrl && (::GetWindowLongPtrA(h, GWL_STYLE) & WS_GROUP))
      break;
    if (!(::SendMessageA(h, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON))
      continue;
    if (pDX->m_bSaveAndValidate) {
      if (::SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED && index == -1)
        index = iButton;
    } else {
      ::SendMessageA(h, BM_SETCHECK, iButton == index ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    iButton++;
  }
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index) {
  HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate)
    index = (int)::SendMessageA(hWndCtrl, CB_GETCURSEL, 0, 0);
  else
    ::SendMessageA(hWndCtrl, CB_SETCURSEL, (WPARAM)index, 0);
}

namespace {
void ExchangeComboString(CDataExchange* pDX, int nIDC, CString& value, bool bExact) {
  HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
  const bool bList = (::GetWindowLongPtrA(hWndCtrl, GWL_STYLE) & 0x3) == CBS_DROPDOWNLIST;
  if (pDX->m_bSaveAndValidate) {
    if (!bList) {
      value = WindowText(hWndCtrl);
      return;
    }
    int nSel = (int)::SendMessageA(hWndCtrl, CB_GETCURSEL, 0, 0);
    value.Empty();
    if (nSel != CB_ERR) {
      int nLen = (int)::SendMessageA(hWndCtrl, CB_GETLBTEXTLEN, (WPARAM)nSel, 0);
      if (nLen > 0) {
        char* p = value.GetBuffer(nLen);
        int nGot = (int)::SendMessageA(hWndCtrl, CB_GETLBTEXT, (WPARAM)nSel, (LPARAM)p);
        value.ReleaseBuffer(nGot < 0 ? 0 : nGot);
      }
    }
    return;
  }
  int nFound = bExact ? (int)::SendMessageA(hWndCtrl, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)(LPCTSTR)value)
                      : (int)::SendMessageA(hWndCtrl, CB_FINDSTRING, (WPARAM)-1, (LPARAM)(LPCTSTR)value);
  if (nFound != CB_ERR)
    ::SendMessageA(hWndCtrl, CB_SETCURSEL, (WPARAM)nFound, 0);
  else if (!bList)
    ::SetWindowTextA(hWndCtrl, value);
  else
    ::SendMessageA(hWndCtrl, CB_SETCURSEL, (WPARAM)-1, 0);
}
}  // namespace

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value) { ExchangeComboString(pDX, nIDC, value, false); }
void DDX_CBStringExact(CDataExchange* pDX, int nIDC, CString& value) {
  ExchangeComboString(pDX, nIDC, value, true);
}

void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index) {
  HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate)
    index = (int)::SendMessageA(hWndCtrl, LB_GETCURSEL, 0, 0);
  else
    ::SendMessageA(hWndCtrl, LB_SETCURSEL, (WPARAM)index, 0);
}

void DDX_LBString(CDataExchange* pDX, int nIDC, CString& value) {
  HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
  if (pDX->m_bSaveAndValidate) {
    value.Empty();
    int nSel = (int)::SendMessageA(hWndCtrl, LB_GETCURSEL, 0, 0);
    if (nSel != LB_ERR) {
      int nLen = (int)::SendMessageA(hWndCtrl, LB_GETTEXTLEN, (WPARAM)nSel, 0);
      if (nLen > 0) {
        char* p = value.GetBuffer(nLen);
        int nGot = (int)::SendMessageA(hWndCtrl, LB_GETTEXT, (WPARAM)nSel, (LPARAM)p);
        value.ReleaseBuffer(nGot < 0 ? 0 : nGot);
      }
    }
  } else {
    int nFound = (int)::SendMessageA(hWndCtrl, LB_FINDSTRING, (WPARAM)-1, (LPARAM)(LPCTSTR)value);
    ::SendMessageA(hWndCtrl, LB_SETCURSEL, (WPARAM)nFound, 0);
  }
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (rControl.m_hWnd != nullptr)
    return;  // bound on an earlier exchange
  HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
  if (!rControl.SubclassWindow(hWndCtrl)) {
    ::OutputDebugStringA("data exchange: control already bound to another object\n");
    pDX->Fail();
  }
}

void DDX_DateTimeCtrl(CDataExchange* pDX, int nIDC, CTime& value) {
  HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
  SYSTEMTIME st = {};
  if (pDX->m_bSaveAndValidate) {
    if (::SendMessageA(hWndCtrl, DTM_GETSYSTEMTIME, 0, (LPARAM)&st) == GDT_VALID)
      value = CTime(st);
  } else if (value.GetAsSystemTime(st)) {
    ::SendMessageA(hWndCtrl, DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&st);
  }
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars) {
  if (pDX->m_bSaveAndValidate) {
    if (value.GetLength() > nChars) {
      char sz[96];
      std::snprintf(sz, sizeof sz, "Enter no more than %d characters.", nChars);
      AfxMessageBox(sz, MB_ICONEXCLAMATION);
      pDX->Fail();
    }
  } else if (pDX->m_hWndLastControl != nullptr && pDX->m_bEditLastControl) {
    ::SendMessageA(pDX->m_hWndLastControl, EM_LIMITTEXT, (WPARAM)nChars, 0);
  }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) {
  if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
    return;
  char sz[96];
  std::snprintf(sz, sizeof sz, "Please enter an integer between %d and %d.", minVal, maxVal);
  AfxMessageBox(sz, MB_ICONEXCLAMATION);
  pDX->Fail();
}

void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal) {
  if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
    return;
  char sz[96];
  std::snprintf(sz, sizeof sz, "Please enter an integer between %u and %u.", minVal, maxVal);
  AfxMessageBox(sz, MB_ICONEXCLAMATION);
  pDX->Fail();
}

// ---- message boxes ----

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT) {
  // Owned by this thread's active window or main window: a window of another
  // thread would have to answer first, which it may not be able to.
  HWND hOwner = ::GetActiveWindow();
  if (hOwner == nullptr) {
    CWnd* pMain = AfxGetMainWnd();
    if (pMain != nullptr && pMain->m_hWnd != nullptr &&
        ::GetWindowThreadProcessId(pMain->m_hWnd, nullptr) == ::GetCurrentThreadId() &&
        ::IsWindowVisible(pMain->m_hWnd))
      hOwner = pMain->m_hWnd;
  }
  if (hOwner != nullptr) {
    HWND hTop = hOwner;
    while ((::GetWindowLongPtrA(hTop, GWL_STYLE) & WS_CHILD) && ::GetParent(hTop) != nullptr)
      hTop = ::GetParent(hTop);
    hOwner = ::GetLastActivePopup(hTop);
  }
  CWinApp* pApp = AfxGetApp();
  LPCTSTR lpszCaption = pApp && pApp->m_pszAppName ? pApp->m_pszAppName : "";
  if (hOwner == nullptr)
    nType |= MB_TASKMODAL;
  return ::MessageBoxA(hOwner, lpszText ? lpszText : "", lpszCaption, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
  CString s;
  if (!s.LoadString(nIDPrompt)) {
    char sz[64];
    std::snprintf(sz, sizeof sz, "message box: no string %u\n", nIDPrompt);
    ::OutputDebugStringA(sz);
    return 0;
  }
  return AfxMessageBox(s, nType, nIDHelp == (UINT)-1 ? nIDPrompt : nIDHelp);
}
