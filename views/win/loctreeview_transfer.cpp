// CLocTrView: entries moved in and out: Copy, Paste, drag and drop, the local
// copy through the shell, and Add To Queue (an upload to the first server
// pane's folder).
#include <algorithm>
#include <cstdio>

#include "engine/confirmdlg.h"
#include "engine/launchers.h"
#include "engine/planitem.h"
#include "engine/planthread.h"
#include "engine/progthread.h"
#include "engine/shellseam.h"
#include "engine/viewslots.h"
#include "shell/doc/zarndoc.h"
#include "shell/settings/settings.h"
#include "toolkit/clipboard.h"
#include "views/loctreerules.h"
#include "views/localupload.h"
#include "views/loctreeview.h"
#include "views/payloadtransfer.h"

namespace {

const char kPasteIntoItself[] = "Can't paste because the target path is the same as the source path";

template <size_t N>
void CopyText(char (&field)[N], const char* text)
{
  snprintf(field, N, "%s", text != nullptr ? text : "");
}

std::string WithoutTrailingSeparator(const char* path)
{
  std::string p(path != nullptr ? path : "");
  while (!p.empty() && p.back() == '\\')
    p.pop_back();
  return p;
}

}  // namespace

// ---- Copy, Paste and the shell's copy ----

void CLocTrView::OnCopy()
{
  HTREEITEM node = CommandNode();
  if (!IsFolderNode(node))
    return;
  const CString label = m_tree.GetItemText(node);
  const CString parentPath = NodePath(m_tree.GetParentItem(node));
  const PayloadRow row = {label, 0, kEntryFolder};
  CopyPayloadRows(&row, 1, kPayloadLocalSite, parentPath, this);
}

void CLocTrView::OnPaste()
{
  HTREEITEM node = CommandNode();
  if (node == nullptr || node == m_tree.GetRootItem() || m_tree.GetParentItem(node) == nullptr)
    return;
  PasteOnto(node);
}

int CLocTrView::PasteOnto(HTREEITEM node)
{
  HTREEITEM selected = m_tree.GetSelectedItem();
  if (node == nullptr || node == m_tree.GetRootItem() || !Confirm(OPTBIT_CONFIRM_PASTE, IDS_CONFIRM_PASTE))
    return 0;
  // The box pumped messages: a selection changed meanwhile may have taken the node.
  if (m_tree.GetSelectedItem() != selected)
    return 0;
  DragPayload payload;
  int count = 0;
  // A payload of another process or a damaged one reads as nothing.
  if (ReadClipboardPayload(&payload, &count, this) == nullptr || count <= 0)
    return 0;
  return DeliverPayload(payload, count, node);
}

int CLocTrView::DeliverPayload(DragPayload& payload, int count, HTREEITEM node)
{
  int registered = 0;
  EntryRecord* entries = ResolvePayloadEntries(payload.m_entries, &registered);
  if (entries == nullptr || count <= 0 || node == nullptr || node == m_tree.GetRootItem())
    return 0;
  const CString target = NodePath(node);
  payload.m_target = kPayloadLocalSite;
  if (!SetPayloadPath(payload.m_targetPath, target)) {
    ShowPathTooLong(this, std::string(target));
    return 0;
  }
  entries[0].m_node = node;
  if (payload.m_source == kPayloadLocalSite)
    return CopyLocalEntries(payload, count) ? 1 : 0;
  if (TargetInsideSource(payload, kPayloadLocalSite, payload.m_targetPath)) {
    ShowConfirmDlgText(this, kPasteIntoItself, kConfirmModeError, TRUE);
    return 0;
  }
  return PasteBetweenServerPanes(1, node, &payload, sizeof payload);
}

