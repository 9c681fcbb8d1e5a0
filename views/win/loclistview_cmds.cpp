// CLocLiView: the command table with its enabling rules, the commands that act
// on the disk (View, Make Folder, Rename, Delete, Attribute), the selection
// commands, Add to Queue and the two context menus.
#include "engine/confirmdlg.h"
#include "engine/dragpayload.h"
#include "engine/planitem.h"
#include "engine/shellseam.h"
#include "engine/siteitem.h"
#include "shell/settings/settings.h"
#include "toolkit/clipboard.h"
#include "views/contextmenu.h"
#include "views/localupload.h"
#include "views/loclistview.h"
#include "views/loctreerules.h"
#include "views/loctreeview.h"
#include "views/maskselectdlg.h"
#include "views/viewcmds.h"

namespace {

using namespace viewcmd;
const ContextMenuItem kNoRow[] = {{kBack, "&Back"},
                       {0, nullptr},
                       {kMakeFolder, "Make &Folder"},
                       {0, nullptr},
                       {kPaste, "&Paste\tCtrl+V"},
                       {0, nullptr},
                       {kSelectAll, "&Select all\tCtrl+L"},
                       {kInvert, "&Invert Selection\tCtrl+I"},
                       {0, nullptr},
                       {kRefresh, "&Refresh"}};

const ContextMenuItem kRow[] = {{kBack, "&Back"},
                     {0, nullptr},
                     {kMakeFolder, "Make &Folder"},
                     {0, nullptr},
                     {kView, "&View"},
                     {0, nullptr},
                     {kAddToQueue, "Add to Queue\tF6"},
                     {0, nullptr},
                     {kCopy, "&Copy\tCtrl+C"},
                     {kPaste, "&Paste\tCtrl+V"},
                     {0, nullptr},
                     {kMaskSelect, "&Mask Select"},
                     {kSelectAll, "&Select all\tCtrl+L"},
                     {kInvert, "&Invert Selection\tCtrl+I"},
                     {0, nullptr},
                     {kDelete, "&Delete\tShift+Del"},
                     {0, nullptr},
                     {kRename, "Re&name"},
                     {kAttributes, "&Attribute"},
                     {0, nullptr},
                     {kRefresh, "&Refresh"}};

}  // namespace

BEGIN_MESSAGE_MAP(CLocLiView, CFileListView)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_NOTIFY(NM_RCLICK, kLocListId, OnRClick)
  ON_NOTIFY(NM_DBLCLK, kLocListId, OnDblClk)
  ON_NOTIFY(LVN_BEGINDRAG, kLocListId, OnBeginDrag)
  ON_NOTIFY(LVN_ENDLABELEDITA, kLocListId, OnEndLabelEdit)
  ON_COMMAND(kView, OnView)
  ON_COMMAND(kMakeFolder, OnMakeFolder)
  ON_COMMAND(kRename, OnRename)
  ON_COMMAND(kRefresh, OnRefresh)
  ON_COMMAND(kDelete, OnDelete)
  ON_COMMAND(kAttributes, OnAttribute)
  ON_COMMAND(kSelectAll, OnSelectAll)
  ON_COMMAND(kInvert, OnInvertSelection)
  ON_COMMAND(kCopy, OnCopy)
  ON_COMMAND(kPaste, OnPaste)
  ON_COMMAND(kBack, OnBack)
  ON_COMMAND(kAddToQueue, OnAddToQueue)
  ON_COMMAND(kMaskSelect, OnMaskSelect)
  ON_UPDATE_COMMAND_UI(kView, OnUpdateFolderOne)
  ON_UPDATE_COMMAND_UI(kMakeFolder, OnUpdateFolder)
  ON_UPDATE_COMMAND_UI(kRename, OnUpdateFolderOne)
  ON_UPDATE_COMMAND_UI(kRefresh, OnUpdateAlways)
  ON_UPDATE_COMMAND_UI(kDelete, OnUpdateFolderSome)
  ON_UPDATE_COMMAND_UI(kAttributes, OnUpdateFolder)
  ON_UPDATE_COMMAND_UI(kSelectAll, OnUpdateFolder)
  ON_UPDATE_COMMAND_UI(kInvert, OnUpdateFolder)
  ON_UPDATE_COMMAND_UI(kCopy, OnUpdateFolderSome)
  ON_UPDATE_COMMAND_UI(kPaste, OnUpdatePaste)
  ON_UPDATE_COMMAND_UI(kBack, OnUpdateAlways)
  ON_UPDATE_COMMAND_UI(kAddToQueue, OnUpdateFolderSome)
  ON_UPDATE_COMMAND_UI(kMaskSelect, OnUpdateFolder)
