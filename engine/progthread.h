// CProgThread: one remote operation in a thread of its own. It waits for the
// site's keeper, takes a unit of the site's connection semaphore, borrows the
// keeper's idle connection (by the claim on its busy word) or opens its own,
// runs exactly one task and ends; the task-thread reaper deletes it, and the
// destructor gives back exactly what was taken.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "engine/listing.h"
#include "engine/progtask.h"
#include "engine/viewslots.h"
#include "framework/afxwin.h"

class CSiteItem;
class CNetFunc;
class CTaskThreadList;
struct NetSession;
struct BatchJobRecord;

// Sent to the main frame (with option bit 30): lParam the line for the notifier.
constexpr UINT UWM_NOTIFY_POPUP = 0x801;  // WM_USER+1
// Sent to a server tree by the listing tasks (wParam the node).
constexpr UINT UWM_LISTING_READY = 0x7E8;   // WM_USER+1000: lParam entry array
constexpr UINT UWM_CACHED_LISTING = 0x7E9;  // WM_USER+1001: lParam entry array from the cache
constexpr UINT UWM_LISTING_STATUS = 0x7EA;  // WM_USER+1002: lParam entry count, or 0

// Windows the workers report to; an empty slot sends nothing.
extern ViewSlot g_pMainFrame;
extern ViewSlot g_pLocTrView;

// The connect limits (login of an own connection, a free semaphore unit), in ms.
extern std::atomic<uint32_t> g_taskConnectWaitMs;

// What the space-used dialog shares with its task: a heap block with a count
// of holders (the dialog, and each task given it), freed by the last one, so a
// dialog destroyed during a count leaves its task a live record. The dialog
// advances m_runId as it lets go, and the task then writes nothing more.
struct SpaceUsedRun {
  static SpaceUsedRun* Create();  // one holder: the caller
  void AddRef() { m_refs.fetch_add(1); }
  void Release()
  {
    if (m_refs.fetch_sub(1) == 1)
      delete this;
  }
  int32_t Holders() const { return m_refs.load(); }

  int32_t m_method = 0;
  std::atomic<int32_t> m_running{0};
  std::atomic<int32_t> m_runId{0};
  int64_t m_files = 0;
  int64_t m_folders = 0;
  int64_t m_bytes = -1;  // -1: not known

private:
  SpaceUsedRun() = default;
  ~SpaceUsedRun() = default;
  std::atomic<int32_t> m_refs{1};
};

// One hold on a new run record, let go with the holder.
class SpaceRunHold {
public:
  SpaceRunHold() : m_run(SpaceUsedRun::Create()) {}
  ~SpaceRunHold() { m_run->Release(); }
  SpaceRunHold(const SpaceRunHold&) = delete;
  SpaceRunHold& operator=(const SpaceRunHold&) = delete;
  SpaceUsedRun* get() const { return m_run; }
  SpaceUsedRun* operator->() const { return m_run; }
  SpaceUsedRun& operator*() const { return *m_run; }

private:
  SpaceUsedRun* m_run;
};

class CProgThread : public CWinThread {
  DECLARE_DYNCREATE(CProgThread)
public:
  CProgThread();
  // Tasks on a tree node: list, cached list, make folder, rename, delete, attributes.
  CProgThread(int paneFlag, TaskCode task, CSiteItem* site, HTREEITEM node, const char* path, int value,
              EntryRecord* entries);
  // Search, password change, structure record (no result window).
  CProgThread(TaskCode task, CSiteItem* site, const char* firstPath, const char* secondPath, HTREEITEM node,
              int value);
  // Site to site.
  CProgThread(int paneFlag, TaskCode task, CSiteItem* site, CSiteItem* site2, HTREEITEM node, const char* firstPath,
              const char* secondPath, int value, EntryRecord* entries);
  // Upload, download, open, edit, move.
  CProgThread(int paneFlag, TaskCode task, CSiteItem* site, HTREEITEM node, const char* firstPath,
              const char* secondPath, int value, EntryRecord* entries);
  ~CProgThread() override;
  CProgThread(const CProgThread&) = delete;
  CProgThread& operator=(const CProgThread&) = delete;

  BOOL InitInstance() override;

