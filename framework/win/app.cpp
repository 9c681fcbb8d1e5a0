// The application object's services: command line, profile, recent files,
// documents and the default application commands.
#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/commdlgs.h"
#include "framework/dialog.h"
#include "framework/docview.h"
#include "framework/winthread.h"

// ---- command line ----

void AfxSplitCommandLine(const char* pszCmdLine, CStringArray& args) {
  args.RemoveAll();
  if (pszCmdLine == nullptr)
    return;
  const char* p = pszCmdLine;
  for (;;) {
    while (*p == ' ' || *p == '\t')
      p++;
    if (*p == '\0')
      break;
    CString arg;
    bool bQuoted = false;
    while (*p != '\0' && (bQuoted || (*p != ' ' && *p != '\t'))) {
      if (*p == '\\') {
        int nSlashes = 0;
        while (*p == '\\') {
          nSlashes++;
          p++;
        }
        if (*p == '"') {
          // 2n backslashes and a quote: n backslashes, the quote delimits;
          // 2n+1: n backslashes and a literal quote.
          arg += CString('\\', nSlashes / 2);
          if (nSlashes % 2) {
            arg += '"';
            p++;
          }
        } else {
          arg += CString('\\', nSlashes);
        }
        continue;
      }
      if (*p == '"') {
        if (bQuoted && p[1] == '"') {  // "" inside quotes: one literal quote
          arg += '"';
          p += 2;
          continue;
        }
        bQuoted = !bQuoted;
        p++;
        continue;
      }
      arg += *p++;
    }
    args.Add(arg);
  }
}

void CCommandLineInfo::ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast) {
  if (bFlag)
    ParseParamFlag(pszParam);
  else
    ParseParamNotFlag(pszParam);
  ParseLast(bLast);
}

void CCommandLineInfo::ParseParamFlag(const char* pszParam) {
  if (lstrcmpiA(pszParam, "pt") == 0) {
    m_nShellCommand = FilePrintTo;
  } else if (lstrcmpiA(pszParam, "p") == 0) {
    m_nShellCommand = FilePrint;
  } else if (lstrcmpiA(pszParam, "Unregister") == 0 || lstrcmpiA(pszParam, "Unregserver") == 0) {
    m_nShellCommand = AppUnregister;
  } else if (lstrcmpiA(pszParam, "Register") == 0 || lstrcmpiA(pszParam, "Regserver") == 0) {
    m_nShellCommand = AppRegister;
  } else if (lstrcmpiA(pszParam, "dde") == 0) {
    m_nShellCommand = FileDDE;
  } else if (lstrcmpiA(pszParam, "Embedding") == 0) {
    m_bRunEmbedded = TRUE;
    m_bShowSplash = FALSE;
  } else if (lstrcmpiA(pszParam, "Automation") == 0) {
    m_bRunAutomated = TRUE;
    m_bShowSplash = FALSE;
  }
}

void CCommandLineInfo::ParseParamNotFlag(const char* pszParam) {
  if (m_strFileName.IsEmpty())
    m_strFileName = pszParam;
  else if (m_nShellCommand == FilePrintTo && m_strPrinterName.IsEmpty())
    m_strPrinterName = pszParam;
  else if (m_nShellCommand == FilePrintTo && m_strDriverName.IsEmpty())
    m_strDriverName = pszParam;
  else if (m_nShellCommand == FilePrintTo && m_strPortName.IsEmpty())
    m_strPortName = pszParam;
}

