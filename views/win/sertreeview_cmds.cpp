// The server trees' folder commands: their enabling rules, folders made and
// renamed in place (the server decides; the tree follows the task's reply),
// moved, deleted and listed afresh, queued for download, and Copy, Copy Path
// and Paste through the clipboard.
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/confirmdlg.h"
#include "engine/dragpayload.h"
#include "engine/engineres.h"
#include "engine/launchers.h"
#include "engine/planitem.h"
#include "engine/planthread.h"
#include "engine/progthread.h"
#include "engine/taskdialogs.h"
#include "engine/viewmessages.h"
#include "engine/viewslots.h"
#include "shell/doc/zarndoc.h"
#include "shell/settings/settings.h"
#include "toolkit/clipboard.h"
#include "views/panelinks.h"
#include "views/payloadtransfer.h"
#include "views/sertreeview.h"

namespace {

// A new entry array of one record (and the empty one behind it), as the
// launchers and tasks take them.
EntryRecord* NewFolderRecord(const char* name, HTREEITEM node)
{
  EntryRecord* e = new EntryRecord[2]();
  snprintf(e[0].m_name, sizeof e[0].m_name, "%s", name);
  snprintf(e[0].m_date, sizeof e[0].m_date, "%s", PayloadDateText().c_str());
  e[0].m_kind = kEntryFolder;
  e[0].m_node = node;
  return e;
}

}  // namespace

// ---- kinds of nodes ----

bool CSerTrViewBase::IsFolderNode(HTREEITEM node)
{
  HTREEITEM root = m_tree.GetRootItem();
  if (node == nullptr || node == root)
    return false;
  HTREEITEM parent = m_tree.GetParentItem(node);
  return parent != nullptr && parent != root;
}

CSiteItem* CSerTrViewBase::SiteOfNode(HTREEITEM node, int* siteIndex)
{
  if (node == nullptr || node == m_tree.GetRootItem() || g_pDoc == nullptr)
    return nullptr;
  const int index = (int)m_tree.GetItemData(node);
  if (siteIndex != nullptr)
    *siteIndex = index;
  return g_pDoc->GetSite(index);
}

bool CSerTrViewBase::HasNode(HTREEITEM node)
{
  if (node == nullptr)
    return false;
  HTREEITEM item = m_tree.GetRootItem();
  while (item != nullptr) {
    if (item == node)
      return true;
    HTREEITEM next = m_tree.GetChildItem(item);
    while (next == nullptr && item != nullptr) {
      next = m_tree.GetNextSiblingItem(item);
      if (next == nullptr)
        item = m_tree.GetParentItem(item);
    }
    item = next;
  }
  return false;
}

bool CSerTrViewBase::IsOwnNodeIn(HTREEITEM node, HTREEITEM own, const CString& name)
{
  return node != nullptr && own != nullptr && HasNode(own) && m_tree.GetParentItem(own) == node &&
         IsFolderNode(own) && m_tree.GetItemText(own).Compare(name) == 0;
}

bool CSerTrViewBase::Confirm(int bit, UINT stringId)
{
  if (!IsOptionSet(bit))
    return true;
  return ShowConfirmDlg(this, stringId, (int)(1u << bit)) != IDCANCEL;
}

// ---- update handlers ----

void CSerTrViewBase::OnUpdateNotRoot(CCmdUI* pCmdUI)
{
  HTREEITEM node = CommandNode();
  pCmdUI->Enable(node != nullptr && node != m_tree.GetRootItem());
}

void CSerTrView::OnUpdateMakeFolder(CCmdUI* pCmdUI) { OnUpdateNotRoot(pCmdUI); }

void CSerTrViewBase::OnUpdateFolderNode(CCmdUI* pCmdUI) { pCmdUI->Enable(IsFolderNode(CommandNode())); }

void CSerTrViewBase::OnUpdateSiteNode(CCmdUI* pCmdUI) { pCmdUI->Enable(IsSiteNode(CommandNode())); }

void CSerTrViewBase::OnUpdateStopWork(CCmdUI* pCmdUI)
{
  HTREEITEM node = CommandNode();
  CSiteItem* site = IsSiteNode(node) ? SiteOfNode(node, nullptr) : nullptr;
  pCmdUI->Enable(site != nullptr && site->m_keeperRunning.load() != 0 && site->m_taskCount.load() != 0);
}

