// CToolBarEx: the button table, text and icon options, drop-down menus, the
// customisation notifications and the saved layout.
#include "toolkit/toolbarex.h"

#include <algorithm>
#include <cstring>

#include <shlwapi.h>

#include "framework/docview.h"
#include "toolkit/bcmenu.h"
#include "toolkit/menuupdate.h"

namespace {

const char kLayoutValue[] = "DADOZORURAV";
const CSize kImageSize(22, 20);
const int kSeparatorWidth = 8;

}  // namespace

int CToolBarEx::s_nInstances = 0;
CCustomizeDialog* CToolBarEx::s_pCustomizeDialog = nullptr;

IMPLEMENT_DYNCREATE(CToolBarEx, CToolBar)

BEGIN_MESSAGE_MAP(CToolBarEx, CToolBar)
  ON_WM_CREATE()
  ON_WM_SYSCOLORCHANGE()
  ON_WM_NCPAINT()
  ON_WM_PAINT()
  ON_WM_CONTEXTMENU()
  ON_MESSAGE(TB_CUSTOMIZE, OnCustomizeRequest)
  ON_NOTIFY_REFLECT(TBN_DROPDOWN, OnDropDown)
  ON_NOTIFY_REFLECT(TBN_BEGINADJUST, OnBeginAdjust)
  ON_NOTIFY_REFLECT(TBN_ENDADJUST, OnEndAdjust)
  ON_NOTIFY_REFLECT(TBN_CUSTHELP, OnEndAdjust)
  ON_NOTIFY_REFLECT(TBN_INITCUSTOMIZE, OnInitCustomize)
  ON_NOTIFY_REFLECT(TBN_QUERYINSERT, OnQueryInsert)
  ON_NOTIFY_REFLECT(TBN_QUERYDELETE, OnQueryDelete)
  ON_NOTIFY_REFLECT(TBN_GETBUTTONINFOA, OnGetButtonInfoA)
  ON_NOTIFY_REFLECT(TBN_GETBUTTONINFOW, OnGetButtonInfoW)
  ON_NOTIFY_REFLECT(TBN_TOOLBARCHANGE, OnToolBarChange)
  ON_NOTIFY_REFLECT(TBN_RESET, OnReset)
  ON_NOTIFY_REFLECT(TBN_SAVE, OnSave)
  ON_NOTIFY_REFLECT(TBN_RESTORE, OnRestore)
END_MESSAGE_MAP()

CToolBarEx::CToolBarEx()
    : m_strValueName(kLayoutValue),
      m_clrHighlight(::GetSysColor(COLOR_3DHILIGHT)),
      m_clrShadow(::GetSysColor(COLOR_3DSHADOW)),
      m_clrFace(::GetSysColor(COLOR_3DFACE)) {
  CWinApp* pApp = AfxGetApp();
  if (pApp != nullptr && pApp->m_pszRegistryKey != nullptr && *pApp->m_pszRegistryKey != '\0')
    m_strSubKey.Format("Software\\%s\\SETUP", pApp->m_pszRegistryKey);
  s_nInstances++;
}

CToolBarEx::~CToolBarEx() {
  for (POSITION pos = m_customObjects.GetHeadPosition(); pos != nullptr;)
    delete m_customObjects.GetNext(pos);
  m_customObjects.RemoveAll();
  while (m_pDropDowns != nullptr) {
    ToolbarDropDown* p = m_pDropDowns;
    m_pDropDowns = p->next;
    delete p;
  }
}

DWORD CToolBarEx::GetComCtlVersion() {
  static DWORD s_dwVersion = 0;
  if (s_dwVersion != 0)
    return s_dwVersion;
  s_dwVersion = MAKELONG(0, 4);
  HMODULE hMod = ::GetModuleHandleA("COMCTL32.DLL");
  typedef HRESULT(CALLBACK * DllGetVersionFn)(DLLVERSIONINFO*);
  DllGetVersionFn pfn = hMod ? reinterpret_cast<DllGetVersionFn>(::GetProcAddress(hMod, "DllGetVersion")) : nullptr;
  DLLVERSIONINFO dvi = {};
  dvi.cbSize = sizeof dvi;
  if (pfn != nullptr && SUCCEEDED(pfn(&dvi)))
    s_dwVersion = MAKELONG(dvi.dwMinorVersion, dvi.dwMajorVersion);
  return s_dwVersion;
}

