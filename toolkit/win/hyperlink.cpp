#include "toolkit/hyperlink.h"

#include <cstring>

#include "framework/dialog.h"
#include "toolkit/launcher.h"
#include "toolkit/linkrules.h"

IMPLEMENT_DYNAMIC(CHyperLink, CStatic)

BEGIN_MESSAGE_MAP(CHyperLink, CStatic)
  ON_WM_CTLCOLOR_REFLECT()
  ON_CONTROL_REFLECT(STN_CLICKED, OnClicked)
  ON_WM_MOUSEMOVE()
  ON_WM_SETCURSOR()
  ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

CHyperLink::CHyperLink() : m_crHoverColour(::GetSysColor(COLOR_HIGHLIGHT)) {}
CHyperLink::~CHyperLink() = default;

BOOL CHyperLink::Create(LPCTSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  if (!CStatic::Create(lpszText, dwStyle | SS_NOTIFY, rect, pParentWnd, nID))
    return FALSE;
  SetUpLink();
  return TRUE;
}

void CHyperLink::PreSubclassWindow() {
  CStatic::PreSubclassWindow();
  SetUpLink();
}

void CHyperLink::SetUpLink() {
  ModifyStyle(0, SS_NOTIFY);
  CString text;
  GetWindowText(text);
  if (m_strURL.IsEmpty())
    m_strURL = text;
  if (text.IsEmpty())
    SetWindowText(m_strURL);

  LOGFONT lf = {};
  HFONT hFont = (HFONT)SendMessage(WM_GETFONT);
  if (hFont == nullptr)
    hFont = (HFONT)::GetStockObject(DEFAULT_GUI_FONT);
  ::GetObjectA(hFont, sizeof lf, &lf);
  lf.lfUnderline = (BYTE)m_bUnderline;
  m_font.DeleteObject();
  m_font.CreateFontIndirect(&lf);
  SetFont(&m_font, FALSE);

  PositionWindow();

  if (m_toolTip.m_hWnd == nullptr && m_toolTip.Create(this)) {
    CRect rc;
    GetClientRect(&rc);
    m_toolTip.AddTool(this, m_strURL, &rc, 1);
  }
}

void CHyperLink::SetURL(const CString& url) {
  m_strURL = url;
  if (m_hWnd != nullptr) {
    PositionWindow();
    if (m_toolTip.m_hWnd != nullptr)
      m_toolTip.UpdateTipText(m_strURL, this, 1);
  }
}

void CHyperLink::SetVisited(BOOL bVisited, BOOL bRepaint) {
  m_bVisited = bVisited;
  if (bRepaint && m_hWnd != nullptr)
    Invalidate();
}

void CHyperLink::PositionWindow() {
  if (m_hWnd == nullptr || !m_bAdjustToFit)
    return;
  CWnd* parent = GetParent();
  CRect rc;
  GetWindowRect(&rc);
  if (parent != nullptr)
    parent->ScreenToClient(&rc);
  CString text;
  GetWindowText(text);
  CSize extent(0, 0);
  if (CDC* dc = GetDC()) {
    CFont* old = dc->SelectObject(&m_font);
    extent = dc->GetTextExtent(text);
    dc->SelectObject(old);
    ReleaseDC(dc);
  }
  const DWORD style = GetStyle();
  const DWORD type = style & SS_TYPEMASK;
  const int align = type == SS_CENTER ? 1 : type == SS_RIGHT ? 2 : 0;
  const LinkRect fitted = FitLinkRect({rc.left, rc.top, rc.right, rc.bottom}, extent.cx, extent.cy, align,
                                      (style & SS_CENTERIMAGE) != 0);
  SetWindowPos(nullptr, fitted.left, fitted.top, fitted.right - fitted.left, fitted.bottom - fitted.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (m_toolTip.m_hWnd != nullptr) {
    CRect client;
    GetClientRect(&client);
    m_toolTip.SetToolRect(this, 1, &client);
  }
}

HCURSOR CHyperLink::LinkCursor() {
  // The hand of the help viewer; loaded once, none when it is not there.
  static HCURSOR s_cursor = [] {
    char path[MAX_PATH + 20] = "";
    UINT n = ::GetWindowsDirectoryA(path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
      return (HCURSOR) nullptr;
    strcat(path, "\\winhlp32.exe");
    HMODULE module = ::LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr)
      return (HCURSOR) nullptr;
    HCURSOR copy = nullptr;
    if (HCURSOR hand = ::LoadCursorA(module, MAKEINTRESOURCEA(106)))
      copy = (HCURSOR)::CopyIcon((HICON)hand);
    ::FreeLibrary(module);
    return copy;
  }();
  return s_cursor;
}

HBRUSH CHyperLink::CtlColor(CDC* pDC, UINT) {
  pDC->SetTextColor(m_bOverLink ? m_crHoverColour : m_bVisited ? m_crVisitedColour : m_crLinkColour);
  pDC->SetBkMode(TRANSPARENT);
  return (HBRUSH)::GetStockObject(NULL_BRUSH);
}

void CHyperLink::OnMouseMove(UINT nFlags, CPoint point) {
  if (!m_bOverLink) {
    m_bOverLink = TRUE;
    SetCapture();
    Invalidate();
  } else {
    CRect rc;
    GetClientRect(&rc);
    if (!rc.PtInRect(point)) {
      m_bOverLink = FALSE;
      ::ReleaseCapture();
      Invalidate();
    }
  }
  CStatic::OnMouseMove(nFlags, point);
}

void CHyperLink::OnCaptureChanged(CWnd* pWnd) {
  // Taken away (a box, a menu): the mouse is no longer known to be over the link.
  if (m_bOverLink && (pWnd == nullptr || pWnd->m_hWnd != m_hWnd)) {
    m_bOverLink = FALSE;
    Invalidate();
  }
  CStatic::OnCaptureChanged(pWnd);
}

BOOL CHyperLink::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
  if (HCURSOR cursor = LinkCursor()) {
    ::SetCursor(cursor);
    return TRUE;
  }
  return CStatic::OnSetCursor(pWnd, nHitTest, message);
}

