// The queue file ("PLANFILE"): the queue's items between runs, in the plan
// file form (StorePlanItems). A crash loses seconds at most and a failed write
// never costs the saved queue: a change marks the queue dirty, a timer writes
// it, and each write goes to "<file>.tmp" first and then replaces the file.
#pragma once

#include "framework/collections.h"

enum class QueueFileLoad {
  kMissing,  // no file: an empty queue
  kEmpty,    // 0 bytes (the options page makes one): an empty queue
  kLoaded,
  kDamaged,  // renamed to "<file>.damaged"; nothing appended
};

// Appends the file's items (stored as working or queued: stopped). A file
// that does not load is moved aside before anything can overwrite it.
QueueFileLoad LoadQueueFile(const char* path, CObArray& items);

// Writes the items (without the finished ones and empty entries when
// dropFinished) through "<path>.tmp" and a replace. False, the old file intact,
// when any step fails. An empty path writes nothing (and succeeds).
bool SaveQueueFile(const char* path, const CObArray& items, bool dropFinished);

// Reads a plan file for Import: its items appended to items, or none at all
// (a file that cannot be opened or is damaged). *added: how many.
enum class PlanFileRead { kLoaded, kCannotOpen, kDamaged };
PlanFileRead ReadPlanFile(const char* path, CObArray& items, int* added);

// What Import tells the user when the plan file does not load.
extern const char kPlanFileDamagedText[];
// Export: the items as they are, the file made anew. False on any failure.
bool WritePlanFile(const char* path, const CObArray& items);

// Whether two paths name the same file as Windows compares them (case folded).
bool SamePlanPath(const char* a, const char* b);

// The dirty mark and its writer: the queue list marks every change of its
// array or of a stored field; Flush writes when marked and keeps the mark
// when the write failed.
class QueueFileState {
public:
  void MarkDirty() { m_dirty = true; }
  bool Dirty() const { return m_dirty; }
  // True when nothing was left to write afterwards.
  bool Flush(const char* path, const CObArray& items, bool dropFinished);

private:
  bool m_dirty = false;
};
