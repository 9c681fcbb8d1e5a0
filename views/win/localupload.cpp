#include "views/localupload.h"

#include <cstdio>

#include "engine/launchers.h"
#include "engine/planitem.h"
#include "engine/planthread.h"
#include "engine/progthread.h"
#include "engine/siteitem.h"
#include "engine/viewslots.h"
#include "shell/doc/zarndoc.h"
#include "shell/settings/settings.h"
#include "views/panelinks.h"

CSiteItem* FirstPaneFolder(CString* remotePath)
{
  CServerTreeAccess* access = ServerTreeAccess(1);
  CWnd* serverView = g_pSerTrView.load();
  HWND serverTree = serverView != nullptr && serverView->m_hWnd != nullptr
                        ? ::GetDlgItem(serverView->m_hWnd, kSerTreeCtrlId)
                        : nullptr;
  HTREEITEM node = serverTree != nullptr ? TreeView_GetSelection(serverTree) : nullptr;
  int siteIndex = -1;
  if (access == nullptr || node == nullptr || g_pDoc == nullptr || !access->NodePath(node, remotePath, &siteIndex))
    return nullptr;
  return g_pDoc->GetSite(siteIndex);
}

CPlanItem* NewUploadItem(const CSiteItem& site, const char* localFolder, const char* remotePath, const char* name,
                         int kind, int64_t size)
{
  CPlanItem* item = new CPlanItem;
  snprintf(item->m_fileName, sizeof item->m_fileName, "%s", name);
  snprintf(item->m_localPath, sizeof item->m_localPath, "%s", localFolder);
  snprintf(item->m_remotePath, sizeof item->m_remotePath, "%s", remotePath);
  snprintf(item->m_direction, sizeof item->m_direction, "->");
  SetPlanItemSite(*item, site);
  item->m_kind = kind;
  item->m_fileSize = kind == kEntryFolder ? 0 : size;
  return item;
}

int PostUploads(const std::vector<CPlanItem*>& items)
{
  CWnd* func = g_pFuncView.load();
  int posted = 0;
  for (CPlanItem* item : items) {
    if (func != nullptr && func->PostMessage(UWM_QUEUE_ADD, 0, (LPARAM)item))
      ++posted;
    else
      delete item;
  }
  if (posted == 0)
    return 0;
  if (IsOptionSet(OPTBIT_QUEUE_AUTOSTART))
    if (CWnd* main = g_pMainFrame.load())
      main->PostMessage(UWM_RUN_QUEUE, 0, 0);
  func->PostMessage(UWM_SHOW_FUNC_TAB, 0, 3);
  return posted;
}
