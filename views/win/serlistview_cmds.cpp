// The server lists' commands: the message map with the enabling rules, and
// the commands on folders and files. Work goes to launchers and task threads;
// nothing here talks to a server.
#include <cstdio>

#include "engine/confirmdlg.h"
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
#include "views/maskselectdlg.h"
#include "views/payloadtransfer.h"
#include "views/serlistrules.h"
#include "views/serlistview.h"
#include "views/sertreeview.h"

BEGIN_MESSAGE_MAP(CSerLiViewBase, CFileListView)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_NOTIFY_RANGE(NM_RCLICK, kSerListId, kSerListId1, OnRClick)
  ON_NOTIFY_RANGE(NM_DBLCLK, kSerListId, kSerListId1, OnDblClk)
  ON_NOTIFY_RANGE(LVN_BEGINDRAG, kSerListId, kSerListId1, OnBeginDrag)
  ON_NOTIFY_RANGE(LVN_ENDLABELEDITA, kSerListId, kSerListId1, OnEndLabelEdit)
  ON_COMMAND(ID_LIST_VIEW, OnView)
  ON_COMMAND(ID_LIST_EDIT, OnEdit)
  ON_COMMAND(ID_LIST_MAKE_FOLDER, OnMakeFolder)
  ON_COMMAND(ID_LIST_RENAME, OnRename)
  ON_COMMAND(ID_LIST_MOVE, OnMove)
  ON_COMMAND(ID_LIST_REFRESH, OnRefresh)
  ON_COMMAND(ID_LIST_DELETE, OnDelete)
  ON_COMMAND(ID_LIST_CHMOD, OnChmod)
  ON_COMMAND(ID_LIST_SELECT_ALL, OnSelectAll)
  ON_COMMAND(ID_LIST_INVERT, OnInvertSelection)
  ON_COMMAND(ID_LIST_COPY_URL, OnCopyUrl)
  ON_COMMAND(ID_LIST_COPY_PATH, OnCopyPath)
  ON_COMMAND(ID_LIST_COPY, CopySelection)
  ON_COMMAND(ID_LIST_PASTE, OnPaste)
  ON_COMMAND(ID_LIST_BACK, OnBack)
  ON_COMMAND(ID_LIST_ADD_TO_QUEUE, OnAddToQueue)
  ON_COMMAND(ID_LIST_CONNECT, OnConnect)
  ON_COMMAND(ID_LIST_DISCONNECT, OnDisconnect)
  ON_COMMAND(ID_LIST_STOP_WORK, OnStopWork)
  ON_COMMAND(ID_LIST_DELETE_SITE, OnDeleteSite)
  ON_COMMAND(ID_LIST_MODIFY_INFO, OnModifyInfo)
  ON_COMMAND(ID_LIST_CHANGE_PASSWORD, OnChangePassword)
  ON_COMMAND_EX(ID_LIST_MANUAL_CONTROL, OnManualControlCmd)
  ON_COMMAND(ID_LIST_SEARCH, OnSearch)
  ON_COMMAND(ID_LIST_DIR_STRUCTURE, OnDirectoryStructure)
  ON_COMMAND(ID_LIST_MASK_SELECT, OnMaskSelect)
  ON_UPDATE_COMMAND_UI(ID_LIST_VIEW, OnUpdateFolderOne)
  ON_UPDATE_COMMAND_UI(ID_LIST_EDIT, OnUpdateFolderOneFile)
  ON_UPDATE_COMMAND_UI(ID_LIST_MAKE_FOLDER, OnUpdateFolder)
  ON_UPDATE_COMMAND_UI(ID_LIST_RENAME, OnUpdateFolderOne)
  ON_UPDATE_COMMAND_UI(ID_LIST_MOVE, OnUpdateFolderSome)
  ON_UPDATE_COMMAND_UI(ID_LIST_REFRESH, OnUpdateAlways)
  ON_UPDATE_COMMAND_UI(ID_LIST_DELETE, OnUpdateFolderSome)
  ON_UPDATE_COMMAND_UI(ID_LIST_CHMOD, OnUpdateFolderSome)
  ON_UPDATE_COMMAND_UI(ID_LIST_SELECT_ALL, OnUpdateHasNode)
  ON_UPDATE_COMMAND_UI(ID_LIST_INVERT, OnUpdateHasNode)
  ON_UPDATE_COMMAND_UI(ID_LIST_COPY_URL, OnUpdateFolderSome)
  ON_UPDATE_COMMAND_UI(ID_LIST_COPY_PATH, OnUpdateHasNode)
  ON_UPDATE_COMMAND_UI(ID_LIST_COPY, OnUpdateFolderSome)
  ON_UPDATE_COMMAND_UI(ID_LIST_PASTE, OnUpdatePaste)
  ON_UPDATE_COMMAND_UI(ID_LIST_BACK, OnUpdateAlways)
  ON_UPDATE_COMMAND_UI(ID_LIST_ADD_TO_QUEUE, OnUpdateFolderSome)
  ON_UPDATE_COMMAND_UI(ID_LIST_CONNECT, OnUpdateConnect)
  ON_UPDATE_COMMAND_UI(ID_LIST_DISCONNECT, OnUpdateDisconnect)
  ON_UPDATE_COMMAND_UI(ID_LIST_STOP_WORK, OnUpdateStopWork)
  ON_UPDATE_COMMAND_UI(ID_LIST_DELETE_SITE, OnUpdateDeleteSite)
  ON_UPDATE_COMMAND_UI(ID_LIST_MODIFY_INFO, OnUpdateSiteOne)
  ON_UPDATE_COMMAND_UI(ID_LIST_CHANGE_PASSWORD, OnUpdateChangePassword)
  ON_UPDATE_COMMAND_UI(ID_LIST_MANUAL_CONTROL, OnUpdateAlways)
  ON_UPDATE_COMMAND_UI(ID_LIST_SEARCH, OnUpdateAlways)
  ON_UPDATE_COMMAND_UI(ID_LIST_DIR_STRUCTURE, OnUpdateAlways)
  ON_UPDATE_COMMAND_UI(ID_LIST_MASK_SELECT, OnUpdateFolder)
