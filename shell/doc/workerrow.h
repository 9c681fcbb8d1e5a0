// The queue page's worker rows as the workers last left them. A worker leaves
// its begin and finish notices here: it writes what the row is to show, then
// the main frame hands the notice on while it takes the worker's begin or
// finish, or the worker posts it. The page takes the latest state when a
// notice (or a progress report) arrives, so the row shows what the last notice
// said even when the record moved on. A notice with none left here reads the
// status record. Header only, plain C++.
#pragma once

#include <cstdint>
#include <cstring>
#include <mutex>

#include "shell/doc/threadstatus.h"

// What a begin notice shows: the new file.
struct WorkerRowReset {
  int32_t direction = 0;  // as ThreadStatusRecord::m_direction
  char fileName[kThreadStatusNameLen] = {};
  uint32_t fileSize = 0;
  const void* item = nullptr;  // compared, never read: the item may be gone
};

// What a finish notice shows: the file's end.
struct WorkerRowFinish {
  uint64_t done = 0;  // bytes moved plus bytes already there
  uint64_t size = 0;
  char elapsed[kThreadStatusTextLen] = {};
  char speed[kThreadStatusTextLen] = {};
};

struct WorkerRowNotice {
  bool reset = false;  // apply first
  bool finish = false;
  WorkerRowReset r;
  WorkerRowFinish f;
};

enum class WorkerRowTake {
  kDirect,   // no notice posted for this worker: read the status record
  kPosted,   // a posted notice: apply what the worker left (maybe nothing)
};

class WorkerRowBoard {
 public:
  // Worker side, before the notice goes; Unposted after a post that did not.
  void PutReset(int worker, const ThreadStatusRecord& rec, uint32_t fileSize, const void* item)
  {
    Slot* slot = At(worker);
    if (slot == nullptr)
      return;
    std::lock_guard<std::mutex> guard(slot->lock);
    WorkerRowNotice& n = slot->pending;
    n.reset = true;
    n.finish = false;  // the new file's row replaces every cell a finish writes
    n.r.direction = rec.m_direction;
    std::memcpy(n.r.fileName, rec.m_fileName, sizeof(n.r.fileName));
    n.r.fileName[sizeof(n.r.fileName) - 1] = '\0';
    n.r.fileSize = fileSize;  // the begin's size: the main frame writes an upload's into the record later
    n.r.item = item;
    ++slot->inFlight;
  }

  void PutFinish(int worker, const ThreadStatusRecord& rec)
  {
    Slot* slot = At(worker);
    if (slot == nullptr)
      return;
    std::lock_guard<std::mutex> guard(slot->lock);
    WorkerRowNotice& n = slot->pending;
    n.finish = true;
    n.f.done = static_cast<uint64_t>(rec.m_bytesMoved) + rec.m_bytesPresent;
    n.f.size = rec.m_fileSize;
    std::memcpy(n.f.elapsed, rec.m_elapsed, sizeof(n.f.elapsed));
    n.f.elapsed[sizeof(n.f.elapsed) - 1] = '\0';
    std::memcpy(n.f.speed, rec.m_speed, sizeof(n.f.speed));
    n.f.speed[sizeof(n.f.speed) - 1] = '\0';
    ++slot->inFlight;
  }

  // The post failed: no message will come to take its count.
  void Unposted(int worker)
  {
    Slot* slot = At(worker);
    if (slot == nullptr)
      return;
    std::lock_guard<std::mutex> guard(slot->lock);
    if (slot->inFlight > 0)
      --slot->inFlight;
  }

  // The item of the begin notice waiting for this worker, or null.
  const void* PendingItem(int worker)
  {
    Slot* slot = At(worker);
    if (slot == nullptr)
      return nullptr;
    std::lock_guard<std::mutex> guard(slot->lock);
    return slot->pending.reset ? slot->pending.r.item : nullptr;
  }

  // Window side, for each begin or finish notice: *out gets what is still to
  // show and the board forgets it.
  WorkerRowTake Take(int worker, WorkerRowNotice* out)
  {
    *out = WorkerRowNotice();
    Slot* slot = At(worker);
    if (slot == nullptr)
      return WorkerRowTake::kDirect;
    std::lock_guard<std::mutex> guard(slot->lock);
    if (slot->inFlight == 0)
      return WorkerRowTake::kDirect;
    --slot->inFlight;
    *out = slot->pending;
    slot->pending = WorkerRowNotice();
    return WorkerRowTake::kPosted;
  }

  // Window side, before a progress report: the notices posted before it are
  // shown first, their messages then find nothing left.
  WorkerRowNotice Drain(int worker)
  {
    WorkerRowNotice out;
    Slot* slot = At(worker);
    if (slot == nullptr)
      return out;
    std::lock_guard<std::mutex> guard(slot->lock);
    out = slot->pending;
    slot->pending = WorkerRowNotice();
    return out;
  }

  // A new queue page starts clean (a page before it may have died with posts
  // still queued).
  void Forget()
  {
    for (Slot& slot : m_slots) {
      std::lock_guard<std::mutex> guard(slot.lock);
      slot.pending = WorkerRowNotice();
      slot.inFlight = 0;
    }
  }

 private:
  struct Slot {
    std::mutex lock;
    WorkerRowNotice pending;
    int inFlight = 0;
  };

  Slot* At(int worker)
  {
    return worker >= 0 && worker < kThreadStatusRecords ? &m_slots[worker] : nullptr;
  }

  Slot m_slots[kThreadStatusRecords];
};

// The one board the workers and the queue page share.
inline WorkerRowBoard& WorkerRows()
{
  static WorkerRowBoard board;
  return board;
}
