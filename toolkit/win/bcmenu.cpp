// BCMenu: building, syncing, searching and destroying menus and their records.
#include "toolkit/bcmenu.h"

#include <algorithm>
#include <cwctype>
#include <unordered_set>

#include "framework/toolbarres.h"
#include "toolkit/win/bcmenu_internal.h"

std::vector<HMENU>& g_liveMenus = *new std::vector<HMENU>;
BOOL g_menuStyle = 0;
BOOL g_menuStyleThemed = 1;
BOOL g_menu3dIcons = 1;

namespace {

std::unordered_set<const void*>& LiveRecords() {
  static auto* p = new std::unordered_set<const void*>;  // outlives static menus
  return *p;
}

// WM_MEASUREITEM names no menu: every window of this module asks BCMenu.
const bool g_measureRegistered = (AfxSetMeasureMenuItemProc(&BCMenu::MeasureItemEntry), true);

void RemoveOne(std::vector<HMENU>& v, HMENU h) {
  auto it = std::find(v.begin(), v.end(), h);
  if (it != v.end())
    v.erase(it);
}

BCMenu* AsBCMenu(const CMenu* pMenu) {
  if (pMenu == nullptr || pMenu->m_hMenu == nullptr)
    return nullptr;
  CMenu* p = const_cast<CMenu*>(pMenu);
  if (!p->IsKindOf(RUNTIME_CLASS(BCMenu)))
    p = CMenu::FromHandlePermanent(pMenu->m_hMenu);
  return p != nullptr && p->IsKindOf(RUNTIME_CLASS(BCMenu)) ? static_cast<BCMenu*>(p) : nullptr;
}

std::wstring LowerText(const wchar_t* psz) {
  std::wstring s = psz ? psz : L"";
  if (!s.empty())
    ::CharLowerBuffW(&s[0], (DWORD)s.size());
  return s;
}

// What an item is, read back from the platform.
struct ItemInfo {
  UINT type = 0;
  UINT state = 0;
  UINT id = 0;
  HMENU sub = nullptr;
  ULONG_PTR data = 0;
};
bool ReadItem(HMENU h, UINT nPos, ItemInfo* pInfo) {
  MENUITEMINFOW mii = {};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
  if (!::GetMenuItemInfoW(h, nPos, TRUE, &mii))
    return false;
  pInfo->type = mii.fType;
  pInfo->state = mii.fState;
  pInfo->id = mii.wID;
  pInfo->sub = mii.hSubMenu;
  pInfo->data = mii.dwItemData;
  return true;
}

}  // namespace

// ---- records ----

void MenuItemData::SetText(const wchar_t* psz) {
  delete[] text;
  size_t n = psz ? wcslen(psz) : 0;
  text = new wchar_t[n + 1];
  if (n)
    wmemcpy(text, psz, n);
  text[n] = 0;
}

MenuItemData* NewMenuItemData() {
  MenuItemData* p = new MenuItemData;
  LiveRecords().insert(p);
  return p;
}

void FreeMenuItemData(MenuItemData* p) {
  if (p == nullptr)
    return;
  LiveRecords().erase(p);
  delete[] p->text;
  delete p->imageList;
  delete p;
}

bool IsLiveMenuItemData(const void* p) { return p != nullptr && LiveRecords().count(p) != 0; }

void ForEachLiveMenuItemDataImpl(void (*pfn)(MenuItemData*, void*), void* ctx) {
  for (const void* p : LiveRecords())
    pfn(const_cast<MenuItemData*>(static_cast<const MenuItemData*>(p)), ctx);
}

std::wstring MenuWideText(const char* psz) {
  if (psz == nullptr || *psz == 0)
    return std::wstring();
  UINT cp = FwGetCodePage();
  int n = ::MultiByteToWideChar(cp, 0, psz, -1, nullptr, 0);
  if (n <= 0)
    return std::wstring();
  std::wstring w((size_t)n, L'\0');
  ::MultiByteToWideChar(cp, 0, psz, -1, &w[0], n);
  w.resize((size_t)n - 1);
  return w;
}

