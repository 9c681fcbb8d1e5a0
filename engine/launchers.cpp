#include "engine/launchers.h"

#include <cstring>

#include "engine/confirmdlg.h"
#include "engine/engineres.h"
#include "engine/launchstart.h"
#include "engine/listing.h"
#include "engine/progthread.h"
#include "engine/siteitem.h"
#include "framework/commctrls.h"

const char kLaunchConnectFailedText[] = "%s::Can't connect, terminated. \r\n";
const char kLaunchConnectFailedText2[] = "%s::Can't connect, terminated.\r\n";
const char kPasteSamePathText[] = "Can't paste because the target path is the same as the source path";

// GUI thread only, as the trees that register and the document that binds.
static CServerTreeAccess* s_trees[2] = {};
static LaunchDocAccess s_doc = {};

CServerTreeAccess* ServerTreeAccess(int paneFlag)
{
  return s_trees[paneFlag != 0 ? 1 : 0];
}

void SetServerTreeAccess(int paneFlag, CServerTreeAccess* tree)
{
  s_trees[paneFlag != 0 ? 1 : 0] = tree;
}

void ClearServerTreeAccess(int paneFlag, CServerTreeAccess* tree)
{
  CServerTreeAccess*& slot = s_trees[paneFlag != 0 ? 1 : 0];
  if (slot == tree)
    slot = nullptr;
}

void SetLaunchDocAccess(const LaunchDocAccess* access)
{
  s_doc = access != nullptr ? *access : LaunchDocAccess{};
}

namespace launch {

CSiteItem* SiteOf(int index)
{
  return s_doc.site != nullptr && index >= 0 ? s_doc.site(index) : nullptr;
}

void ErrorBox(const char* format, const char* host)
{
  CString text;
  text.Format(format, host);
  ShowConfirmDlgText(g_pMainFrame.load(), text, kConfirmModeError, TRUE);
}

CSiteItem* ConnectedSite(int index, const char* failText)
{
  CSiteItem* site = SiteOf(index);
  if (site == nullptr)
    return nullptr;
  if (site->m_connected.load() == 0) {
    // The connect prompt pumps messages: the slot is read again after it.
    CString host = site->m_host;
    if (s_doc.connect == nullptr || !s_doc.connect(index)) {
      ErrorBox(failText, host);
      return nullptr;
    }
    site = SiteOf(index);
    if (site == nullptr)
      return nullptr;
  }
  site->m_queueRun = 1;
  return site;
}

int Start(CProgThread* thread)
{
  CTaskThreadList* list = s_doc.taskThreads != nullptr ? s_doc.taskThreads() : nullptr;
  if (list != nullptr && StartTaskThread(*list, thread))
    return 1;
  ShowConfirmDlg(g_pMainFrame.load(), IDS_SERVER_THREAD_FAILED, kConfirmModeError);
  delete thread;  // frees the entries it was given
  return 0;
}

}  // namespace launch

namespace {

// Steps 1 and 2 of every tree-node launcher: the node's path and its site,
// connected. On failure the entries go (they were never handed on).
CSiteItem* NodeSite(int paneFlag, HTREEITEM node, CString* path, EntryRecord* entries)
{
  CServerTreeAccess* tree = ServerTreeAccess(paneFlag);
  int siteIndex = -1;
  CSiteItem* site = nullptr;
  if (tree != nullptr && tree->NodePath(node, path, &siteIndex))
    site = launch::ConnectedSite(siteIndex, kLaunchConnectFailedText);
  if (site == nullptr)
    delete[] entries;
  return site;
}

int LaunchOnNode(int paneFlag, HTREEITEM node, TaskCode task, EntryRecord* entries, int count)
{
  if (entries == nullptr || count <= 0) {
    delete[] entries;
    return 0;
  }
  CString path;
  CSiteItem* site = NodeSite(paneFlag, node, &path, entries);
  if (site == nullptr)
    return 0;
  return launch::Start(new CProgThread(paneFlag != 0 ? 1 : 0, task, site, node, path, count, entries));
}

}  // namespace

int LaunchOpenFileTask(int paneFlag, HTREEITEM node, EntryRecord* entries, BOOL edit)
{
  if (entries == nullptr)
    return 0;
  char temp[MAX_PATH] = {};
  const DWORD n = ::GetTempPathA(sizeof temp, temp);
  if (n == 0 || n >= sizeof temp) {
    delete[] entries;
    return 0;
  }
  CString path;
  CSiteItem* site = NodeSite(paneFlag, node, &path, entries);
  if (site == nullptr)
    return 0;
  return launch::Start(
      new CProgThread(paneFlag != 0 ? 1 : 0, edit ? TASK_EDIT : TASK_OPEN, site, node, path, temp, 1, entries));
}

int LaunchMakeFolderTask(int paneFlag, HTREEITEM node, EntryRecord* entry)
{
  return LaunchOnNode(paneFlag, node, TASK_MAKE_DIR, entry, 1);
}

int LaunchRenameTask(int paneFlag, HTREEITEM node, EntryRecord* entry)
{
  return LaunchOnNode(paneFlag, node, TASK_RENAME, entry, 1);
}

int LaunchDeleteTask(int paneFlag, HTREEITEM node, EntryRecord* entries, int count)
{
  return LaunchOnNode(paneFlag, node, TASK_DELETE, entries, count);
}

int LaunchSetAttributesTask(int paneFlag, HTREEITEM node, EntryRecord* entries, int count)
{
  return LaunchOnNode(paneFlag, node, TASK_SET_ATTRIBUTES, entries, count);
}

int LaunchChangePasswordTask(int siteIndex, const char* oldPassword, const char* newPassword)
{
  CSiteItem* site = launch::ConnectedSite(siteIndex, kLaunchConnectFailedText2);
  if (site == nullptr)
    return 0;
  return launch::Start(new CProgThread(TASK_CHANGE_PASSWORD, site, oldPassword, newPassword, nullptr, 0));
}

int FindMatchingListRow(CListCtrl* listA, CListCtrl* listB, int row)
{
  if (listA == nullptr || listB == nullptr || row < 0 || row >= listB->GetItemCount())
    return -1;
  const CString wanted = listB->GetItemText(row, 0);
  const int count = listA->GetItemCount();
  for (int i = 0; i < count; ++i)
    if (std::strcmp(listA->GetItemText(i, 0), wanted) == 0)
      return i;
  return -1;
}
