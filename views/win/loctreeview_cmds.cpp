// CLocTrView: the command table with its update handlers, folders made and
// renamed in place, Delete to the recycle bin, Attributes, and the context menu.
#include <cstdio>

#include "engine/confirmdlg.h"
#include "engine/dragpayload.h"
#include "engine/progthread.h"
#include "engine/shellseam.h"
#include "engine/viewmessages.h"
#include "shell/settings/settings.h"
#include "toolkit/clipboard.h"
#include "views/contextmenu.h"
#include "views/filelistctrl.h"
#include "views/loctreerules.h"
#include "views/loctreeview.h"
#include "views/viewpaths.h"

namespace {

using namespace viewcmd;
const char kRenameError[] = "Rename Error. ";

bool Gone(const char* path)
{
  if (::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
    return false;
  const DWORD error = ::GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

BEGIN_MESSAGE_MAP(CLocTrView, CFolderTreeView)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_NOTIFY(NM_RCLICK, kLocTreeId, OnTreeRClick)
  ON_NOTIFY(TVN_BEGINDRAGA, kLocTreeId, OnBeginDrag)
  ON_NOTIFY(TVN_SELCHANGEDA, kLocTreeId, OnSelChanged)
  ON_NOTIFY(TVN_ITEMEXPANDEDA, kLocTreeId, OnItemExpanded)
  ON_NOTIFY(TVN_BEGINLABELEDITA, kLocTreeId, OnBeginLabelEdit)
  ON_NOTIFY(TVN_ENDLABELEDITA, kLocTreeId, OnEndLabelEdit)
  ON_NOTIFY(TVN_DELETEITEMA, kLocTreeId, OnDeleteItem)
  ON_MESSAGE(UWM_ENTRY_ADDED, OnEntryAdded)
  ON_MESSAGE(UWM_LISTING_STATUS, OnListingStatus)
  ON_COMMAND(kMakeFolder, OnMakeFolder)
  ON_COMMAND(kRename, OnRename)
  ON_COMMAND(kDelete, OnDelete)
  ON_COMMAND(kAttributes, OnAttributes)
  ON_COMMAND(kAddToQueue, OnAddToQueue)
  ON_COMMAND(kCopy, OnCopy)
  ON_COMMAND(kPaste, OnPaste)
  ON_UPDATE_COMMAND_UI(kMakeFolder, OnUpdateMakeFolder)
  ON_UPDATE_COMMAND_UI(kAttributes, OnUpdateMakeFolder)
  ON_UPDATE_COMMAND_UI(kRename, OnUpdateFolderNode)
  ON_UPDATE_COMMAND_UI(kDelete, OnUpdateFolderNode)
  ON_UPDATE_COMMAND_UI(kAddToQueue, OnUpdateFolderNode)
  ON_UPDATE_COMMAND_UI(kCopy, OnUpdateFolderNode)
  ON_UPDATE_COMMAND_UI(kPaste, OnUpdatePaste)
END_MESSAGE_MAP()

// ---- update handlers ----

void CLocTrView::OnUpdateMakeFolder(CCmdUI* pCmdUI)
{
  HTREEITEM node = CommandNode();
  pCmdUI->Enable(node != nullptr && node != m_tree.GetRootItem());
}

void CLocTrView::OnUpdateFolderNode(CCmdUI* pCmdUI) { pCmdUI->Enable(IsFolderNode(CommandNode())); }

void CLocTrView::OnUpdatePaste(CCmdUI* pCmdUI)
{
  HTREEITEM node = CommandNode();
  pCmdUI->Enable(node != nullptr && node != m_tree.GetRootItem() && g_clipFormat != 0 &&
                 ::IsClipboardFormatAvailable(g_clipFormat));
}

bool CLocTrView::Confirm(int bit, UINT stringId)
{
  if (!IsOptionSet(bit))
    return true;
  return ShowConfirmDlg(this, stringId, (int)(1u << bit)) != IDCANCEL;
}

// ---- Make Folder and Rename ----

void CLocTrView::OnMakeFolder()
{
  HTREEITEM node = CommandNode();
  if (node == nullptr || node == m_tree.GetRootItem())
    return;
  if (HTREEITEM child = StartNewFolderEdit(&m_tree, node, 0)) {
    m_newFolderEdit = TRUE;
    m_editNode = child;
  }
}

void CLocTrView::OnRename()
{
  HTREEITEM node = CommandNode();
  if (!IsFolderNode(node))
    return;
  m_newFolderEdit = FALSE;
  m_editNode = node;
  m_tree.SetFocus();
  m_tree.EditLabel(node);
}

void CLocTrView::OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
  HTREEITEM item = reinterpret_cast<NMTVDISPINFOA*>(pNMHDR)->item.hItem;
  // The root and the top-level nodes keep their labels.
  if (!IsFolderNode(item)) {
    *pResult = TRUE;
    return;
  }
  m_editNode = item;
  *pResult = FALSE;
}

void CLocTrView::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
  *pResult = 0;
  const NMTVDISPINFOA* info = reinterpret_cast<NMTVDISPINFOA*>(pNMHDR);
  HTREEITEM item = info->item.hItem;
  const BOOL newFolder = m_newFolderEdit;
  m_newFolderEdit = FALSE;
  // The edited node went meanwhile (a re-listing): nothing to act on.
  if (item == nullptr || item != m_editNode)
    return;
  m_editNode = nullptr;
  CString text(info->item.pszText != nullptr ? info->item.pszText : "");
  text.Trim();
  HTREEITEM parent = m_tree.GetParentItem(item);
  if (newFolder)
    FinishNewFolder(item, parent, text);
  else if (info->item.pszText != nullptr)
    FinishRename(item, parent, text);
}

void CLocTrView::FinishNewFolder(HTREEITEM item, HTREEITEM parent, const CString& text)
{
  if (text.IsEmpty() || parent == nullptr || parent == m_tree.GetRootItem() ||
      !IsUsableFolderLabel(std::string(text))) {
    m_tree.DeleteItem(item);
    return;
  }
  const std::string full = JoinRowPath(std::string(NodePath(parent)), text, true);
  if (!::CreateDirectoryA(full.c_str(), nullptr)) {
    m_tree.DeleteItem(item);
    return;
  }
  m_tree.SetItemText(item, text);
  // Only the folder shown gets the row.
  CFileListCtrl* list = LocalList();
  if (list == nullptr || parent != m_tree.GetSelectedItem())
    return;
  list->InsertItem(0, text, kEntryFolder);
  list->SetItemText(0, 1, PayloadDateText().c_str());
  list->SetItemDisplayName(0, full.c_str());
  int image = 0, openImage = 0;
  if (m_tree.GetItemImage(item, image, openImage))
    list->SetItemImage(0, image);
}

void CLocTrView::FinishRename(HTREEITEM item, HTREEITEM parent, const CString& text)
{
  if (text.IsEmpty() || parent == nullptr || parent == m_tree.GetRootItem())
    return;
  const CString oldLabel = m_tree.GetItemText(item);
  const CString folder = NodePath(parent);
  const std::string newPath = JoinRowPath(std::string(folder), text, true);
  const std::string oldPath = JoinRowPath(std::string(folder), oldLabel, true);
  if (newPath == oldPath)
    return;
  // A label with path characters is refused like a rename the system refuses,
  // so nothing moves out of the folder.
  if (!IsUsableFolderLabel(std::string(text)) || !::MoveFileA(oldPath.c_str(), newPath.c_str())) {
    ShowConfirmDlgText(g_pMainFrame.load(), kRenameError, kConfirmModeError, TRUE);
    return;
  }
  if (parent == m_tree.GetSelectedItem()) {
    if (CFileListCtrl* list = LocalList()) {
      EntryRecord old = {};
      snprintf(old.m_name, sizeof old.m_name, "%s", (const char*)oldLabel);
      const int row = m_helper.FindListItem(list, &old);
      if (row >= 0) {
        list->SetItemDisplayName(row, newPath.c_str());
        list->SetItemText(row, 0, text);
      }
    }
  }
  m_tree.SetItemText(item, text);
}

// ---- Delete and Attributes ----

void CLocTrView::RemoveNodeAndRow(HTREEITEM node)
{
  HTREEITEM parent = m_tree.GetParentItem(node);
  if (parent == m_tree.GetSelectedItem()) {
    if (CFileListCtrl* list = LocalList()) {
      EntryRecord e = {};
      snprintf(e.m_name, sizeof e.m_name, "%s", (const char*)m_tree.GetItemText(node));
      const int row = m_helper.FindListItem(list, &e);
      if (row >= 0)
        list->DeleteItem(row);
    }
  }
  m_tree.DeleteItem(node);
}

void CLocTrView::OnDelete()
{
  HTREEITEM node = CommandNode();
  m_contextNode = nullptr;
  if (!IsFolderNode(node))
    return;
  const NodeKey key = m_helper.KeyOf(&m_tree, node);
  const std::string path(NodePath(node));
  if (!Confirm(OPTBIT_CONFIRM_DELETE_FILE, IDS_CONFIRM_DELETE_SELECTION))
    return;
  // The box pumped messages: a relist may have deleted the node and given its
  // handle to another. The folder is found again by what it stands for.
  node = m_helper.FindByKey(&m_tree, key);
  if (node == nullptr || std::string(NodePath(node)) != path)
    return;
  std::string from = path;
  from.append(2, '\0');
  SHFILEOPSTRUCTA op = {};
  op.hwnd = m_hWnd;
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_SIMPLEPROGRESS | FOF_ALLOWUNDO | FOF_NOCONFIRMATION;
  op.lpszProgressTitle = "ZARN specific File-Delete Tool";
  ShellFileOperation(&op);
  // Whatever the shell answered (a cancel, a locked file, a partial delete),
  // the tree shows what is on disk.
  if (Gone(path.c_str())) {
    RemoveNodeAndRow(node);
    return;
  }
  Relist(m_tree.GetParentItem(node));
}

void CLocTrView::OnAttributes()
{
  HTREEITEM node = CommandNode();
  if (node == nullptr)
    return;
  if (node == m_tree.GetRootItem()) {
    ShowConfirmDlg(this, IDS_NO_RECEIVING_PATH, kConfirmModeError);
    return;
  }
  ShowShellProperties(NodePath(node), m_hWnd);
}

// ---- the context menu ----

void CLocTrView::OnTreeRClick(NMHDR*, LRESULT* pResult)
{
  *pResult = 0;
  CPoint screen;
  HTREEITEM node = ContextMenuNode(m_tree, &screen);
  if (node == nullptr || node == m_tree.GetRootItem()) {
    m_contextMenu.DestroyMenu();
    m_contextNode = nullptr;
    return;
  }
  RunContextMenu(node, screen);
}

void CLocTrView::RunContextMenu(HTREEITEM node, CPoint screen)
{
  static const ContextMenuItem kTopLevel[] = {{kBack, "&Back"},
                                              {0, nullptr},
                                              {kMakeFolder, "Make &Folder"},
                                              {kPaste, "&Paste\tCtrl+V"},
                                              {0, nullptr},
                                              {kAttributes, "&Attribute.."},
                                              {kRefresh, "&Refresh"}};
  static const ContextMenuItem kFolder[] = {{kBack, "&Back"},
                                            {0, nullptr},
                                            {kView, "&View"},
                                            {kMakeFolder, "Make &Folder"},
                                            {0, nullptr},
                                            {kAddToQueue, "Add to &Queue\tF6"},
                                            {0, nullptr},
                                            {kCopy, "&Copy\tCTRL+C"},
                                            {kPaste, "&Paste\tCtrl+V"},
                                            {0, nullptr},
                                            {kDelete, "&Delete\tShift+Del"},
                                            {kRename, "Re&name"},
                                            {kAttributes, "&Attribute.."},
                                            {0, nullptr},
                                            {kRefresh, "&Refresh"}};
  m_contextNode = node;
  CMenu* popup = IsFolderNode(node)
                      ? BuildContextPopup(m_contextMenu, kFolder, sizeof kFolder / sizeof kFolder[0], this)
                      : BuildContextPopup(m_contextMenu, kTopLevel, sizeof kTopLevel / sizeof kTopLevel[0], this);
  const UINT chosen = TrackContextPopup(m_contextMenu, popup, screen, this);
  // Through the message map, with the context node set.
  if (chosen != 0)
    SendMessage(WM_COMMAND, chosen, 0);
  m_contextNode = nullptr;
}
