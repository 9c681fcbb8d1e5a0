#include "shell/funcview/myplanlist.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <string>
#include <cstring>

#include "engine/engineutil.h"
#include "engine/shellseam.h"
#include "shell/funcview/funcviewres.h"
#include "shell/settings/settings.h"
#include "views/filerows.h"

IMPLEMENT_DYNCREATE(CMyPlanList, CSortListCtrl)

namespace {
// Items in the live queue list; workers read it from their threads.
std::atomic<int> g_queueItems{0};
}  // namespace

BOOL QueueHasItems()
{
  return g_queueItems.load() > 0 ? TRUE : FALSE;
}

BEGIN_MESSAGE_MAP(CMyPlanList, CSortListCtrl)
  ON_NOTIFY_REFLECT(LVN_GETDISPINFOA, OnGetDispInfo)
  ON_NOTIFY_REFLECT(LVN_COLUMNCLICK, OnColumnClick)
  ON_NOTIFY_REFLECT(NM_DBLCLK, OnDblClk)
  ON_WM_CHAR()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CMyPlanList::~CMyPlanList()
{
  // Normally emptied by OnDestroy; a list that never had a window still owns items.
  QueueFreeAll(m_items);
}

void CMyPlanList::Init()
{
  SubclassHeader();
  SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT);
  if (m_images.Create(IDB_QUEUE_STATUS, 16, 1, RGB(0xFF, 0x00, 0xFF)))
    SetImageList(&m_images, LVSIL_SMALL);
  SetColumns("Local Path,200;<->,30;Server,200;Remote Path,300;Name,200;Size,100;Status,100");
}

void CMyPlanList::Append(CPlanItem* item, bool moreComing)
{
  QueueInsert(m_items, -1, item);
  Changed(moreComing);
}