END_MESSAGE_MAP()

namespace {

template <size_t N>
void CopyText(char (&field)[N], const char* text)
{
  snprintf(field, N, "%s", text != nullptr ? text : "");
}

}  // namespace

// ---- enabling rules ----

void CSerLiViewBase::OnUpdateFolder(CCmdUI* pCmdUI) { pCmdUI->Enable(ShowsFolder()); }

void CSerLiViewBase::OnUpdateFolderOne(CCmdUI* pCmdUI)
{
  pCmdUI->Enable(ShowsFolder() && m_list.GetSelectedCount() == 1);
}

void CSerLiViewBase::OnUpdateFolderOneFile(CCmdUI* pCmdUI)
{
  const std::vector<int> rows = SelectedRows();
  pCmdUI->Enable(ShowsFolder() && rows.size() == 1 && m_list.GetItemKind(rows[0]) == kRowFile);
}

void CSerLiViewBase::OnUpdateFolderSome(CCmdUI* pCmdUI)
{
  pCmdUI->Enable(ShowsFolder() && m_list.GetSelectedCount() > 0);
}

void CSerLiViewBase::OnUpdateAlways(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }

void CSerLiViewBase::OnUpdateHasNode(CCmdUI* pCmdUI) { pCmdUI->Enable(SelectedNode() != nullptr); }

void CSerLiViewBase::OnUpdatePaste(CCmdUI* pCmdUI)
{
  const bool onClipboard = g_clipFormat != 0 && ::IsClipboardFormatAvailable(g_clipFormat);
  pCmdUI->Enable(onClipboard && (ShowsFolder() || (ShowsSites() && m_list.GetSelectedCount() == 1)));
}

void CSerLiViewBase::OnUpdateConnect(CCmdUI* pCmdUI)
{
  CSiteItem* site = OneSelectedSite();
  pCmdUI->Enable(site != nullptr && site->m_keeperRunning.load() == 0);
}