void CCommandLineInfo::ParseLast(BOOL bLast) {
  if (!bLast)
    return;
  if (m_nShellCommand == FileNew && !m_strFileName.IsEmpty())
    m_nShellCommand = FileOpen;
  m_bShowSplash = !m_bRunEmbedded && !m_bRunAutomated;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) {
  CString strLine;
  if (m_lpCmdLine != nullptr) {
    strLine = m_lpCmdLine;
  } else {
    // The process's line without the program's name.
    const char* p = ::GetCommandLineA();
    bool bQuoted = false;
    while (*p != '\0' && (bQuoted || (*p != ' ' && *p != '\t'))) {
      if (*p == '"')
        bQuoted = !bQuoted;
      p++;
    }
    strLine = p;
  }
  CStringArray args;
  AfxSplitCommandLine(strLine, args);
  const int n = (int)args.GetSize();
  for (int i = 0; i < n; i++) {
    const CString& a = args[i];
    BOOL bFlag = a.GetLength() > 1 && (a[0] == '/' || a[0] == '-');
    rCmdInfo.ParseParam(bFlag ? a.Mid(1) : a, bFlag, i == n - 1);
  }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo) {
  switch (rCmdInfo.m_nShellCommand) {
  case CCommandLineInfo::FileNothing:
    return TRUE;
  case CCommandLineInfo::FileOpen:
  case CCommandLineInfo::FilePrint:
  case CCommandLineInfo::FilePrintTo:
    // Nothing is printed by this program: a file named for printing is opened.
    if (!rCmdInfo.m_strFileName.IsEmpty())
      return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;
    [[fallthrough]];
  case CCommandLineInfo::FileNew:
  case CCommandLineInfo::FileDDE:
    if (!OnCmdMsg(ID_FILE_NEW, CN_COMMAND, nullptr, nullptr))
      OnFileNew();
    return m_pMainWnd != nullptr;
  case CCommandLineInfo::AppRegister:
  case CCommandLineInfo::AppUnregister:
  default:
    return FALSE;  // nothing to register: the program ends
  }
}

// ---- profile ----

namespace {

// Deletes a key with everything below it.
LONG DeleteKeyTree(HKEY hParent, LPCTSTR lpszKey) {
  HKEY hKey = nullptr;
  LONG lRes = ::RegOpenKeyExA(hParent, lpszKey, 0, KEY_READ | KEY_WRITE, &hKey);
  if (lRes != ERROR_SUCCESS)
    return lRes;
  char szSub[256];
  for (;;) {
    DWORD cch = sizeof szSub;
    if (::RegEnumKeyExA(hKey, 0, szSub, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    if (DeleteKeyTree(hKey, szSub) != ERROR_SUCCESS)
      break;
  }
  ::RegCloseKey(hKey);
  return ::RegDeleteKeyA(hParent, lpszKey);
}

// Binary values in an INI file: two letters per byte, 'A' + each half.
CString EncodeBinary(const BYTE* p, UINT n) {
  CString s;
  for (UINT i = 0; i < n; i++) {
    s += (char)('A' + (p[i] & 0x0F));
    s += (char)('A' + ((p[i] >> 4) & 0x0F));
  }
  return s;
}

}  // namespace

void CWinApp::SetRegistryKey(LPCTSTR lpszRegistryKey) {
  m_strRegistryKey = lpszRegistryKey ? lpszRegistryKey : "";
  m_pszRegistryKey = m_strRegistryKey.IsEmpty() ? nullptr : (LPCTSTR)m_strRegistryKey;
  if (m_pszRegistryKey != nullptr) {
    m_strProfileName = m_pszAppName ? m_pszAppName : (m_pszExeName ? m_pszExeName : "");
  } else {
    // No key: an INI file named after the program.
    char szPath[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    CString strTitle(szPath);
    strTitle = strTitle.Mid(strTitle.ReverseFind('\\') + 1);
    int nDot = strTitle.ReverseFind('.');
    m_strProfileName = (nDot > 0 ? strTitle.Left(nDot) : strTitle) + ".INI";
  }
  m_pszProfileName = m_strProfileName;
}

void CWinApp::SetRegistryKey(UINT nIDRegistryKey) {
  CString s;
  if (s.LoadString(nIDRegistryKey))
    SetRegistryKey(s);
}

HKEY CWinApp::GetAppRegistryKey() {
  if (m_pszRegistryKey == nullptr || m_pszProfileName == nullptr || *m_pszProfileName == '\0')
    return nullptr;
  HKEY hSoft = nullptr, hCompany = nullptr, hApp = nullptr;
  DWORD dw;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_WRITE | KEY_READ, &hSoft) == ERROR_SUCCESS) {
    if (::RegCreateKeyExA(hSoft, m_pszRegistryKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE | KEY_READ,
                          nullptr, &hCompany, &dw) == ERROR_SUCCESS) {
      ::RegCreateKeyExA(hCompany, m_pszProfileName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE | KEY_READ,
                        nullptr, &hApp, &dw);
      ::RegCloseKey(hCompany);
    }
    ::RegCloseKey(hSoft);
  }
  return hApp;
}

HKEY CWinApp::GetSectionKey(LPCTSTR lpszSection) {
  if (lpszSection == nullptr)
    return nullptr;
  HKEY hApp = GetAppRegistryKey();
  if (hApp == nullptr)
    return nullptr;
  HKEY hSection = nullptr;
  DWORD dw;
  ::RegCreateKeyExA(hApp, lpszSection, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE | KEY_READ, nullptr,
                    &hSection, &dw);
  ::RegCloseKey(hApp);
  return hSection;
}

namespace {
// The INI file of an application without a registry key: its file title + ".INI".
CString IniFileName(LPCTSTR lpszProfileName, LPCTSTR lpszExeName) {
  if (lpszProfileName != nullptr && *lpszProfileName)
    return lpszProfileName;
  return CString(lpszExeName ? lpszExeName : "zarnapp") + ".INI";
}
}  // namespace

UINT CWinApp::GetProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nDefault) {
  if (lpszSection == nullptr || lpszEntry == nullptr)
    return (UINT)nDefault;
  if (m_pszRegistryKey == nullptr)
    return ::GetPrivateProfileIntA(lpszSection, lpszEntry, nDefault, IniFileName(m_pszProfileName, m_pszExeName));
  HKEY hSection = GetSectionKey(lpszSection);
  if (hSection == nullptr)
    return (UINT)nDefault;
  DWORD dwType = 0, dwValue = 0, cb = sizeof dwValue;
  LONG lRes = ::RegQueryValueExA(hSection, lpszEntry, nullptr, &dwType, (LPBYTE)&dwValue, &cb);
  ::RegCloseKey(hSection);
  if (lRes != ERROR_SUCCESS || dwType != REG_DWORD || cb != sizeof dwValue)
    return (UINT)nDefault;
  return (UINT)dwValue;
}

