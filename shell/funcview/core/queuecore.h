// The queue's rules, window-free: the array of CPlanItem pointers the queue
// list owns, and what its commands, the end-of-run tidy, sorting and the
// workers' next-item request do to it. All of it runs on the GUI thread; the
// workers touch only the status of the item they were handed and its held mark
// (engine/planitem.h). A held item belongs to its worker: nothing here frees,
// edits, requeues or hands it out.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/planitem.h"
#include "engine/queuehandover.h"
#include "framework/collections.h"

class CSiteItem;

// Slot i of the document's site table (0..199), null for an empty slot.
using QueueSiteAt = std::function<CSiteItem*(int)>;
// Takes one unit of the site's connection limit without waiting; false at the limit.
using QueueTakeUnit = std::function<bool(CSiteItem*)>;

inline CPlanItem* QueueItemAt(const CObArray& items, INT_PTR i)
{
  return i >= 0 && i < items.GetSize() ? static_cast<CPlanItem*>(items.GetAt(i)) : nullptr;
}

// A worker has it (working, or not yet let go).
bool QueueItemBusy(const CPlanItem* item);

// A site of the item's server: host ignoring case, port and user exactly.
bool QueueSiteMatches(const CSiteItem& site, const CPlanItem& item);

// Insert rule: a negative position appends, one past the count inserts at 0,
// any other inserts there. Returns the index the item took.
INT_PTR QueueInsert(CObArray& items, INT_PTR pos, CPlanItem* item);
// One row up (or down), wrapping at either end. The new index, -1 when index is
// not a row.
INT_PTR QueueMove(CObArray& items, INT_PTR index, bool up);

// Stop commands: the status becomes 0 (a worker sees it and lets go).
void QueueStopWorking(const CObArray& items);
void QueueStopRows(const CObArray& items, const std::vector<int>& rows);
void QueueStopAll(const CObArray& items);

// Delete: frees the rows that are not busy; busy ones only lose the selection.
// Returns how many went.
int QueueDeleteRows(CObArray& items, const std::vector<int>& rows);
// Clear Queue: from the last row up, frees every item that is not busy.
int QueueClear(CObArray& items);
// The list goes: frees every item but the held ones, which their workers still
// touch (left to the process's end). Empties the array.
void QueueFreeAll(CObArray& items);

// Reset All: every site's queue-run flag := 1; every item not busy queued
// again with no failed attempts.
void QueueResetAll(const CObArray& items, const QueueSiteAt& siteAt);
// Reset Selection: the same for the rows given, and the first site of each
// item's server gets its queue-run flag set.
void QueueResetRows(const CObArray& items, const std::vector<int>& rows, const QueueSiteAt& siteAt);

struct QueueTidyResult {
  bool runQueue = false;     // a failed item was queued again: post UWM_RUN_QUEUE
  bool heldSkipped = false;  // a finished or failed item was still held: tidy again later
  int removed = 0;
};
// The end-of-run tidy. Each item present at the start is examined once from
// the top: a queued one ends the pass; finished: freed when its kind is 7 or
// autoDelete, else moved to the end; error: by its failure action (0 freed,
// 1 to the end, 2 to the end and queued again while its retry counter is below
// retries); a held one is passed over. Removed items are freed, or handed to
// keepRemoved when given.
QueueTidyResult QueueTidy(CObArray& items, bool autoDelete, int32_t retries,
                          std::vector<CPlanItem*>* keepRemoved = nullptr);

// Whether a worker's end-of-run notice may wait for the page's next tick
// instead of a tidy at once: the last tidy ran less than gapMs ago and an item
// is still queued (on the board or not), so no worker needs the tidy to go on.
bool QueueTidyMayWait(const CObArray& items, uint32_t sinceLastTidyMs, uint32_t gapMs);

// Columns 0-4 texts (case-sensitive: local path, direction, host, remote
// path, name), 5 size, 6 status; stable.
void QueueSort(CObArray& items, int column, bool ascending);

// The next-item rule of a worker without a connection: the first queued item
// whose server is a site with a free unit (*slot := its slot), or whose server
// is no site (*slot := -1). Items of sites at their limit stay queued. The
// handed item is working and held. Null when none, or once exitFlag is set.
CPlanItem* QueueNextItem(const CObArray& items, const QueueSiteAt& siteAt, const std::atomic<int32_t>& exitFlag,
                         const QueueTakeUnit& takeUnit, int* slot);
// The same for a worker that keeps its connection to site: the first queued
// item of that server. A null entry ends the walk.
CPlanItem* QueueNextItemForSite(const CObArray& items, const CSiteItem& site, const std::atomic<int32_t>& exitFlag);

// The board of items picked ahead for the workers that keep a connection
// (engine/queuehandover.h). Fill: the first queued items of the site's server
// that nobody holds go on the board, held, behind those already there, until it
// is full; nothing once exitFlag is set or the site does not run. The count put.
int QueueFillHandOver(const CObArray& items, const CSiteItem& site, QueueHandOverBoard& board,
                      const std::atomic<int32_t>& exitFlag);
// Every item still on the board comes back and is let go (queued as it was):
// before anything else reads or changes the queue. The count.
int QueueTakeBackHandOver(QueueHandOverBoard& board);

// Texts of the status word; "" for other values.
const char* QueueStatusText(int32_t status);
