// CLocLiView: creation, the tree and the rows it stands for, double click,
// new folders and renames typed into a row, and entries moved in and out:
// the drag, Copy, Paste and drops onto the list.
#include "views/loclistview.h"

#include <cstdio>

#include "engine/confirmdlg.h"
#include "engine/confirmtext.h"
#include "engine/progthread.h"
#include "engine/shellseam.h"
#include "engine/viewslots.h"
#include "shell/settings/settings.h"
#include "toolkit/clipboard.h"
#include "views/loctreeview.h"
#include "views/payloadtransfer.h"
#include "views/serlistview.h"
#include "views/viewpaths.h"

const char kCreateFolderFailedText[] = "Create directory failed!";
const char kRenameFailedText[] = "Rename failed ,";


namespace {

const char kColumns[] = "Name(Local),150;Date,150;Size,150;Attribute,120";
// Stored order of the colours: local tree, local list, remote trees, remote lists.
constexpr int kLocalListColor = 1;

const FileListSpec kSpec = {kLocListId, kColumns, kLocalListColor, TRUE, kListOfLocTree};

// The name the disk gave an entry just made or renamed (the system may drop
// trailing blanks and dots); the typed one when it cannot be read back.
CString NameOnDisk(const std::string& path, const CString& typed)
{
  WIN32_FIND_DATAA found;
  HANDLE find = ::FindFirstFileA(path.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE)
    return typed;
  ::FindClose(find);
  return CString(found.cFileName);
}

}  // namespace

IMPLEMENT_DYNCREATE(CLocLiView, CFileListView)

CLocLiView::CLocLiView() : CFileListView(kSpec) {}

CLocLiView::~CLocLiView()
{
  CWnd* self = this;
  g_pLocLiView.compare_exchange_strong(self, nullptr);
}

int CLocLiView::OnCreate(LPCREATESTRUCT lpcs)
{
  if (CFileListView::OnCreate(lpcs) == -1)
    return -1;
  g_pLocLiView = this;
  return 0;
}

void CLocLiView::OnDestroy()
{
  CWnd* self = this;
  g_pLocLiView.compare_exchange_strong(self, nullptr);
  CFileListView::OnDestroy();
}

// ---- the tree and the rows ----

CLocTrView* CLocLiView::Tree() const { return DYNAMIC_DOWNCAST(CLocTrView, g_pLocTrView.load()); }

CTreeCtrl* CLocLiView::TreeCtrl() const
{
  CLocTrView* tree = Tree();
  return tree != nullptr && tree->GetTreeCtrl().m_hWnd != nullptr ? &tree->GetTreeCtrl() : nullptr;
}

HTREEITEM CLocLiView::SelectedNode() const
{
  CTreeCtrl* tree = TreeCtrl();
  return tree != nullptr ? tree->GetSelectedItem() : nullptr;
}

bool CLocLiView::ShowsDrives() const
{
  CTreeCtrl* tree = TreeCtrl();
  return tree != nullptr && tree->GetSelectedItem() != nullptr && tree->GetSelectedItem() == tree->GetRootItem();
}

bool CLocLiView::ShowsFolder() const
{
  CTreeCtrl* tree = TreeCtrl();
  return tree != nullptr && tree->GetSelectedItem() != nullptr && tree->GetSelectedItem() != tree->GetRootItem();
}

CString CLocLiView::FolderPath() const
{
  CLocTrView* tree = Tree();
  return tree != nullptr && ShowsFolder() ? tree->NodePath(SelectedNode()) : CString();
}

CString CLocLiView::RowPath(int row) const
{
  const CFileListItem* item = m_list.Row(row);
  if (item == nullptr)
    return CString();
  // From the folder and the name: the row's stored path is cut at its field's
  // width and could name another entry of a long folder.
  const CString folder = FolderPath();
  if (folder.IsEmpty())
    return CString(item->m_displayName);  // a drive row: its root path
  return CString(JoinRowPath(std::string(folder), item->m_name, true).c_str());
}

HTREEITEM CLocLiView::RowNode(int row)
{
  CTreeCtrl* tree = TreeCtrl();
  if (tree == nullptr || row < 0 || row >= m_list.GetItemCount() || m_list.GetItemKind(row) == kRowFile)
    return nullptr;
  return FindChildOfRow(tree, &m_list, row);
}

bool CLocLiView::Confirm(int bit, UINT stringId)
{
  if (!IsOptionSet(bit))
    return true;
  return ShowConfirmDlg(this, stringId, (int)(1u << bit)) != IDCANCEL;
}