END_MESSAGE_MAP()

// ---- enabling rules ----

void CLocLiView::OnUpdateFolder(CCmdUI* pCmdUI) { pCmdUI->Enable(ShowsFolder()); }

void CLocLiView::OnUpdateFolderOne(CCmdUI* pCmdUI) { pCmdUI->Enable(ShowsFolder() && m_list.GetSelectedCount() == 1); }

void CLocLiView::OnUpdateFolderSome(CCmdUI* pCmdUI) { pCmdUI->Enable(ShowsFolder() && m_list.GetSelectedCount() > 0); }

void CLocLiView::OnUpdateAlways(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }

void CLocLiView::OnUpdatePaste(CCmdUI* pCmdUI)
{
  const bool offered = g_clipFormat != 0 && ::IsClipboardFormatAvailable(g_clipFormat);
  pCmdUI->Enable(offered && (ShowsFolder() || (ShowsDrives() && m_list.GetSelectedCount() == 1)));
}

// ---- View, Back, Refresh ----

void CLocLiView::OnView()
{
  const std::vector<int> rows = SelectedRows();
  CTreeCtrl* tree = TreeCtrl();
  if (!ShowsFolder() || rows.size() != 1 || tree == nullptr)
    return;
  if (m_list.GetItemKind(rows[0]) == kRowFile) {
    OpenWithShell(RowPath(rows[0]), SW_SHOWNORMAL);
    return;
  }
  HTREEITEM node = RowNode(rows[0]);
  if (node == nullptr)
    return;
  tree->SetRedraw(FALSE);
  tree->SelectItem(node);
  tree->SetRedraw(TRUE);
  tree->Invalidate();
}

void CLocLiView::OnBack()
{
  CTreeCtrl* tree = TreeCtrl();
  HTREEITEM node = SelectedNode();
  if (tree == nullptr || node == nullptr || node == tree->GetRootItem())
    return;
  HTREEITEM parent = tree->GetParentItem(node);
  tree->SetRedraw(FALSE);
  tree->SelectItem(parent);
  tree->EnsureVisible(parent);
  tree->SetRedraw(TRUE);
  tree->Invalidate();
}

void CLocLiView::OnRefresh() { Relist(); }

// ---- Make Folder and Rename ----

void CLocLiView::OnMakeFolder()
{
  if (!ShowsFolder())
    return;
  const int row = BeginNewFolderRow(PayloadDateText().c_str());
  // The folder icon by attributes: the folder does not exist yet.
  int image = 0;
  if (row >= 0 && GetShellIconIndexByName("folder", &image, nullptr, kRowFolder))
    m_list.SetItemImage(row, image);
}

void CLocLiView::OnRename()
{
  const std::vector<int> rows = SelectedRows();
  if (!ShowsFolder() || rows.size() != 1)
    return;
  m_newFolderEdit = FALSE;
  m_list.SetFocus();
  m_list.EditLabel(rows[0]);
}

// ---- Delete and Attribute ----