BOOL CLocTrView::CopyLocalEntries(DragPayload& payload, int count)
{
  int registered = 0;
  const EntryRecord* entries = ResolvePayloadEntries(payload.m_entries, &registered);
  if (entries == nullptr || count <= 0)
    return FALSE;
  count = std::min(count, registered);
  const std::string source = WithoutTrailingSeparator(payload.m_sourcePath);
  const std::string target = WithoutTrailingSeparator(payload.m_targetPath);
  if (source.empty() || target.empty() || CString(source.c_str()).CompareNoCase(target.c_str()) == 0)
    return FALSE;
  if (TargetInsideSource(payload, kPayloadLocalSite, payload.m_targetPath)) {
    ShowConfirmDlgText(this, kPasteIntoItself, kConfirmModeError, TRUE);
    return FALSE;
  }
  // Full paths: the process's current folder is everyone's and stays as it is.
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i)
    if (IsValidTransferName(entries[i].m_name))
      names.push_back(entries[i].m_name);
  if (names.empty())
    return FALSE;
  const std::string from = BuildShellFileList(source, names);
  std::string to = payload.m_targetPath;
  to.append(2, '\0');
  SHFILEOPSTRUCTA op = {};
  op.hwnd = m_hWnd;
  op.wFunc = FO_COPY;
  op.pFrom = from.c_str();
  op.pTo = to.c_str();
  op.fFlags = FOF_SIMPLEPROGRESS | FOF_NOCONFIRMATION;
  op.lpszProgressTitle = "ZARN specific File-Copy Tool";
  const int result = ShellFileOperation(&op);
  // The target's listing shows what arrived, also after a failure.
  HTREEITEM node = static_cast<HTREEITEM>(entries[0].m_node);
  if (node != nullptr && node == m_tree.GetSelectedItem())
    Relist(node);
  return result == 0 && !op.fAnyOperationsAborted;
}

// ---- drag and drop ----

void CLocTrView::OnBeginDrag(NMHDR* pNMHDR, LRESULT* pResult)
{
  *pResult = 0;
  HTREEITEM node = reinterpret_cast<NMTREEVIEWA*>(pNMHDR)->itemNew.hItem;
  if (!IsFolderNode(node))
    return;
  m_dragNode = node;
  const CString label = m_tree.GetItemText(node);
  const CString parentPath = NodePath(m_tree.GetParentItem(node));
  const PayloadRow row = {label, 0, kEntryFolder};
  DragPayloadRows(&row, 1, kPayloadLocalSite, parentPath, this);
  m_dragNode = nullptr;
}

BOOL CLocTrView::OnDrop(COleDataObject* pDataObject, DROPEFFECT, CPoint)
{
  const int result = DropEntries(pDataObject);
  m_dropNode = nullptr;
  m_tree.SelectDropTarget(nullptr);
  return result != 0;
}

int CLocTrView::DropEntries(COleDataObject* pDataObject)
{
  DragPayload payload;
  int count = 0;
  if (ReadDroppedPayload(pDataObject, &payload, &count) == nullptr || count <= 0 || m_dropNode == nullptr)
    return 0;
  HTREEITEM target = m_dropNode;
  // The box pumps messages: the target must still be the one the drag chose.
  if (!Confirm(OPTBIT_CONFIRM_DROP, IDS_CONFIRM_DROP) || target != m_dropNode)
    return 0;
  DeliverPayload(payload, count, target);
  return 1;
}

// ---- Add To Queue ----

void CLocTrView::OnAddToQueue()
{
  HTREEITEM node = CommandNode();
  // The first server pane's selected folder receives it.
  CString remotePath;
  CSiteItem* site = IsFolderNode(node) ? FirstPaneFolder(&remotePath) : nullptr;
  if (site == nullptr) {
    ShowConfirmDlg(this, IDS_NO_RECEIVING_PATH, kConfirmModeError);
    return;
  }
  if (!Confirm(OPTBIT_CONFIRM_UPLOAD, IDS_CONFIRM_UPLOAD))
    return;
  PostUploads({NewUploadItem(*site, NodePath(m_tree.GetParentItem(node)), remotePath, m_tree.GetItemText(node),
                             kEntryFolder, 0)});
}