void CSerLiViewBase::OnUpdateDisconnect(CCmdUI* pCmdUI)
{
  CSiteItem* site = OneSelectedSite();
  pCmdUI->Enable(site != nullptr && site->m_keeperRunning.load() != 0);
}

void CSerLiViewBase::OnUpdateStopWork(CCmdUI* pCmdUI)
{
  CSiteItem* site = OneSelectedSite();
  pCmdUI->Enable(site != nullptr && site->m_keeperRunning.load() != 0 && site->m_taskCount.load() > 0);
}

void CSerLiViewBase::OnUpdateDeleteSite(CCmdUI* pCmdUI)
{
  const UINT n = m_list.GetSelectedCount();
  pCmdUI->Enable(ShowsSites() && (m_pane.deleteSeveralSites ? n > 0 : n == 1));
}

void CSerLiViewBase::OnUpdateSiteOne(CCmdUI* pCmdUI) { pCmdUI->Enable(ShowsSites() && m_list.GetSelectedCount() == 1); }

void CSerLiViewBase::OnUpdateChangePassword(CCmdUI* pCmdUI) { pCmdUI->Enable(OneSelectedSite() != nullptr); }

// ---- shared steps ----

bool CSerLiViewBase::Confirm(int bit, UINT stringId)
{
  if (!IsOptionSet(bit))
    return true;
  return ShowConfirmDlg(this, stringId, (int)(1u << bit)) != IDCANCEL;
}

void CSerLiViewBase::Refuse(UINT stringId) { ShowConfirmDlg(this, stringId, kConfirmModeError); }

// ---- open, edit, view, back ----

void CSerLiViewBase::OpenRemoteFile(HTREEITEM node, int row) { OpenRow(node, row, false); }

void CSerLiViewBase::EditRemoteFile(HTREEITEM node, int row) { OpenRow(node, row, true); }

void CSerLiViewBase::OpenRow(HTREEITEM node, int row, bool edit)
{
  if (node == nullptr || m_list.GetItemKind(row) != kRowFile)
    return;
  const std::vector<ChosenRow> chosen = ChosenOf(m_list, {row});
  if (!Confirm(edit ? OPTBIT_CONFIRM_EDIT : OPTBIT_CONFIRM_LOOKUP,
               edit ? IDS_CONFIRM_EDIT_REMOTE : IDS_CONFIRM_LOOKUP))
    return;
  // The box pumped messages: the file is found again by its name.
  const std::vector<int> rows = RowsNow(chosen);
  if (rows.size() != 1 || SelectedNode() != node)
    return;
  LaunchOpenFileTask(m_pane.paneFlag, node, RowEntries(rows, false), edit ? TRUE : FALSE);
}

void CSerLiViewBase::OnView()
{
  const std::vector<int> rows = SelectedRows();
  if (rows.size() != 1)
    return;
  if (ShowsFolder() && m_list.GetItemKind(rows[0]) == kRowFile) {
    OpenRemoteFile(SelectedNode(), rows[0]);
    return;
  }
  CTreeCtrl* tree = TreeCtrl();
  HTREEITEM node = RowNode(rows[0]);
  if (tree == nullptr || node == nullptr)
    return;
  tree->Expand(tree->GetParentItem(node), TVE_EXPAND);
  tree->SelectItem(node);
}

void CSerLiViewBase::OnEdit()
{
  const std::vector<int> rows = SelectedRows();
  if (ShowsFolder() && rows.size() == 1)
    EditRemoteFile(SelectedNode(), rows[0]);
}

void CSerLiViewBase::OnBack()
{
  CTreeCtrl* tree = TreeCtrl();
  HTREEITEM node = SelectedNode();
  if (tree == nullptr || node == nullptr || node == tree->GetRootItem())
    return;
  HTREEITEM parent = tree->GetParentItem(node);
  tree->SelectItem(parent);
  tree->EnsureVisible(parent);
}

// ---- make folder, rename, move, refresh, delete ----

