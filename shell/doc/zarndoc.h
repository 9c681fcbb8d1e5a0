// The program's single document: the table of up to 200 work sites and their
// registry store, the sites' keeper threads, the running task threads with
// their reaper, and the ten queue worker slots.
#pragma once

#include <atomic>

#include "engine/siteitem.h"
#include "engine/siterecord.h"
#include "engine/taskthreads.h"
#include "framework/afxwin.h"
#include "framework/docview.h"
#include "framework/sync.h"
#include "shell/sitestore/sitetable.h"

// Sent to the function view: rebuild the sites' status page.
constexpr unsigned int UWM_SITES_STATUS_REBUILD = 0x809;
// Sent to the main window: the set of sites changed.
constexpr unsigned int UWM_SITES_CHANGED = 0x7FD;

// Document command ids.
enum : UINT {
  ID_SITE_QUICK_ADD = 32828,
  ID_SITE_IMPORT = 32835,
  ID_SITE_EXPORT = 32836,
  ID_SITE_REMOVE_ALL = 32834,
  ID_SITE_FIND = 32831,
  ID_SITE_CLOSE_ALL = 32840,
  ID_QUEUE_START = 32816,
  ID_SITE_MANAGER = 32849,
  ID_MANUAL_GET = 32789,
  ID_PING = 32798,
};

constexpr int kQueueThreadSlots = 10;

// Message texts of the document.
extern const char kSiteActiveTaskText[];   // 61450
extern const char kSiteNameExistsText[];   // 61451
extern const char kDefaultSiteHost[];

// Every box the document shows goes through here, so tests can answer it.
// stringId is the string of this module shown (0: text is shown); mode as
// ShowConfirmDlg; autoClose whether the count-down runs. The box returns IDOK
// or IDCANCEL and sets *dontShow when its "don't show" box was ticked.
struct DocBoxRequest {
  UINT stringId;
  const char* text;
  int mode;
  BOOL autoClose;
};
typedef int (*DocBoxFn)(const DocBoxRequest& request, BOOL* dontShow);
DocBoxFn SetDocBoxHook(DocBoxFn fn);  // null: the real boxes; returns the previous

// Makes a queue worker for slot n, its thread not yet created. The queue
// executor points this at its worker class; null: no worker can be made.
typedef CWinThread* (*QueueWorkerFactory)(int n);
QueueWorkerFactory SetQueueWorkerFactory(QueueWorkerFactory fn);

// The edited values of Modify Login Information.
struct SiteLoginValues {
  CString host;
  int32_t port = 21;
  CString name;
  CString user;
  CString password;
  char limitKind = '0';  // option digit 0
  char anonymous = '0';  // option digit 1
  char passive = '0';    // option digit 4
  int32_t connLimit = 0;
};

class CZarnDoc : public CDocument {
  DECLARE_DYNCREATE(CZarnDoc)
public:
  CZarnDoc();
  ~CZarnDoc() override;

  // The document is made once: a second New changes nothing (the sites and
  // their keepers stay). Opening a file first makes the document if needed,
  // then imports the file's sites.
  BOOL OnNewDocument() override;
  BOOL OnOpenDocument(LPCTSTR lpszPathName) override;

  // ---- the site table ----
  CSiteItem* AddSite(SiteRecord* record);
  BOOL DeleteSite(int i);
  // Applies edited login values to site i; FALSE when refused.
  BOOL ModifySite(int i, const SiteLoginValues& values);
  // Gives site i a new name: refused (FALSE, the box shown) for a name another
  // site has in any case or an invalid one; else the old registry key goes,
  // the site is stored under the new one and its cache folder made again.
  BOOL RenameSite(int i, const char* name);
  BOOL ConnectSite(int i);
  void DisconnectSite(int i, BOOL noPrompt);
  BOOL FindSiteNodeByName(const char* name);
  CSiteItem* GetSite(int i) const { return i >= 0 && i < MAX_SITES ? m_sites[i] : nullptr; }
  // For a worker on another thread: the site of slot i with its task count
  // raised, under the site lock (so it cannot be freed in between); null for an
  // empty slot or one being deleted. The worker drops the count when done.
  CSiteItem* TakeSiteForTask(int i);

