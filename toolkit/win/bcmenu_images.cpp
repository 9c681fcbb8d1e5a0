// The menus' global icon list: icons taken from toolbar resources (read with
// the toolbar-resource parser, no toolbar window), their flat-look variants,
// and the embossed painting of a disabled icon.
#include <algorithm>
#include "toolkit/dib32.h"
#include <deque>
#include <map>
#include <set>
#include <tuple>

#include "framework/toolbarres.h"
#include "toolkit/win/bcmenu_internal.h"

CImageList& g_menuImages = *new CImageList;
std::vector<UINT>& g_menuImageIds = *new std::vector<UINT>;

namespace {

constexpr int kIconCx = 16;
constexpr int kIconCy = 15;

// One toolbar resource, read once: its buttons and its bitmap as an image list.
struct ToolbarSource {
  HINSTANCE hInst;
  UINT nRes;
  COLORREF crMask;
  ToolBarResource tb;
  HIMAGELIST himl;
};

std::deque<ToolbarSource>& Sources() {
  static auto* p = new std::deque<ToolbarSource>;
  return *p;
}

// Resources whose every button went into the global list, with the look they got.
std::set<std::tuple<HINSTANCE, UINT, COLORREF, bool>>& LoadedToolbars() {
  static auto* p = new std::set<std::tuple<HINSTANCE, UINT, COLORREF, bool>>;
  return *p;
}

HINSTANCE ModuleWith(UINT nRes, LPCSTR type) {
  HINSTANCE h = AfxGetResourceHandle();
  if (::FindResourceA(h, MAKEINTRESOURCEA(nRes), type) != nullptr)
    return h;
  h = AfxGetInstanceHandle();
  return ::FindResourceA(h, MAKEINTRESOURCEA(nRes), type) != nullptr ? h : nullptr;
}

COLORREF PixelToColor(DWORD px) { return RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF); }
DWORD ColorToPixel(COLORREF c) { return ((DWORD)GetRValue(c) << 16) | ((DWORD)GetGValue(c) << 8) | GetBValue(c); }