void CSerLiViewBase::OnMakeFolder()
{
  if (!ShowsFolder())
    return;
  CSiteItem* site = SelectedSite();
  if (site == nullptr || site->m_connected.load() == 0) {
    Refuse(IDS_NOT_CONNECTED);
    return;
  }
  BeginNewFolderRow(PayloadDateText().c_str());
}

void CSerLiViewBase::OnRename()
{
  const std::vector<int> rows = SelectedRows();
  if (!ShowsFolder() || rows.size() != 1)
    return;
  m_list.SetFocus();
  m_list.EditLabel(rows[0]);
}

void CSerLiViewBase::OnMove()
{
  const std::vector<ChosenRow> chosen = ChosenRows();
  HTREEITEM node = SelectedNode();
  if (!ShowsFolder() || chosen.empty())
    return;
  CSerTrViewBase* tree = Tree();
  CString source;
  int slot = -1;
  CSiteItem* site = nullptr;
  if (tree != nullptr && tree->NodePath(node, &source, &slot) && g_pDoc != nullptr)
    site = g_pDoc->GetSite(slot);
  if (site == nullptr || site->m_connected.load() == 0) {
    Refuse(IDS_NOT_CONNECTED);
    return;
  }
  MoveToValues values;
  CTaskDialogs* dialogs = TaskDialogs();
  if (dialogs == nullptr || !dialogs->MoveTo(this, values))
    return;
  CString target = values.target;
  target.Trim(" ");
  if (target.IsEmpty())
    return;
  if (target[0] != '/')
    target = "/" + target;
  // "/a/" is the folder "/a": a move into the folder the rows are in is none.
  while (target.GetLength() > 1 && target[target.GetLength() - 1] == '/')
    target = target.Left(target.GetLength() - 1);
  CString from = source;
  while (from.GetLength() > 1 && from[from.GetLength() - 1] == '/')
    from = from.Left(from.GetLength() - 1);
  if (target == from)
    return;
  if (!PayloadPathFits(target)) {
    ShowPathTooLong(this, std::string(target));
    return;
  }
  // The dialog pumped messages: the site and the rows are read again.
  site = g_pDoc->GetSite(slot);
  const std::vector<int> rows = RowsNow(chosen);
  if (site == nullptr || SelectedNode() != node || rows.empty())
    return;
  EntryRecord* entries = RowEntries(rows, true);
  site->m_queueRun = 1;
  CProgThread* task = new CProgThread(m_pane.paneFlag, TASK_MOVE, site, node, source, target, (int)rows.size(), entries);
  if (!StartTaskThread(task)) {
    delete task;  // with the entries it holds
    Refuse(IDS_SERVER_THREAD_FAILED);
  }
}

void CSerLiViewBase::OnRefresh()
{
  CSerTrViewBase* tree = Tree();
  HTREEITEM node = SelectedNode();
  if (tree == nullptr || !ShowsFolder())
    return;
  CTreeCtrl& t = tree->GetTreeCtrl();
  tree->SendMessage(UWM_DROP_LISTING_CACHE, 0, (LPARAM)node);
  t.SetRedraw(FALSE);
  t.SelectItem(t.GetRootItem());
  t.SelectItem(node);
  t.SetRedraw(TRUE);
  t.Invalidate();
}

void CSerLiViewBase::OnDelete()
{
  const std::vector<ChosenRow> chosen = ChosenRows();
  HTREEITEM node = SelectedNode();
  if (!ShowsFolder() || chosen.empty()) {
    Refuse(IDS_SELECTION_ERROR);
    return;
  }
  if (!Confirm(OPTBIT_CONFIRM_DELETE_FILE, IDS_CONFIRM_DELETE_SELECTION))
    return;
  // The box pumped messages: replies may have moved, removed or re-listed the
  // rows. The entries chosen are found again by name; another folder shown
  // ends the command.
  const std::vector<int> rows = RowsNow(chosen);
  if (node == nullptr || SelectedNode() != node || rows.empty())
    return;
  LaunchDeleteTask(m_pane.paneFlag, node, RowEntries(rows, false), (int)rows.size());
}

