// What the parts of BCMenu share inside the toolkit: the set of live item
// records, the global icon list and the look choice.
#pragma once

#include <string>
#include <vector>

#include "toolkit/bcmenu.h"

// Records are made and freed only here, so the set tells ours from foreign item data.
MenuItemData* NewMenuItemData();
void FreeMenuItemData(MenuItemData* pData);
bool IsLiveMenuItemData(const void* p);
// Calls f on every live record (to fix their global indexes).
void ForEachLiveMenuItemDataImpl(void (*pfn)(MenuItemData*, void*), void* ctx);
template <class F>
void ForEachLiveMenuItemData(F f) {
  ForEachLiveMenuItemDataImpl([](MenuItemData* d, void* c) { (*static_cast<F*>(c))(d); }, &f);
}

// Text in the framework's code page, both ways.
std::wstring MenuWideText(const char* psz);
CString MenuNarrowText(const wchar_t* psz);

// The first image of an id in g_menuImages, or -1.
int MenuImageIndexOf(UINT nID);
// The image of command nCmd in toolbar resource nRes (bitmap nRes) put into
// g_menuImages (replacing the id's images); its index, or -1 when the toolbar
// or its bitmap is missing or has no such button.
int AddToolbarIconToMenuImages(UINT nRes, UINT nCmd, COLORREF crMask);
// Every button of toolbar resource nRes, as above; the ids that got an image.
bool AddToolbarToMenuImages(UINT nRes, COLORREF crMask, std::vector<UINT>* pIds);
// The image at nIndex has its faded, shadow and disabled variants after it.
bool MenuImageHasVariants(int nIndex);
// The icon painted embossed (highlight shape one pixel right and down, then
// the shadow shape) at pt: the disabled look without variants.
void DrawEmbossedMenuImage(CDC* pDC, int nIndex, CPoint pt, BOOL bOldStyle);

bool IsThemedSystem();
// pDC null: the choice without the palette test (measuring).
bool UseFlatMenuLook(CDC* pDC);
// The non-client menu font; the caller deletes it.
HFONT CreateMenuFont();