  // ---- fields, in order ----
  int32_t m_runId = 0;
  char m_firstPath[kTaskPathLen] = {};
  char m_secondPath[kTaskPathLen] = {};
  CSiteItem* m_pSite = nullptr;
  CSiteItem* m_pSite2 = nullptr;
  CWnd* m_pResultWnd = nullptr;  // the space-used task's dialog
  int32_t m_borrowed1 = 0;
  int32_t m_borrowed2 = 0;
  int32_t m_matchCase = 0;
  int32_t m_paneFlag = 0;
  EntryRecord* m_pEntries = nullptr;
  int32_t m_value = 0;
  HTREEITEM m_hNode = nullptr;
  NetSession* m_pSession1 = nullptr;
  NetSession* m_pSession2 = nullptr;
  CNetFunc* m_pNetFunc1 = nullptr;
  CNetFunc* m_pNetFunc2 = nullptr;
  TaskCode m_task = TASK_NOTHING;

  // Task 18: the dialog's shared record, held by the task (SetSpaceRun) until
  // the destructor lets go of it.
  SpaceUsedRun* m_pSpaceRun = nullptr;
  // Takes a hold on run for this task, with the run number it counts for.
  void SetSpaceRun(SpaceUsedRun* run, int32_t runId);
  // Listing tasks: the tree's generation taken when the task was built.
  int32_t m_generation = 0;

  // ---- routines the tasks share ----
  // A line for the log and (bit 30) the notifier; nothing once exit is requested.
  void ReportLine(const char* text);
  static void LogOnly(const char* text);
  // Waits on the event in 2,000 ms slices while the site runs (and, with
  // needAlive, the connection is alive); true when the event came.
  bool WaitWhileRunning(NetSession* session, CSiteItem* site, bool needAlive);
  // Waits on the event with an idle limit that restarts whenever bytes moved.
  // 1 event, 0 stopped (site or connection), -1 idle limit passed.
  int WaitWithIdle(NetSession* session, CSiteItem* site, uint32_t idleMs, uint32_t sliceMs);
  // The idle limit of the site's listings, in ms.
  static uint32_t ListingIdleMs(CSiteItem* site);

  // 1 when the listing arrived (the text in the record's m_pRecord, freed by the caller).
  int ListRemoteFolder(const char* path, bool recursive);
  int WriteListingCache(const EntryRecord* entries, int count);
  EntryRecord* ReadListingCache(int* count);

  // Sends to the tree the task was built for (the pane's server tree, or the
  // local tree for a download), while that same window is still the pane's:
  // a tree closed or made anew since then gets nothing, since the task's node
  // means nothing to it.
  LRESULT SendResult(UINT message, WPARAM wParam, LPARAM lParam) const;
  LRESULT SendLocalResult(UINT message, WPARAM wParam, LPARAM lParam) const;
  // UWM_ENTRY_ADDED for the node, the record saying the server folder it went
  // into (the tree takes it only while the node still stands for that folder).
  void SendEntryAdded(HTREEITEM node, const EntryRecord& entry, const char* folder) const;

  // Stop predicate of the space-used run: the dialog started a newer run.
  bool SpaceRunStale() const;

  // ---- transfers (progthread_xfer.cpp) ----
  // One STOR or RETR on the first connection: 1 on success; sets the job's state.
  int UploadOneFile(BatchJobRecord* job, const char* name);
  int DownloadOneFile(BatchJobRecord* job, const char* name);
  // Speed text, transfer record cleared, then running := 0 (last write).
  void FinishJob(BatchJobRecord* job);

  // ---- remote file operations (progthread_ops.cpp) ----
  // 0 stopped, 1 made, 2 refused; on the given connection or the task's first.
  int RunMakeDir(const char* name, NetSession* session = nullptr, CSiteItem* site = nullptr);
  int RenameOne(const char* oldName, const char* newName);
  int MoveOne(const char* fromFolder, const char* toFolder, const char* name);
  int DeleteOneFile(const char* name);
  int SiteCommandOne(const char* text);
  // Deletes everything below the folder (not the folder itself); 1 on success.
  int DeleteTree(const char* path);

  // ---- site to site (progthread_s2s.cpp) ----
  // One direct copy between the two servers: the source (or the target) goes
  // passive and the other connects to its address. 1 on success.
  int FxpSourcePassive(const char* name);
  int FxpTargetPassive(const char* name);
  // A source folder's content into the target folder, recursively, in the given
  // direction (0 source passive, 1 target passive); 1 on success.
  int FxpTree(const char* source, const char* target, int direction);
  // One file passed through this machine (RETM on the first connection, STOM on
  // the second); the job's final state is written before it is let go.
  int RelayOneFile(BatchJobRecord* job, const char* name);
  int RelayTree(const char* source, const char* target);