void CSerLiViewBase::OnChmod()
{
  const std::vector<int> chosenRows = SelectedRows();
  HTREEITEM chosenNode = SelectedNode();
  if (!ShowsFolder() || chosenRows.empty())
    return;
  const std::vector<ChosenRow> chosen = ChosenOf(m_list, chosenRows);
  const CFileListItem* first = m_list.Row(chosenRows[0]);
  ChmodValues values;
  values.mode = PermTextToMode(first != nullptr ? first->m_attributes : "");
  const int current = values.mode;
  CTaskDialogs* dialogs = TaskDialogs();
  if (dialogs == nullptr || !dialogs->Chmod(this, values))
    return;
  HTREEITEM node = SelectedNode();
  const std::vector<int> rows = RowsNow(chosen);
  if (node == nullptr || node != chosenNode || rows.empty())
    return;
  if (rows.size() == 1 && values.mode == current)
    return;
  std::vector<std::string> texts;
  for (int row : rows) {
    const CString name = m_list.GetItemText(row, 0);
    std::string text;
    if (!FormatChmodText(values.mode, name, &text)) {
      CString box;
      box.Format(kNameTooLongText, (const char*)name);
      ShowConfirmDlgText(this, box, kConfirmModeError, TRUE);
      return;
    }
    texts.push_back(text);
  }
  EntryRecord* entries = RowEntries(rows, false);
  for (size_t i = 0; i < texts.size(); ++i)
    CopyText(entries[i].m_second, texts[i].c_str());
  LaunchSetAttributesTask(m_pane.paneFlag, node, entries, (int)rows.size());
}

// ---- selection ----

void CSerLiViewBase::OnSelectAll()
{
  if (SelectedNode() != nullptr)
    m_list.SelectAll();
}

void CSerLiViewBase::OnInvertSelection()
{
  if (SelectedNode() != nullptr)
    m_list.InvertSelection();
}

void CSerLiViewBase::OnMaskSelect()
{
  if (ShowsFolder())
    RunMaskSelect(m_list);
}

// ---- the clipboard's texts ----

void CSerLiViewBase::OnCopyUrl()
{
  const std::vector<int> rows = SelectedRows();
  CSiteItem* site = SelectedSite();
  CSerTrViewBase* tree = Tree();
  CString folder;
  if (rows.empty() || !ShowsFolder() || site == nullptr || tree == nullptr ||
      !tree->NodePath(SelectedNode(), &folder, nullptr))
    return;
  UrlSite url;
  url.host = site->m_host;
  url.user = site->m_user;
  url.password = site->m_password;
  url.port = site->m_port;
  url.anonymous = site->SiteOptionDigits[1] == '1';
  std::vector<UrlRow> lines;
  for (int row : rows)
    lines.push_back(UrlRow{std::string(m_list.GetItemText(row, 0)), IsFolderLikeKind(m_list.GetItemKind(row))});
  const std::string text = CopyUrlText(url, std::string(folder), lines);
  g_ownClipboardText = CString(text.c_str() + 2);
  CopyTextToClipboard(text.c_str(), this);
}

void CSerLiViewBase::OnCopyPath()
{
  const std::vector<int> rows = SelectedRows();
  CTreeCtrl* tree = TreeCtrl();
  if (rows.empty() || tree == nullptr || SelectedNode() == nullptr)
    return;
  const CString path = GetRowPath(&m_list, tree, rows[0], nullptr, FALSE);
  CopyTextToClipboard("  " + path, this);
}

// ---- Add to Queue ----