CString MenuNarrowText(const wchar_t* psz) {
  if (psz == nullptr || *psz == 0)
    return CString();
  UINT cp = FwGetCodePage();
  int n = ::WideCharToMultiByte(cp, 0, psz, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0)
    return CString();
  CString s;
  char* p = s.GetBuffer(n);
  ::WideCharToMultiByte(cp, 0, psz, -1, p, n, nullptr, nullptr);
  s.ReleaseBuffer(n - 1);
  return s;
}

void SetMenuStyleFromOptions(DWORD dwOptions) {
  if (dwOptions & 0x80000) {
    g_menuStyle = g_menuStyleThemed = 0;
  } else {
    g_menuStyle = g_menuStyleThemed = 1;
    g_menu3dIcons = (dwOptions & 0x100000) ? 1 : 0;
  }
}

// ---- BCMenu ----

IMPLEMENT_DYNAMIC(BCMenu, CMenu)

BCMenu::BCMenu() = default;

BCMenu::~BCMenu() { DestroyMenu(); }

BOOL BCMenu::IsOwnMenuHandle(HMENU hMenu) {
  return hMenu != nullptr && std::find(g_liveMenus.begin(), g_liveMenus.end(), hMenu) != g_liveMenus.end();
}

BOOL BCMenu::IsOwnMenu(const CMenu* pMenu) { return pMenu != nullptr && IsOwnMenuHandle(pMenu->m_hMenu); }

BOOL BCMenu::DestroyMenu() {
  HMENU h = m_hMenu;
  for (HMENU hSub : m_subMenus) {
    RemoveOne(g_liveMenus, hSub);
    // A popup some other object holds is given back to it, not destroyed with
    // this menu; unbound handles go with the menu.
    CMenu* pOwner = CMenu::FromHandlePermanent(hSub);
    bool bOwned = std::find_if(m_ownedSubMenus.begin(), m_ownedSubMenus.end(),
                               [&](BCMenu* p) { return p->m_hMenu == hSub; }) != m_ownedSubMenus.end();
    if (h != nullptr && (bOwned || pOwner != nullptr)) {
      for (int i = ::GetMenuItemCount(h) - 1; i >= 0; --i)
        if (::GetSubMenu(h, i) == hSub)
          ::RemoveMenu(h, (UINT)i, MF_BYPOSITION);
    }
  }
  m_subMenus.clear();
  for (BCMenu* p : m_ownedSubMenus)
    delete p;
  m_ownedSubMenus.clear();
  for (MenuItemData* p : m_items)
    FreeMenuItemData(p);
  m_items.clear();
  if (!m_checkMapsShared)
    delete m_checkMaps;
  m_checkMaps = nullptr;
  m_loadedFromResource = FALSE;
  return CMenu::DestroyMenu();
}

BOOL BCMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem, int nIcon) {
  return AppendItem(nFlags, nIDNewItem, MenuWideText(lpszNewItem).c_str(), nIcon);
}