void CSerTrViewBase::OnUpdateConnect(CCmdUI* pCmdUI)
{
  HTREEITEM node = CommandNode();
  CSiteItem* site = IsSiteNode(node) ? SiteOfNode(node, nullptr) : nullptr;
  pCmdUI->Enable(site != nullptr && site->m_keeperRunning.load() == 0);
}

void CSerTrViewBase::OnUpdateDisconnect(CCmdUI* pCmdUI)
{
  HTREEITEM node = CommandNode();
  CSiteItem* site = IsSiteNode(node) ? SiteOfNode(node, nullptr) : nullptr;
  pCmdUI->Enable(site != nullptr && site->m_keeperRunning.load() != 0);
}

void CSerTrViewBase::OnUpdatePaste(CCmdUI* pCmdUI)
{
  HTREEITEM node = CommandNode();
  pCmdUI->Enable(node != nullptr && node != m_tree.GetRootItem() && g_clipFormat != 0 &&
                 ::IsClipboardFormatAvailable(g_clipFormat));
}

// ---- Refresh ----

void CSerTrViewBase::BeforeRefresh(HTREEITEM node)
{
  // The second pane keeps no cache files (a file named by its handle would be
  // the first pane's).
  if (m_pane.listingCache)
    DeleteListingCache(&m_tree, node);
}

// ---- Make Folder, Rename and the label edit ----

void CSerTrViewBase::OnMakeFolder()
{
  EndAnyEdit();
  HTREEITEM node = CommandNode();
  if (node == nullptr || node == m_tree.GetRootItem())
    return;
  CSiteItem* site = SiteOfNode(node, nullptr);
  if (site == nullptr || site->m_connected.load() == 0) {
    ShowConfirmDlg(this, IDS_NOT_CONNECTED, kConfirmModeError);
    return;
  }
  // Opening a node never opened selects and lists it; that listing would
  // replace the children under the edit, so the edit waits for it.
  const int started = m_listingsStarted;
  if (m_tree.GetChildItem(node) != nullptr)
    m_tree.Expand(node, TVE_EXPAND);
  if (m_listingsStarted != started && m_tree.GetSelectedItem() == node) {
    m_pendingNewFolder = node;
    return;
  }
  BeginNewFolderEdit(node);
}

void CSerTrViewBase::EndAnyEdit()
{
  // Cancelled: a new folder's node goes with it, nothing is sent.
  if (m_tree.GetEditControl() != nullptr)
    m_tree.SendMessage(TVM_ENDEDITLABELNOW, TRUE, 0);
}

void CSerTrViewBase::BeginNewFolderEdit(HTREEITEM node)
{
  EndAnyEdit();
  if (HTREEITEM child = StartNewFolderEdit(&m_tree, node, (LPARAM)m_tree.GetItemData(node))) {
    m_newFolderEdit = TRUE;
    m_editNode = child;
  }
}

void CSerTrViewBase::OnRename()
{
  EndAnyEdit();
  HTREEITEM node = CommandNode();
  if (!IsFolderNode(node))
    return;
  m_newFolderEdit = FALSE;
  m_editNode = node;
  m_tree.SetFocus();
  m_tree.EditLabel(node);
}

void CSerTrViewBase::OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
  // Any label may be edited (the end decides); the edit is tracked so that its
  // end acts only on a node that still exists.
  m_editNode = reinterpret_cast<NMTVDISPINFOA*>(pNMHDR)->item.hItem;
  *pResult = FALSE;
}

void CSerTrViewBase::EndPendingEditUnder(HTREEITEM node)
{
  if (m_editNode == nullptr || node == nullptr)
    return;
  for (HTREEITEM item = m_editNode; item != nullptr; item = m_tree.GetParentItem(item))
    if (item == node) {
      m_tree.SendMessage(TVM_ENDEDITLABELNOW, TRUE, 0);
      return;
    }
}