  BOOL OpenSiteRegistry();
  BOOL LoadSitesFromRegistry(int i);
  BOOL SaveSiteToRegistry(int i);
  BOOL DeleteSiteKey(int i);

  // ---- threads ----
  void AddTaskThread(CWinThread* thread);
  CWinThread* GetTaskThread(int i);
  int GetTaskThreadCount();
  BOOL RemoveTaskThread(int i);
  BOOL StartThreadReaper();
  CTaskThreadList& TaskThreads() { return m_taskThreads; }

  void StartQueueThreads();
  BOOL StartQueueThread(int n);

  // ---- commands ----
  afx_msg void OnImportSites();
  afx_msg void OnExportSites();
  afx_msg void OnRemoveAllSites();
  afx_msg void OnCloseAll();
  afx_msg void OnStartQueue();
  afx_msg void OnUpdateStartQueue(CCmdUI* pCmdUI);
  afx_msg void OnQuickAddSite();
  afx_msg void OnFindSite();
  afx_msg void OnSiteManager();
  afx_msg void OnManualGet();
  afx_msg void OnPing();

  // The program folder's cache folder ("...\cache\"), empty until made.
  const char* CacheRoot() const { return m_cacheRoot; }
  // The pieces of the commands that come after their dialogs.
  BOOL ImportSitesFrom(const char* path);
  // Manual Get's download: one queue item for the remote file of the site of
  // the slot into the local folder, posted to the function view (whose Queue
  // tab is shown). FALSE when nothing was queued.
  BOOL QueueManualGet(int slot, const char* remotePath, const char* localFolder);
  BOOL ExportSitesTo(const char* path);
  // Whether the queue list holds items (Start Queue's update); set by the queue.
  static BOOL (*s_pfnQueueHasItems)();

  // ---- members, in this order ----
  HKEY m_hAppKey;
  HKEY m_hSitesKey;
  UINT m_nSites;
  SiteTable m_sites;
  CTaskThreadList m_taskThreads;
  CWinThread* m_queueThreads[kQueueThreadSlots];
  CWinThread* m_reaperThread;  // the reaper lives in m_taskThreads; kept null

protected:
  // Check-and-start of a keeper and every table change hold this (queue
  // workers connect sites from their threads).
  CCriticalSection m_siteLock;
  DWORD m_guiThreadId;
  int m_promptingSlot;  // the slot whose connect prompt is up, or -1
  bool m_initialised = false;  // OnNewDocument's work done
  // The slot DeleteSite is working on, or -1: its waits answer messages, and a
  // delete, connect or change that comes in there is refused. Written under
  // the site lock.
  std::atomic<int> m_deletingSlot{-1};
  char m_cacheRoot[MAX_PATH];

  void MakeSiteCacheFolder(CSiteItem* site);
  // The checks of a new name for site i, the lock held; on a refusal the lock
  // is released and the box shown.
  bool NewSiteNameAllowed(int i, const char* name, CSingleLock& lock);
  void NotifySitesChanged();
  BOOL StartKeeper(CSiteItem* site);
  BOOL StartQueueWorker(int n);
  // Tells every queue worker to end and waits (bounded) for them; false when
  // one still runs.
  bool StopQueueWorkers();
  void EmptyClipboardForSite(int i);
  void InsertSiteNodes(CSiteItem* site, int slot);

  DECLARE_MESSAGE_MAP()
};

extern CZarnDoc* g_pDoc;

// Shows a box as the document does (through the hook when set).
int ShowDocBox(UINT stringId, const char* text, int mode, BOOL autoClose);