BOOL BCMenu::AppendItem(UINT nFlags, UINT_PTR nID, const wchar_t* pszText, int nIcon) {
  if (m_hMenu == nullptr)
    return FALSE;
  nFlags &= ~(MF_BITMAP | MF_OWNERDRAW);
  if (!(nFlags & MF_POPUP) && nID == 0)
    nFlags = MF_SEPARATOR | MF_OWNERDRAW | (nFlags & MF_BYPOSITION);
  else if (!m_loadedFromResource)
    nFlags |= MF_OWNERDRAW;  // a loaded menu bar keeps plain top-level items
  if (nFlags & MF_POPUP) {
    g_liveMenus.push_back((HMENU)nID);
    m_subMenus.push_back((HMENU)nID);
  }
  MenuItemData* pData = NewMenuItemData();
  pData->SetText(pszText);
  pData->flags = nFlags;
  pData->id = nID;
  if (!(nFlags & (MF_POPUP | MF_SEPARATOR))) {
    if (nIcon == -1)
      pData->globalIndex = MenuImageIndexOf((UINT)nID);
    else if (nIcon >= 0)
      pData->globalIndex =
          AddToolbarIconToMenuImages((UINT)nIcon, (UINT)nID, m_useMaskColor ? m_bitmapBackground : ::GetSysColor(COLOR_3DFACE));
  }
  m_items.push_back(pData);
  BOOL bOk = (nFlags & MF_OWNERDRAW) ? ::AppendMenuW(m_hMenu, nFlags, nID, reinterpret_cast<LPCWSTR>(pData))
                                     : ::AppendMenuW(m_hMenu, nFlags, nID, pData->Text());
  if (!bOk) {
    m_items.pop_back();
    FreeMenuItemData(pData);
    if (nFlags & MF_POPUP) {
      RemoveOne(g_liveMenus, (HMENU)nID);
      RemoveOne(m_subMenus, (HMENU)nID);
    }
  } else if (!(nFlags & MF_OWNERDRAW)) {
    MENUITEMINFOW mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_DATA;
    mii.dwItemData = (ULONG_PTR)pData;
    ::SetMenuItemInfoW(m_hMenu, ::GetMenuItemCount(m_hMenu) - 1, TRUE, &mii);
  }
  return bOk;
}

BOOL BCMenu::LoadMenu(UINT nIDResource) { return LoadMenu(MAKEINTRESOURCEA(nIDResource)); }

BOOL BCMenu::LoadMenu(LPCTSTR lpszResourceName) {
  DestroyMenu();
  HINSTANCE hRes = AfxGetResourceHandle();
  if (::FindResourceA(hRes, lpszResourceName, (LPCSTR)RT_MENU) == nullptr)
    hRes = AfxGetInstanceHandle();
  return LoadMenuFrom(hRes, lpszResourceName);
}

BOOL BCMenu::LoadMenuFrom(HINSTANCE hInst, LPCTSTR lpszResourceName) {
  HRSRC hRsrc = ::FindResourceA(hInst, lpszResourceName, (LPCSTR)RT_MENU);
  if (hRsrc == nullptr)
    return FALSE;
  HGLOBAL hGlobal = ::LoadResource(hInst, hRsrc);
  const void* pData = hGlobal ? ::LockResource(hGlobal) : nullptr;
  std::vector<MenuTemplateItem> items;
  if (pData == nullptr || !ParseMenuTemplate(pData, ::SizeofResource(hInst, hRsrc), &items))
    return FALSE;
  if (!CreateMenu())
    return FALSE;
  std::vector<BCMenu*> levels = {this};
  std::vector<bool> ending = {false};
  for (const MenuTemplateItem& item : items) {
    BCMenu* pLevel = levels.back();
    std::wstring text(item.text.begin(), item.text.end());
    if (item.endsLevel)
      ending.back() = true;
    if (item.popup) {
      BCMenu* pSub = new BCMenu;
      pSub->m_selectCheck = m_selectCheck;
      pSub->m_unselectCheck = m_unselectCheck;
      pSub->m_checkMaps = m_checkMaps;
      pSub->m_checkMapsShared = TRUE;
      if (!pSub->CreatePopupMenu()) {
        delete pSub;
        DestroyMenu();
        return FALSE;
      }
      pLevel->m_ownedSubMenus.push_back(pSub);
      pLevel->AppendItem(item.flags, (UINT_PTR)pSub->m_hMenu, text.c_str(), -1);
      levels.push_back(pSub);
      ending.push_back(false);
    } else {
      pLevel->AppendItem(item.flags, item.id, text.c_str(), -1);
      while (levels.size() > 1 && ending.back()) {
        levels.back()->AlignAccelerators();
        levels.pop_back();
        ending.pop_back();
      }
    }
  }
  // The menu bar draws its own items: plain text again.
  const UINT kKeep = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_MENUBREAK | MF_MENUBARBREAK | MF_HELP;
  for (size_t i = 0; i < m_items.size(); ++i) {
    MenuItemData* p = m_items[i];
    UINT keep = p->flags & kKeep;
    if (p->flags & MF_POPUP)
      p->flags = MF_BYPOSITION | MF_POPUP;
    else if (p->flags & MF_SEPARATOR)
      p->flags = MF_BYPOSITION | MF_SEPARATOR;
    else
      p->flags = MF_BYPOSITION;
    ::ModifyMenuW(m_hMenu, (UINT)i, p->flags | keep, p->id, (p->flags & MF_SEPARATOR) ? nullptr : p->Text());
    MENUITEMINFOW mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_DATA;
    mii.dwItemData = (ULONG_PTR)p;
    ::SetMenuItemInfoW(m_hMenu, (UINT)i, TRUE, &mii);
  }
  m_loadedFromResource = TRUE;
  return TRUE;
}