CString CWinApp::GetProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszDefault) {
  CString strDefault(lpszDefault);
  if (lpszSection == nullptr || lpszEntry == nullptr)
    return strDefault;
  if (m_pszRegistryKey == nullptr) {
    CString strIni = IniFileName(m_pszProfileName, m_pszExeName);
    std::vector<char> buf(4096);
    for (;;) {
      DWORD n = ::GetPrivateProfileStringA(lpszSection, lpszEntry, strDefault, buf.data(), (DWORD)buf.size(), strIni);
      if (n < buf.size() - 1)
        return CString(buf.data(), (int)n);
      buf.resize(buf.size() * 2);
    }
  }
  HKEY hSection = GetSectionKey(lpszSection);
  if (hSection == nullptr)
    return strDefault;
  DWORD dwType = 0, cb = 0;
  LONG lRes = ::RegQueryValueExA(hSection, lpszEntry, nullptr, &dwType, nullptr, &cb);
  CString strValue = strDefault;
  if (lRes == ERROR_SUCCESS && (dwType == REG_SZ || dwType == REG_EXPAND_SZ)) {
    std::vector<char> buf(cb + 1, '\0');
    DWORD cbRead = cb;
    if (::RegQueryValueExA(hSection, lpszEntry, nullptr, &dwType, (LPBYTE)buf.data(), &cbRead) == ERROR_SUCCESS) {
      // A stored text need not end in a zero: stop at the first one or at its size.
      buf[cbRead < buf.size() ? cbRead : buf.size() - 1] = '\0';
      strValue = buf.data();
    }
  }
  ::RegCloseKey(hSection);
  return strValue;
}

BOOL CWinApp::GetProfileBinary(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPBYTE* ppData, UINT* pBytes) {
  if (ppData == nullptr || pBytes == nullptr)
    return FALSE;
  *ppData = nullptr;
  *pBytes = 0;
  if (lpszSection == nullptr || lpszEntry == nullptr)
    return FALSE;
  if (m_pszRegistryKey == nullptr) {
    CString s = GetProfileString(lpszSection, lpszEntry, nullptr);
    if (s.IsEmpty() || s.GetLength() % 2 != 0)
      return FALSE;
    UINT n = (UINT)s.GetLength() / 2;
    BYTE* p = new BYTE[n];
    for (UINT i = 0; i < n; i++) {
      int lo = s[(int)(2 * i)] - 'A', hi = s[(int)(2 * i + 1)] - 'A';
      if (lo < 0 || lo > 15 || hi < 0 || hi > 15) {
        delete[] p;
        return FALSE;
      }
      p[i] = (BYTE)(lo | (hi << 4));
    }
    *ppData = p;
    *pBytes = n;
    return TRUE;
  }
  HKEY hSection = GetSectionKey(lpszSection);
  if (hSection == nullptr)
    return FALSE;
  DWORD dwType = 0, cb = 0;
  LONG lRes = ::RegQueryValueExA(hSection, lpszEntry, nullptr, &dwType, nullptr, &cb);
  BOOL bOk = FALSE;
  if (lRes == ERROR_SUCCESS && dwType == REG_BINARY && cb > 0) {
    BYTE* p = new BYTE[cb];
    DWORD cbRead = cb;
    if (::RegQueryValueExA(hSection, lpszEntry, nullptr, &dwType, p, &cbRead) == ERROR_SUCCESS &&
        dwType == REG_BINARY && cbRead > 0 && cbRead <= cb) {
      *ppData = p;
      *pBytes = cbRead;
      bOk = TRUE;
    } else {
      delete[] p;
    }
  }
  ::RegCloseKey(hSection);
  return bOk;
}