int CToolBarEx::OnCreate(LPCREATESTRUCT) {
  LRESULT r = Default();
  GetComCtlVersion();
  return (int)r;
}

void CToolBarEx::OnSysColorChange() {
  m_clrHighlight = ::GetSysColor(COLOR_3DHILIGHT);
  m_clrShadow = ::GetSysColor(COLOR_3DSHADOW);
  m_clrFace = ::GetSysColor(COLOR_3DFACE);
  Default();
}

BOOL CToolBarEx::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  return CWnd::OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CToolBarEx::HasButtonText(UINT) { return TRUE; }

BOOL CToolBarEx::LoadToolBar(UINT nIDResource) {
  m_nIDResource = nIDResource;
  return CToolBar::LoadToolBar(nIDResource);
}

int CToolBarEx::TableFind(UINT nID) const {
  for (size_t i = 0; i < m_buttons.size(); i++)
    if ((UINT)m_buttons[i].button.idCommand == nID && !(m_buttons[i].button.fsStyle & TBSTYLE_SEP))
      return (int)i;
  return -1;
}

void CToolBarEx::AddRecord(const ToolbarButtonRecord& r) {
  // Grows as the platform's arrays do: an eighth, 4 to 1024 at a time.
  if (m_buttons.size() == m_buttons.capacity())
    m_buttons.reserve(m_buttons.size() + std::min<size_t>(1024, std::max<size_t>(4, m_buttons.size() / 8)));
  m_buttons.push_back(r);
}

BOOL CToolBarEx::AddDropDownButton(UINT nIDButton, UINT nIDMenu, BOOL bArrow) {
  ToolbarDropDown* p = m_pDropDowns;
  while (p != nullptr && p->command != nIDButton)
    p = p->next;
  if (p == nullptr) {
    p = new ToolbarDropDown{m_pDropDowns, nIDButton, nIDMenu};
    m_pDropDowns = p;
  }
  p->menu = nIDMenu;
  const BYTE style = (BYTE)(bArrow ? BTNS_DROPDOWN : (BTNS_DROPDOWN | BTNS_WHOLEDROPDOWN));
  int i = CommandToIndex(nIDButton);
  if (i >= 0)
    SetButtonStyle(i, (GetButtonStyle(i) & 0xFF & ~(BTNS_DROPDOWN | BTNS_WHOLEDROPDOWN)) | style);
  int r = TableFind(nIDButton);
  if (r >= 0)
    m_buttons[(size_t)r].button.fsStyle =
        (BYTE)((m_buttons[(size_t)r].button.fsStyle & ~(BTNS_DROPDOWN | BTNS_WHOLEDROPDOWN)) | style);
  GetToolBarCtrl().SetExtendedStyle(GetToolBarCtrl().GetExtendedStyle() | TBSTYLE_EX_DRAWDDARROWS);
  return TRUE;
}

void CToolBarEx::SetAdjustable() { ModifyStyle(0, CCS_ADJUSTABLE); }

void CToolBarEx::InitButtonTable(const std::vector<ToolbarButtonRecord>* pExtras) {
  m_buttons.clear();
  CToolBarCtrl& ctrl = GetToolBarCtrl();
  const int n = ctrl.GetButtonCount();
  for (int i = 0; i < n; i++) {
    ToolbarButtonRecord r = {};
    ctrl.GetButton(i, &r.button);
    if (!(r.button.fsStyle & TBSTYLE_SEP) && r.button.idCommand != 0) {
      CString s;
      if (s.LoadString((UINT)r.button.idCommand)) {
        int nl = s.Find('\n');
        if (nl >= 0)
          r.text = s.Mid(nl + 1);
      }
    }
    r.shown = TRUE;
    AddRecord(r);
  }
  m_nOwnButtons = (int)m_buttons.size();
  if (pExtras != nullptr)
    for (const ToolbarButtonRecord& r : *pExtras)
      AddRecord(r);
  m_buttons.shrink_to_fit();
  SetAdjustable();
  SetTextOptions(2, TRUE);
  SetIconOptions(0, TRUE);
}

int CToolBarEx::StringIndex(const CString& s) {
  if (!m_pStrings)
    m_pStrings.reset(new std::map<std::string, int>);
  auto it = m_pStrings->find(std::string(s));
  if (it != m_pStrings->end())
    return it->second;
  // TB_ADDSTRING takes a list of strings ending with an empty one.
  std::vector<char> buf((size_t)s.GetLength() + 2, '\0');
  std::memcpy(buf.data(), (LPCTSTR)s, (size_t)s.GetLength());
  int n = GetToolBarCtrl().AddStrings(buf.data());
  if (n >= 0)
    (*m_pStrings)[std::string(s)] = n;
  return n;
}

