// The server trees' drag and drop: a folder node dragged out as a payload, and
// a payload dropped onto a site or folder node handed to the paste between
// server panes. The root is never a target, and neither is a folder of the
// payload itself or any folder below it.
#include <cstring>

#include "engine/confirmdlg.h"
#include "engine/dragpayload.h"
#include "engine/engineres.h"
#include "shell/settings/settings.h"
#include "toolkit/clipboard.h"
#include "views/payloadtransfer.h"
#include "views/sertreeview.h"

namespace {

const char kPasteIntoItselfText[] = "Can't paste because the target path is the same as the source path";

}  // namespace

void CSerTrViewBase::OnBeginDrag(NMHDR* pNMHDR, LRESULT* pResult)
{
  *pResult = 0;
  HTREEITEM node = reinterpret_cast<NMTREEVIEW*>(pNMHDR)->itemNew.hItem;
  HTREEITEM root = m_tree.GetRootItem();
  HTREEITEM parent = node != nullptr ? m_tree.GetParentItem(node) : nullptr;
  // Folders only; a site node or the root starts no drag and leaves nothing set.
  if (node == nullptr || node == root || parent == nullptr || parent == root)
    return;
  int siteIndex = -1;
  const CString parentPath = m_helper.GetItemPath(&m_tree, parent, &siteIndex, FALSE);
  const CString name = m_tree.GetItemText(node);
  PayloadRow row = {name, 0, kEntryFolder};
  m_dragNode = node;
  DragPayloadRows(&row, 1, siteIndex, parentPath, this);
  m_dragNode = nullptr;
}

BOOL CSerTrViewBase::OnDrop(COleDataObject* pDataObject, DROPEFFECT, CPoint)
{
  const int result = DropEntries(pDataObject);
  m_dropNode = nullptr;
  m_tree.SelectDropTarget(nullptr);
  return result != 0;
}

int CSerTrViewBase::DropEntries(COleDataObject* pDataObject)
{
  HGLOBAL block = pDataObject != nullptr ? pDataObject->GetGlobalData((CLIPFORMAT)g_clipFormat) : nullptr;
  if (block == nullptr)
    return 0;
  // The data object owns the block: only locked and unlocked here.
  void* data = ::GlobalLock(block);
  if (data == nullptr)
    return 0;
  const size_t size = ::GlobalSize(block);
  int result = 0;
  DragPayload payload;
  int count = 0;
  HTREEITEM target = m_dropNode;
  // Another process's block, or a damaged one, is not read further.
  const EntryRecord* entries = ValidateDragPayload(data, size, (uint32_t)::GetCurrentProcessId(), &payload, &count);
  if (entries != nullptr && target != nullptr && target != m_tree.GetRootItem() &&
      (!IsOptionSet(OPTBIT_CONFIRM_DROP) ||
       ShowConfirmDlg(this, IDS_CONFIRM_DROP, 1 << OPTBIT_CONFIRM_DROP) == IDOK) &&
      target == m_dropNode) {
    int siteIndex = -1;
    const CString path = m_helper.GetItemPath(&m_tree, target, &siteIndex, FALSE);
    DragPayload* out = static_cast<DragPayload*>(data);
    if (TargetInsideSource(payload, siteIndex, path)) {
      ShowConfirmDlgText(this, kPasteIntoItselfText, kConfirmModeError, TRUE);
    } else if (!SetPayloadPath(out->m_targetPath, path)) {
      ShowPathTooLong(this, std::string(path));
    } else {
      out->m_target = siteIndex;
      if (count > 0)
        const_cast<EntryRecord*>(entries)[0].m_node = target;
      result = PasteBetweenServerPanes(m_pane.paneFlag, target, data, size) != 0 ? 1 : 0;
    }
  }
  ::GlobalUnlock(block);
  return result;
}
