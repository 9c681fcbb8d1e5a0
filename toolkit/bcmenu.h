// BCMenu: the program's menu. Every item of its popups is owner-drawn, so items
// carry toolbar icons, check marks and aligned accelerators in one of two
// looks: classic (raised and sunken icon frames on the menu colour) or flat
// (a pale icon bar, a tinted selection box). The look is chosen per item when
// it is drawn, from the operating-system class, the desktop theme and the
// three style switches below, which the main window sets at start-up.
//
// Each module that links the toolkit has its own copy of this state, so the
// site-manager library keeps its own menus apart from the program's.
#pragma once

#include <vector>

#include "framework/afxwin.h"
#include "toolkit/menurules.h"

// One record per owner-drawn item; the item's data is its address.
struct MenuItemData {
  wchar_t* text = nullptr;  // mnemonics with '&', then an optional tab and the accelerator
  int imageIndex = -1;      // in the item's own image list
  int globalIndex = -1;     // in g_menuImages
  int iconFlag = -1;        // 0 or more: the item has an icon of its own
  UINT flags = 0;           // what the item carries (MF_OWNERDRAW, MF_SEPARATOR, MF_POPUP, MF_BYPOSITION)
  UINT_PTR id = 0;          // command id; for a popup its sub-menu handle
  UINT syncMark = 0;
  CImageList* imageList = nullptr;  // deleted with the record
  void* reserved = nullptr;

  const wchar_t* Text() const { return text ? text : L""; }
  void SetText(const wchar_t* psz);
};

class BCMenu : public CMenu {
  DECLARE_DYNAMIC(BCMenu)
public:
  BCMenu();
  ~BCMenu() override;

  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
  void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) override;
  // Builds the whole menu from a MENU resource: its top-level items plain, the
  // items of every popup owner-drawn with their accelerators aligned. FALSE
  // when the resource is missing or damaged (the menu is then empty).
  BOOL LoadMenu(UINT nIDResource) override;
  BOOL LoadMenu(LPCTSTR lpszResourceName) override;
  // Frees the records and the popups this menu made, then the handle.
  BOOL DestroyMenu() override;

  // Appends an owner-drawn item (an id of 0 is a separator whatever the flags).
  // nIcon -1: the icon the id already has in g_menuImages, if any; nIcon n: the
  // id's button image of toolbar resource n and bitmap n.
  BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = nullptr, int nIcon = -1);
  // By MF_BYPOSITION or by command id (looked for in the popups too).
  BOOL RemoveMenu(UINT nPosition, UINT nFlags);
  // The popup at nPos when it is a BCMenu, else null.
  BCMenu* GetSubMenu(int nPos) const;
  // The text of an item by MF_BYPOSITION or by command (popups searched); FALSE
  // and rString untouched when there is no such item.
  BOOL GetMenuText(UINT nID, CString& rString, UINT nFlags = MF_BYPOSITION) const;
  // Every button image of toolbar resource nID enters g_menuImages under its
  // command id, and this menu's items with those ids show them.
  BOOL LoadToolbar(UINT nID);

  // Makes a popup's items owner-drawn again after others changed them (items
  // added plainly, texts set by update handlers). Not a BCMenu: nothing.
  static void SyncMenu(CMenu* pPopup);
  // WM_MENUCHAR: MAKELONG(position, 2) for the first item whose text holds
  // '&' and the character, else 0 (also without a menu or MF_POPUP in nFlags).
  static LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu);
  static BOOL IsOwnMenu(const CMenu* pMenu);
  static BOOL IsOwnMenuHandle(HMENU hMenu);
  // WM_MEASUREITEM for any window: TRUE when the item is one of ours.
  static BOOL MeasureItemEntry(LPMEASUREITEMSTRUCT lpMeasureItemStruct);

  static COLORREF LightenColor(COLORREF c, double f) { return MenuLightenColor(c, f); }
  static COLORREF DarkenColor(COLORREF c, double f) { return MenuDarkenColor(c, f); }

protected:
  std::vector<MenuItemData*> m_items;  // one per item, in item order
  std::vector<HMENU> m_subMenus;       // popup handles appended here
  COLORREF m_bitmapBackground = RGB(255, 0, 255);
  BOOL m_useMaskColor = TRUE;  // FALSE: COLOR_3DFACE is the transparent colour
  BOOL m_oldDisabledIcons = FALSE;
  CImageList* m_checkMaps = nullptr;  // 0 unselected, 1 selected
  BOOL m_checkMapsShared = FALSE;
  int m_selectCheck = -1;
  int m_unselectCheck = -1;
  BOOL m_iconsAreHandles = FALSE;
  BOOL m_loadedFromResource = FALSE;
  std::vector<BCMenu*> m_ownedSubMenus;  // popups LoadMenu made: deleted with this menu

private:
  BOOL AppendItem(UINT nFlags, UINT_PTR nID, const wchar_t* pszText, int nIcon);
  BOOL LoadMenuFrom(HINSTANCE hInst, LPCTSTR lpszResourceName);
  void AlignAccelerators();
  BOOL RemoveByPosition(UINT nPos);
  MenuItemData* TakeRecordFor(UINT nPos);
  BCMenu* FindMenuOf(UINT nID, int* pPos);
  void SetGlobalIndexForIds(const std::vector<UINT>& ids);
  void DrawClassic(CDC* pDC, LPDRAWITEMSTRUCT lpdis, MenuItemData* pData);
  void DrawFlat(CDC* pDC, LPDRAWITEMSTRUCT lpdis, MenuItemData* pData);
  BOOL HasCheckImage(BOOL bChecked, BOOL bSelected, BOOL bHasIcon) const;
  static void MeasureRecord(LPMEASUREITEMSTRUCT lpmis);
};

// Process-wide (per module) state of the menus. Never destroyed, so menus
// that are static objects may still go after them at exit.
extern std::vector<HMENU>& g_liveMenus;    // popup handles made through the append operations
extern CImageList& g_menuImages;           // 16 x 15 icons, made on first use
extern std::vector<UINT>& g_menuImageIds;  // one id per image; four in a row with the flat variants
extern const int g_osClass;                // GetOsClass of this system, taken at start-up
extern BOOL g_menuStyle;                   // flat look on ordinary systems
extern BOOL g_menuStyleThemed;             // flat look on a themed XP
extern BOOL g_menu3dIcons;                 // flat look with shadowed icons

// HKEY_CURRENT_USER "Software\Microsoft\Plus!\Themes\Current" names the classic
// theme (read once).
BOOL IsClassicTheme();
// The style switches from an option word: 0x80000 the classic look, else the
// flat look, shadowed icons with 0x100000.
void SetMenuStyleFromOptions(DWORD dwOptions);