BOOL CWinApp::WriteProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nValue) {
  if (lpszSection == nullptr || lpszEntry == nullptr)
    return FALSE;
  if (m_pszRegistryKey == nullptr) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "%d", nValue);
    return ::WritePrivateProfileStringA(lpszSection, lpszEntry, sz, IniFileName(m_pszProfileName, m_pszExeName));
  }
  HKEY hSection = GetSectionKey(lpszSection);
  if (hSection == nullptr)
    return FALSE;
  DWORD dw = (DWORD)nValue;
  LONG lRes = ::RegSetValueExA(hSection, lpszEntry, 0, REG_DWORD, (const BYTE*)&dw, sizeof dw);
  ::RegCloseKey(hSection);
  return lRes == ERROR_SUCCESS;
}

BOOL CWinApp::WriteProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszValue) {
  if (lpszSection == nullptr)
    return FALSE;
  if (m_pszRegistryKey == nullptr)
    return ::WritePrivateProfileStringA(lpszSection, lpszEntry, lpszValue, IniFileName(m_pszProfileName, m_pszExeName));
  if (lpszEntry == nullptr) {
    // The whole section goes.
    HKEY hApp = GetAppRegistryKey();
    if (hApp == nullptr)
      return FALSE;
    LONG lRes = DeleteKeyTree(hApp, lpszSection);
    ::RegCloseKey(hApp);
    return lRes == ERROR_SUCCESS || lRes == ERROR_FILE_NOT_FOUND;
  }
  HKEY hSection = GetSectionKey(lpszSection);
  if (hSection == nullptr)
    return FALSE;
  LONG lRes;
  if (lpszValue == nullptr) {
    lRes = ::RegDeleteValueA(hSection, lpszEntry);
    if (lRes == ERROR_FILE_NOT_FOUND)
      lRes = ERROR_SUCCESS;
  } else {
    lRes = ::RegSetValueExA(hSection, lpszEntry, 0, REG_SZ, (const BYTE*)lpszValue, (DWORD)lstrlenA(lpszValue) + 1);
  }
  ::RegCloseKey(hSection);
  return lRes == ERROR_SUCCESS;
}

BOOL CWinApp::WriteProfileBinary(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPBYTE pData, UINT nBytes) {
  if (lpszSection == nullptr || lpszEntry == nullptr || (pData == nullptr && nBytes != 0))
    return FALSE;
  if (m_pszRegistryKey == nullptr)
    return WriteProfileString(lpszSection, lpszEntry, EncodeBinary(pData, nBytes));
  HKEY hSection = GetSectionKey(lpszSection);
  if (hSection == nullptr)
    return FALSE;
  LONG lRes = ::RegSetValueExA(hSection, lpszEntry, 0, REG_BINARY, pData, nBytes);
  ::RegCloseKey(hSection);
  return lRes == ERROR_SUCCESS;
}

// ---- recent files ----

CRecentFileList::CRecentFileList(UINT nStart, LPCTSTR lpszSection, LPCTSTR lpszEntryFormat, int nSize,
                                 int nMaxDispLen)
    : m_nStart(nStart), m_strSectionName(lpszSection), m_strEntryFormat(lpszEntryFormat),
      m_nSize(nSize < 0 ? 0 : (nSize > 16 ? 16 : nSize)), m_nMaxDisplayLength(nMaxDispLen) {
  m_arrNames.SetSize(m_nSize);
}