void BCMenu::AlignAccelerators() {
  HFONT hFont = CreateMenuFont();
  HDC hdc = ::GetDC(nullptr);
  HGDIOBJ hOld = ::SelectObject(hdc, hFont);
  // As the item is drawn: one line, mnemonic marks not counted.
  auto width = [&](const std::wstring& s) {
    RECT rc = {0, 0, 0, 0};
    ::DrawTextW(hdc, s.c_str(), (int)s.size(), &rc, DT_SINGLELINE | DT_CALCRECT);
    return rc.right - rc.left;
  };
  LONG target = 0;
  for (MenuItemData* p : m_items) {
    std::wstring s = p->Text();
    size_t tab = s.find(L'\t');
    target = std::max(target, width(s.substr(0, tab) + L" "));
  }
  for (MenuItemData* p : m_items) {
    std::wstring s = p->Text();
    size_t tab = s.find(L'\t');
    if (tab == std::wstring::npos)
      continue;
    std::wstring left = s.substr(0, tab);
    // A blank that adds no width (an odd font) must not loop forever.
    for (LONG w = width(left), wLast = -1; w < target && w > wLast; wLast = w, w = width(left))
      left += L' ';
    p->SetText((left + s.substr(tab)).c_str());
  }
  ::SelectObject(hdc, hOld);
  ::ReleaseDC(nullptr, hdc);
  ::DeleteObject(hFont);
}

BCMenu* BCMenu::GetSubMenu(int nPos) const {
  if (m_hMenu == nullptr)
    return nullptr;
  HMENU h = ::GetSubMenu(m_hMenu, nPos);
  CMenu* p = h ? CMenu::FromHandlePermanent(h) : nullptr;
  return p != nullptr && p->IsKindOf(RUNTIME_CLASS(BCMenu)) ? static_cast<BCMenu*>(p) : nullptr;
}

BCMenu* BCMenu::FindMenuOf(UINT nID, int* pPos) {
  for (size_t i = 0; i < m_items.size(); ++i) {
    MenuItemData* p = m_items[i];
    if (!(p->flags & MF_POPUP) && !(p->flags & MF_SEPARATOR) && p->id == nID) {
      *pPos = (int)i;
      return this;
    }
  }
  for (HMENU hSub : m_subMenus) {
    CMenu* p = CMenu::FromHandlePermanent(hSub);
    if (p != nullptr && p->IsKindOf(RUNTIME_CLASS(BCMenu))) {
      BCMenu* pFound = static_cast<BCMenu*>(p)->FindMenuOf(nID, pPos);
      if (pFound != nullptr)
        return pFound;
    }
  }
  return nullptr;
}

BOOL BCMenu::GetMenuText(UINT nID, CString& rString, UINT nFlags) const {
  if (nFlags & MF_BYPOSITION) {
    if (nID >= m_items.size())
      return FALSE;
    rString = MenuNarrowText(m_items[nID]->Text());
    return TRUE;
  }
  int nPos = -1;
  BCMenu* pMenu = const_cast<BCMenu*>(this)->FindMenuOf(nID, &nPos);
  return pMenu != nullptr && pMenu->GetMenuText((UINT)nPos, rString, MF_BYPOSITION);
}