BOOL CHyperLink::PreTranslateMessage(MSG* pMsg) {
  if (m_toolTip.m_hWnd != nullptr && pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST)
    m_toolTip.RelayEvent(pMsg);
  return CStatic::PreTranslateMessage(pMsg);
}

void CHyperLink::OnClicked() {
  if (m_bOverLink) {
    // The capture goes before anything can open over the link.
    m_bOverLink = FALSE;
    ::ReleaseCapture();
  }
  const INT_PTR result = GotoURL(m_strURL, SW_SHOW);
  if (result > 32) {
    SetVisited(TRUE);
    return;
  }
  ::MessageBeep(MB_ICONEXCLAMATION);
  CString message = kHyperlinkErrorPrefix;
  message += HyperlinkErrorText(result);
  AfxMessageBox(message, MB_ICONEXCLAMATION | MB_OK);
}

LONG CHyperLink::GetRegKey(HKEY key, LPCTSTR subkey, LPTSTR out) {
  if (out == nullptr)
    return ERROR_INVALID_PARAMETER;
  out[0] = '\0';
  HKEY h = nullptr;
  LONG rc = ::RegOpenKeyExA(key, subkey, 0, KEY_QUERY_VALUE, &h);
  if (rc != ERROR_SUCCESS)
    return rc;
  char data[MAX_PATH + 1] = "";
  DWORD type = 0, size = MAX_PATH;
  rc = ::RegQueryValueExA(h, nullptr, nullptr, &type, (LPBYTE)data, &size);
  ::RegCloseKey(h);
  if (rc == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ)
    rc = ERROR_UNSUPPORTED_TYPE;
  if (rc == ERROR_SUCCESS) {
    if (size > MAX_PATH)
      size = MAX_PATH;
    data[size < MAX_PATH ? size : MAX_PATH - 1] = '\0';
    strcpy(out, data);
  }
  return rc;
}

INT_PTR CHyperLink::GotoURL(LPCTSTR address, int nShowCmd) {
  const INT_PTR result = ToolkitOpen(address, nShowCmd);
  if (result > 32)
    return result;
  char key[MAX_PATH + 32];
  if (GetRegKey(HKEY_CLASSES_ROOT, ".htm", key) != ERROR_SUCCESS || key[0] == '\0')
    return result;
  strcat(key, "\\shell\\open\\command");
  char command[MAX_PATH];
  if (GetRegKey(HKEY_CLASSES_ROOT, key, command) != ERROR_SUCCESS || command[0] == '\0')
    return result;
  // A started browser counts as opened (as the shell's values above 32 do).
  return ToolkitRun(BuildBrowserCommand(command, address), nShowCmd) ? 33 : result;
}