void CRecentFileList::Add(LPCTSTR lpszPathName) {
  if (lpszPathName == nullptr || *lpszPathName == '\0' || m_nSize == 0)
    return;
  char szFull[MAX_PATH] = "";
  CString strPath = ::GetFullPathNameA(lpszPathName, MAX_PATH, szFull, nullptr) ? CString(szFull)
                                                                                : CString(lpszPathName);
  int iMRU;
  for (iMRU = 0; iMRU < m_nSize - 1; iMRU++)
    if (m_arrNames[iMRU].CompareNoCase(strPath) == 0)
      break;
  for (; iMRU > 0; iMRU--)
    m_arrNames[iMRU] = m_arrNames[iMRU - 1];
  m_arrNames[0] = strPath;
}

void CRecentFileList::Remove(int nIndex) {
  if (nIndex < 0 || nIndex >= m_nSize)
    return;
  for (int i = nIndex; i < m_nSize - 1; i++)
    m_arrNames[i] = m_arrNames[i + 1];
  m_arrNames[m_nSize - 1].Empty();
}

void CRecentFileList::ReadList() {
  CWinApp* pApp = AfxGetApp();
  if (pApp == nullptr)
    return;
  for (int i = 0; i < m_nSize; i++) {
    char szEntry[32];
    std::snprintf(szEntry, sizeof szEntry, m_strEntryFormat, i + 1);
    m_arrNames[i] = pApp->GetProfileString(m_strSectionName, szEntry, "");
  }
}

void CRecentFileList::WriteList() {
  CWinApp* pApp = AfxGetApp();
  if (pApp == nullptr)
    return;
  for (int i = 0; i < m_nSize; i++) {
    char szEntry[32];
    std::snprintf(szEntry, sizeof szEntry, m_strEntryFormat, i + 1);
    pApp->WriteProfileString(m_strSectionName, szEntry, m_arrNames[i].IsEmpty() ? nullptr : (LPCTSTR)m_arrNames[i]);
  }
}

void CRecentFileList::UpdateMenu(CCmdUI* pCmdUI) {
  if (m_strOriginal.IsEmpty() && pCmdUI->m_hMenu != nullptr) {
    char sz[256] = "";
    ::GetMenuStringA(pCmdUI->m_hMenu, pCmdUI->m_nID, sz, sizeof sz, MF_BYCOMMAND);
    m_strOriginal = sz;
  }
  if (m_nSize == 0 || m_arrNames[0].IsEmpty()) {
    if (!m_strOriginal.IsEmpty())
      pCmdUI->SetText(m_strOriginal);
    pCmdUI->Enable(FALSE);
    return;
  }
  if (pCmdUI->m_hMenu == nullptr)
    return;
  const UINT nFirstID = pCmdUI->m_nID;
  for (int i = 0; i < m_nSize; i++)
    ::DeleteMenu(pCmdUI->m_hMenu, nFirstID + (UINT)i, MF_BYCOMMAND);
  UINT nIndex = pCmdUI->m_nIndex;
  for (int i = 0; i < m_nSize && !m_arrNames[i].IsEmpty(); i++) {
    CString strName = m_arrNames[i];
    if (m_nMaxDisplayLength > 3 && strName.GetLength() > m_nMaxDisplayLength)
      strName = "..." + strName.Right(m_nMaxDisplayLength - 3);
    strName.Replace("&", "&&");
    CString strItem;
    strItem.Format("&%d %s", (i + 1) % 10, (const char*)strName);
    ::InsertMenuA(pCmdUI->m_hMenu, nIndex++, MF_STRING | MF_BYPOSITION, nFirstID + (UINT)i, strItem);
  }
  pCmdUI->m_nIndex = nIndex - 1;  // the last item added
  int nCount = ::GetMenuItemCount(pCmdUI->m_hMenu);
  pCmdUI->m_nIndexMax = nCount < 0 ? 0 : (UINT)nCount;
  pCmdUI->m_bEnableChanged = TRUE;
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU) {
  delete m_pRecentFileList;
  m_pRecentFileList = nullptr;
  if (nMaxMRU == 0)
    return;
  m_pRecentFileList = new CRecentFileList(0, "Recent File List", "File%d", (int)nMaxMRU);
  m_pRecentFileList->ReadList();
}

void CWinApp::SaveStdProfileSettings() {
  if (m_pRecentFileList != nullptr)
    m_pRecentFileList->WriteList();
}

void CWinApp::AddToRecentFileList(LPCTSTR lpszPathName) {
  if (m_pRecentFileList != nullptr)
    m_pRecentFileList->Add(lpszPathName);
}

