// The site-to-site list's jobs, window-free. The list owns each handed
// BatchJobRecord, but a task (and its connection thread) writes it until the
// task clears m_running, its very last touch. So: stop commands only ask
// (m_stopRequested), removal frees only jobs whose m_running is 0, and a
// running job left at the list's end belongs to the process's end.
#pragma once

#include <vector>

#include "engine/batchjob.h"

// The state's text; "Unknown" for other values.
const char* BatchStateText(int32_t state);

class BatchJobList {
public:
  BatchJobList() = default;
  BatchJobList(const BatchJobList&) = delete;
  BatchJobList& operator=(const BatchJobList&) = delete;
  ~BatchJobList() { FreeAll(); }

  int Count() const { return static_cast<int>(m_jobs.size()); }
  BatchJobRecord* At(int row) const;
  int Find(const BatchJobRecord* job) const;
  const std::vector<BatchJobRecord*>& Jobs() const { return m_jobs; }

  // A job handed by a task; a null or already listed one is ignored.
  void Add(BatchJobRecord* job);
  void StopRows(const std::vector<int>& rows);
  void StopAll();
  // Removes the given rows (any order) whose job is not running; returns the
  // rows that stayed, renumbered (running jobs: the caller deselects them).
  std::vector<int> DeleteRows(const std::vector<int>& rows);
  // Removes every job that is not running; returns how many went.
  int Clear();
  // Frees what may be freed and forgets the rest.
  void FreeAll();

  enum Report { kIgnored, kRedraw, kRemoved };
  // The task's report that it let the job go: a job that is not listed is
  // ignored; a finished one is removed when autoDelete.
  Report Finished(const BatchJobRecord* job, bool autoDelete);

  // Jobs whose m_running is set, counted now.
  int RunningCount() const;

  // When set, takes each job the lists free instead of delete (the tests'
  // check that nothing writes a job after it was let go).
  static void (*s_freeHook)(BatchJobRecord* job);

private:
  static void Free(BatchJobRecord* job);
  std::vector<BatchJobRecord*> m_jobs;
};

// The refresh timer: running while jobs run, and one tick more after the last.
class BatchRefreshTimer {
public:
  // A job was added: true when the timer must be started.
  bool OnAdd();
  // A tick with the running count now: true when the timer must be killed.
  bool OnTick(int running);
  bool Running() const { return m_running; }

private:
  bool m_running = false;
  bool m_stopNext = false;
};
