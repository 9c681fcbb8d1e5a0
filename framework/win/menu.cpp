#include "framework/menu.h"

#include <unordered_map>

#include "framework/gdi.h"
#include "framework/module.h"
#include "framework/wnd.h"
#include "framework/win/fwwin_state.h"

namespace {

struct MenuMap {
  CRITICAL_SECTION cs;
  std::unordered_map<HMENU, CMenu*> map;
  MenuMap() { ::InitializeCriticalSection(&cs); }
};

// Never destroyed: global menu objects unbind after other statics are gone.
MenuMap& Menus() {
  static MenuMap* p = new MenuMap;
  return *p;
}

CMenu* LookupMenu(HMENU h) {
  MenuMap& m = Menus();
  ::EnterCriticalSection(&m.cs);
  auto it = m.map.find(h);
  CMenu* p = it == m.map.end() ? nullptr : it->second;
  ::LeaveCriticalSection(&m.cs);
  return p;
}

bool BindMenu(HMENU h, CMenu* pMenu) {
  MenuMap& m = Menus();
  ::EnterCriticalSection(&m.cs);
  auto it = m.map.find(h);
  // A stale entry (a menu destroyed behind its object's back) is replaced when
  // the handle is no menu any more.
  bool bOk = it == m.map.end() || it->second == pMenu || !::IsMenu(h);
  if (bOk)
    m.map[h] = pMenu;
  ::LeaveCriticalSection(&m.cs);
  return bOk;
}

void UnbindMenu(HMENU h, CMenu* pMenu) {
  MenuMap& m = Menus();
  ::EnterCriticalSection(&m.cs);
  auto it = m.map.find(h);
  if (it != m.map.end() && it->second == pMenu)
    m.map.erase(it);
  ::LeaveCriticalSection(&m.cs);
}

thread_local std::unordered_map<HMENU, CMenu*>* t_pTempMenus = nullptr;

}  // namespace

void AfxDeleteTempMenuMap() { CMenu::DeleteTempMap(); }

BOOL AfxDrawMenuItem(LPDRAWITEMSTRUCT lpdis, LRESULT* pResult) {
  CMenu* pMenu = LookupMenu((HMENU)lpdis->hwndItem);
  if (pMenu == nullptr)
    return FALSE;
  pMenu->DrawItem(lpdis);
  if (pResult != nullptr)
    *pResult = TRUE;
  return TRUE;
}

namespace {
AFX_MEASUREMENUITEMPROC g_pfnMeasureMenuItem = nullptr;
}  // namespace

void AfxSetMeasureMenuItemProc(AFX_MEASUREMENUITEMPROC pfn) { g_pfnMeasureMenuItem = pfn; }

BOOL AfxMeasureMenuItem(LPMEASUREITEMSTRUCT lpmis, LRESULT* pResult) {
  if (lpmis == nullptr || g_pfnMeasureMenuItem == nullptr || !g_pfnMeasureMenuItem(lpmis))
    return FALSE;
  if (pResult != nullptr)
    *pResult = TRUE;
  return TRUE;
}

IMPLEMENT_DYNCREATE(CMenu, CObject)

CMenu::~CMenu() {
  HMENU h = m_hMenu;
  if (h == nullptr)
    return;
  bool bPermanent = LookupMenu(h) == this;
  Detach();
  if (bPermanent)
    ::DestroyMenu(h);
}

HMENU CMenu::GetSafeHmenu() const {
  const CMenu* p = this;
  __asm__("" : "+r"(p));
  return p == nullptr ? nullptr : p->m_hMenu;
}

CMenu* CMenu::FromHandlePermanent(HMENU hMenu) { return hMenu ? LookupMenu(hMenu) : nullptr; }

CMenu* CMenu::FromHandle(HMENU hMenu) {
  if (hMenu == nullptr)
    return nullptr;
  CMenu* p = LookupMenu(hMenu);
  if (p != nullptr)
    return p;
  if (t_pTempMenus == nullptr)
    t_pTempMenus = new std::unordered_map<HMENU, CMenu*>;
  CMenu*& pTemp = (*t_pTempMenus)[hMenu];
  if (pTemp == nullptr) {
    pTemp = new CMenu;
    pTemp->m_hMenu = hMenu;  // not bound: never destroys the handle
  }
  return pTemp;
}

void CMenu::DeleteTempMap() {
  auto* p = t_pTempMenus;
  if (p == nullptr)
    return;
  t_pTempMenus = nullptr;
  for (auto& kv : *p) {
    kv.second->m_hMenu = nullptr;
    delete kv.second;
  }
  delete p;
}

BOOL CMenu::Attach(HMENU hMenu) {
  if (hMenu == nullptr || m_hMenu != nullptr || !BindMenu(hMenu, this))
    return FALSE;
  m_hMenu = hMenu;
  return TRUE;
}

HMENU CMenu::Detach() {
  HMENU h = m_hMenu;
  if (h != nullptr)
    UnbindMenu(h, this);
  m_hMenu = nullptr;
  return h;
}

namespace {
BOOL AttachNew(CMenu* pMenu, HMENU h) {
  if (h == nullptr)
    return FALSE;
  if (!pMenu->Attach(h)) {
    ::DestroyMenu(h);
    return FALSE;
  }
  return TRUE;
}
}  // namespace