void CToolBarEx::ReplaceButton(int nIndex, const TBBUTTON& b) {
  CToolBarCtrl& ctrl = GetToolBarCtrl();
  SetRedraw(FALSE);
  TBBUTTON copy = b;
  ctrl.DeleteButton(nIndex);
  ctrl.InsertButton(nIndex, &copy);
  SetRedraw(TRUE);
}

void CToolBarEx::Remeasure() {
  // Setting the row count again makes the control measure its buttons anew.
  int nRows = (int)SendMessage(TB_GETROWS);
  CRect rc;
  SendMessage(TB_SETROWS, MAKEWPARAM(std::max(nRows, 1), TRUE), (LPARAM)&rc);
  Invalidate();
}

void CToolBarEx::RelayoutFrame() {
  GetToolBarCtrl().AutoSize();
  UpdateBandSize();  // labels change the bar's height: the band must follow
  if (m_pDockSite != nullptr && m_pDockSite->m_hWnd != nullptr)
    m_pDockSite->RecalcLayout();
  Invalidate();
  UpdateWindow();
}

void CToolBarEx::SetTextOptions(int nOption, BOOL bUpdate) {
  m_nTextOption = nOption;
  CToolBarCtrl& ctrl = GetToolBarCtrl();
  if (nOption == 1) {
    ModifyStyle(0, TBSTYLE_LIST);
    ctrl.SetExtendedStyle(ctrl.GetExtendedStyle() | TBSTYLE_EX_MIXEDBUTTONS);
  } else {
    ModifyStyle(TBSTYLE_LIST, 0);
    ctrl.SetExtendedStyle(ctrl.GetExtendedStyle() & ~(DWORD)TBSTYLE_EX_MIXEDBUTTONS);
  }
  BOOL bChanged = FALSE;
  for (ToolbarButtonRecord& r : m_buttons) {
    if (r.button.fsStyle & TBSTYLE_SEP)
      continue;
    int i = CommandToIndex((UINT)r.button.idCommand);
    if (i < 0)
      continue;
    TBBUTTON b = {};
    ctrl.GetButton(i, &b);
    TBBUTTON old = b;
    int nString = -1;
    if ((nOption == 0 || nOption == 1) && !r.text.IsEmpty())
      nString = StringIndex(r.text);
    b.fsStyle &= (BYTE)~BTNS_SHOWTEXT;
    b.iString = -1;
    if (nOption == 0) {
      b.iString = nString;
    } else if (nOption == 1 && nString >= 0 && HasButtonText((UINT)b.idCommand)) {
      b.iString = nString;
      b.fsStyle |= (BYTE)(BTNS_SHOWTEXT | BTNS_AUTOSIZE);
    }
    if (!(b.fsStyle & BTNS_SHOWTEXT))
      b.fsStyle |= (BYTE)BTNS_AUTOSIZE;
    r.button.iString = b.iString;
    r.button.fsStyle = b.fsStyle;
    if (b.iString != old.iString || b.fsStyle != old.fsStyle) {
      ReplaceButton(i, b);
      bChanged = TRUE;
    }
  }
  if (bChanged)
    Remeasure();
  ctrl.SetMaxTextRows(nOption == 2 ? 0 : 1);
  if (bUpdate)
    RelayoutFrame();
}

void CToolBarEx::SetIconOptions(int nOption, BOOL bUpdate) {
  m_nIconOption = nOption;
  if (nOption != 0 && nOption != 1)
    return;
  // A bar drawn from image lists of its owner keeps them; a bar drawn from its
  // own bitmap gets it stretched to the size.
  const BOOL bOwnerLists = SendMessage(TB_GETHOTIMAGELIST) != 0 || m_hbmImageWell == nullptr;
  if (!bOwnerLists) {
    int nImages = 0;
    for (int i = 0; i < m_nOwnButtons && i < (int)m_buttons.size(); i++)
      if (!(m_buttons[(size_t)i].button.fsStyle & TBSTYLE_SEP))
        nImages++;
    HBITMAP hbm = LoadMappedBitmap(kImageSize.cx * std::max(nImages, 1), kImageSize.cy);
    if (hbm != nullptr) {
      TBREPLACEBITMAP rb = {nullptr, (UINT_PTR)m_hbmImageWell, nullptr, (UINT_PTR)hbm, std::max(nImages, 1)};
      GetToolBarCtrl().SetBitmapSize(kImageSize);
      SendMessage(TB_REPLACEBITMAP, 0, (LPARAM)&rb);
      ::DeleteObject(m_hbmImageWell);
      m_hbmImageWell = hbm;
    }
  }
  m_sizeImage = kImageSize;
  GetToolBarCtrl().SetBitmapSize(kImageSize);
  GetToolBarCtrl().SetButtonSize(CSize(kImageSize.cx + 7, kImageSize.cy + 7));
  Remeasure();
  if (bUpdate)
    RelayoutFrame();
}