void CLocLiView::Refuse(UINT stringId) { ShowConfirmDlg(this, stringId, kConfirmModeError); }

void CLocLiView::Relist()
{
  CTreeCtrl* tree = TreeCtrl();
  HTREEITEM node = SelectedNode();
  if (tree == nullptr || node == nullptr || node == tree->GetRootItem())
    return;
  tree->SetRedraw(FALSE);
  tree->SelectItem(tree->GetRootItem());
  tree->SelectItem(node);
  tree->SetRedraw(TRUE);
  tree->Invalidate();
}

// ---- double click and the end of a label edit ----

void CLocLiView::OnDblClk(NMHDR*, LRESULT* pResult)
{
  *pResult = 0;
  const std::vector<int> rows = SelectedRows();
  CTreeCtrl* tree = TreeCtrl();
  if (rows.size() != 1 || tree == nullptr)
    return;
  if (ShowsDrives())
    OpenRowInTree(tree, &m_list, rows[0]);
  else
    OnView();
}

void CLocLiView::OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
  // The list never takes the typed text itself: the code below renames the row.
  *pResult = FALSE;
  const LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(pNMHDR)->item;
  if (ShowsDrives()) {
    if (m_newFolderEdit)
      m_list.DeleteItem(EndNewFolderRow());
    if (item.pszText != nullptr)
      ShowConfirmDlgText(this, kDriveLetterText, kConfirmModeError, TRUE);
    return;
  }
  CString text(item.pszText != nullptr ? item.pszText : "");
  // Trailing blanks stay: they are part of the name as typed.
  text.TrimLeft(' ');
  if (m_newFolderEdit) {
    NewFolderEditEnded(text);
    return;
  }
  if (item.pszText != nullptr)
    RenameEnded(item.iItem, text);
}

void CLocLiView::NewFolderEditEnded(const CString& text)
{
  // The placeholder is found by its record: a refill during the edit took it
  // (then nothing is made).
  const int row = EndNewFolderRow();
  CLocTrView* treeView = Tree();
  CTreeCtrl* tree = TreeCtrl();
  HTREEITEM node = SelectedNode();
  if (row < 0)
    return;
  if (text.IsEmpty() || treeView == nullptr || !ShowsFolder()) {
    m_list.DeleteItem(row);
    return;
  }
  const std::string full = JoinRowPath(std::string(treeView->NodePath(node)), text, true);
  // A name with path characters would make a folder elsewhere: refused as the
  // system refuses a name.
  if (!HasOnlyNameCharacters(text) || !::CreateDirectoryA(full.c_str(), nullptr)) {
    m_list.DeleteItem(row);
    ShowConfirmDlgText(this, kCreateFolderFailedText, kConfirmModeError, TRUE);
    return;
  }
  CString name = NameOnDisk(full, text);
  const std::string path = JoinRowPath(std::string(treeView->NodePath(node)), name, true);
  CString label = name;
  HTREEITEM child = InsertTreeItem(node, tree, label, path.c_str(), TRUE);
  m_list.SetItemDisplayName(row, path.c_str());
  int image = 0, openImage = 0;
  if (child != nullptr && tree->GetItemImage(child, image, openImage))
    m_list.SetItemImage(row, image);
  m_list.SetItemText(row, 0, name);
  m_list.RedrawItems(row, row);
}

void CLocLiView::RenameEnded(int row, const CString& text)
{
  CLocTrView* treeView = Tree();
  CTreeCtrl* tree = TreeCtrl();
  if (text.IsEmpty() || treeView == nullptr || !ShowsFolder() || row < 0 || row >= m_list.GetItemCount())
    return;
  const CString oldName = m_list.GetItemText(row, 0);
  const std::string oldPath(RowPath(row));
  const std::string newPath = JoinRowPath(std::string(treeView->NodePath(SelectedNode())), text, true);
  if (newPath == oldPath)
    return;
  // A node of the folder: found before its row takes the new name.
  HTREEITEM node = RowNode(row);
  if (!HasOnlyNameCharacters(text) || !::MoveFileA(oldPath.c_str(), newPath.c_str())) {
    MessageBox(kRenameFailedText, "Error", MB_OK | MB_ICONERROR);
    return;
  }
  const CString name = NameOnDisk(newPath, text);
  const std::string path = JoinRowPath(std::string(treeView->NodePath(SelectedNode())), name, true);
  if (node != nullptr)
    tree->SetItemText(node, name);
  m_list.SetItemDisplayName(row, path.c_str());
  m_list.SetItemText(row, 0, name);
  m_list.RedrawItems(row, row);
}

