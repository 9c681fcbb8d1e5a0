// The server lists' entries moved between panes: the drag out of the list,
// Copy and Paste through the private clipboard format, and drops onto the
// list, which pick the target node and leave the drop itself to the tree.
#include "engine/confirmdlg.h"
#include "engine/launchers.h"
#include "shell/settings/settings.h"
#include "toolkit/clipboard.h"
#include "views/payloadtransfer.h"
#include "views/serlistview.h"
#include "views/sertreeview.h"

bool CSerLiViewBase::BuildDragRows(std::vector<PayloadRow>* rows, std::vector<std::string>* names, int* site,
                                   CString* path)
{
  CSerTrViewBase* tree = Tree();
  if (tree == nullptr || !ShowsFolder() || !tree->NodePath(SelectedNode(), path, site))
    return false;
  const std::vector<int> selected = SelectedRows();
  names->clear();
  rows->clear();
  for (int row : selected)
    names->push_back(std::string(m_list.GetItemText(row, 0)));
  for (size_t i = 0; i < selected.size(); ++i) {
    const int kind = m_list.GetItemKind(selected[i]);
    const CFileListItem* r = m_list.Row(selected[i]);
    rows->push_back(PayloadRow{(*names)[i].c_str(), kind == kRowFile && r != nullptr ? r->m_size : 0, kind});
    if (kind != kRowFile && tree->m_dragNode == nullptr)
      tree->m_dragNode = RowNode(selected[i]);
  }
  return true;
}

void CSerLiViewBase::OnBeginDrag(UINT id, NMHDR*, LRESULT* pResult)
{
  *pResult = 0;
  CSerTrViewBase* tree = Tree();
  if (id != m_pane.listId || tree == nullptr || !ShowsFolder())
    return;
  std::vector<PayloadRow> rows;
  std::vector<std::string> names;
  int site = -1;
  CString path;
  tree->m_dragNode = nullptr;
  if (BuildDragRows(&rows, &names, &site, &path))
    DragPayloadRows(rows.data(), (int)rows.size(), site, path, this);
  // The tree may have gone during the drag's own message loop.
  if (CSerTrViewBase* still = Tree())
    still->m_dragNode = nullptr;
}

void CSerLiViewBase::CopySelection()
{
  CSerTrViewBase* tree = Tree();
  if (tree == nullptr || !ShowsFolder() || m_list.GetSelectedCount() == 0)
    return;
  std::vector<PayloadRow> rows;
  std::vector<std::string> names;
  int site = -1;
  CString path;
  HTREEITEM dragNode = tree->m_dragNode;
  if (BuildDragRows(&rows, &names, &site, &path))
    CopyPayloadRows(rows.data(), (int)rows.size(), site, path, this);
  tree->m_dragNode = dragNode;  // a copy is no drag
}

void CSerLiViewBase::OnPaste()
{
  CSerTrViewBase* tree = Tree();
  HTREEITEM selected = SelectedNode();
  const std::vector<int> rows = SelectedRows();
  if (tree == nullptr || selected == nullptr || rows.size() > 1)
    return;
  // A folder or site row is the target, else the folder shown.
  HTREEITEM target = selected;
  if (rows.size() == 1 && m_list.GetItemKind(rows[0]) != kRowFile)
    if (HTREEITEM node = RowNode(rows[0]))
      target = node;
  if (target == tree->GetTreeCtrl().GetRootItem())
    return;  // the root names no site
  CTreeCtrl* treeCtrl = &tree->GetTreeCtrl();
  const NodeKey targetKey = KeyOf(treeCtrl, target);
  const NodeKey selectedKey = KeyOf(treeCtrl, selected);
  if (!Confirm(OPTBIT_CONFIRM_PASTE, IDS_CONFIRM_PASTE))
    return;
  // The box pumped messages: the tree may be gone, and the nodes' handles may
  // name other folders now. Both are found again by what they stand for.
  tree = Tree();
  if (tree == nullptr || &tree->GetTreeCtrl() != treeCtrl)
    return;
  target = FindByKey(treeCtrl, targetKey);
  selected = FindByKey(treeCtrl, selectedKey);
  DragPayload payload;
  int count = 0;
  EntryRecord* entries = const_cast<EntryRecord*>(ReadClipboardPayload(&payload, &count, this));
  CString path;
  int site = -1;
  if (target == nullptr || entries == nullptr || count <= 0 || !tree->NodePath(target, &path, &site))
    return;
  if (!SetPayloadPath(payload.m_targetPath, path)) {
    ShowPathTooLong(this, std::string(path));
    return;
  }
  payload.m_target = site;
  entries[0].m_node = target != selected ? target : nullptr;
  PasteBetweenServerPanes(m_pane.paneFlag, target, &payload, sizeof payload);
}

// ---- drops onto the list ----

DROPEFFECT CSerLiViewBase::OnDragOver(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point)
{
  CSerTrViewBase* tree = Tree();
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
  else if (m_list.GetItemKind(row) != kRowFile)
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

void CSerLiViewBase::OnDragLeave()
{
  SetDropRow(-1);
  if (CSerTrViewBase* tree = Tree())
    tree->m_dropNode = nullptr;
}

BOOL CSerLiViewBase::OnDrop(COleDataObject* pDataObject, DROPEFFECT, CPoint)
{
  CSerTrViewBase* tree = Tree();
  const int result = tree != nullptr ? tree->DropEntries(pDataObject) : 0;
  if (CSerTrViewBase* still = Tree())
    still->m_dropNode = nullptr;
  SetDropRow(-1);
  return result != 0;
}