// Bitmap nRes as the menus use it: a 16-colour bitmap with the system colours
// mapped, any other with its light grey turned into the button face.
HBITMAP LoadMenuBitmap(HINSTANCE hInst, UINT nRes) {
  HBITMAP hSrc = (HBITMAP)::LoadImageA(hInst, MAKEINTRESOURCEA(nRes), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  if (hSrc == nullptr)
    return nullptr;
  DIBSECTION ds = {};
  if (::GetObjectA(hSrc, sizeof ds, &ds) == 0) {
    ::DeleteObject(hSrc);
    return nullptr;
  }
  if (ds.dsBm.bmBitsPixel <= 4) {
    ::DeleteObject(hSrc);
    return ::CreateMappedBitmap(hInst, (INT_PTR)nRes, 0, nullptr, 0);
  }
  int cx = ds.dsBm.bmWidth, cy = ds.dsBm.bmHeight;
  HDC hdcScreen = ::GetDC(nullptr);
  HDC hdcSrc = ::CreateCompatibleDC(hdcScreen);
  HDC hdcDst = ::CreateCompatibleDC(hdcScreen);
  DWORD* pBits = nullptr;
  HBITMAP hDst = CreateDib32(hdcScreen, cx, cy, &pBits);
  if (hDst != nullptr) {
    HGDIOBJ o1 = ::SelectObject(hdcSrc, hSrc), o2 = ::SelectObject(hdcDst, hDst);
    ::BitBlt(hdcDst, 0, 0, cx, cy, hdcSrc, 0, 0, SRCCOPY);
    ::GdiFlush();
    const DWORD face = ColorToPixel(::GetSysColor(COLOR_3DFACE));
    for (int i = 0; i < cx * cy; ++i)
      if ((pBits[i] & 0xFFFFFF) == 0xC0C0C0)
        pBits[i] = face;
    ::SelectObject(hdcSrc, o1);
    ::SelectObject(hdcDst, o2);
  }
  ::DeleteDC(hdcSrc);
  ::DeleteDC(hdcDst);
  ::ReleaseDC(nullptr, hdcScreen);
  ::DeleteObject(hSrc);
  return hDst;
}

const ToolbarSource* SourceFor(UINT nRes, COLORREF crMask) {
  HINSTANCE hInst = ModuleWith(nRes, MAKEINTRESOURCEA(kToolBarResourceType));
  if (hInst == nullptr)
    return nullptr;
  for (const ToolbarSource& s : Sources())
    if (s.hInst == hInst && s.nRes == nRes && s.crMask == crMask)
      return &s;
  HRSRC hRsrc = ::FindResourceA(hInst, MAKEINTRESOURCEA(nRes), MAKEINTRESOURCEA(kToolBarResourceType));
  HGLOBAL hGlobal = hRsrc ? ::LoadResource(hInst, hRsrc) : nullptr;
  const void* pData = hGlobal ? ::LockResource(hGlobal) : nullptr;
  ToolbarSource src = {hInst, nRes, crMask, {}, nullptr};
  if (pData == nullptr || !ParseToolBarResource(pData, ::SizeofResource(hInst, hRsrc), &src.tb))
    return nullptr;
  HINSTANCE hBmpInst = ModuleWith(nRes, (LPCSTR)RT_BITMAP);
  HBITMAP hbm = hBmpInst ? LoadMenuBitmap(hBmpInst, nRes) : nullptr;
  if (hbm == nullptr)
    return nullptr;
  int n = ToolBarImageCount(src.tb);
  src.himl = ImageList_Create(src.tb.width, src.tb.height, ILC_COLOR24 | ILC_MASK, n > 0 ? n : 1, 0);
  if (src.himl != nullptr)
    ImageList_AddMasked(src.himl, hbm, crMask);
  ::DeleteObject(hbm);
  if (src.himl == nullptr)
    return nullptr;
  Sources().push_back(std::move(src));
  return &Sources().back();
}

// The index of command nCmd among the toolbar's images (separators have none).
int ImageOfButton(const ToolBarResource& tb, UINT nCmd) {
  int n = 0;
  for (UINT id : tb.items) {
    if (id == 0)
      continue;
    if (id == nCmd)
      return n;
    ++n;
  }
  return -1;
}

// Where the images of an id came from: the same button of the same bitmap in
// the same look need not be made again (context menus are rebuilt per click).
using ImageSource = std::tuple<HINSTANCE, UINT, int, COLORREF, bool>;
std::map<UINT, ImageSource>& ImageSources() {
  static auto* p = new std::map<UINT, ImageSource>;
  return *p;
}

bool WantVariants() { return g_menu3dIcons && UseFlatMenuLook(nullptr); }

bool EnsureGlobalList() {
  return g_menuImages.m_hImageList != nullptr || g_menuImages.Create(kIconCx, kIconCy, ILC_COLOR24 | ILC_MASK, 16, 16);
}

// The faded, shadow and disabled forms of an icon, on the button face.
void MakeVariants(HICON hIcon, HBITMAP out[3]) {
  out[0] = out[1] = out[2] = nullptr;
  HDC hdcScreen = ::GetDC(nullptr);
  HDC hdc = ::CreateCompatibleDC(hdcScreen);
  DWORD* pBase = nullptr;
  HBITMAP hBase = CreateDib32(hdcScreen, kIconCx, kIconCy, &pBase);
  if (hBase != nullptr) {
    const COLORREF face = ::GetSysColor(COLOR_3DFACE);
    const DWORD ground = ColorToPixel(face);
    HGDIOBJ hOld = ::SelectObject(hdc, hBase);
    RECT rc = {0, 0, kIconCx, kIconCy};
    HBRUSH hbr = ::CreateSolidBrush(face);
    ::FillRect(hdc, &rc, hbr);
    ::DeleteObject(hbr);
    ::DrawIconEx(hdc, 0, 0, hIcon, kIconCx, kIconCy, 0, nullptr, DI_NORMAL);
    ::GdiFlush();
    ::SelectObject(hdc, hOld);
    COLORREF shadow = ::GetSysColor(COLOR_3DSHADOW);
    if (!IsThemedSystem())
      shadow = BCMenu::LightenColor(shadow, 0.49);
    const COLORREF disabledBase = ::GetSysColor(COLOR_3DSHADOW);
    for (int v = 0; v < 3; ++v) {
      DWORD* pBits = nullptr;
      out[v] = CreateDib32(hdcScreen, kIconCx, kIconCy, &pBits);
      if (out[v] == nullptr)
        continue;
      for (int i = 0; i < kIconCx * kIconCy; ++i) {
        DWORD px = pBase[i] & 0xFFFFFF;
        if (px == ground) {
          pBits[i] = px;
          continue;
        }
        COLORREF c = PixelToColor(px);
        if (v == 0) {
          c = BCMenu::LightenColor(c, 0.3);
        } else if (v == 1) {
          c = shadow;
        } else {
          double avg = (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3.0;
          c = BCMenu::LightenColor(disabledBase, avg / 255.0);
        }
        pBits[i] = ColorToPixel(c);
      }
    }
    ::DeleteObject(hBase);
  }
  ::DeleteDC(hdc);
  ::ReleaseDC(nullptr, hdcScreen);
}

// Puts the icon (and its variants) into the global list under nCmd, in place
// of the images the id had; records that pointed at them follow.
int PutIcon(UINT nCmd, HICON hIcon) {
  if (hIcon == nullptr || !EnsureGlobalList())
    return -1;
  HIMAGELIST himl = g_menuImages.m_hImageList;
  int nOld = MenuImageIndexOf(nCmd), nOldCount = 0;
  if (nOld >= 0) {
    while ((size_t)(nOld + nOldCount) < g_menuImageIds.size() && g_menuImageIds[(size_t)(nOld + nOldCount)] == nCmd)
      ++nOldCount;
    for (int i = nOldCount - 1; i >= 0; --i)
      ImageList_Remove(himl, nOld + i);
    g_menuImageIds.erase(g_menuImageIds.begin() + nOld, g_menuImageIds.begin() + nOld + nOldCount);
    ForEachLiveMenuItemData([&](MenuItemData* p) {
      if (p->globalIndex >= nOld + nOldCount)
        p->globalIndex -= nOldCount;
      else if (p->globalIndex >= nOld)
        p->globalIndex = -2;  // set to the new place below
    });
  }
  int nNew = ImageList_AddIcon(himl, hIcon);
  if (nNew >= 0) {
    g_menuImageIds.push_back(nCmd);
    if (WantVariants()) {
      HBITMAP variants[3];
      MakeVariants(hIcon, variants);
      bool bAll = variants[0] && variants[1] && variants[2];
      for (HBITMAP hbm : variants) {
        if (bAll && ImageList_AddMasked(himl, hbm, ::GetSysColor(COLOR_3DFACE)) >= 0)
          g_menuImageIds.push_back(nCmd);
        if (hbm)
          ::DeleteObject(hbm);
      }
    }
  }
  ForEachLiveMenuItemData([&](MenuItemData* p) {
    if (p->globalIndex == -2)
      p->globalIndex = nNew;
  });
  return nNew;
}

// Button nImage of a toolbar into the global list under nCmd, unless the id
// already shows that very image in this look.
int PutButtonImage(const ToolbarSource& src, int nImage, UINT nCmd) {
  ImageSource key(src.hInst, src.nRes, nImage, src.crMask, WantVariants());
  int nOld = MenuImageIndexOf(nCmd);
  auto it = ImageSources().find(nCmd);
  if (nOld >= 0 && it != ImageSources().end() && it->second == key)
    return nOld;
  HICON hIcon = ImageList_GetIcon(src.himl, nImage, ILD_NORMAL);
  int n = PutIcon(nCmd, hIcon);
  if (hIcon)
    ::DestroyIcon(hIcon);
  if (n >= 0)
    ImageSources()[nCmd] = key;
  else
    ImageSources().erase(nCmd);
  return n;
}

}  // namespace

int MenuImageIndexOf(UINT nID) {
  if (g_menuImages.m_hImageList == nullptr)
    return -1;
  auto it = std::find(g_menuImageIds.begin(), g_menuImageIds.end(), nID);
  return it == g_menuImageIds.end() ? -1 : (int)(it - g_menuImageIds.begin());
}

bool MenuImageHasVariants(int nIndex) {
  if (!g_menu3dIcons || nIndex < 0 || (size_t)nIndex + 3 >= g_menuImageIds.size())
    return false;
  UINT id = g_menuImageIds[(size_t)nIndex];
  return g_menuImageIds[(size_t)nIndex + 1] == id && g_menuImageIds[(size_t)nIndex + 2] == id &&
         g_menuImageIds[(size_t)nIndex + 3] == id;
}

int AddToolbarIconToMenuImages(UINT nRes, UINT nCmd, COLORREF crMask) {
  const ToolbarSource* pSrc = SourceFor(nRes, crMask);
  int nImage = pSrc ? ImageOfButton(pSrc->tb, nCmd) : -1;
  if (nImage < 0)
    return -1;
  return PutButtonImage(*pSrc, nImage, nCmd);
}

bool AddToolbarToMenuImages(UINT nRes, COLORREF crMask, std::vector<UINT>* pIds) {
  const ToolbarSource* pSrc = SourceFor(nRes, crMask);
  if (pSrc == nullptr)
    return false;
  auto key = std::make_tuple(pSrc->hInst, nRes, crMask, WantVariants());
  bool bDone = LoadedToolbars().count(key) != 0;
  int nImage = 0;
  for (UINT id : pSrc->tb.items) {
    if (id == 0)
      continue;
    if (!bDone || MenuImageIndexOf(id) < 0)
      PutButtonImage(*pSrc, nImage, id);
    ++nImage;
    if (pIds != nullptr && MenuImageIndexOf(id) >= 0)
      pIds->push_back(id);
  }
  LoadedToolbars().insert(key);
  return true;
}

void DrawEmbossedMenuImage(CDC* pDC, int nIndex, CPoint pt, BOOL bOldStyle) {
  if (g_menuImages.m_hImageList == nullptr || nIndex < 0)
    return;
  HDC hdcScreen = ::GetDC(nullptr);
  HDC hdc = ::CreateCompatibleDC(hdcScreen);
  DWORD* pBits = nullptr;
  HBITMAP hbm = CreateDib32(hdcScreen, kIconCx, kIconCy, &pBits);
  if (hbm != nullptr) {
    const COLORREF face = ::GetSysColor(COLOR_3DFACE);
    HGDIOBJ hOld = ::SelectObject(hdc, hbm);
    RECT rc = {0, 0, kIconCx, kIconCy};
    HBRUSH hbr = ::CreateSolidBrush(face);
    ::FillRect(hdc, &rc, hbr);
    ::DeleteObject(hbr);
    ImageList_Draw(g_menuImages.m_hImageList, nIndex, hdc, 0, 0, ILD_TRANSPARENT);
    ::GdiFlush();
    ::SelectObject(hdc, hOld);
    // The shape: every pixel off the ground; the newer painter keeps the darker
    // ones only, so light fills do not blot the outline.
    const DWORD ground = ColorToPixel(face);
    std::vector<bool> shape((size_t)(kIconCx * kIconCy));
    bool bAny = false;
    for (int i = 0; i < kIconCx * kIconCy; ++i) {
      DWORD px = pBits[i] & 0xFFFFFF;
      bool bOn = px != ground;
      if (bOn && !bOldStyle)
        bOn = ((px >> 16 & 0xFF) + (px >> 8 & 0xFF) + (px & 0xFF)) < 3 * 0xC0;
      shape[(size_t)i] = bOn;
      bAny = bAny || bOn;
    }
    if (!bAny && !bOldStyle)
      for (int i = 0; i < kIconCx * kIconCy; ++i)
        shape[(size_t)i] = (pBits[i] & 0xFFFFFF) != ground;
    const COLORREF hilight = ::GetSysColor(COLOR_3DHILIGHT), dark = ::GetSysColor(COLOR_3DSHADOW);
    for (int pass = 0; pass < 2; ++pass)
      for (int y = 0; y < kIconCy; ++y)
        for (int x = 0; x < kIconCx; ++x)
          if (shape[(size_t)(y * kIconCx + x)])
            ::SetPixelV(pDC->m_hDC, pt.x + x + (pass == 0), pt.y + y + (pass == 0), pass == 0 ? hilight : dark);
    ::DeleteObject(hbm);
  }
  ::DeleteDC(hdc);
  ::ReleaseDC(nullptr, hdcScreen);
}
