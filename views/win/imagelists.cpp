#include "views/imagelists.h"

#include "framework/app.h"
#include "views/viewsres.h"

CImageList g_smallImageList;
CImageList g_largeImageList;
int g_siteImageBase = 0;

namespace {

// Our icons follow the shell's, in the order the trees count them back.
void AppendOwnIcons(CImageList& list, int size)
{
  static const UINT kIcons[] = {IDI_VIEW_LOCAL_DISK, IDI_VIEW_SITE, IDI_VIEW_SERVER_ROOT, IDI_VIEW_SITE_ONLINE};
  for (UINT id : kIcons) {
    HICON icon = (HICON)::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0);
    list.Add(icon);
    if (icon != nullptr)
      ::DestroyIcon(icon);
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
  AppendOwnIcons(g_smallImageList, 16);
  AppendOwnIcons(g_largeImageList, 32);
  g_smallImageList.SetBkColor(CLR_NONE);
  g_siteImageBase = g_smallImageList.GetImageCount();
  return TRUE;
}