BOOL CMenu::CreateMenu() { return m_hMenu == nullptr && AttachNew(this, ::CreateMenu()); }
BOOL CMenu::CreatePopupMenu() { return m_hMenu == nullptr && AttachNew(this, ::CreatePopupMenu()); }
BOOL CMenu::LoadMenu(UINT nIDResource) { return LoadMenu(MAKEINTRESOURCEA(nIDResource)); }
BOOL CMenu::LoadMenu(LPCTSTR lpszResourceName) {
  if (m_hMenu != nullptr)
    return FALSE;
  HMENU h = ::LoadMenuA(AfxGetResourceHandle(), lpszResourceName);
  if (h == nullptr && AfxGetResourceHandle() != AfxGetInstanceHandle())
    h = ::LoadMenuA(AfxGetInstanceHandle(), lpszResourceName);
  return AttachNew(this, h);
}
BOOL CMenu::LoadMenuIndirect(const void* lpMenuTemplate) {
  return m_hMenu == nullptr && AttachNew(this, ::LoadMenuIndirectA(lpMenuTemplate));
}
BOOL CMenu::DestroyMenu() {
  if (m_hMenu == nullptr)
    return FALSE;
  return ::DestroyMenu(Detach());
}

UINT CMenu::GetMenuItemCount() const {
  if (m_hMenu == nullptr)
    return 0;
  int n = ::GetMenuItemCount(m_hMenu);
  return n < 0 ? 0 : (UINT)n;
}
UINT CMenu::GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
UINT CMenu::GetMenuState(UINT nID, UINT nFlags) const { return ::GetMenuState(m_hMenu, nID, nFlags); }
int CMenu::GetMenuString(UINT nIDItem, LPTSTR lpString, int nMaxCount, UINT nFlags) const {
  return ::GetMenuStringA(m_hMenu, nIDItem, lpString, nMaxCount, nFlags);
}
int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const {
  rString.Empty();
  int nLen = ::GetMenuStringA(m_hMenu, nIDItem, nullptr, 0, nFlags);
  if (nLen > 0) {
    char* p = rString.GetBuffer(nLen);
    int nGot = ::GetMenuStringA(m_hMenu, nIDItem, p, nLen + 1, nFlags);
    rString.ReleaseBuffer(nGot < 0 ? 0 : nGot);
  }
  return rString.GetLength();
}
BOOL CMenu::GetMenuItemInfo(UINT uItem, LPMENUITEMINFO lpmii, BOOL fByPos) {
  return ::GetMenuItemInfoA(m_hMenu, uItem, fByPos, lpmii);
}
BOOL CMenu::SetMenuItemInfo(UINT uItem, LPMENUITEMINFO lpmii, BOOL fByPos) {
  return ::SetMenuItemInfoA(m_hMenu, uItem, fByPos, lpmii);
}
CMenu* CMenu::GetSubMenu(int nPos) const { return FromHandle(::GetSubMenu(m_hMenu, nPos)); }
BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem) {
  return ::AppendMenuA(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
}
BOOL CMenu::InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem) {
  return ::InsertMenuA(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
}
BOOL CMenu::ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem) {
  return ::ModifyMenuA(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
}
BOOL CMenu::RemoveMenu(UINT nPosition, UINT nFlags) { return ::RemoveMenu(m_hMenu, nPosition, nFlags); }
BOOL CMenu::DeleteMenu(UINT nPosition, UINT nFlags) { return ::DeleteMenu(m_hMenu, nPosition, nFlags); }
UINT CMenu::EnableMenuItem(UINT nID, UINT nEnable) { return (UINT)::EnableMenuItem(m_hMenu, nID, nEnable); }
UINT CMenu::CheckMenuItem(UINT nID, UINT nCheck) { return ::CheckMenuItem(m_hMenu, nID, nCheck); }
BOOL CMenu::CheckMenuRadioItem(UINT nIDFirst, UINT nIDLast, UINT nIDItem, UINT nFlags) {
  return ::CheckMenuRadioItem(m_hMenu, nIDFirst, nIDLast, nIDItem, nFlags);
}
BOOL CMenu::SetMenuItemBitmaps(UINT nPosition, UINT nFlags, const CBitmap* pBmpUnchecked,
                               const CBitmap* pBmpChecked) {
  return ::SetMenuItemBitmaps(m_hMenu, nPosition, nFlags,
                              pBmpUnchecked ? (HBITMAP)pBmpUnchecked->m_hObject : nullptr,
                              pBmpChecked ? (HBITMAP)pBmpChecked->m_hObject : nullptr);
}
BOOL CMenu::SetDefaultItem(UINT uItem, BOOL fByPos) { return ::SetMenuDefaultItem(m_hMenu, uItem, fByPos); }
UINT CMenu::GetDefaultItem(UINT gmdiFlags, BOOL fByPos) { return ::GetMenuDefaultItem(m_hMenu, fByPos, gmdiFlags); }

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect) {
  return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, pWnd ? pWnd->m_hWnd : nullptr, lpRect);
}
BOOL CMenu::TrackPopupMenuEx(UINT fuFlags, int x, int y, CWnd* pWnd, LPTPMPARAMS lptpm) {
  return ::TrackPopupMenuEx(m_hMenu, fuFlags, x, y, pWnd ? pWnd->m_hWnd : nullptr, lptpm);
}

void CMenu::DrawItem(LPDRAWITEMSTRUCT) {}
void CMenu::MeasureItem(LPMEASUREITEMSTRUCT) {}