MenuItemData* BCMenu::TakeRecordFor(UINT nPos) {
  ItemInfo info;
  if (m_hMenu == nullptr || !ReadItem(m_hMenu, nPos, &info))
    return nullptr;
  auto take = [&](auto pred) -> MenuItemData* {
    for (size_t i = 0; i < m_items.size(); ++i)
      if (pred(m_items[i])) {
        MenuItemData* p = m_items[i];
        m_items.erase(m_items.begin() + (ptrdiff_t)i);
        return p;
      }
    return nullptr;
  };
  // The item's own record first; else the one its kind and id name.
  MenuItemData* pOwn = take([&](MenuItemData* p) { return (ULONG_PTR)p == info.data; });
  if (pOwn != nullptr)
    return pOwn;
  if (info.sub != nullptr)
    return take([&](MenuItemData* p) { return (p->flags & MF_POPUP) && (HMENU)p->id == info.sub; });
  if (info.type & MFT_SEPARATOR)
    return take([&](MenuItemData* p) { return (p->flags & MF_SEPARATOR) != 0; });
  return take([&](MenuItemData* p) { return !(p->flags & (MF_POPUP | MF_SEPARATOR)) && p->id == info.id; });
}

BOOL BCMenu::RemoveByPosition(UINT nPos) {
  HMENU hSub = ::GetSubMenu(m_hMenu, (int)nPos);
  MenuItemData* pData = TakeRecordFor(nPos);
  FreeMenuItemData(pData);
  BCMenu* pOwned = nullptr;
  if (hSub != nullptr) {
    RemoveOne(g_liveMenus, hSub);
    RemoveOne(m_subMenus, hSub);
    CMenu* p = CMenu::FromHandlePermanent(hSub);
    if (p != nullptr && p->IsKindOf(RUNTIME_CLASS(BCMenu))) {
      BCMenu* pSub = static_cast<BCMenu*>(p);
      while (pSub->m_hMenu != nullptr && ::GetMenuItemCount(pSub->m_hMenu) > 0)
        pSub->RemoveByPosition(0);
    }
    auto it = std::find_if(m_ownedSubMenus.begin(), m_ownedSubMenus.end(), [&](BCMenu* q) { return q->m_hMenu == hSub; });
    if (it != m_ownedSubMenus.end()) {
      pOwned = *it;
      m_ownedSubMenus.erase(it);
    }
  }
  BOOL bOk = ::RemoveMenu(m_hMenu, nPos, MF_BYPOSITION);
  delete pOwned;
  return bOk;
}

BOOL BCMenu::RemoveMenu(UINT nPosition, UINT nFlags) {
  if (m_hMenu == nullptr)
    return FALSE;
  if (nFlags & MF_BYPOSITION)
    return RemoveByPosition(nPosition);
  int nPos = -1;
  BCMenu* pMenu = FindMenuOf(nPosition, &nPos);
  if (pMenu == nullptr)
    return ::RemoveMenu(m_hMenu, nPosition, nFlags);
  return pMenu->RemoveByPosition((UINT)nPos);
}

