#include <windows.h>

#include <cstring>

#include "shell/doc/sitemanagermsg.h"
#include "sitemanager/worksites.h"

CSiteItem* SendAddWorkSite(HWND mainWnd, SiteRecord& record)
{
  record.m_pNewSite = nullptr;
  ::SendMessageA(mainWnd, UWM_SITE_MANAGER_EDIT, SITEEDIT_ADD, reinterpret_cast<LPARAM>(&record));
  CSiteItem* site = record.m_pNewSite;
  record.m_pNewSite = nullptr;  // the record may be sent again
  return site;
}

bool SendRenameWorkSite(HWND mainWnd, CSiteItem* site, const char* newName)
{
  SiteRenameRequest request = {};
  const size_t length = strlen(newName);
  if (site == nullptr || length == 0 || length >= sizeof request.newName)
    return false;
  request.site = site;
  memcpy(request.newName, newName, length);
  return ::SendMessageA(mainWnd, UWM_SITE_MANAGER_EDIT, SITEEDIT_RENAME, reinterpret_cast<LPARAM>(&request)) == 1;
}

bool SendDeleteWorkSite(HWND mainWnd, CSiteItem* site, CSiteItem* const* sites)
{
  const LRESULT answer =
      ::SendMessageA(mainWnd, UWM_SITE_MANAGER_EDIT, SITEEDIT_DELETE, reinterpret_cast<LPARAM>(site));
  return answer == 1 && FindWorkSiteSlot(sites, site) < 0;
}

void SendWorkSiteChanged(HWND mainWnd, CSiteItem* site)
{
  ::SendMessageA(mainWnd, UWM_SITE_MANAGER_EDIT, SITEEDIT_CHANGED, reinterpret_cast<LPARAM>(site));
}
