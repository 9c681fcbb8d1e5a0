// Items the queue page picked ahead for the workers that keep their
// connection (option bit 8): such a worker takes its next item here instead of
// a round trip through the page's window, which takes the workers' notices on
// its one thread. Every item on the board is held (engine/planitem.h) and still
// queued, so no command frees, edits or hands it out while it waits. The page
// puts items in queue order and takes back whatever is left before it reads or
// changes the queue; a worker takes the oldest of its site and makes it
// working only while it is still queued (a Stop may have reached it first).
// Header only, plain C++.
#pragma once

#include <cstdint>
#include <mutex>

#include "engine/planitem.h"

class QueueHandOverBoard {
 public:
  static constexpr int kDepth = 8;   // items waiting, every site together
  static constexpr int kWanted = 4;  // sites whose workers took from the board

  // Page side. False when the board is full: the item stays the caller's.
  bool Put(const void* site, CPlanItem* item)
  {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_count == kDepth || item == nullptr)
      return false;
    m_entries[m_count++] = Entry{site, item};
    return true;
  }

  // Page side: every item left, oldest first, off the board; the count.
  int TakeBackAll(CPlanItem** out, int max)
  {
    std::lock_guard<std::mutex> guard(m_lock);
    const int n = m_count < max ? m_count : max;
    for (int i = 0; i < n; ++i)
      out[i] = m_entries[i].item;
    Remove(0, n);
    return n;
  }

  int Count() const
  {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_count;
  }

  // Page side: a site whose worker took (or looked for) an item since the
  // last call, to be filled again; null when none.
  const void* NextWanted()
  {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_wantedCount == 0)
      return nullptr;
    const void* site = m_wanted[0];
    for (int i = 1; i < m_wantedCount; ++i)
      m_wanted[i - 1] = m_wanted[i];
    --m_wantedCount;
    return site;
  }

  // Worker side: the oldest item put for the site, off the board (still held
  // and queued), or null. Either way the site is wanted again.
  CPlanItem* Take(const void* site)
  {
    std::lock_guard<std::mutex> guard(m_lock);
    Want(site);
    for (int i = 0; i < m_count; ++i) {
      if (m_entries[i].site != site)
        continue;
      CPlanItem* item = m_entries[i].item;
      Remove(i, 1);
      return item;
    }
    return nullptr;
  }

 private:
  struct Entry {
    const void* site;
    CPlanItem* item;
  };

  void Remove(int at, int n)
  {
    for (int i = at; i + n < m_count; ++i)
      m_entries[i] = m_entries[i + n];
    m_count -= n;
  }

  void Want(const void* site)
  {
    for (int i = 0; i < m_wantedCount; ++i)
      if (m_wanted[i] == site)
        return;
    if (m_wantedCount < kWanted)
      m_wanted[m_wantedCount++] = site;
  }

  mutable std::mutex m_lock;
  Entry m_entries[kDepth] = {};
  int m_count = 0;
  const void* m_wanted[kWanted] = {};
  int m_wantedCount = 0;
};

// The program's one board.
inline QueueHandOverBoard& QueueHandOver()
{
  static QueueHandOverBoard board;
  return board;
}

// Worker side: an item taken from the board becomes the worker's (working,
// still held) unless a command stopped it meanwhile; then it is let go.
inline bool ClaimHandedOver(CPlanItem* item)
{
  int32_t queued = PLAN_QUEUED;
  if (__atomic_compare_exchange_n(&item->m_status, &queued, static_cast<int32_t>(PLAN_WORKING), false,
                                  __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE))
    return true;
  ReleaseHeld(item);
  return false;
}
