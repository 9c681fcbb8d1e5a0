#include "framework/commdlgs.h"

#include <shlobj.h>

#include "framework/winthread.h"

HWND AfxGetDialogOwner(CWnd* pParent) {
  const DWORD dwThread = ::GetCurrentThreadId();
  HWND hWnd = pParent ? pParent->GetSafeHwnd() : nullptr;
  if (hWnd != nullptr && ::GetWindowThreadProcessId(hWnd, nullptr) != dwThread)
    hWnd = nullptr;  // another thread's window cannot be disabled safely from here
  if (hWnd == nullptr)
    hWnd = ::GetActiveWindow();
  if (hWnd == nullptr) {
    CWinThread* pThread = AfxGetThread();
    CWnd* pMain = pThread ? pThread->m_pMainWnd : nullptr;
    if (pMain == nullptr && AfxGetApp() != nullptr && AfxGetApp()->m_nThreadID == dwThread)
      pMain = AfxGetApp()->m_pMainWnd;
    if (pMain != nullptr && pMain->m_hWnd != nullptr && ::IsWindowVisible(pMain->m_hWnd))
      hWnd = pMain->m_hWnd;
  }
  while (hWnd != nullptr && (::GetWindowLongPtrA(hWnd, GWL_STYLE) & WS_CHILD) && ::GetParent(hWnd) != nullptr)
    hWnd = ::GetParent(hWnd);
  return hWnd;
}

// ---- file dialogs ----

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName, DWORD dwFlags,
                         LPCTSTR lpszFilter, CWnd* pParentWnd)
    : m_ofn{}, m_bOpenFileDialog(bOpenFileDialog), m_strDefExt(lpszDefExt), m_pParentWnd(pParentWnd) {
  m_buffer.assign(64 * 1024, '\0');  // room for a multiple selection
  if (lpszFileName != nullptr)
    lstrcpynA(m_buffer.data(), lpszFileName, (int)m_buffer.size());
  if (lpszFilter != nullptr) {
    for (const char* p = lpszFilter; *p; p++)
      m_filter.push_back(*p == '|' ? '\0' : *p);
    // Two zeros end the list, whether or not the text ended in "||".
    m_filter.push_back('\0');
    m_filter.push_back('\0');
  }
  m_ofn.lStructSize = sizeof m_ofn;
  m_ofn.Flags = dwFlags | OFN_EXPLORER | OFN_ENABLESIZING;
  m_ofn.lpstrFile = m_buffer.data();
  m_ofn.nMaxFile = (DWORD)m_buffer.size();
  m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.data();
  m_ofn.nFilterIndex = m_filter.empty() ? 0 : 1;
  m_ofn.lpstrDefExt = m_strDefExt.IsEmpty() ? nullptr : (LPCTSTR)m_strDefExt;
  m_ofn.hInstance = nullptr;
}

INT_PTR CFileDialog::DoModal() {
  m_ofn.hwndOwner = AfxGetDialogOwner(m_pParentWnd);
  // Members may have been changed by the caller since construction.
  if (m_ofn.lpstrFile == nullptr) {
    m_ofn.lpstrFile = m_buffer.data();
    m_ofn.nMaxFile = (DWORD)m_buffer.size();
  }
  BOOL bOk = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
  return bOk ? IDOK : IDCANCEL;
}

POSITION CFileDialog::GetStartPosition() const {
  return m_ofn.lpstrFile && m_ofn.lpstrFile[0] ? reinterpret_cast<POSITION>(m_ofn.lpstrFile) : nullptr;
}

CString CFileDialog::GetNextPathName(POSITION& pos) const {
  const char* pStart = m_ofn.lpstrFile;
  const char* p = reinterpret_cast<const char*>(pos);
  if (p == nullptr || pStart == nullptr) {
    pos = nullptr;
    return CString();
  }
  const bool bMulti = (m_ofn.Flags & OFN_ALLOWMULTISELECT) && pStart[lstrlenA(pStart) + 1] != '\0';
  if (!bMulti) {
    pos = nullptr;
    return CString(pStart);
  }
  // Multiple selection: the folder, then the names, each ended by a zero.
  if (p == pStart)
    p += lstrlenA(p) + 1;
  CString strPath(pStart);
  if (!strPath.IsEmpty() && strPath[strPath.GetLength() - 1] != '\\')
    strPath += '\\';
  strPath += p;
  const char* pNext = p + lstrlenA(p) + 1;
  pos = *pNext ? reinterpret_cast<POSITION>(const_cast<char*>(pNext)) : nullptr;
  return strPath;
}