// ---- documents and application commands ----

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
  ON_COMMAND(ID_APP_EXIT, OnAppExit)
  ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, OnUpdateRecentFileMenu)
  ON_COMMAND_EX_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE16, OnOpenRecentFile)
END_MESSAGE_MAP()

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate) {
  if (pTemplate != nullptr)
    m_templates.push_back(pTemplate);
}

CDocTemplate* CWinApp::GetDocTemplate(int nIndex) const {
  return nIndex >= 0 && nIndex < (int)m_templates.size() ? m_templates[(size_t)nIndex] : nullptr;
}

CDocument* CWinApp::OpenDocumentFile(LPCTSTR lpszFileName) {
  if (m_templates.empty())
    return nullptr;
  return m_templates.front()->OpenDocumentFile(lpszFileName);
}

BOOL CWinApp::SaveAllModified() {
  for (CDocTemplate* p : m_templates)
    if (!p->SaveAllModified())
      return FALSE;
  return TRUE;
}

void CWinApp::CloseAllDocuments(BOOL bEndSession) {
  for (CDocTemplate* p : m_templates)
    p->CloseAllDocuments(bEndSession);
}

void CWinApp::OnFileNew() {
  if (!m_templates.empty())
    m_templates.front()->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen() {
  CString strFilter;
  for (CDocTemplate* p : m_templates) {
    CString strName, strExt;
    if (p->GetDocString(strName, CDocTemplate::filterName) && p->GetDocString(strExt, CDocTemplate::filterExt) &&
        !strName.IsEmpty() && !strExt.IsEmpty())
      strFilter += strName + "|*" + strExt + "|";
  }
  strFilter += "All Files (*.*)|*.*||";
  CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, strFilter, m_pMainWnd);
  if (dlg.DoModal() == IDOK)
    OpenDocumentFile(dlg.GetPathName());
}

void CWinApp::OnFilePrintSetup() {
  // The printer set-up box only; nothing in this program prints.
  PRINTDLGA pd = {};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = AfxGetDialogOwner(m_pMainWnd);
  pd.Flags = PD_PRINTSETUP;
  ::PrintDlgA(&pd);
  if (pd.hDevMode != nullptr)
    ::GlobalFree(pd.hDevMode);
  if (pd.hDevNames != nullptr)
    ::GlobalFree(pd.hDevNames);
}

void CWinApp::OnAppExit() {
  if (m_pMainWnd != nullptr && m_pMainWnd->m_hWnd != nullptr)
    m_pMainWnd->SendMessage(WM_CLOSE);
}

BOOL CWinApp::OnOpenRecentFile(UINT nID) {
  if (m_pRecentFileList == nullptr)
    return FALSE;
  int nIndex = (int)(nID - ID_FILE_MRU_FILE1);
  if (nIndex < 0 || nIndex >= m_pRecentFileList->GetSize() || (*m_pRecentFileList)[nIndex].IsEmpty())
    return FALSE;
  CString strPath = (*m_pRecentFileList)[nIndex];
  if (OpenDocumentFile(strPath) == nullptr)
    m_pRecentFileList->Remove(nIndex);  // gone or unreadable: off the list
  return TRUE;
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* pCmdUI) {
  if (m_pRecentFileList == nullptr)
    pCmdUI->Enable(FALSE);
  else
    m_pRecentFileList->UpdateMenu(pCmdUI);
}

int CWinApp::ExitInstance() {
  SaveStdProfileSettings();
  AfxOleTerm();
  return CWinThread::ExitInstance();
}

BOOL CWinApp::OnIdle(LONG lCount) { return CWinThread::OnIdle(lCount); }

BOOL CWinApp::PreTranslateMessage(MSG* pMsg) {
  if (CWinThread::PreTranslateMessage(pMsg))
    return TRUE;
  // A key in a top-level window of its own (not a dialog, which took its keys)
  // still reaches the main window's accelerators.
  if (m_pMainWnd != nullptr && m_pMainWnd->m_hWnd != nullptr && pMsg->hwnd != nullptr &&
      pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) {
    HWND hTop = pMsg->hwnd;
    while ((::GetWindowLongPtrA(hTop, GWL_STYLE) & WS_CHILD) && ::GetParent(hTop) != nullptr)
      hTop = ::GetParent(hTop);
    if (hTop != m_pMainWnd->m_hWnd && ::GetWindowThreadProcessId(hTop, nullptr) == ::GetCurrentThreadId())
      return m_pMainWnd->PreTranslateMessage(pMsg);
  }
  return FALSE;
}