void CSerTrViewBase::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
  *pResult = 0;
  const NMTVDISPINFOA* info = reinterpret_cast<NMTVDISPINFOA*>(pNMHDR);
  HTREEITEM item = info->item.hItem;
  const BOOL newFolder = m_newFolderEdit;
  m_newFolderEdit = FALSE;
  // The edited node went meanwhile: nothing to act on.
  if (item == nullptr || item != m_editNode)
    return;
  m_editNode = nullptr;
  CString text(info->item.pszText != nullptr ? info->item.pszText : "");
  text.Trim();
  HTREEITEM parent = m_tree.GetParentItem(item);
  const bool inFolder = parent != nullptr && parent != m_tree.GetRootItem();
  if (newFolder) {
    // The new node only held the edit: the task's reply adds the folder.
    HTREEITEM target = CommandNode();
    m_tree.DeleteItem(item);
    if (text.IsEmpty() || !inFolder)
      return;
    if (!AcceptRemoteName(this, text))
      return;
    LaunchMakeFolderTask(m_pane.paneFlag, parent, NewFolderRecord(text, target));
    return;
  }
  if (info->item.pszText == nullptr || text.IsEmpty() || !inFolder)
    return;
  const CString oldLabel = m_tree.GetItemText(item);
  if (text == oldLabel)
    return;
  if (!AcceptRemoteName(this, text))
    return;
  EntryRecord* e = NewFolderRecord(oldLabel, item);
  snprintf(e[0].m_second, sizeof e[0].m_second, "%s", (const char*)text);
  // The label keeps its text until the server renamed (UWM_ENTRY_RENAMED).
  LaunchRenameTask(m_pane.paneFlag, parent, e);
}

// ---- Move and Delete ----

void CSerTrViewBase::OnMove()
{
  HTREEITEM node = CommandNode();
  if (!IsFolderNode(node))
    return;
  HTREEITEM parent = m_tree.GetParentItem(node);
  int siteIndex = -1;
  const CString parentPath = m_helper.GetItemPath(&m_tree, parent, &siteIndex, FALSE);
  CSiteItem* site = g_pDoc != nullptr ? g_pDoc->GetSite(siteIndex) : nullptr;
  if (site == nullptr || site->m_connected.load() == 0) {
    ShowConfirmDlg(this, IDS_NOT_CONNECTED, kConfirmModeError);
    return;
  }
  const CString name = m_tree.GetItemText(node);
  const NodeKey key = m_helper.KeyOf(&m_tree, node);
  MoveToValues values;
  CTaskDialogs* dialogs = TaskDialogs();
  if (dialogs == nullptr || !dialogs->MoveTo(this, values))
    return;
  CString target = values.target;
  target.Trim();
  if (target.IsEmpty())
    return;
  if (target[0] != '/')
    target = "/" + target;
  if (target == parentPath)
    return;
  // The dialog pumped messages: the node (by what it stands for) and the site
  // are taken again.
  node = m_helper.FindByKey(&m_tree, key);
  if (node == nullptr || g_pDoc->GetSite(siteIndex) != site)
    return;
  parent = m_tree.GetParentItem(node);
  site->m_queueRun = 1;
  CProgThread* task = new CProgThread(m_pane.paneFlag, TASK_MOVE, site, parent, parentPath, target, 1,
                                      NewFolderRecord(name, node));
  if (!m_helper.StartTaskThread(task)) {
    ShowConfirmDlg(this, IDS_SERVER_THREAD_FAILED, kConfirmModeError);
    delete task;  // and the record it holds
  }
}

void CSerTrViewBase::OnDelete()
{
  HTREEITEM node = CommandNode();
  m_contextNode = nullptr;
  if (!IsFolderNode(node)) {
    ShowConfirmDlg(this, IDS_SELECTION_ERROR, kConfirmModeError);
    return;
  }
  const CString name = m_tree.GetItemText(node);
  const NodeKey key = m_helper.KeyOf(&m_tree, node);
  if (!Confirm(OPTBIT_CONFIRM_DELETE_FILE, IDS_CONFIRM_DELETE_SELECTION))
    return;
  // The box pumped messages: the handle may name another folder now.
  node = m_helper.FindByKey(&m_tree, key);
  if (node == nullptr)
    return;
  LaunchDeleteTask(m_pane.paneFlag, m_tree.GetParentItem(node), NewFolderRecord(name, node), 1);
}

// ---- Add To Queue ----