void CMyPlanList::Changed(bool moreComing)
{
  m_file.MarkDirty();
  g_queueItems.store(GetCount());
  if (GetSafeHwnd() == nullptr)
    return;
  // Appends and removals keep the scroll position and the selection's rows;
  // the rows' new texts show with the next repaint tick. Setting the control's
  // count lays out its header and scroll bars again, some ten window-system
  // round trips: a change that keeps the count (a tidy moving finished items
  // down) never sets it, and a run of appends (a folder queues its files one
  // notice each) sets it once, with its last.
  const int count = GetCount();
  const int shown = GetItemCount();
  if (count < shown || (count > shown && !moreComing))
    SetItemCountEx(count, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
  m_stale = true;
}

void CMyPlanList::RepaintIfStale()
{
  if (!m_stale || GetSafeHwnd() == nullptr)
    return;
  m_stale = false;
  if (GetItemCount() != GetCount())
    SetItemCountEx(GetCount(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
  Invalidate(FALSE);
}

std::vector<int> CMyPlanList::SelectedRows() const
{
  std::vector<int> rows;
  if (GetSafeHwnd() == nullptr)
    return rows;
  for (int i = GetNextItem(-1, LVNI_SELECTED); i >= 0; i = GetNextItem(i, LVNI_SELECTED))
    rows.push_back(i);
  return rows;
}

void CMyPlanList::SelectRows(const std::vector<int>& rows)
{
  SetItemState(-1, 0, LVIS_SELECTED);
  for (int r : rows)
    SetItemState(r, LVIS_SELECTED, LVIS_SELECTED);
}

void CMyPlanList::SelectOnly(int row)
{
  SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (row < 0 || row >= GetCount())
    return;
  SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  SetSelectionMark(row);
  EnsureVisible(row, FALSE);
}

void CMyPlanList::SetAllSelected(bool selected)
{
  SetItemState(-1, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

void CMyPlanList::InvertSelection()
{
  for (int i = 0; i < GetCount(); ++i)
    SetItemState(i, (GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED) != 0 ? 0 : LVIS_SELECTED, LVIS_SELECTED);
}

void CMyPlanList::RedrawItem(const CPlanItem* item)
{
  if (item != nullptr)
    m_stale = true;
}

bool CMyPlanList::FlushQueueFile()
{
  return m_file.Flush(g_queueFilePath, m_items, IsOptionSet(OPTBIT_DROP_FINISHED));
}

QueueFileLoad CMyPlanList::LoadQueueFileNow()
{
  QueueFreeAll(m_items);
  const QueueFileLoad result = LoadQueueFile(g_queueFilePath, m_items);
  Changed();
  // A file that loaded as it is needs no write; a damaged one was moved aside
  // and the queue is written anew.
  if (result == QueueFileLoad::kLoaded || result == QueueFileLoad::kMissing || result == QueueFileLoad::kEmpty) {
    QueueFileState clean;
    m_file = clean;
  }
  return result;
}

void CMyPlanList::SortBy(int column)
{
  if (column < 0 || column > 6)
    return;
  m_sortColumn = column;
  m_sortAscending = !m_sortAscending;
  g_sortColumn = column;
  g_sortAscending = m_sortAscending;
  SetSortColumn(column, m_sortAscending);
  if (GetCount() >= 2) {
    QueueTakeBackHandOver(QueueHandOver());  // the picks made ahead follow the old order
    QueueSort(m_items, column, m_sortAscending != FALSE);
    m_file.MarkDirty();
  }
  Invalidate(FALSE);
}

void CMyPlanList::OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult)
{
  *pResult = 0;
  LV_DISPINFOA* info = reinterpret_cast<LV_DISPINFOA*>(pNMHDR);
  LVITEMA& lv = info->item;
  const CPlanItem* item = GetPlanItem(lv.iItem);
  if (item == nullptr)
    return;
  const int32_t status = StatusOf(item);
  if ((lv.mask & LVIF_IMAGE) != 0)
    lv.iImage = status >= 0 && status <= 4 ? status : 0;
  if ((lv.mask & LVIF_TEXT) == 0 || lv.pszText == nullptr || lv.cchTextMax <= 0)
    return;
  const char* text = "";
  switch (lv.iSubItem) {
    case 0: text = item->m_localPath; break;
    case 1: text = item->m_direction; break;
    case 2: text = item->m_host; break;
    case 3: text = item->m_remotePath; break;
    case 4: text = item->m_fileName; break;
    case 5:
      m_cellText = FormatThousands(static_cast<uint64_t>(item->m_fileSize > 0 ? item->m_fileSize : 0));
      text = m_cellText;
      break;
    case 6: text = QueueStatusText(status); break;
    default: break;
  }
  std::snprintf(lv.pszText, static_cast<size_t>(lv.cchTextMax), "%s", text);
}

void CMyPlanList::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult)
{
  SortBy(reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iSubItem);
  *pResult = 0;
}

void CMyPlanList::OnDblClk(NMHDR*, LRESULT* pResult)
{
  *pResult = 0;
  const int row = GetNextItem(-1, LVNI_FOCUSED);
  const CPlanItem* item = GetPlanItem(row >= 0 ? row : GetNextItem(-1, LVNI_SELECTED));
  if (item == nullptr || StatusOf(item) != PLAN_FINISHED)
    return;
  std::string path = item->m_localPath;
  path += "\\";
  path += item->m_fileName;
  OpenWithShell(path.c_str(), SW_SHOWNORMAL);
}

void CMyPlanList::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
  if (nChar <= ' ' || nChar > 0xFF) {
    CSortListCtrl::OnChar(nChar, nRepCnt, nFlags);
    return;
  }
  const int n = GetCount();
  if (n == 0)
    return;
  const int current = GetNextItem(-1, LVNI_FOCUSED);
  const int lower = std::tolower(static_cast<unsigned char>(nChar));
  for (int step = 1; step <= n; ++step) {
    const int row = ((current < 0 ? -1 : current) + step) % n;
    const CPlanItem* item = GetPlanItem(row);
    if (item != nullptr && std::tolower(static_cast<unsigned char>(item->m_fileName[0])) == lower) {
      SelectOnly(row);
      return;
    }
  }
}

void CMyPlanList::OnDestroy()
{
  // The last write: whatever changed since the timer's.
  m_file.MarkDirty();
  FlushQueueFile();
  QueueTakeBackHandOver(QueueHandOver());  // no worker may take an item freed here
  QueueFreeAll(m_items);
  g_queueItems.store(0);
  CSortListCtrl::OnDestroy();
}
