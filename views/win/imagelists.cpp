#include "views/imagelists.h"

#include <commctrl.h>
#include <unknwn.h>

#include "framework/app.h"
#include "views/viewsres.h"

CImageList g_smallImageList;
CImageList g_largeImageList;
int g_siteImageBase = 0;

namespace {

// Our icons follow the shell's, in the order the trees count them back.
void AppendOwnIcons(HIMAGELIST list, int size)
{
  static const UINT kIcons[] = {IDI_VIEW_LOCAL_DISK, IDI_VIEW_SITE, IDI_VIEW_SERVER_ROOT, IDI_VIEW_SITE_ONLINE};
  for (UINT id : kIcons) {
    HICON icon = (HICON)::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0);
    ImageList_AddIcon(list, icon);
    if (icon != nullptr)
      ::DestroyIcon(icon);
  }
}

// The shell keeps one system list per icon size and gives every icon it adds
// the same index in all of them. Each list gets our icons, so that they all
// stay the same length: a list left shorter makes the shell hand out the
// indexes of our icons again (a folder would show a site's picture).
void AppendOwnIconsToOtherSystemLists(HIMAGELIST small, HIMAGELIST large)
{
  using GetImageListFn = HRESULT(WINAPI*)(int, REFIID, void**);
  HMODULE shell = ::GetModuleHandleA("shell32.dll");
  if (shell == nullptr)
    return;
  auto getList = reinterpret_cast<GetImageListFn>(::GetProcAddress(shell, "SHGetImageList"));
  if (getList == nullptr)
    getList = reinterpret_cast<GetImageListFn>(::GetProcAddress(shell, MAKEINTRESOURCEA(727)));
  if (getList == nullptr)
    return;
  static const GUID kImageListIid = {0x46EB5926, 0x582E, 0x4017, {0x9F, 0xDF, 0xE8, 0x99, 0x8D, 0xAA, 0x09, 0x50}};
  const int count = ImageList_GetImageCount(small);
  // Small, large, extra large, system small, jumbo.
  for (int kind = 0; kind <= 4; ++kind) {
    void* list = nullptr;
    if (FAILED(getList(kind, kImageListIid, &list)) || list == nullptr)
      continue;
    // The list behind the interface is the image list itself.
    HIMAGELIST h = static_cast<HIMAGELIST>(list);
    int cx = 0, cy = 0;
    if (h != small && h != large && ImageList_GetImageCount(h) < count && ImageList_GetIconSize(h, &cx, &cy))
      AppendOwnIcons(h, cx);
    static_cast<IUnknown*>(list)->Release();
  }
}

}  // namespace

BOOL BuildSharedImageLists()
{
  if (g_siteImageBase != 0)  // built already: the lists are shared, append once
    return TRUE;
  if (g_smallImageList.GetSafeHandle() == nullptr && !g_smallImageList.AttachSystemImageList(TRUE)) {
    ::MessageBoxA(nullptr, "Create imagelist Error", "Error", MB_OK | MB_ICONERROR);
    return FALSE;
  }
  if (g_largeImageList.GetSafeHandle() == nullptr && !g_largeImageList.AttachSystemImageList(FALSE)) {
    ::MessageBoxA(nullptr, "Create imagelist Error", "Error", MB_OK | MB_ICONERROR);
    return FALSE;
  }
  AppendOwnIcons(g_smallImageList.GetSafeHandle(), 16);
  AppendOwnIcons(g_largeImageList.GetSafeHandle(), 32);
  AppendOwnIconsToOtherSystemLists(g_smallImageList.GetSafeHandle(), g_largeImageList.GetSafeHandle());
  g_smallImageList.SetBkColor(CLR_NONE);
  g_siteImageBase = g_smallImageList.GetImageCount();
  return TRUE;
}
