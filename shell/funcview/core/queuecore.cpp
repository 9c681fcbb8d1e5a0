#include "shell/funcview/core/queuecore.h"

#include <algorithm>
#include <cstring>

#include "engine/siteitem.h"
#include "shell/sitestore/sitetable.h"

namespace {

bool SameHost(const char* a, const char* b)
{
  for (;; ++a, ++b) {
    unsigned char ca = static_cast<unsigned char>(*a), cb = static_cast<unsigned char>(*b);
    if (ca >= 'A' && ca <= 'Z')
      ca = static_cast<unsigned char>(ca - 'A' + 'a');
    if (cb >= 'A' && cb <= 'Z')
      cb = static_cast<unsigned char>(cb - 'A' + 'a');
    if (ca != cb)
      return false;
    if (ca == 0)
      return true;
  }
}

void Requeue(CPlanItem* item)
{
  item->m_status = PLAN_QUEUED;
  item->m_retryCount = 0;
}

// Rows sorted from the last up, without repeats or rows outside the array.
std::vector<int> RowsFromBottom(const CObArray& items, std::vector<int> rows)
{
  rows.erase(std::remove_if(rows.begin(), rows.end(),
                            [&](int r) { return r < 0 || r >= static_cast<int>(items.GetSize()); }),
             rows.end());
  std::sort(rows.begin(), rows.end(), std::greater<int>());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

}  // namespace

bool QueueItemBusy(const CPlanItem* item)
{
  return item != nullptr && (IsHeld(item) || StatusOf(item) == PLAN_WORKING);
}

bool QueueSiteMatches(const CSiteItem& site, const CPlanItem& item)
{
  return site.m_port == item.m_port && std::strcmp(site.m_user, item.m_user) == 0 && SameHost(site.m_host, item.m_host);
}

INT_PTR QueueInsert(CObArray& items, INT_PTR pos, CPlanItem* item)
{
  if (pos < 0) {
    return items.Add(item);
  }
  if (pos > items.GetSize())
    pos = 0;
  items.InsertAt(pos, item);
  return pos;
}

INT_PTR QueueMove(CObArray& items, INT_PTR index, bool up)
{
  const INT_PTR n = items.GetSize();
  if (index < 0 || index >= n)
    return -1;
  CPlanItem* item = QueueItemAt(items, index);
  items.RemoveAt(index);
  INT_PTR to = up ? index - 1 : index + 1;
  if (to < 0)
    to = -1;  // the first moved up: the end
  else if (to > n - 1)
    to = 0;  // the last moved down: the top
  return QueueInsert(items, to, item);
}

void QueueStopWorking(const CObArray& items)
{
  for (INT_PTR i = 0; i < items.GetSize(); ++i)
    if (CPlanItem* item = QueueItemAt(items, i))
      if (StatusOf(item) == PLAN_WORKING)
        SetStatus(item, PLAN_STOPPED);
}

void QueueStopRows(const CObArray& items, const std::vector<int>& rows)
{
  for (int r : rows)
    if (CPlanItem* item = QueueItemAt(items, r))
      SetStatus(item, PLAN_STOPPED);
}

void QueueStopAll(const CObArray& items)
{
  for (INT_PTR i = 0; i < items.GetSize(); ++i)
    if (CPlanItem* item = QueueItemAt(items, i))
      SetStatus(item, PLAN_STOPPED);
}

int QueueDeleteRows(CObArray& items, const std::vector<int>& rows)
{
  int removed = 0;
  for (int r : RowsFromBottom(items, rows)) {
    CPlanItem* item = QueueItemAt(items, r);
    if (QueueItemBusy(item))
      continue;
    items.RemoveAt(r);
    delete item;
    ++removed;
  }
  return removed;
}

int QueueClear(CObArray& items)
{
  int removed = 0;
  for (INT_PTR i = items.GetSize() - 1; i >= 0; --i) {
    CPlanItem* item = QueueItemAt(items, i);
    if (QueueItemBusy(item))
      continue;
    items.RemoveAt(i);
    delete item;
    ++removed;
  }
  return removed;
}

void QueueFreeAll(CObArray& items)
{
  for (INT_PTR i = 0; i < items.GetSize(); ++i) {
    CPlanItem* item = QueueItemAt(items, i);
    if (item != nullptr && !IsHeld(item))
      delete item;
  }
  items.RemoveAll();
}

void QueueResetAll(const CObArray& items, const QueueSiteAt& siteAt)
{
  for (int i = 0; i < MAX_SITES; ++i)
    if (CSiteItem* site = siteAt ? siteAt(i) : nullptr)
      site->m_queueRun.store(1);
  for (INT_PTR i = 0; i < items.GetSize(); ++i) {
    CPlanItem* item = QueueItemAt(items, i);
    if (item != nullptr && !QueueItemBusy(item))
      Requeue(item);
  }
}

void QueueResetRows(const CObArray& items, const std::vector<int>& rows, const QueueSiteAt& siteAt)
{
  for (int r : rows) {
    CPlanItem* item = QueueItemAt(items, r);
    if (item == nullptr || QueueItemBusy(item))
      continue;
    for (int i = 0; i < MAX_SITES; ++i) {
      CSiteItem* site = siteAt ? siteAt(i) : nullptr;
      if (site != nullptr && QueueSiteMatches(*site, *item)) {
        site->m_queueRun.store(1);
        break;
      }
    }
    Requeue(item);
  }
}

bool QueueTidyMayWait(const CObArray& items, uint32_t sinceLastTidyMs, uint32_t gapMs)
{
  if (sinceLastTidyMs >= gapMs)
    return false;
  for (INT_PTR i = 0; i < items.GetSize(); ++i) {
    const CPlanItem* item = QueueItemAt(items, i);
    if (item != nullptr && StatusOf(item) == PLAN_QUEUED)
      return true;
  }
  return false;
}

QueueTidyResult QueueTidy(CObArray& items, bool autoDelete, int32_t retries, std::vector<CPlanItem*>* keepRemoved)
{
  QueueTidyResult result;
  auto drop = [&](CPlanItem* item) {
    if (keepRemoved != nullptr)
      keepRemoved->push_back(item);
    else
      delete item;
    ++result.removed;
  };
  INT_PTR index = 0;
  const INT_PTR present = items.GetSize();
  for (INT_PTR examined = 0; examined < present && index < items.GetSize(); ++examined) {
    CPlanItem* item = QueueItemAt(items, index);
    if (item == nullptr) {
      ++index;
      continue;
    }
    const int32_t status = StatusOf(item);
    if (status == PLAN_QUEUED && !IsHeld(item))
      break;  // a run is still pending
    if (IsHeld(item)) {
      if (status == PLAN_FINISHED || status == PLAN_ERROR)
        result.heldSkipped = true;
      ++index;
      continue;
    }
    if (status == PLAN_FINISHED) {
      items.RemoveAt(index);
      if (item->m_kind == 7 || autoDelete) {
        drop(item);
      } else {
        items.Add(item);
      }
      continue;
    }
    if (status == PLAN_ERROR) {
      items.RemoveAt(index);
      if (item->m_failAction == PLAN_FAIL_REMOVE) {
        drop(item);
        continue;
      }
      items.Add(item);
      if (item->m_failAction == PLAN_FAIL_RETRY_LAST && item->m_retryCount < retries) {
        item->m_status = PLAN_QUEUED;
        result.runQueue = true;
      }
      continue;
    }
    ++index;
  }
  return result;
}

void QueueSort(CObArray& items, int column, bool ascending)
{
  if (items.GetSize() < 2 || column < 0 || column > 6)
    return;
  auto text = [column](const CPlanItem* p) -> const char* {
    switch (column) {
      case 0: return p->m_localPath;
      case 1: return p->m_direction;
      case 2: return p->m_host;
      case 3: return p->m_remotePath;
      default: return p->m_fileName;
    }
  };
  auto compare = [&](const CObject* a, const CObject* b) {
    const CPlanItem* x = static_cast<const CPlanItem*>(a);
    const CPlanItem* y = static_cast<const CPlanItem*>(b);
    if (x == nullptr || y == nullptr)
      return x != nullptr && y == nullptr;  // empty entries last
    int c;
    if (column == 5)
      c = x->m_fileSize < y->m_fileSize ? -1 : x->m_fileSize > y->m_fileSize ? 1 : 0;
    else if (column == 6)
      c = StatusOf(x) - StatusOf(y);
    else
      c = std::strcmp(text(x), text(y));
    return ascending ? c < 0 : c > 0;
  };
  std::vector<CObject*> sorted(items.GetData(), items.GetData() + items.GetSize());
  std::stable_sort(sorted.begin(), sorted.end(), compare);
  for (size_t i = 0; i < sorted.size(); ++i)
    items.SetAt(static_cast<INT_PTR>(i), sorted[i]);
}

CPlanItem* QueueNextItem(const CObArray& items, const QueueSiteAt& siteAt, const std::atomic<int32_t>& exitFlag,
                         const QueueTakeUnit& takeUnit, int* slot)
{
  if (exitFlag.load() != 0)
    return nullptr;
  for (INT_PTR i = 0; i < items.GetSize(); ++i) {
    if (exitFlag.load() != 0)
      return nullptr;
    CPlanItem* item = QueueItemAt(items, i);
    if (item == nullptr || StatusOf(item) != PLAN_QUEUED || IsHeld(item))
      continue;
    int found = -1;
    bool atLimit = false;
    // Every slot: sites above an emptied one count as much as those below it.
    for (int s = 0; s < MAX_SITES; ++s) {
      CSiteItem* site = siteAt ? siteAt(s) : nullptr;
      if (site == nullptr || !QueueSiteMatches(*site, *item))
        continue;
      if (takeUnit && takeUnit(site))
        found = s;
      else
        atLimit = true;
      break;
    }
    if (atLimit)
      continue;
    item->m_status = PLAN_WORKING;
    MarkHeld(item);
    if (slot != nullptr)
      *slot = found;
    return item;
  }
  return nullptr;
}

CPlanItem* QueueNextItemForSite(const CObArray& items, const CSiteItem& site, const std::atomic<int32_t>& exitFlag)
{
  if (exitFlag.load() != 0)
    return nullptr;
  for (INT_PTR i = 0; i < items.GetSize(); ++i) {
    CPlanItem* item = QueueItemAt(items, i);
    if (item == nullptr || exitFlag.load() != 0)
      return nullptr;
    if (StatusOf(item) == PLAN_QUEUED && !IsHeld(item) && QueueSiteMatches(site, *item)) {
      item->m_status = PLAN_WORKING;
      MarkHeld(item);
      return item;
    }
  }
  return nullptr;
}

int QueueFillHandOver(const CObArray& items, const CSiteItem& site, QueueHandOverBoard& board,
                      const std::atomic<int32_t>& exitFlag)
{
  int put = 0;
  if (site.m_queueRun.load() != 1)
    return 0;
  for (INT_PTR i = 0; i < items.GetSize() && board.Count() < QueueHandOverBoard::kDepth; ++i) {
    CPlanItem* item = QueueItemAt(items, i);
    if (item == nullptr || exitFlag.load() != 0)
      break;
    if (StatusOf(item) != PLAN_QUEUED || IsHeld(item) || !QueueSiteMatches(site, *item))
      continue;
    MarkHeld(item);
    if (!board.Put(&site, item)) {
      ReleaseHeld(item);
      break;
    }
    ++put;
  }
  return put;
}

int QueueTakeBackHandOver(QueueHandOverBoard& board)
{
  CPlanItem* back[QueueHandOverBoard::kDepth];
  const int n = board.TakeBackAll(back, QueueHandOverBoard::kDepth);
  for (int i = 0; i < n; ++i)
    ReleaseHeld(back[i]);
  return n;
}

const char* QueueStatusText(int32_t status)
{
  static const char* const kTexts[] = {"Waiting", "Working", "Queueing", "Error", "Finished"};
  return status >= 0 && status <= 4 ? kTexts[status] : "";
}