HBITMAP CToolBarEx::LoadMappedBitmap(int nWidth, int nHeight) {
  if (m_nIDResource == 0)
    return nullptr;
  HBITMAP hSrc = (HBITMAP)::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDResource), IMAGE_BITMAP, 0, 0,
                                       LR_CREATEDIBSECTION);
  if (hSrc == nullptr)
    return nullptr;
  struct Map {
    COLORREF from;
    int to;
  } const maps[] = {{RGB(0, 0, 0), COLOR_BTNTEXT},
                    {RGB(128, 128, 128), COLOR_BTNSHADOW},
                    {RGB(192, 192, 192), COLOR_BTNFACE},
                    {RGB(255, 255, 255), COLOR_BTNHIGHLIGHT}};
  DIBSECTION ds = {};
  ::GetObjectA(hSrc, sizeof ds, &ds);
  HDC hScreen = ::GetDC(nullptr);
  HDC hSrcDC = ::CreateCompatibleDC(hScreen);
  HGDIOBJ hOldSrc = ::SelectObject(hSrcDC, hSrc);
  if (ds.dsBm.bmBitsPixel <= 8) {
    // Through the colour table (entries in blue-green-red order).
    RGBQUAD table[256];
    UINT n = ::GetDIBColorTable(hSrcDC, 0, 256, table);
    for (UINT i = 0; i < n; i++) {
      COLORREF c = RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue);
      for (const Map& m : maps)
        if (c == m.from) {
          COLORREF t = ::GetSysColor(m.to);
          table[i].rgbRed = GetRValue(t);
          table[i].rgbGreen = GetGValue(t);
          table[i].rgbBlue = GetBValue(t);
        }
    }
    ::SetDIBColorTable(hSrcDC, 0, n, table);
  } else {
    for (int y = 0; y < ds.dsBm.bmHeight; y++)
      for (int x = 0; x < ds.dsBm.bmWidth; x++) {
        COLORREF c = ::GetPixel(hSrcDC, x, y);
        for (const Map& m : maps)
          if (c == m.from) {
            ::SetPixel(hSrcDC, x, y, ::GetSysColor(m.to));
            break;
          }
      }
  }
  HBITMAP hDst = ::CreateCompatibleBitmap(hScreen, nWidth, nHeight);
  HDC hDstDC = ::CreateCompatibleDC(hScreen);
  HGDIOBJ hOldDst = ::SelectObject(hDstDC, hDst);
  ::SetStretchBltMode(hDstDC, COLORONCOLOR);
  ::StretchBlt(hDstDC, 0, 0, nWidth, nHeight, hSrcDC, 0, 0, ds.dsBm.bmWidth, ds.dsBm.bmHeight, SRCCOPY);
  ::SelectObject(hDstDC, hOldDst);
  ::SelectObject(hSrcDC, hOldSrc);
  ::DeleteDC(hDstDC);
  ::DeleteDC(hSrcDC);
  ::ReleaseDC(nullptr, hScreen);
  ::DeleteObject(hSrc);
  return hDst;
}

void CToolBarEx::MarkVisibleButtons() {
  for (ToolbarButtonRecord& r : m_buttons) {
    if ((r.button.fsStyle & TBSTYLE_SEP) && r.button.idCommand == 0)
      r.shown = TRUE;
    else
      r.shown = CommandToIndex((UINT)r.button.idCommand) >= 0;
  }
}