// ---- the drag, Copy and Paste ----

std::vector<PayloadRow> CLocLiView::SelectedPayloadRows(std::vector<std::string>* names, HTREEITEM* firstFolder)
{
  const std::vector<int> selected = SelectedRows();
  names->clear();
  for (int row : selected)
    names->push_back(std::string(m_list.GetItemText(row, 0)));
  std::vector<PayloadRow> rows;
  *firstFolder = nullptr;
  for (size_t i = 0; i < selected.size(); ++i) {
    const int kind = m_list.GetItemKind(selected[i]);
    rows.push_back(PayloadRow{(*names)[i].c_str(), kind == kRowFile ? (int64_t)m_list.GetItemSize(selected[i]) : 0,
                              kind});
    if (kind != kRowFile && *firstFolder == nullptr)
      *firstFolder = RowNode(selected[i]);
  }
  return rows;
}

void CLocLiView::OnBeginDrag(NMHDR*, LRESULT* pResult)
{
  *pResult = 0;
  CLocTrView* tree = Tree();
  if (tree == nullptr || !ShowsFolder())
    return;
  std::vector<std::string> names;
  HTREEITEM firstFolder = nullptr;
  const std::vector<PayloadRow> rows = SelectedPayloadRows(&names, &firstFolder);
  // The tree's drop checks keep a folder out of itself.
  tree->m_dragNode = firstFolder;
  DragPayloadRows(rows.data(), (int)rows.size(), kPayloadLocalSite, FolderPath(), this);
  // The tree may have gone during the drag's own message loop.
  if (CLocTrView* still = Tree())
    still->m_dragNode = nullptr;
}

void CLocLiView::OnCopy()
{
  if (!ShowsFolder() || m_list.GetSelectedCount() == 0)
    return;
  std::vector<std::string> names;
  HTREEITEM firstFolder = nullptr;
  const std::vector<PayloadRow> rows = SelectedPayloadRows(&names, &firstFolder);
  CopyPayloadRows(rows.data(), (int)rows.size(), kPayloadLocalSite, FolderPath(), this);
}

void CLocLiView::OnPaste()
{
  CLocTrView* tree = Tree();
  HTREEITEM selected = SelectedNode();
  const std::vector<int> rows = SelectedRows();
  if (tree == nullptr || selected == nullptr || rows.size() > 1)
    return;
  // A folder or drive row is the target, else the folder shown.
  HTREEITEM target = selected;
  if (rows.size() == 1 && m_list.GetItemKind(rows[0]) != kRowFile)
    if (HTREEITEM node = RowNode(rows[0]))
      target = node;
  // Never the machine itself: it is no folder.
  if (target != tree->GetTreeCtrl().GetRootItem())
    tree->PasteOnto(target);
}

// ---- drops onto the list ----

DROPEFFECT CLocLiView::OnDragOver(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point)
{
  CLocTrView* tree = Tree();
  if (tree == nullptr)
    return DROPEFFECT_NONE;
  tree->m_dropNode = nullptr;
  if (g_clipFormat == 0 || !pDataObject->IsDataAvailable((CLIPFORMAT)g_clipFormat))
    return DROPEFFECT_NONE;
  ScrollAtDragEdges(point, dwKeyState);
  SetDropRow(-1);
  const int row = RowAt(point);
  HTREEITEM selected = SelectedNode();
  HTREEITEM target = nullptr;
  if (row < 0)
    target = ShowsFolder() ? selected : nullptr;
  else if (m_list.GetItemKind(row) == kRowFolder || m_list.GetItemKind(row) == kRowFolderLike)
    target = RowNode(row);
  else
    target = selected;
  if (target == nullptr || !tree->CanDropOn(target, 1))
    return DROPEFFECT_NONE;
  tree->m_dropNode = target;
  if (row >= 0)
    SetDropRow(row);
  return DROPEFFECT_COPY;
}

void CLocLiView::OnDragLeave()
{
  SetDropRow(-1);
  if (CLocTrView* tree = Tree())
    tree->m_dropNode = nullptr;
}

BOOL CLocLiView::OnDrop(COleDataObject* pDataObject, DROPEFFECT, CPoint)
{
  CLocTrView* tree = Tree();
  const int result = tree != nullptr ? tree->DropEntries(pDataObject) : 0;
  if (CLocTrView* still = Tree())
    still->m_dropNode = nullptr;
  SetDropRow(-1);
  return result != 0;
}