CString CFileDialog::GetPathName() const {
  POSITION pos = GetStartPosition();
  return pos ? GetNextPathName(pos) : CString();
}

CString CFileDialog::GetFileName() const {
  CString s = GetPathName();
  return s.Mid(s.ReverseFind('\\') + 1);
}

CString CFileDialog::GetFileExt() const {
  CString s = GetFileName();
  int n = s.ReverseFind('.');
  return n < 0 ? CString() : s.Mid(n + 1);
}

CString CFileDialog::GetFileTitle() const {
  CString s = GetFileName();
  int n = s.ReverseFind('.');
  return n < 0 ? s : s.Left(n);
}

CString CFileDialog::GetFolderPath() const {
  CString s = GetPathName();
  int n = s.ReverseFind('\\');
  return n < 0 ? CString() : s.Left(n);
}

// ---- font ----

CFontDialog::CFontDialog(LPLOGFONTA lplfInitial, DWORD dwFlags, HDC hdcPrinter, CWnd* pParentWnd)
    : m_cf{}, m_lf{}, m_pParentWnd(pParentWnd) {
  m_cf.lStructSize = sizeof m_cf;
  m_cf.lpLogFont = &m_lf;
  m_cf.Flags = dwFlags;
  if (lplfInitial != nullptr) {
    m_lf = *lplfInitial;
    m_cf.Flags |= CF_INITTOLOGFONTSTRUCT;
  }
  if (hdcPrinter != nullptr) {
    m_cf.hDC = hdcPrinter;
    m_cf.Flags |= CF_PRINTERFONTS;
  }
}

INT_PTR CFontDialog::DoModal() {
  m_cf.hwndOwner = AfxGetDialogOwner(m_pParentWnd);
  m_cf.lpLogFont = &m_lf;
  return ::ChooseFontA(&m_cf) ? IDOK : IDCANCEL;
}

// ---- colour ----

COLORREF* CColorDialog::GetSavedCustomColors() {
  static COLORREF s_colors[16] = {RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                  RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                  RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
                                  RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255)};
  return s_colors;
}

CColorDialog::CColorDialog(COLORREF clrInit, DWORD dwFlags, CWnd* pParentWnd) : m_cc{}, m_pParentWnd(pParentWnd) {
  m_cc.lStructSize = sizeof m_cc;
  m_cc.lpCustColors = GetSavedCustomColors();
  m_cc.Flags = dwFlags | CC_RGBINIT;
  m_cc.rgbResult = clrInit;
}

INT_PTR CColorDialog::DoModal() {
  m_cc.hwndOwner = AfxGetDialogOwner(m_pParentWnd);
  return ::ChooseColorA(&m_cc) ? IDOK : IDCANCEL;
}

// ---- folder browser ----

namespace {
int CALLBACK BrowseCallback(HWND hWnd, UINT uMsg, LPARAM, LPARAM lpData) {
  if (uMsg == BFFM_INITIALIZED && lpData != 0)
    ::SendMessageA(hWnd, BFFM_SETSELECTIONA, TRUE, lpData);
  return 0;
}
}  // namespace

BOOL AfxBrowseForFolder(CWnd* pParentWnd, LPCTSTR lpszTitle, CString& rPath, LPCTSTR lpszStartFolder) {
  char szDisplay[MAX_PATH] = "";
  BROWSEINFOA bi = {};
  bi.hwndOwner = AfxGetDialogOwner(pParentWnd);
  bi.pszDisplayName = szDisplay;
  bi.lpszTitle = lpszTitle;
  bi.ulFlags = BIF_RETURNONLYFSDIRS;
  if (lpszStartFolder != nullptr && *lpszStartFolder) {
    bi.lpfn = &BrowseCallback;
    bi.lParam = (LPARAM)lpszStartFolder;
  }
  // The browser is a shell object: it needs COM on this thread.
  HRESULT hrInit = ::CoInitialize(nullptr);
  LPITEMIDLIST pidl = ::SHBrowseForFolderA(&bi);
  BOOL bOk = FALSE;
  if (pidl != nullptr) {
    char szPath[MAX_PATH] = "";
    if (::SHGetPathFromIDListA(pidl, szPath) && szPath[0] != '\0') {
      rPath = szPath;
      bOk = TRUE;
    }
    ::CoTaskMemFree(pidl);
  }
  if (SUCCEEDED(hrInit))
    ::CoUninitialize();
  return bOk;
}