void CToolBarEx::SaveState() {
  if (m_strSubKey.IsEmpty() || m_hWnd == nullptr)
    return;
  SavedToolbarLayout layout;
  layout.iconOption = m_nIconOption;
  layout.textOption = m_nTextOption;
  CToolBarCtrl& ctrl = GetToolBarCtrl();
  for (int i = 0, n = ctrl.GetButtonCount(); i < n; i++) {
    TBBUTTON b = {};
    ctrl.GetButton(i, &b);
    layout.items.push_back({(UINT)b.idCommand, (b.fsStyle & TBSTYLE_SEP) != 0});
  }
  std::vector<BYTE> bytes = ToolbarLayoutBytes(layout);
  HKEY hKey = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, m_strSubKey, 0, nullptr, 0, KEY_WRITE, nullptr, &hKey, nullptr) !=
      ERROR_SUCCESS)
    return;
  ::RegSetValueExA(hKey, m_strValueName, 0, REG_BINARY, bytes.data(), (DWORD)bytes.size());
  ::RegCloseKey(hKey);
}

void CToolBarEx::RestoreState() {
  if (m_strSubKey.IsEmpty() || m_hWnd == nullptr)
    return;
  // The value is read and checked whole first: a damaged one leaves the
  // default layout as a missing one does.
  HKEY hKey = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, m_strSubKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
    return;
  DWORD dwType = 0, cb = 0;
  std::vector<BYTE> data;
  LONG res = ::RegQueryValueExA(hKey, m_strValueName, nullptr, &dwType, nullptr, &cb);
  if (res == ERROR_SUCCESS && cb > 0 && cb <= 65536) {
    data.resize(cb);
    res = ::RegQueryValueExA(hKey, m_strValueName, nullptr, &dwType, data.data(), &cb);
    data.resize(cb);
  }
  ::RegCloseKey(hKey);
  SavedToolbarLayout layout;
  if (res != ERROR_SUCCESS || !ParseToolbarLayout(data.data(), data.size(), dwType == REG_BINARY, &layout))
    return;
  std::vector<TBBUTTON> buttons;
  int nKnown = 0;
  for (const SavedToolbarLayout::Item& item : layout.items) {
    if (item.separator) {
      TBBUTTON b = {};
      b.fsStyle = TBSTYLE_SEP;
      b.iBitmap = kSeparatorWidth;
      b.idCommand = (int)item.command;
      buttons.push_back(b);
      continue;
    }
    int r = TableFind(item.command);
    if (r < 0)
      continue;  // a command this bar no longer has
    TBBUTTON b = m_buttons[(size_t)r].button;
    b.fsState &= (BYTE)~(TBSTATE_WRAP | TBSTATE_HIDDEN);
    buttons.push_back(b);
    nKnown++;
  }
  if (nKnown == 0)
    return;  // a layout without a known button would only empty the bar
  CToolBarCtrl& ctrl = GetToolBarCtrl();
  SetRedraw(FALSE);
  while (ctrl.GetButtonCount() > 0)
    ctrl.DeleteButton(0);
  ctrl.AddButtons((int)buttons.size(), buttons.data());
  SetRedraw(TRUE);
  SetTextOptions(layout.textOption, TRUE);
  if (layout.iconOption != m_nIconOption)
    SetIconOptions(layout.iconOption, TRUE);
}

void CToolBarEx::Reset() {
  CToolBarCtrl& ctrl = GetToolBarCtrl();
  SetRedraw(FALSE);
  while (ctrl.GetButtonCount() > 0)
    ctrl.DeleteButton(0);
  for (const ToolbarButtonRecord& r : m_buttons) {
    if (!r.shown)
      continue;
    TBBUTTON b = r.button;
    ctrl.AddButtons(1, &b);
  }
  SetRedraw(TRUE);
  if (s_pCustomizeDialog != nullptr) {
    s_pCustomizeDialog->SetTextChoice(2);
    s_pCustomizeDialog->SetIconChoice(0);
  }
  SetTextOptions(2, TRUE);
  RelayoutFrame();
}

