// BatchJobRecord: one file moved by a one-task worker (an upload, a download or
// a copy from one server to another), shown as a row of the site-to-site list.
// The task fills it and hands it to the list, which then owns it; while the
// file moves, the connection window's data loops keep its bytes done current.
//
// The connection record's transfer record is such a job for RETR, STOR and RETM
// (the tasks' verbs); RETW, STOW and APPE carry the queue's CPlanItem instead.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

constexpr size_t kBatchJobTextLen = 500;
constexpr size_t kBatchJobSpeedLen = 20;

enum BatchJobState : int32_t {
  JOB_SENDING = 0,      // upload running
  JOB_DOWNLOADING = 1,
  JOB_FINISHED = 2,
  JOB_ERROR = 3,
  JOB_INTERRUPTED = 4,
  JOB_COPYING = 5,      // site-to-site running
};

struct BatchJobRecord {
  uint32_t m_startTick = 0;                 // tick count at the start of the transfer
  std::atomic<int32_t> m_running{0};        // the list's stop command clears it
  char m_source[kBatchJobTextLen] = {};     // upload: local path; else host and remote path
  char m_target[kBatchJobTextLen] = {};
  std::atomic<int32_t> m_state{JOB_SENDING};  // BatchJobState
  char m_speed[kBatchJobSpeedLen] = {};     // final average speed
  uint64_t m_size = 0;                      // the entry's size from the listing
  std::atomic<uint64_t> m_bytesDone{0};     // written by the data loops
  // Set by the list's stop command. Only the task clears running, and last:
  // until then the record is still written and must not be freed.
  std::atomic<int32_t> m_stopRequested{0};
};
