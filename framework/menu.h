// CMenu: a menu handle with its owner-draw hooks.
//
// A menu object that Attach-es (or creates, or loads) a handle is bound to it in a
// module-wide map, so WM_DRAWITEM of an owner-drawn item finds the object that
// draws it. The destructor destroys a handle it still holds; Detach gives it up.
#pragma once

#include "framework/fwtypes.h"
#include "framework/object.h"
#include "framework/fwstring.h"
#include "framework/wintypes.h"

class CWnd;

class CMenu : public CObject {
  DECLARE_DYNCREATE(CMenu)
public:
  CMenu() = default;
  ~CMenu() override;
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  HMENU m_hMenu = nullptr;
  operator HMENU() const { return m_hMenu; }
  HMENU GetSafeHmenu() const;
  bool operator==(const CMenu& m) const { return m_hMenu == m.m_hMenu; }
  bool operator!=(const CMenu& m) const { return m_hMenu != m.m_hMenu; }

  // The bound object, else a temporary one of the calling thread. Null for null.
  static CMenu* FromHandle(HMENU hMenu);
  static CMenu* FromHandlePermanent(HMENU hMenu);
  static void DeleteTempMap();
  BOOL Attach(HMENU hMenu);
  HMENU Detach();

  BOOL CreateMenu();
  BOOL CreatePopupMenu();
  BOOL LoadMenuIndirect(const void* lpMenuTemplate);

  // Items.
  UINT GetMenuItemCount() const;  // 0 without a menu
  UINT GetMenuItemID(int nPos) const;
  UINT GetMenuState(UINT nID, UINT nFlags) const;
  int GetMenuString(UINT nIDItem, LPTSTR lpString, int nMaxCount, UINT nFlags) const;
  int GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const;
  BOOL GetMenuItemInfo(UINT uItem, LPMENUITEMINFO lpMenuItemInfo, BOOL fByPos = FALSE);
  BOOL SetMenuItemInfo(UINT uItem, LPMENUITEMINFO lpMenuItemInfo, BOOL fByPos = FALSE);
  CMenu* GetSubMenu(int nPos) const;  // temporary unless bound
  BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr);
  BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr);
  BOOL ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr);
  BOOL RemoveMenu(UINT nPosition, UINT nFlags);
  BOOL DeleteMenu(UINT nPosition, UINT nFlags);
  UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable);
  UINT CheckMenuItem(UINT nIDCheckItem, UINT nCheck);
  BOOL CheckMenuRadioItem(UINT nIDFirst, UINT nIDLast, UINT nIDItem, UINT nFlags);
  BOOL SetMenuItemBitmaps(UINT nPosition, UINT nFlags, const class CBitmap* pBmpUnchecked,
                          const class CBitmap* pBmpChecked);
  BOOL SetDefaultItem(UINT uItem, BOOL fByPos = FALSE);
  UINT GetDefaultItem(UINT gmdiFlags, BOOL fByPos = FALSE);

  // Shows the menu at (x, y) in screen coordinates for pWnd; with TPM_RETURNCMD
  // returns the chosen id, else nonzero on success.
  BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = nullptr);
  BOOL TrackPopupMenuEx(UINT fuFlags, int x, int y, CWnd* pWnd, LPTPMPARAMS lptpm);

  // Owner-drawn items (MF_OWNERDRAW): derived menus draw and measure them.
  virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
  virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
  // From the resource module, else this module; FALSE when neither has it.
  // Virtual so a menu that builds its items itself loads its own way; a base
  // destructor does not dispatch, so such a class destroys itself first.
  virtual BOOL LoadMenu(UINT nIDResource);
  virtual BOOL LoadMenu(LPCTSTR lpszResourceName);
  virtual BOOL DestroyMenu();
};

// WM_MEASUREITEM of a menu item names no menu, only the item's data: a module
// whose menus draw their own items registers the one routine that knows them
// (TRUE when it measured the item). Every window's default handling asks it.
typedef BOOL (*AFX_MEASUREMENUITEMPROC)(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
void AfxSetMeasureMenuItemProc(AFX_MEASUREMENUITEMPROC pfn);