void CToolBarEx::OnDropDown(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = TBDDRET_DEFAULT;
  NMTOOLBARA* p = reinterpret_cast<NMTOOLBARA*>(pNMHDR);
  const UINT nID = (UINT)p->iItem;
  ToolbarDropDown* node = m_pDropDowns;
  while (node != nullptr && node->command != nID)
    node = node->next;
  if (node == nullptr || node->menu == 0)
    return;
  CRect rc;
  GetItemRect(CommandToIndex(nID), &rc);
  ClientToScreen(&rc);
  BCMenu menu;
  if (!menu.LoadMenu(node->menu))
    return;
  CMenu* pPopup = menu.GetSubMenu(0);
  if (pPopup == nullptr) {
    menu.DestroyMenu();
    return;
  }
  CWnd* pMain = AfxGetMainWnd();
  UpdatePopupMenuUI(m_pDockSite != nullptr ? static_cast<CWnd*>(m_pDockSite) : pMain, pPopup);
  TPMPARAMS tpm = {sizeof tpm, rc};
  HWND hOwner = pMain != nullptr ? pMain->m_hWnd : (m_pDockSite != nullptr ? m_pDockSite->m_hWnd : m_hWnd);
  ::TrackPopupMenuEx(pPopup->m_hMenu, TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_VERTICAL, rc.left, rc.bottom, hOwner,
                     &tpm);
  menu.DestroyMenu();
}

void CToolBarEx::OnQueryDelete(NMHDR* pNMHDR, LRESULT* pResult) {
  NMTOOLBARA* p = reinterpret_cast<NMTOOLBARA*>(pNMHDR);
  *pResult = (p->tbButton.fsStyle & TBSTYLE_SEP) || p->tbButton.idCommand == 0 ||
             !GetToolBarCtrl().IsButtonHidden(p->tbButton.idCommand);
}

void CToolBarEx::OnGetButtonInfoA(NMHDR* pNMHDR, LRESULT* pResult) {
  NMTOOLBARA* p = reinterpret_cast<NMTOOLBARA*>(pNMHDR);
  *pResult = FALSE;
  if (p->iItem < 0 || p->iItem >= (int)m_buttons.size())
    return;
  const ToolbarButtonRecord& r = m_buttons[(size_t)p->iItem];
  p->tbButton = r.button;
  if (p->pszText != nullptr && p->cchText > 0)
    lstrcpynA(p->pszText, r.text, p->cchText);
  *pResult = TRUE;
}

void CToolBarEx::OnGetButtonInfoW(NMHDR* pNMHDR, LRESULT* pResult) {
  NMTOOLBARW* p = reinterpret_cast<NMTOOLBARW*>(pNMHDR);
  *pResult = FALSE;
  if (p->iItem < 0 || p->iItem >= (int)m_buttons.size())
    return;
  const ToolbarButtonRecord& r = m_buttons[(size_t)p->iItem];
  p->tbButton = r.button;
  if (p->pszText != nullptr && p->cchText > 0) {
    p->pszText[0] = 0;
    ::MultiByteToWideChar(CP_ACP, 0, r.text, -1, p->pszText, p->cchText);
    p->pszText[p->cchText - 1] = 0;
  }
  *pResult = TRUE;
}

void CToolBarEx::OnToolBarChange(NMHDR*, LRESULT* pResult) {
  *pResult = 0;
  SetTextOptions(m_nTextOption, FALSE);
  RelayoutFrame();
}

void CToolBarEx::OnReset(NMHDR*, LRESULT* pResult) {
  Reset();
  *pResult = TRUE;
}

void CToolBarEx::OnSave(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = 0;
  NMTBSAVE* p = reinterpret_cast<NMTBSAVE*>(pNMHDR);
  if (p->iItem != -1)
    return;
  // The control's own save (SaveState writes the value itself): the options in front.
  p->cbData += kToolbarLayoutFront;
  p->pData = static_cast<DWORD*>(::LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, p->cbData));
  if (p->pData == nullptr)
    return;
  p->pData[0] = (DWORD)m_nIconOption;
  p->pData[1] = (DWORD)m_nTextOption;
  p->pCurrent = p->pData + 2;
}

void CToolBarEx::OnRestore(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = 0;
  NMTBRESTORE* p = reinterpret_cast<NMTBRESTORE*>(pNMHDR);
  if (p->iItem != -1)
    return;
  // Never a negative count or a read past a short value.
  if (p->pData == nullptr || p->cbData < (UINT)kToolbarLayoutFront || p->cbBytesPerRecord <= 0) {
    p->cButtons = 0;
    return;
  }
  int icon = (int)p->pData[0], text = (int)p->pData[1];
  m_nIconOption = icon >= 0 && icon <= 1 ? icon : 0;
  m_nTextOption = text >= 0 && text <= 2 ? text : 2;
  p->pCurrent = p->pData + 2;
  p->cButtons = (int)((p->cbData - kToolbarLayoutFront) / (UINT)p->cbBytesPerRecord);
}
