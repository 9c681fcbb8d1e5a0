// The transfer status of the queue workers: one ThreadStatusRecord per worker,
// ten in an array the main window owns, and its transfers-active flag. The
// workers reach both only through ThreadStatusAt and SetTransfersActive; the
// main window binds its own members with BindThreadStatus, tests bind theirs.
// Until something is bound, a private table stands in, so a worker never finds
// a null record. Header only, plain C++.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

constexpr int kThreadStatusRecords = 10;
constexpr size_t kThreadStatusNameLen = 256;
constexpr size_t kThreadStatusTextLen = 20;

// One queue worker's transfer (zero-filled at start).
struct ThreadStatusRecord {
  char m_fileName[kThreadStatusNameLen];  // file being moved (written by the worker)
  char m_elapsed[kThreadStatusTextLen];   // elapsed text, reset to "00:00:00"
  char m_speed[kThreadStatusTextLen];     // speed text, reset to "00.00"
  int32_t m_direction;                    // 0 upload, 1 download
  uint32_t m_runningTotal;                // bytes of the files this worker finished
  uint32_t m_bytesMoved;                  // bytes of the current transfer; cleared at begin and end
  uint32_t m_bytesPresent;                // bytes there before the transfer (resume offset)
  uint32_t m_fileSize;                    // set by the begin message
  uint32_t m_startTick;                   // tick of the begin; cleared at the end
  int32_t m_uploadDone;                   // 1 when the worker finished an upload
  int32_t m_downloadDone;                 // 1 when the worker finished a download
};
static_assert(offsetof(ThreadStatusRecord, m_elapsed) == 256, "record layout");
static_assert(offsetof(ThreadStatusRecord, m_speed) == 276, "record layout");
static_assert(offsetof(ThreadStatusRecord, m_direction) == 296, "record layout");
static_assert(offsetof(ThreadStatusRecord, m_runningTotal) == 300, "record layout");
static_assert(offsetof(ThreadStatusRecord, m_bytesMoved) == 304, "record layout");
static_assert(offsetof(ThreadStatusRecord, m_bytesPresent) == 308, "record layout");
static_assert(offsetof(ThreadStatusRecord, m_fileSize) == 312, "record layout");
static_assert(offsetof(ThreadStatusRecord, m_startTick) == 316, "record layout");
static_assert(offsetof(ThreadStatusRecord, m_uploadDone) == 320, "record layout");
static_assert(offsetof(ThreadStatusRecord, m_downloadDone) == 324, "record layout");
static_assert(sizeof(ThreadStatusRecord) == 328, "record layout");

// What is bound: the ten records, the transfers-active flag and the main
// window's running byte totals of the queue (downloaded, uploaded).
struct ThreadStatusBinding {
  ThreadStatusRecord* records;          // kThreadStatusRecords of them
  std::atomic<int32_t>* transfersActive;
  std::atomic<uint64_t>* downloadBytes = nullptr;
  std::atomic<uint64_t>* uploadBytes = nullptr;
};

namespace threadstatus_detail {
inline ThreadStatusRecord g_standInRecords[kThreadStatusRecords] = {};
inline std::atomic<int32_t> g_standInActive{0};
inline std::atomic<ThreadStatusRecord*> g_records{nullptr};
inline std::atomic<std::atomic<int32_t>*> g_active{nullptr};
inline std::atomic<uint64_t> g_standInDownloaded{0};
inline std::atomic<uint64_t> g_standInUploaded{0};
inline std::atomic<std::atomic<uint64_t>*> g_downloaded{nullptr};
inline std::atomic<std::atomic<uint64_t>*> g_uploaded{nullptr};
}  // namespace threadstatus_detail

// Binds the table the workers write; null members put the stand-ins back.
// Bind before the workers start and unbind after they ended.
inline void BindThreadStatus(const ThreadStatusBinding& binding)
{
  threadstatus_detail::g_records.store(binding.records);
  threadstatus_detail::g_active.store(binding.transfersActive);
  threadstatus_detail::g_downloaded.store(binding.downloadBytes);
  threadstatus_detail::g_uploaded.store(binding.uploadBytes);
}

// The main window's running total of the queue's downloaded (or uploaded) bytes.
inline std::atomic<uint64_t>& QueueByteTotal(bool download)
{
  std::atomic<uint64_t>* total =
      download ? threadstatus_detail::g_downloaded.load() : threadstatus_detail::g_uploaded.load();
  if (total != nullptr)
    return *total;
  return download ? threadstatus_detail::g_standInDownloaded : threadstatus_detail::g_standInUploaded;
}

// Worker index's record (0..9); null for any other index.
inline ThreadStatusRecord* ThreadStatusAt(int index)
{
  if (index < 0 || index >= kThreadStatusRecords)
    return nullptr;
  ThreadStatusRecord* records = threadstatus_detail::g_records.load();
  return (records != nullptr ? records : threadstatus_detail::g_standInRecords) + index;
}

// The transfers-active flag (set by the first begin message, cleared by the
// last queue worker).
inline std::atomic<int32_t>& TransfersActiveFlag()
{
  std::atomic<int32_t>* flag = threadstatus_detail::g_active.load();
  return flag != nullptr ? *flag : threadstatus_detail::g_standInActive;
}
inline void SetTransfersActive(int32_t value) { TransfersActiveFlag().store(value); }
inline int32_t TransfersActive() { return TransfersActiveFlag().load(); }