void CLocLiView::OnDelete()
{
  const std::vector<ChosenRow> chosen = ChosenRows();
  const CString folder = FolderPath();
  // Never the drives themselves.
  if (chosen.empty() || !ShowsFolder()) {
    Refuse(IDS_SELECTION_ERROR);
    return;
  }
  if (!Confirm(OPTBIT_CONFIRM_DELETE_FILE, IDS_CONFIRM_DELETE_SELECTION))
    return;
  // The box pumped messages: the entries chosen are found again by name, in
  // the folder they were chosen in.
  const std::vector<int> rows = RowsNow(chosen);
  if (rows.empty() || FolderPath() != folder)
    return;
  std::vector<std::string> paths;
  for (int row : rows)
    paths.push_back(std::string(RowPath(row)));
  // One list of any length, so every path is deleted in one operation, however
  // long the paths are.
  const std::string from = BuildShellPathList(paths);
  SHFILEOPSTRUCTA op = {};
  op.hwnd = nullptr;
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SIMPLEPROGRESS;
  op.lpszProgressTitle = "Zarn specific File-Delete Tool";
  ShellFileOperation(&op);
  // Whatever the shell answered (a failure part-way, a cancel), the list shows
  // what is on disk now.
  Relist();
}

void CLocLiView::OnAttribute()
{
  if (ShowsDrives()) {
    Refuse(IDS_SELECTION_ERROR);
    return;
  }
  const std::vector<int> rows = SelectedRows();
  if (!ShowsFolder() || rows.empty())
    return;
  ShowShellProperties(RowPath(rows[0]), m_hWnd);
}

// ---- the selection ----

void CLocLiView::OnSelectAll()
{
  if (ShowsFolder())
    m_list.SelectAll();
}

void CLocLiView::OnInvertSelection()
{
  if (ShowsFolder())
    m_list.InvertSelection();
}

void CLocLiView::OnMaskSelect()
{
  if (ShowsFolder())
    RunMaskSelect(m_list);
}

// ---- Add to Queue ----

void CLocLiView::OnAddToQueue()
{
  CString remotePath;
  CSiteItem* site = ShowsFolder() ? FirstPaneFolder(&remotePath) : nullptr;
  if (site == nullptr) {
    Refuse(IDS_NO_RECEIVING_PATH);
    return;
  }
  const std::vector<ChosenRow> chosen = ChosenRows();
  const CString localFolder = FolderPath();
  if (chosen.empty())
    return;
  if (!Confirm(OPTBIT_CONFIRM_UPLOAD, IDS_CONFIRM_UPLOAD))
    return;
  // The box pumped messages: the folders and the rows are read again.
  site = ShowsFolder() ? FirstPaneFolder(&remotePath) : nullptr;
  const std::vector<int> rows = RowsNow(chosen);
  if (site == nullptr || rows.empty() || FolderPath() != localFolder)
    return;
  site->m_queueRun = 1;
  std::vector<CPlanItem*> items;
  for (int row : rows) {
    const int kind = m_list.GetItemKind(row);
    items.push_back(NewUploadItem(*site, localFolder, remotePath, m_list.GetItemText(row, 0), kind,
                                  kind == kRowFile ? (int64_t)m_list.GetItemSize(row) : 0));
  }
  PostUploads(items);
}

// ---- the context menu ----

void CLocLiView::OnRClick(NMHDR*, LRESULT* pResult)
{
  *pResult = 0;
  CPoint screen;
  ::GetCursorPos(&screen);
  RunContextMenu(screen);
}

void CLocLiView::RunContextMenu(CPoint screen)
{
  m_contextMenu.DestroyMenu();
  if (!ShowsFolder())
    return;
  CPoint at = screen;
  ScreenToClient(&at);
  CMenu* popup = RowAt(at) >= 0 ? BuildContextPopup(m_contextMenu, kRow, sizeof kRow / sizeof kRow[0], this)
                                : BuildContextPopup(m_contextMenu, kNoRow, sizeof kNoRow / sizeof kNoRow[0], this);
  const UINT chosen = TrackContextPopup(m_contextMenu, popup, screen, this);
  if (chosen != 0)
    SendMessage(WM_COMMAND, chosen, 0);
}