  // ---- the read-only walks ----
  // 1 when the folder was listed; its entries go to the search or the count.
  int SearchFolder(const char* path);
  void SearchEntries(const char* path, EntryRecord* entries);
  void SumEntries(const char* path, EntryRecord* entries);

  // Raises the task count of the site (both sites for site-to-site work) for
  // this worker, once; the destructor drops it as its last touch of the site.
  // StartTaskThread calls it before the thread can run, so a site is never
  // deleted between the start and the worker's first look at it.
  void RaiseTaskCounts();

private:
  void InitCommon();
  bool ConnectOneSite();
  bool ConnectTwoSites();
  bool WaitSiteReady(CSiteItem* site, const char* format);
  bool TakeSemaphore(CSiteItem* site, bool lineEnd, bool* taken);
  bool OpenConnection(CSiteItem* site, NetSession** session, CNetFunc** thread, int32_t* borrowed);
  void ReleaseConnection(CSiteItem* site, NetSession** session, CNetFunc** thread, int32_t* borrowed);
  void RunTask();
  void TaskList();
  void TaskSearchList();
  int TransferOneFile(BatchJobRecord* job, const char* name, int verb, int32_t siteTimeout, int32_t globalTimeout);
  bool ChangeRemoteFolder(const char* path);
  void UploadEntries(EntryRecord* entries, int maxCount, const char* localFolder, const char* remoteFolder,
                     bool convert);
  void TaskUpload();
  int TaskDownload(bool openMode);
  void TaskOpenOrEdit(bool edit);
  // Pushes the commands on the first connection, posts and waits bounded;
  // true when the event came and the connection is still alive.
  bool RunCommands(const int* verbs, const char* const* args, int count);
  // A CWD to the task's first path, as RunCommands runs it.
  bool ChangeToFirstPath();
  void TaskMakeDir();
  void TaskRename();
  void TaskMove();
  void TaskDelete();
  void TaskSetAttributes();
  void TaskChangePassword();
  void TaskSearch();
  void TaskRecordStructure();
  void TaskSpaceUsed();
  // Site to site.
  void TaskSiteFxp();
  void TaskSiteRelay();
  bool SiteToSiteStart();
  void SiteToSiteEnd(bool fxp);
  int FxpCopy(const char* name, bool sourcePassive);
  bool WaitReceiverReady(NetSession* receiver, bool receiverPassive, uint32_t idleMs);
  int FxpFolder(const EntryRecord& folder, const std::string& source, const std::string& target, int direction,
                bool top);
  int RelayEntry(EntryRecord& rec, const std::string& source, const std::string& target, bool top);
  int RelayFolder(const EntryRecord& folder, const std::string& source, const std::string& target, bool top);
  bool ChangeFolderOn(NetSession* session, CSiteItem* site, const char* path);
  void AbortBoth(bool post, uint32_t idleMs);
  bool OneSiteCopy() const;
  bool SkipOwnCopy(const std::string& source);
  // A folder not copied at all (a path too long, the copy's own target), said; a top folder sets the root.
  bool SkipFolderCopy(const std::string& source, const std::string& target, bool top);
  int32_t m_s2sOutcome = 0;             // why the last copy failed (progthread_s2s.cpp)
  char m_s2sRoot[kTaskPathLen] = {};    // the folder the current tree is copied into

  // The space count, kept here until the run is known still current.
  int64_t m_sumBytes = 0;
  int64_t m_sumFiles = 0;
  int64_t m_sumFolders = 0;

  bool m_countRaised1 = false;
  bool m_countRaised2 = false;
  bool m_semTaken1 = false;
  bool m_semTaken2 = false;
  bool m_timedOut = false;  // the last ListRemoteFolder ended on its idle limit

  // The trees' windows when the task was built (see SendResult).
  HWND m_hResultTree = nullptr;
  HWND m_hLocalTree = nullptr;

  DECLARE_MESSAGE_MAP()
};

// Starts a worker: suspended, auto-delete off, its sites' task counts raised,
// resumed, listed, reaper started.
// FALSE (the caller deletes the object) when no thread could be made.
BOOL StartTaskThread(CTaskThreadList& list, CProgThread* thread);
