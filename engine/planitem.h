// CPlanItem: one entry of the transfer queue, and the queue's file form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "framework/archive.h"
#include "framework/collections.h"
#include "framework/object.h"

constexpr size_t kPlanPathLen = 260;
constexpr size_t kPlanDirectionLen = 5;
constexpr size_t kPlanHostLen = 50;
constexpr size_t kPlanUserLen = 64;
constexpr size_t kPlanPasswordLen = 65;

// Separator of the seven texts in the stored form.
constexpr char kPlanTextSeparator = '\x0C';

enum PlanStatus : int32_t {
  PLAN_STOPPED = 0,   // "Waiting"
  PLAN_WORKING = 1,
  PLAN_QUEUED = 2,
  PLAN_ERROR = 3,
  PLAN_FINISHED = 4,
};

enum PlanFailureAction : int32_t {
  PLAN_FAIL_REMOVE = 0,       // clear it from the queue
  PLAN_FAIL_MOVE_LAST = 1,    // move it to the end
  PLAN_FAIL_RETRY_LAST = 2,   // move it to the end and run it again
};

class CPlanItem : public CObject {
  DECLARE_SERIAL(CPlanItem)
public:
  CPlanItem();

  // Stored: the seven texts joined by 0x0C as one string, the size as 32 bits,
  // then port, passive, kind, status, anonymous and failure action as 16 bits.
  // Loaded: texts cut to their fields; an item that was working or queued comes
  // back stopped; worker index, retry counter and bytes done keep their values.
  void Serialize(CArchive& ar) override;

  char m_localPath[kPlanPathLen];      // local folder
  char m_remotePath[kPlanPathLen];     // remote folder
  char m_fileName[kPlanPathLen];       // file or folder name
  char m_direction[kPlanDirectionLen]; // "->" upload, "<-" download
  char m_host[kPlanHostLen];
  char m_user[kPlanUserLen];
  char m_password[kPlanPasswordLen];   // plain, in memory and in the stored files
  int32_t m_port;
  int32_t m_anonymous;                 // 1: anonymous login
  int32_t m_passive;                   // 1: passive mode
  int32_t m_kind;                      // kEntryFile or kEntryFolder
  int32_t m_workerIndex;               // queue thread running it, -1 none
  int32_t m_status;                    // PlanStatus
  int32_t m_failAction;                // PlanFailureAction
  int32_t m_retryCount;                // failed attempts so far
  int64_t m_fileSize;                  // bytes; stored as 32 bits (saturated)
  int64_t m_bytesDone;                 // bytes moved in the current attempt
  uint8_t m_spare;                     // the held mark (HeldBy below); never stored
};

// The status as workers and the queue page share it: a worker writes only the
// item it was handed, the page reads it with acquire.
inline int32_t StatusOf(const CPlanItem* item)
{
  return __atomic_load_n(&item->m_status, __ATOMIC_ACQUIRE);
}

// A worker's status writes; the final one comes before the held mark drops.
inline void SetStatus(CPlanItem* item, int32_t status)
{
  __atomic_store_n(&item->m_status, status, __ATOMIC_RELEASE);
}

// The held mark: set by the next-item rule when a worker is handed the item,
// cleared by that worker as its very last touch (after its connection let go
// of the item and after its final status). While it is set the item belongs
// to the worker: the queue never frees, edits, requeues or hands it out, so a
// stopped item is not run twice nor freed under the connection's writes.
inline bool IsHeld(const CPlanItem* item)
{
  return __atomic_load_n(&item->m_spare, __ATOMIC_ACQUIRE) != 0;
}
inline void MarkHeld(CPlanItem* item)
{
  __atomic_store_n(&item->m_spare, static_cast<uint8_t>(1), __ATOMIC_RELEASE);
}
inline void ReleaseHeld(CPlanItem* item)
{
  __atomic_store_n(&item->m_spare, static_cast<uint8_t>(0), __ATOMIC_RELEASE);
}

// The queue's file form, the framework's object array: a count, then each item
// as an object (class tag once, then back references to the class).
class CSiteItem;
// The login of a work site into a queue item: host, user, password, port, and
// anonymous and passive as numbers (option digits 1 and 4).
void SetPlanItemSite(CPlanItem& item, const CSiteItem& site);
// A remote file path as a download item's remote folder and file name (the
// extension stays with the name): "/pub/x/file.tar.gz" gives "/pub/x" and
// "file.tar.gz", "file" gives "/" and "file"; the folder starts with "/" and
// ends with none unless it is the root. False when either does not fit the
// item's fields.
bool SplitRemoteFilePath(const char* path, std::string& folder, std::string& name);

void StorePlanItems(CArchive& ar, const CObArray& items);
// Appends the stored items to items and returns how many. All or nothing: on a
// damaged file (truncated, unknown class or schema, bad reference, a null or
// repeated item) it throws the archive's exception and appends nothing.
int LoadPlanItems(CArchive& ar, CObArray& items);