void CSerLiViewBase::OnAddToQueue()
{
  CSerTrViewBase* tree = Tree();
  HTREEITEM node = SelectedNode();
  CString remote;
  int slot = -1;
  if (tree == nullptr || !ShowsFolder() || !tree->NodePath(node, &remote, &slot))
    return;
  // Both trees at a folder: the local one's receives it; else the download folder.
  CLocalTreeLink* local = LocalTreeLink();
  CString target = local != nullptr ? local->SelectedPath() : CString();
  if (target.IsEmpty())
    target = g_downloadPath;
  if (target.IsEmpty()) {
    Refuse(IDS_NO_RECEIVING_PATH);
    return;
  }
  const std::vector<ChosenRow> chosen = ChosenRows();
  if (chosen.empty())
    return;
  if (!Confirm(OPTBIT_CONFIRM_DOWNLOAD, IDS_CONFIRM_DOWNLOAD))
    return;
  CSiteItem* site = g_pDoc != nullptr ? g_pDoc->GetSite(slot) : nullptr;
  CWnd* func = g_pFuncView.load();
  const std::vector<int> rows = RowsNow(chosen);
  if (site == nullptr || func == nullptr || func->m_hWnd == nullptr || SelectedNode() != node)
    return;
  site->m_queueRun = 1;
  for (int row : rows) {
    const CFileListItem* r = m_list.Row(row);
    if (r == nullptr)
      continue;
    CPlanItem* item = new CPlanItem;
    CopyText(item->m_fileName, r->m_name);
    CopyText(item->m_localPath, target);
    CopyText(item->m_remotePath, remote);
    CopyText(item->m_direction, "<-");
    SetPlanItemSite(*item, *site);
    item->m_kind = r->m_kind;
    item->m_fileSize = r->m_kind == kRowFile ? r->m_size : 0;
    if (!func->PostMessage(UWM_QUEUE_ADD, 0, (LPARAM)item))
      delete item;  // never reached the queue
  }
  if (IsOptionSet(OPTBIT_QUEUE_AUTOSTART))
    if (CWnd* main = g_pMainFrame.load())
      main->PostMessage(UWM_RUN_QUEUE, 0, 0);
  func->PostMessage(UWM_SHOW_FUNC_TAB, 0, 3);
}

// ---- search and the structure record ----

void CSerLiViewBase::OnSearch() { StartSearchTask(true); }

void CSerLiViewBase::OnDirectoryStructure() { StartSearchTask(false); }

void CSerLiViewBase::StartSearchTask(bool search)
{
  CSerTrViewBase* tree = Tree();
  if (tree == nullptr || g_pDoc == nullptr)
    return;
  // A folder or site row names the start; a file or no row the shown folder.
  const std::vector<int> rows = SelectedRows();
  HTREEITEM start = rows.empty() ? nullptr : RowNode(rows[0]);
  if (start == nullptr)
    start = SelectedNode();
  CString folder = "/";
  int slot = -1;
  if (!tree->NodePath(start, &folder, &slot))
    folder = "/";
  CTaskDialogs* dialogs = TaskDialogs();
  if (dialogs == nullptr)
    return;
  SearchFileValues find;
  RecordDirValues record;
  bool ok = false;
  if (search) {
    find.siteIndex = slot;
    find.startFolder = folder;
    ok = dialogs->SearchFile(this, find);
    slot = find.siteIndex;
  } else {
    record.siteIndex = slot;
    record.remoteText = folder;
    ok = dialogs->RecordDir(this, record);
    slot = record.siteIndex;
  }
  CSiteItem* site = ok ? g_pDoc->GetSite(slot) : nullptr;
  if (site == nullptr)
    return;
  if (site->m_connected.load() == 0) {
    const CString host = site->m_host;
    if (!g_pDoc->ConnectSite(slot)) {
      CString text;
      text.Format("%s::Cant't connect. Back!\r\n", (const char*)host);
      ShowConfirmDlgText(this, text, kConfirmModeError, TRUE);
      return;
    }
    site = g_pDoc->GetSite(slot);
    if (site == nullptr)
      return;
  }
  site->m_queueRun = 1;
  CProgThread* task = search ? new CProgThread(TASK_SEARCH, site, find.startFolder, find.types,
                                               find.noLoop ? (HTREEITEM)1 : nullptr, slot)
                             : new CProgThread(TASK_RECORD_STRUCTURE, site, record.remoteText, record.saveTarget,
                                               nullptr, 0);
  if (!StartTaskThread(task))
    delete task;
}