void CSerTrViewBase::OnAddToQueue()
{
  HTREEITEM node = CommandNode();
  if (!IsFolderNode(node))
    return;
  CString localFolder;
  if (CLocalTreeLink* local = LocalTreeLink())
    localFolder = local->SelectedPath();
  if (localFolder.IsEmpty())
    localFolder = CString(g_downloadPath, (int)strnlen(g_downloadPath, sizeof g_downloadPath));
  if (localFolder.IsEmpty()) {
    ShowConfirmDlg(this, IDS_NO_RECEIVING_PATH, kConfirmModeError);
    return;
  }
  const NodeKey key = m_helper.KeyOf(&m_tree, node);
  if (!Confirm(OPTBIT_CONFIRM_DOWNLOAD, IDS_CONFIRM_DOWNLOAD))
    return;
  node = m_helper.FindByKey(&m_tree, key);
  if (node == nullptr)
    return;
  int siteIndex = -1;
  const CString remoteFolder = m_helper.GetItemPath(&m_tree, m_tree.GetParentItem(node), &siteIndex, FALSE);
  CSiteItem* site = g_pDoc != nullptr ? g_pDoc->GetSite(siteIndex) : nullptr;
  CWnd* func = g_pFuncView.load();
  if (site == nullptr || func == nullptr || func->m_hWnd == nullptr)
    return;
  CPlanItem* item = new CPlanItem();
  snprintf(item->m_localPath, sizeof item->m_localPath, "%s", (const char*)localFolder);
  snprintf(item->m_remotePath, sizeof item->m_remotePath, "%s", (const char*)remoteFolder);
  snprintf(item->m_fileName, sizeof item->m_fileName, "%s", (const char*)m_tree.GetItemText(node));
  snprintf(item->m_direction, sizeof item->m_direction, "%s", "<-");
  SetPlanItemSite(*item, *site);
  item->m_kind = kEntryFolder;
  if (site->m_queueRun.load() == 0)
    site->m_queueRun = 1;
  if (!func->PostMessage(UWM_QUEUE_ADD, 0, (LPARAM)item)) {
    delete item;  // never reached the queue
    return;
  }
  func->PostMessage(UWM_SHOW_FUNC_TAB, 0, 3);
}

// ---- Copy Path, Copy and Paste ----

void CSerTrViewBase::OnCopyPath()
{
  HTREEITEM node = CommandNode();
  if (node == nullptr || node == m_tree.GetRootItem())
    return;
  // The clipboard routine drops the two leading characters.
  const CString text = "  " + m_helper.GetItemPath(&m_tree, node, nullptr, FALSE);
  CopyTextToClipboard(text, this);
}

void CSerTrViewBase::OnCopy()
{
  HTREEITEM node = CommandNode();
  if (IsFolderNode(node))
    CopyNodeToClipboard(node);
}

void CSerTrViewBase::CopyNodeToClipboard(HTREEITEM node)
{
  if (!IsFolderNode(node))
    return;
  int siteIndex = -1;
  const CString parentPath = m_helper.GetItemPath(&m_tree, m_tree.GetParentItem(node), &siteIndex, FALSE);
  const CString name = m_tree.GetItemText(node);
  const PayloadRow row = {name, 0, kEntryFolder};
  CopyPayloadRows(&row, 1, siteIndex, parentPath, this);
}

void CSerTrViewBase::OnPaste()
{
  HTREEITEM node = CommandNode();
  if (node == nullptr || node == m_tree.GetRootItem() || m_tree.GetParentItem(node) == nullptr)
    return;
  const NodeKey key = m_helper.KeyOf(&m_tree, node);
  if (!Confirm(OPTBIT_CONFIRM_PASTE, IDS_CONFIRM_PASTE))
    return;
  node = m_helper.FindByKey(&m_tree, key);
  if (node == nullptr)
    return;
  DragPayload payload;
  int count = 0;
  // Another process's block, one naming an emptied slot or a damaged one reads
  // as nothing here or in the launcher.
  if (ReadClipboardPayload(&payload, &count, this) == nullptr || count <= 0)
    return;
  int registered = 0;
  EntryRecord* entries = ResolvePayloadEntries(payload.m_entries, &registered);
  int siteIndex = -1;
  const CString path = m_helper.GetItemPath(&m_tree, node, &siteIndex, FALSE);
  if (entries == nullptr)
    return;
  if (!SetPayloadPath(payload.m_targetPath, path)) {
    ShowPathTooLong(this, std::string(path));
    return;
  }
  payload.m_target = siteIndex;
  entries[0].m_node = node;
  PasteBetweenServerPanes(m_pane.paneFlag, node, &payload, sizeof payload);
}
