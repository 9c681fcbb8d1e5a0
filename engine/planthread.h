// CPlanThread: one queue worker. It asks the function view for the next queued
// item, gets a connection to the item's server (the keeper's idle connection
// through the keeper claim, an own one, or an own one to a temporary site for a
// server that is no work site), moves the file or expands the folder under the
// File Exists rules, reports into its ThreadStatusRecord and by message, keeps
// asking for items of the same server while option bit 8 is set, and the last
// worker to end runs the end-of-queue actions once.
#pragma once

#include <atomic>
#include <cstdint>

#include "framework/afxwin.h"

class CFile;
class CNetFunc;
class CPlanItem;
class CSiteItem;
struct NetSession;
struct ThreadStatusRecord;

// Messages of the queue workers (numbers as the receiving windows know them).
constexpr UINT UWM_QUEUE_ADD = 0x7F2;        // posted to the function view: lParam a new CPlanItem
constexpr UINT UWM_QUEUE_ENDED = 0x7F4;      // posted to the function view
constexpr UINT UWM_UPLOAD_BEGIN = 0x7F5;     // to the main frame: worker index, file size
constexpr UINT UWM_DOWNLOAD_BEGIN = 0x7F7;   // to the main frame: worker index, file size
constexpr UINT UWM_THREAD_PROGRESS = 0x7F8;  // to the function view: worker index, bytes since the last report
constexpr UINT UWM_THREAD_RESET = 0x7FE;     // to the function view: worker index, the item
constexpr UINT UWM_RUN_QUEUE = 0x7FF;        // posted to the main frame
constexpr UINT UWM_NEXT_QUEUE_ITEM = 0x800;  // to the function view: (0, int*) or (CSiteItem*, 0)

// wParam of a UWM_QUEUE_ADD counted in QueueAddsOnTheWay: the page learns
// that more of a folder's files follow without looking at its message queue.
constexpr WPARAM kQueueAddCounted = 1;
inline std::atomic<int32_t>& QueueAddsOnTheWay()
{
  static std::atomic<int32_t> count{0};
  return count;
}

// A worker's row notice to the function view rides on its begin or finish
// sent to the main frame: the frame, on the window thread, hands the view the
// notice the worker left on the row board (shell/doc/workerrow.h) and answers
// kRowNoticeTaken, so the worker need not post it as well. Returns 0 when
// there is no view to take it.
constexpr LRESULT kRowNoticeTaken = 1;
LRESULT HandRowNoticeToView(UINT message, int worker);

// How a worker reaches the document without linking it: the work-site slot by
// index, connecting a slot, and the number of queue items. The document binds
// it; until then a worker finds no sites and treats the queue as not empty.
struct PlanDocAccess {
  // The site of the slot with its task count already raised for the caller
  // (looked up and raised under the document's site lock, so it cannot be
  // freed in between), or null; the caller drops the count.
  CSiteItem* (*site)(int index);
  BOOL (*connect)(int index);
  int (*queueCount)();  // null: unknown
};
// Copies the table; null unbinds.
void SetPlanDocAccess(const PlanDocAccess* access);

// The wait for an own connection's login, in ms (60,000; tests lower it).
constexpr uint32_t kPlanLoginWaitMs = 60000;
extern std::atomic<uint32_t> g_planLoginWaitMs;
// Progress slices of a transfer, and the wait for the answer to ABOR.
constexpr uint32_t kPlanProgressSliceMs = 1500;
constexpr uint32_t kPlanAbortWaitMs = 3000;
constexpr uint32_t kPlanListSliceMs = 2000;
// How long a worker that found no item waits for the queue page to answer a
// pending UWM_QUEUE_ENDED (which may queue failed items again) before it ends.
// The page always answers; the bound only covers a notice lost with its window.
// It is long because the last worker to leave runs the end-of-queue actions
// (quit, power off): on a loaded machine a few seconds' wait let them run
// while a failed item was about to be tried again.
constexpr uint32_t kPlanTidyWaitMs = 60000;
constexpr uint32_t kPlanTidyPollMs = 20;
extern std::atomic<uint32_t> g_planTidyWaitMs;

// The longest the finish step waits for the cross-process lock before it
// reports without it (an exit ends the wait at once).
constexpr uint32_t kPlanFinishLockWaitMs = 10000;
extern std::atomic<uint32_t> g_planFinishLockWaitMs;

// The worker factory of the document: a CPlanThread for slot n.
CWinThread* MakePlanThread(int n);

class CPlanThread : public CWinThread {
  DECLARE_DYNAMIC(CPlanThread)
public:
  // Primes the queue's File Exists rules from the saved ones when unprimed.
  explicit CPlanThread(int index);
  ~CPlanThread() override;
  CPlanThread(const CPlanThread&) = delete;
  CPlanThread& operator=(const CPlanThread&) = delete;

  // Asks, prepares, runs items and disconnects until no item comes; never
  // returns to a message loop (exit code 0).
  BOOL InitInstance() override;

