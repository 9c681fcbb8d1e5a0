#include "shell/funcview/core/batchcore.h"

#include <algorithm>
#include <cstring>

const char* BatchStateText(int32_t state)
{
  switch (state) {
    case JOB_SENDING: return "Sending";
    case JOB_DOWNLOADING: return "Downloading";
    case JOB_FINISHED: return "Finished";
    case JOB_ERROR: return "Error";
    case JOB_INTERRUPTED: return "Interrupt";
    case JOB_COPYING: return "Copying";
    default: return "Unknown";
  }
}

BatchJobRecord* BatchJobList::At(int row) const
{
  return row >= 0 && row < Count() ? m_jobs[static_cast<size_t>(row)] : nullptr;
}

int BatchJobList::Find(const BatchJobRecord* job) const
{
  if (job == nullptr)
    return -1;
  for (size_t i = 0; i < m_jobs.size(); ++i)
    if (m_jobs[i] == job)
      return static_cast<int>(i);
  return -1;
}

void BatchJobList::Add(BatchJobRecord* job)
{
  if (job != nullptr && Find(job) < 0)
    m_jobs.push_back(job);
}

void BatchJobList::StopRows(const std::vector<int>& rows)
{
  for (int row : rows)
    if (BatchJobRecord* job = At(row))
      job->m_stopRequested = 1;
}

void BatchJobList::StopAll()
{
  for (BatchJobRecord* job : m_jobs)
    job->m_stopRequested = 1;
}

void (*BatchJobList::s_freeHook)(BatchJobRecord* job) = nullptr;

void BatchJobList::Free(BatchJobRecord* job)
{
  if (s_freeHook != nullptr) {
    s_freeHook(job);
    return;
  }
  delete job;
}

std::vector<int> BatchJobList::DeleteRows(const std::vector<int>& rows)
{
  std::vector<int> sorted(rows);
  std::sort(sorted.begin(), sorted.end());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  std::vector<int> kept;
  int removedBefore = 0;
  for (int row : sorted) {
    const int now = row - removedBefore;
    BatchJobRecord* job = At(now);
    if (job == nullptr)
      continue;
    if (job->m_running.load() != 0) {
      kept.push_back(now);
      continue;
    }
    m_jobs.erase(m_jobs.begin() + now);
    Free(job);
    ++removedBefore;
  }
  return kept;
}

int BatchJobList::Clear()
{
  int removed = 0;
  for (int i = Count() - 1; i >= 0; --i) {
    BatchJobRecord* job = m_jobs[static_cast<size_t>(i)];
    if (job->m_running.load() != 0)
      continue;
    m_jobs.erase(m_jobs.begin() + i);
    Free(job);
    ++removed;
  }
  return removed;
}

void BatchJobList::FreeAll()
{
  // A running job is still written by its task: left to the process's end.
  for (BatchJobRecord* job : m_jobs)
    if (job->m_running.load() == 0)
      Free(job);
  m_jobs.clear();
}

BatchJobList::Report BatchJobList::Finished(const BatchJobRecord* job, bool autoDelete)
{
  const int row = Find(job);
  if (row < 0)
    return kIgnored;
  BatchJobRecord* rec = m_jobs[static_cast<size_t>(row)];
  if (rec->m_running.load() != 0)
    return kRedraw;
  if (autoDelete && rec->m_state.load() == JOB_FINISHED) {
    m_jobs.erase(m_jobs.begin() + row);
    Free(rec);
    return kRemoved;
  }
  return kRedraw;
}

int BatchJobList::RunningCount() const
{
  int n = 0;
  for (const BatchJobRecord* job : m_jobs)
    if (job->m_running.load() != 0)
      ++n;
  return n;
}

bool BatchRefreshTimer::OnAdd()
{
  m_stopNext = false;
  if (m_running)
    return false;
  m_running = true;
  return true;
}

bool BatchRefreshTimer::OnTick(int running)
{
  if (!m_running)
    return false;
  if (m_stopNext) {
    m_stopNext = false;
    m_running = false;
    return true;
  }
  if (running == 0)
    m_stopNext = true;
  return false;
}
