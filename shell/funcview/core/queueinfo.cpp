#include "shell/funcview/core/queueinfo.h"

#include <cstdint>
#include <cstdio>

#include "engine/engineutil.h"
#include "engine/planitem.h"

namespace {

std::string Num(long long n)
{
  char text[32];
  std::snprintf(text, sizeof(text), "%d", static_cast<int>(n));
  return text;
}

std::string Size(uint64_t bytes)
{
  return std::string(static_cast<const char*>(FormatSize64(bytes)));
}

}  // namespace

QueueInfoRows CountQueueItems(const CObArray& items)
{
  long long files = 0, folders = 0, byStatus[5] = {};
  uint64_t size = 0;
  for (INT_PTR i = 0; i < items.GetSize(); ++i) {
    const CPlanItem* item = static_cast<const CPlanItem*>(items.GetAt(i));
    if (item == nullptr)
      continue;
    if (item->m_kind == 7) {
      ++folders;
    } else {
      ++files;
      if (item->m_fileSize > 0)
        size += static_cast<uint64_t>(item->m_fileSize);
    }
    const int32_t status = StatusOf(item);
    if (status >= 0 && status < 5)
      ++byStatus[status];
  }
  return {{"Tasks No.", Num(items.GetSize())},
          {"Files No.", Num(files)},
          {"Size", Size(size)},
          {"Folders No.", Num(folders)},
          {"Working No.", Num(byStatus[PLAN_WORKING])},
          {"Error No.", Num(byStatus[PLAN_ERROR])},
          {"Completed No.", Num(byStatus[PLAN_FINISHED])},
          {"Queuing No.", Num(byStatus[PLAN_QUEUED])},
          {"Waiting No.", Num(byStatus[PLAN_STOPPED])}};
}

QueueInfoRows CountBatchJobs(const std::vector<BatchJobRecord*>& jobs)
{
  long long working = 0, interrupted = 0, failed = 0, finished = 0;
  uint64_t size = 0;
  for (const BatchJobRecord* job : jobs) {
    size += job->m_size;
    switch (job->m_state.load()) {
      case JOB_SENDING:
      case JOB_DOWNLOADING:
      case JOB_COPYING: ++working; break;
      case JOB_INTERRUPTED: ++interrupted; break;
      case JOB_ERROR: ++failed; break;
      case JOB_FINISHED: ++finished; break;
      default: break;
    }
  }
  const long long n = static_cast<long long>(jobs.size());
  return {{"Tasks No.", Num(n)},
          {"Files No.", Num(n)},
          {"Size", Size(size)},
          {"Working No.", Num(working)},
          {"Interrupted No.", Num(interrupted)},
          {"Failed No.", Num(failed)},
          {"Finished No.", Num(finished)}};
}

QueueInfoRows CountSearchEntries(const std::vector<const EntryRecord*>& entries)
{
  uint64_t size = 0;
  for (const EntryRecord* entry : entries)
    if (entry->m_size > 0)
      size += static_cast<uint64_t>(entry->m_size);
  const long long n = static_cast<long long>(entries.size());
  return {{"Tasks No.", Num(n)}, {"Files No.", Num(n)}, {"Disk space used", Size(size)}};
}