  // ---- fields, in order ----
  NetSession* m_pSession = nullptr;  // the current connection
  CNetFunc* m_pNetFunc = nullptr;    // its thread when it is this worker's own
  CPlanItem* m_pItem = nullptr;      // the current item
  int32_t m_answer = 0;              // file-exists answer: 2 overwrite, 3 skip, 4 resume
  int32_t m_borrowed = 0;            // the connection is the keeper's
  int32_t m_siteIndex = -1;          // -1: a temporary site for a server that is no work site
  int32_t m_worked = 0;              // bytes of the last finished file
  CSiteItem* m_pSite = nullptr;      // the work site or the temporary one
  int32_t m_index = 0;               // 0..9: status record, worker row, wParam of the messages

private:
  enum ItemResult { ITEM_FAILED = 0, ITEM_DONE = 1 };

  bool Prepare();
  void RunItems();
  void Disconnect();
  // Lets go of the current item: the held mark drops last, after the final
  // status, so the queue may free or requeue it from then on.
  void DropItem();

  ItemResult UploadFile();
  ItemResult DownloadFile();
  ItemResult UploadFolder();
  ItemResult DownloadFolder();
  // One STOW/APPE or RETW of the open file; the item's failure steps on error.
  ItemResult Transfer(CFile& file, bool upload, int verb, int64_t offset, const char* remoteName,
                      uint32_t idleMs);
  // The item's failure steps after an error that needs no transfer undone.
  void FailItem(bool finishStep);
  void FinishStep() { FinishStepOf(m_pItem); }
  void FinishStepOf(CPlanItem* item);
  // The finish of a file done before the next file's commands went out: its
  // finish step and release (then the next item's record start).
  void SettleFinish();
  // The record's done marks cleared and the direction set for a new item.
  void StartRecord(bool upload);
  // The cross-process lock of the finish step, bounded; false without it.
  bool EnterMeteredSection();

  // CWD to the folder with the no-progress limit; false on any failure (the
  // item's status set, the connection dropped on a time-out).
  bool ChangeFolder(const char* path, uint32_t idleMs);
  // SIZE of the remote name: the size, or -1 (no answer, refused, lost).
  int64_t RemoteSize(const char* name);
  // The File Exists decision with the box inside the critical section.
  // Returns the answer; *offset for resume; newName receives a rename.
  int Decide(bool upload, int64_t sourceSize, int64_t destSize, char* newName, size_t newNameSize,
             int64_t* offset);

  // Takes back the file and the record from the connection's thread, then
  // closes the file once. Returns false when the control connection is gone.
  bool Detach(CFile& file);
  void PostQueueEnded();
  // A folder's child to the function view, counted; false when not posted.
  bool PostQueueAdd(CPlanItem* child);
  // The begin or finish sent to the main frame, with the function view's row
  // notice (UWM_THREAD_RESET or UWM_TASK_FINISHED) left on the board first;
  // posted to the view when the frame did not hand it on.
  void NoticeFrameAndRow(UINT frameMessage, LPARAM frameLParam, UINT rowMessage, LPARAM rowLParam);
  // True when a pending notice was answered and the queue is worth asking again.
  bool WaitForTidy();
  void RefuseUnsafeName(const char* name);
  // The file's begin to the main frame (sent: its handler writes the status
  // record's start) and its row reset to the function view.
  void AnnounceBegin(bool upload);
  // Announces a begin held back, once.
  void AnnounceOwedBegin();

  // Sends to a window unless exit is requested; 0 when not sent.
  static LRESULT SendTo(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam);
  static BOOL PostTo(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam);
  CPlanItem* Ask(CSiteItem* site);
  bool SiteRuns() const;
  bool Stopping();
  bool ItemWorking() const;
  ThreadStatusRecord* Record() const;
  uint32_t DownloadIdleMs() const;
  uint32_t UploadIdleMs() const;
  void Post(UINT message);
  void ReportLine(const char* text);

  bool m_countRaised = false;  // the site's task count holds one for this worker
  bool m_semHeld = false;      // a unit of the site's semaphore was taken for this worker
  bool m_tempSite = false;
  bool m_connectionLost = false;  // the run loop ends; the next item connects anew
  bool m_quitSeen = false;
  bool m_quitPeeked = false;
  DWORD m_quitPeekTick = 0;
  static constexpr DWORD kQuitPeekMs = 50;
  bool m_counted = false;  // holds one count of g_planThreadCount
  // The begin of a file that needs no File Exists decision goes once its
  // commands are on their way: the main thread's answer overlaps the server's.
  bool m_beginOwed = false;
  bool m_beginUpload = false;
  // Likewise a finished file's finish step waits for the next file's commands
  // to be posted (the item stays held until then); the next item's record
  // start waits behind it.
  CPlanItem* m_finishOwed = nullptr;
  bool m_recordOwed = false;
  bool m_recordUpload = false;
};