void BCMenu::SyncMenu(CMenu* pPopup) {
  BCMenu* pMenu = AsBCMenu(pPopup);
  if (pMenu == nullptr)
    return;
  HMENU h = pMenu->m_hMenu;
  for (MenuItemData* p : pMenu->m_items)
    p->syncMark = 0;
  std::vector<MenuItemData*> order;
  int nCount = ::GetMenuItemCount(h);
  for (int i = 0; i < nCount; ++i) {
    ItemInfo info;
    if (!ReadItem(h, (UINT)i, &info))
      continue;
    const bool bSeparator = (info.type & MFT_SEPARATOR) != 0;
    MenuItemData* pData = nullptr;
    for (MenuItemData* p : pMenu->m_items) {
      if (p->syncMark)
        continue;
      bool bMatch = info.sub != nullptr ? ((p->flags & MF_POPUP) && (HMENU)p->id == info.sub)
                    : bSeparator        ? (!(p->flags & MF_POPUP) && p->id == 0)
                                        : (!(p->flags & MF_POPUP) && p->id == info.id && info.id != 0);
      if (bMatch) {
        pData = p;
        break;
      }
    }
    wchar_t text[257] = L"";
    if (!bSeparator)
      ::GetMenuStringW(h, (UINT)i, text, 257, MF_BYPOSITION);
    if (pData == nullptr) {
      pData = NewMenuItemData();
      pMenu->m_items.push_back(pData);  // in the list until the order is rebuilt
      pData->SetText(bSeparator ? L"" : text);
      if (info.sub != nullptr) {
        pData->flags = MF_BYPOSITION | MF_POPUP | MF_OWNERDRAW;
        pData->id = (UINT_PTR)info.sub;
        if (!IsOwnMenuHandle(info.sub))
          g_liveMenus.push_back(info.sub);
        if (std::find(pMenu->m_subMenus.begin(), pMenu->m_subMenus.end(), info.sub) == pMenu->m_subMenus.end())
          pMenu->m_subMenus.push_back(info.sub);
      } else if (bSeparator) {
        pData->flags = MF_BYPOSITION | MF_SEPARATOR | MF_OWNERDRAW;
      } else {
        pData->flags = MF_BYPOSITION | MF_OWNERDRAW;
        pData->id = info.id;
        pData->globalIndex = MenuImageIndexOf(info.id);
      }
    } else if (text[0] != 0) {
      pData->SetText(text);
    }
    pData->syncMark = 1;
    if (!bSeparator && !(pData->flags & MF_POPUP))
      pData->flags |= MF_BYPOSITION | MF_OWNERDRAW;
    // Type and data only: state, radio mark, id and sub-menu stay as they are.
    MENUITEMINFOW mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_DATA;
    mii.fType = (info.type & (MFT_RADIOCHECK | MFT_MENUBREAK | MFT_MENUBARBREAK | MFT_RIGHTJUSTIFY)) |
                (bSeparator ? MFT_SEPARATOR : 0) | MFT_OWNERDRAW;
    mii.dwItemData = (ULONG_PTR)pData;
    ::SetMenuItemInfoW(h, (UINT)i, TRUE, &mii);
    order.push_back(pData);
  }
  for (MenuItemData* p : pMenu->m_items)
    if (!p->syncMark)
      FreeMenuItemData(p);
  pMenu->m_items = order;
}

LRESULT BCMenu::OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu) {
  BCMenu* pOwn = AsBCMenu(pMenu);
  if (pOwn == nullptr || !(nFlags & MF_POPUP))
    return 0;
  wchar_t ch = (wchar_t)nChar;
  if (nChar >= 0x80 && nChar <= 0xFF) {
    char c = (char)nChar;
    ::MultiByteToWideChar(FwGetCodePage(), 0, &c, 1, &ch, 1);
  }
  wchar_t key[3] = {L'&', ch, 0};
  std::wstring lowKey = LowerText(key);
  if ((size_t)::GetMenuItemCount(pOwn->m_hMenu) != pOwn->m_items.size())
    SyncMenu(pOwn);
  for (size_t i = 0; i < pOwn->m_items.size(); ++i)
    if (LowerText(pOwn->m_items[i]->Text()).find(lowKey) != std::wstring::npos)
      return MAKELONG((WORD)i, 2);
  return 0;
}

void BCMenu::SetGlobalIndexForIds(const std::vector<UINT>& ids) {
  for (MenuItemData* p : m_items)
    if (!(p->flags & (MF_POPUP | MF_SEPARATOR)) && std::find(ids.begin(), ids.end(), (UINT)p->id) != ids.end())
      p->globalIndex = MenuImageIndexOf((UINT)p->id);
  for (HMENU hSub : m_subMenus) {
    CMenu* p = CMenu::FromHandlePermanent(hSub);
    if (p != nullptr && p->IsKindOf(RUNTIME_CLASS(BCMenu)))
      static_cast<BCMenu*>(p)->SetGlobalIndexForIds(ids);
  }
}

BOOL BCMenu::LoadToolbar(UINT nID) {
  std::vector<UINT> ids;
  if (!AddToolbarToMenuImages(nID, m_useMaskColor ? m_bitmapBackground : ::GetSysColor(COLOR_3DFACE), &ids))
    return FALSE;
  SetGlobalIndexForIds(ids);
  return TRUE;
}
