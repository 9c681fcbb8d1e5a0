#include "shell/doc/zarndoc.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>

#include "engine/confirmdlg.h"
#include "engine/dragpayload.h"
#include "engine/engineres.h"
#include "engine/exitrequest.h"
#include "engine/keeper.h"
#include "engine/listing.h"
#include "engine/launchers.h"
#include "engine/netfunc.h"
#include "engine/planitem.h"
#include "engine/planthread.h"
#include "engine/queuerules.h"
#include "engine/taskdialogs.h"
#include "engine/viewslots.h"
#include "framework/commdlgs.h"
#include "shell/doc/pinglink.h"
#include "shell/doc/sitemanagerlink.h"
#include "shell/doc/sitetreelink.h"
#include "shell/mainframe/quickaddrules.h"
#include "shell/settings/settings.h"
#include "shell/sitestore/sitefile.h"
#include "shell/sitestore/sitename.h"
#include "shell/sitestore/siteregistry.h"
#include "shell/sitestore/storemessage.h"
#include "toolkit/clipboard.h"

CZarnDoc* g_pDoc = nullptr;

const char kSiteActiveTaskText[] = "The site has active task. So it can't be deleted. ";
const char kSiteNameExistsText[] = "The same site name already exists! ";
const char kDefaultSiteHost[] = "ftp.gnu.org";

BOOL (*CZarnDoc::s_pfnQueueHasItems)() = nullptr;

namespace {

std::atomic<DocBoxFn> g_docBoxHook{nullptr};
// The queue executor's worker until something else is set.
std::atomic<QueueWorkerFactory> g_queueWorkerFactory{&MakePlanThread};

// How the queue workers reach the document's sites.
CSiteItem* PlanDocSite(int i) { return g_pDoc != nullptr ? g_pDoc->TakeSiteForTask(i) : nullptr; }
BOOL PlanDocConnect(int i) { return g_pDoc != nullptr ? g_pDoc->ConnectSite(i) : FALSE; }
int PlanDocQueueCount()
{
  BOOL (*hasItems)() = CZarnDoc::s_pfnQueueHasItems;
  return hasItems == nullptr ? -1 : (hasItems() ? 1 : 0);
}
const PlanDocAccess kPlanDocAccess = {&PlanDocSite, &PlanDocConnect, &PlanDocQueueCount};

// How the launchers reach the document (on the GUI thread, as the views).
CSiteItem* LaunchDocSite(int i) { return g_pDoc != nullptr ? g_pDoc->GetSite(i) : nullptr; }
CTaskThreadList* LaunchDocTasks() { return g_pDoc != nullptr ? &g_pDoc->TaskThreads() : nullptr; }
const LaunchDocAccess kLaunchDocAccess = {&LaunchDocSite, &PlanDocConnect, &LaunchDocTasks};

// How long Connect waits for a keeper that is ending before it gives up.
constexpr DWORD kEndingKeeperWaitMs = 5000;
// How long a new keeper gets to raise its running flag.
constexpr int kKeeperStartWaitMs = 2000;

bool ThreadRunning(CWinThread* thread)
{
  if (thread == nullptr || thread->m_hThread == nullptr)
    return false;
  DWORD code = 0;
  return ::GetExitCodeThread(thread->m_hThread, &code) && code == STILL_ACTIVE;
}

// Answers the messages other threads sent to this one (a worker's request
// for an item, its begin and finish) and takes nothing else.
void AnswerSentMessages()
{
  MSG msg;
  ::PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

// A worker past its last look ends within moments; messages it sends to this
// thread meanwhile are answered. Bounded: its end-of-queue box may wait on
// the user.
constexpr DWORD kQueueWorkerLeaveWaitMs = 3000;
bool WaitForWorkerEnd(CWinThread* thread)
{
  const DWORD start = ::GetTickCount();
  while (ThreadRunning(thread)) {
    const DWORD spent = ::GetTickCount() - start;
    if (spent >= kQueueWorkerLeaveWaitMs)
      return false;
    AnswerSentMessages();
    HANDLE h = thread->m_hThread;
    ::MsgWaitForMultipleObjectsEx(1, &h, std::min<DWORD>(50, kQueueWorkerLeaveWaitMs - spent), QS_SENDMESSAGE,
                                  MWMO_INPUTAVAILABLE);
  }
  return true;
}

// How often a pumping wait looks at the exit flag.
constexpr DWORD kPumpSliceMs = 200;
// How long DeleteSite waits for the site's keeper to end: its connection
// thread's bounded stop, and a slice of its connect or keep-alive loop.
constexpr DWORD kDeleteKeeperWaitMs = kNetFuncStopWaitMs + 10000;
// How long the document waits at exit for its task threads to end.
constexpr DWORD kTaskThreadEndWaitMs = 15000;

// Waits for a thread while the calling thread's windows keep working; an exit
// ends the wait. True when the thread ended.
bool WaitThreadPumping(HANDLE h, DWORD waitMs)
{
  const DWORD start = ::GetTickCount();
  for (;;) {
    const DWORD spent = ::GetTickCount() - start;
    if (spent >= waitMs || g_exitRequested.load() != 0)
      return ::WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
    const DWORD slice = std::min(waitMs - spent, kPumpSliceMs);
    const DWORD r = ::MsgWaitForMultipleObjects(1, &h, FALSE, slice, QS_ALLINPUT);
    if (r == WAIT_TIMEOUT)
      continue;
    if (r == WAIT_OBJECT_0)
      return true;
    if (r != WAIT_OBJECT_0 + 1)
      return ::WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
    MSG msg;
    while (::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        ::PostQuitMessage((int)msg.wParam);
        return ::WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
      }
      ::TranslateMessage(&msg);
      ::DispatchMessage(&msg);
    }
  }
}

// How long the document waits, for all its queue workers together, when it
// goes away.
constexpr DWORD kQueueWorkerEndWaitMs = 15000;
constexpr DWORD kQueueWorkerEndSliceMs = 50;

HWND SlotWindow(const ViewSlot& slot)
{
  return slot.Window();
}

void SendToFuncView(UINT message, WPARAM wParam, LPARAM lParam)
{
  if (HWND h = SlotWindow(g_pFuncView))
    ::SendMessage(h, message, wParam, lParam);
}

void PostToFuncView(UINT message, WPARAM wParam, LPARAM lParam)
{
  if (HWND h = SlotWindow(g_pFuncView))
    ::PostMessage(h, message, wParam, lParam);
}

// The site store's messages shown as the program's boxes.
void StoreMessageToBox(int box, const char* text, const char* caption)
{
  if (box == SITEBOX_ERROR) {
    ShowDocBox(0, text, kConfirmModeError, TRUE);
    return;
  }
  if (DocBoxFn hook = g_docBoxHook.load()) {
    BOOL dontShow = FALSE;
    hook(DocBoxRequest{0, text, kConfirmModeError, FALSE}, &dontShow);
    return;
  }
  ::MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR);
}

// Import adds through the document, so every added site gets its key, folder
// and tree nodes.
class CDocSiteTarget : public CSiteFileTarget {
public:
  explicit CDocSiteTarget(CZarnDoc& doc) : m_doc(doc) {}
  bool IsSiteTableFull() override { return m_doc.m_nSites >= (UINT)MAX_SITES || FindFreeSiteSlot(m_doc.m_sites) < 0; }
  bool AddSiteRecord(SiteRecord& record) override { return m_doc.AddSite(&record) != nullptr; }

private:
  CZarnDoc& m_doc;
};

}  // namespace

DocBoxFn SetDocBoxHook(DocBoxFn fn) { return g_docBoxHook.exchange(fn); }

QueueWorkerFactory SetQueueWorkerFactory(QueueWorkerFactory fn) { return g_queueWorkerFactory.exchange(fn); }

int ShowDocBox(UINT stringId, const char* text, int mode, BOOL autoClose)
{
  CString loaded;
  if (stringId != 0 && !loaded.LoadString(stringId))
    loaded.Empty();
  const char* shown = stringId != 0 ? (const char*)loaded : text;
  BOOL dontShow = FALSE;
  int result;
  if (DocBoxFn hook = g_docBoxHook.load()) {
    result = hook(DocBoxRequest{stringId, shown, mode, autoClose}, &dontShow);
  } else if (stringId != 0 && autoClose) {
    // The shared box clears the mode's bits itself.
    return ShowConfirmDlg(AfxGetMainWnd(), stringId, mode);
  } else {
    CConfirmDlg dlg(autoClose, AfxGetMainWnd());
    dlg.m_text = shown;
    dlg.m_mode = mode;
    dlg.m_timeoutAnswer = stringId != 0 ? ConfirmTimeoutAnswer(stringId) : IDOK;
    result = (int)dlg.DoModal();
    dontShow = dlg.m_dontShow;
  }
  if (result == IDOK && dontShow && mode >= 1)
    __atomic_fetch_and(&g_optionFlags, ~(uint32_t)mode, __ATOMIC_SEQ_CST);
  return result;
}

IMPLEMENT_DYNCREATE(CZarnDoc, CDocument)

BEGIN_MESSAGE_MAP(CZarnDoc, CDocument)
  ON_COMMAND(ID_SITE_QUICK_ADD, OnQuickAddSite)
  ON_COMMAND(ID_SITE_IMPORT, OnImportSites)
  ON_COMMAND(ID_SITE_EXPORT, OnExportSites)
  ON_COMMAND(ID_SITE_REMOVE_ALL, OnRemoveAllSites)
  ON_COMMAND(ID_SITE_FIND, OnFindSite)
  ON_COMMAND(ID_SITE_CLOSE_ALL, OnCloseAll)
  ON_COMMAND(ID_QUEUE_START, OnStartQueue)
  ON_UPDATE_COMMAND_UI(ID_QUEUE_START, OnUpdateStartQueue)
  ON_COMMAND(ID_SITE_MANAGER, OnSiteManager)
  ON_COMMAND(ID_MANUAL_GET, OnManualGet)
  ON_COMMAND(ID_PING, OnPing)
END_MESSAGE_MAP()

CZarnDoc::CZarnDoc()
    : m_hAppKey(nullptr),
      m_hSitesKey(nullptr),
      m_nSites(1),
      m_sites(),
      m_queueThreads(),
      m_reaperThread(nullptr),
      m_guiThreadId(::GetCurrentThreadId()),
      m_promptingSlot(-1),
      m_cacheRoot()
{
  SetPlanDocAccess(&kPlanDocAccess);
  SetLaunchDocAccess(&kLaunchDocAccess);
  CSiteItem* site = new CSiteItem();
  CopySiteText(site->m_host, kDefaultSiteHost);
  CopySiteText(site->m_name, kDefaultSiteHost);
  site->SiteOptionDigits[1] = '1';
  m_sites[0] = site;
}

namespace {
// How long the document's end waits for a keeper it told to stop.
constexpr DWORD kKeeperEndWaitMs = 2000;
}  // namespace

CZarnDoc::~CZarnDoc()
{
  if (m_hSitesKey != nullptr)
    ::RegCloseKey(m_hSitesKey);
  if (m_hAppKey != nullptr)
    ::RegCloseKey(m_hAppKey);
  m_hSitesKey = m_hAppKey = nullptr;
  // Everything that may still use a site is told to stop: workers and tasks
  // by the queue-run flag, keepers (whose end wakes tasks waiting for the
  // site) by their running flag.
  for (CSiteItem* site : m_sites) {
    if (site == nullptr)
      continue;
    site->m_queueRun = 0;
    if (site->m_pKeeperThread != nullptr) {
      site->m_keeperRunning = 0;
      site->m_pKeeperThread->ResumeThread();
    }
  }
  // Task destructors touch their sites: the sites go only after every task
  // thread has ended and been deleted. A task or worker that outlives the
  // wait still uses its site: the sites are left alone then.
  const bool tasksEnded = m_taskThreads.EndAll(kTaskThreadEndWaitMs);
  if (StopQueueWorkers() && tasksEnded) {
    for (CSiteItem*& site : m_sites) {
      // A keeper that does not end (blocked in a name look-up) would hold the
      // site's teardown for ever: that site is left to the process's end.
      if (site != nullptr && site->m_pKeeperThread != nullptr && site->m_pKeeperThread->m_hThread != nullptr &&
          ::WaitForSingleObject(site->m_pKeeperThread->m_hThread, kKeeperEndWaitMs) == WAIT_TIMEOUT) {
        site = nullptr;
        continue;
      }
      delete site;
      site = nullptr;
    }
  }
  if (g_pDoc == this)
    g_pDoc = nullptr;
}

BOOL CZarnDoc::OnNewDocument()
{
  // Loading the sites again would put a second table over live keepers.
  if (m_initialised)
    return TRUE;
  if (!CDocument::OnNewDocument())
    return FALSE;
  m_initialised = true;
  g_pDoc = this;
  m_guiThreadId = ::GetCurrentThreadId();
  SetSiteStoreMessageHook(&StoreMessageToBox);
  OpenSiteRegistry();

  CString folder = g_appPath;
  if (folder.IsEmpty() || folder[folder.GetLength() - 1] != '\\')
    folder += "\\";
  if (g_downloadPath[0] == '\0') {
    CString download = folder + "download";
    lstrcpynA(g_downloadPath, download, (int)sizeof(g_downloadPath));
  }
  ::CreateDirectoryA(g_downloadPath, nullptr);

  CString cache = folder + "cache\\";
  m_cacheRoot[0] = '\0';
  if ((size_t)cache.GetLength() < sizeof(m_cacheRoot) &&
      (::CreateDirectoryA(cache, nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS)) {
    lstrcpynA(m_cacheRoot, cache, (int)sizeof(m_cacheRoot));
    for (CSiteItem* site : m_sites)
      MakeSiteCacheFolder(site);
  }

  PostToFuncView(UWM_SHOW_FUNC_TAB, 0, (LPARAM)g_funcViewTab);
  SendToFuncView(UWM_SITES_STATUS_REBUILD, 0, 0);
  return TRUE;
}

BOOL CZarnDoc::OnOpenDocument(LPCTSTR lpszPathName)
{
  if (!m_initialised && !OnNewDocument())
    return FALSE;
  // A file that is no site file gets its box from the import; the program runs on.
  ImportSitesFrom(lpszPathName);
  return TRUE;
}

// Node handles are not kept across runs (and the tree reuses those of deleted
// nodes): a cache file found now would show a new node another folder's
// listing. Only the cache's own names go.
static void RemoveLeftoverCacheFiles(const char* folder)
{
  const std::string prefix(folder);
  WIN32_FIND_DATAA found;
  HANDLE find = ::FindFirstFileA((prefix + "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE)
    return;
  do {
    const DWORD notPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    if ((found.dwFileAttributes & notPlain) == 0 && IsCacheFileName(found.cFileName))
      ::DeleteFileA((prefix + found.cFileName).c_str());
  } while (::FindNextFileA(find, &found));
  ::FindClose(find);
}

// A name that breaks the folder rules, or a path too long for the field,
// leaves the site without a cache folder.
void CZarnDoc::MakeSiteCacheFolder(CSiteItem* site)
{
  if (site == nullptr || m_cacheRoot[0] == '\0')
    return;
  char path[kSiteCacheFolderLen];
  if (!BuildSiteCacheFolder(m_cacheRoot, site->m_name, path))
    return;
  CString dir(path);
  dir = dir.Left(dir.GetLength() - 1);
  if (::CreateDirectoryA(dir, nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS) {
    lstrcpynA(site->m_cacheFolder, path, (int)sizeof(site->m_cacheFolder));
    RemoveLeftoverCacheFiles(path);
  }
}

void CZarnDoc::NotifySitesChanged()
{
  SendToFuncView(UWM_SITES_STATUS_REBUILD, 0, 0);
  if (CWnd* main = AfxGetMainWnd())
    if (main->m_hWnd != nullptr)
      ::SendMessage(main->m_hWnd, UWM_SITES_CHANGED, 0, 0);
}

// ---- registry ----

BOOL CZarnDoc::OpenSiteRegistry()
{
  CSingleLock lock(&m_siteLock, TRUE);
  return ::OpenSiteRegistry(m_hAppKey, m_hSitesKey, m_sites, m_nSites);
}

BOOL CZarnDoc::LoadSitesFromRegistry(int i)
{
  CSiteItem* site = GetSite(i);
  return site != nullptr && m_hSitesKey != nullptr && ::LoadSitesFromRegistry(m_hSitesKey, (DWORD)i, *site);
}

BOOL CZarnDoc::SaveSiteToRegistry(int i)
{
  CSiteItem* site = GetSite(i);
  return site != nullptr && ::SaveSiteToRegistry(m_hAppKey, m_hSitesKey, *site);
}

BOOL CZarnDoc::DeleteSiteKey(int i)
{
  CSiteItem* site = GetSite(i);
  return site != nullptr && ::DeleteSiteKey(m_hAppKey, m_hSitesKey, *site);
}

// ---- the table ----

BOOL CZarnDoc::FindSiteNodeByName(const char* name)
{
  CSiteTreeLink* tree = SiteTreeLink(1);
  return tree != nullptr && name != nullptr && tree->FindSiteNode(name) != nullptr;
}

void CZarnDoc::InsertSiteNodes(CSiteItem*, int slot)
{
  // Each tree writes its own node field of the site.
  for (int pane : {1, 0})
    if (CSiteTreeLink* tree = SiteTreeLink(pane))
      tree->InsertSiteNode(slot);
}

CSiteItem* CZarnDoc::AddSite(SiteRecord* record)
{
  if (record == nullptr)
    return nullptr;
  CSingleLock lock(&m_siteLock, TRUE);
  if (FindFreeSiteSlot(m_sites) < 0) {
    lock.Unlock();
    ShowDocBox(0, kSitesLimitText, kConfirmModeError, TRUE);
    return nullptr;
  }
  if (FindSiteNodeByName(record->m_name))
    return nullptr;
  // The one name check (form rules, and no site of that name in any slot).
  const int slot = AddSiteToTable(m_sites, m_nSites, *record);
  if (slot < 0)
    return nullptr;
  CSiteItem* site = m_sites[slot];
  InsertSiteNodes(site, slot);
  SaveSiteToRegistry(slot);
  MakeSiteCacheFolder(site);
  record->m_pNewSite = site;
  lock.Unlock();
  NotifySitesChanged();
  return site;
}

void CZarnDoc::EmptyClipboardForSite(int i)
{
  // Only a copy of this process's entries names its sites: one of another
  // instance, or a damaged block, is left alone.
  BYTE record[kClipPayloadSize];
  if (!GetPayloadFromClipboard(record, nullptr))
    return;
  DragPayload payload;
  int count = 0;
  if (ValidateDragPayload(record, sizeof record, (uint32_t)::GetCurrentProcessId(), &payload, &count) == nullptr)
    return;
  if (payload.m_source == i || payload.m_target == i)
    ClearClipboard(nullptr);
}

BOOL CZarnDoc::DeleteSite(int i)
{
  // One delete at a time: its box and its wait for the keeper answer
  // messages, and a delete that comes in there must not run inside it.
  if (m_deletingSlot.load() >= 0)
    return FALSE;
  CSiteItem* site = GetSite(i);
  if (site == nullptr)
    return FALSE;
  if (site->m_taskCount.load() != 0) {
    ShowDocBox(0, kSiteActiveTaskText, kConfirmModeError, TRUE);
    return FALSE;
  }
  struct DeletingMark {
    CZarnDoc& doc;
    DeletingMark(CZarnDoc& d, int slot) : doc(d)
    {
      CSingleLock lock(&doc.m_siteLock, TRUE);
      doc.m_deletingSlot = slot;
    }
    ~DeletingMark()
    {
      CSingleLock lock(&doc.m_siteLock, TRUE);
      doc.m_deletingSlot = -1;
    }
  } mark(*this, i);
  // Deleting asks without a count-down: nobody there must not mean yes.
  if (IsOptionSet(OPTBIT_CONFIRM_DELETE_SITE) &&
      ShowDocBox(IDS_CONFIRM_DELETE_SITE, nullptr, 1 << OPTBIT_CONFIRM_DELETE_SITE, FALSE) != IDOK)
    return FALSE;
  EmptyClipboardForSite(i);
  HANDLE keeper = nullptr;
  {
    CSingleLock lock(&m_siteLock, TRUE);
    if (m_sites[i] != site || site->m_taskCount.load() != 0)
      return FALSE;
    site->m_keeperRunning = 0;
    if (site->m_pKeeperThread != nullptr) {
      site->m_pKeeperThread->ResumeThread();
      keeper = site->m_pKeeperThread->m_hThread;
    }
  }
  // The keeper is told to stop; the site goes only once its thread has ended.
  // The lock is not held here: workers connecting other sites go on.
  if (keeper != nullptr && !WaitThreadPumping(keeper, kDeleteKeeperWaitMs))
    return FALSE;  // still ending (or the program is closing): the site stays, stopped
  {
    CSingleLock lock(&m_siteLock, TRUE);
    if (m_sites[i] != site)
      return FALSE;
    if (site->m_taskCount.load() != 0) {
      lock.Unlock();
      ShowDocBox(0, kSiteActiveTaskText, kConfirmModeError, TRUE);
      return FALSE;
    }
    DeleteSiteKey(i);
    m_sites[i] = nullptr;
    if (m_nSites > 0)
      --m_nSites;
  }
  delete site;
  NotifySitesChanged();
  return TRUE;
}

CSiteItem* CZarnDoc::TakeSiteForTask(int i)
{
  CSingleLock lock(&m_siteLock, TRUE);
  CSiteItem* site = GetSite(i);
  if (site == nullptr || m_deletingSlot.load() == i)
    return nullptr;
  ++site->m_taskCount;
  return site;
}

BOOL CZarnDoc::ModifySite(int i, const SiteLoginValues& v)
{
  CSingleLock lock(&m_siteLock, TRUE);
  CSiteItem* site = GetSite(i);
  if (site == nullptr || m_deletingSlot.load() == i)
    return FALSE;
  const bool renamed = strcmp(site->m_name, v.name) != 0;
  if (renamed) {
    if (!NewSiteNameAllowed(i, v.name, lock))
      return FALSE;
    if (v.host.GetLength() >= kSiteHostLen || v.user.GetLength() >= kSiteUserLen ||
        v.password.GetLength() >= kSitePasswordLen)
      return FALSE;
    DeleteSiteKey(i);
  } else if (v.host.GetLength() >= kSiteHostLen || v.user.GetLength() >= kSiteUserLen ||
             v.password.GetLength() >= kSitePasswordLen) {
    return FALSE;
  }
  // Host and port change only while the site is not connected.
  if (site->m_connected.load() == 0) {
    CopySiteText(site->m_host, v.host);
    site->m_port = v.port;
  }
  CopySiteText(site->m_name, v.name);
  CopySiteText(site->m_user, v.user);
  CopySiteText(site->m_password, v.password);
  site->SiteOptionDigits[0] = v.limitKind;
  site->SiteOptionDigits[1] = v.anonymous;
  site->SiteOptionDigits[4] = v.passive;
  site->m_connLimit = v.connLimit;
  SaveSiteToRegistry(i);
  if (renamed) {
    site->m_cacheFolder[0] = '\0';
    MakeSiteCacheFolder(site);
  }
  lock.Unlock();
  NotifySitesChanged();
  return TRUE;
}

bool CZarnDoc::NewSiteNameAllowed(int i, const char* name, CSingleLock& lock)
{
  // The site's own node may carry the name in another case: that is no clash.
  const CSiteItem* site = GetSite(i);
  const bool ownNode = site != nullptr && SiteNamesEqual(site->m_name, name);
  if ((!ownNode && FindSiteNodeByName(name)) || IsSiteNameTaken(m_sites, name, i)) {
    lock.Unlock();
    ShowDocBox(0, kSiteNameExistsText, kConfirmModeError, TRUE);
    return false;
  }
  if (!IsValidSiteName(name)) {
    lock.Unlock();
    ShowDocBox(0, kInvalidSiteNameText, kConfirmModeError, TRUE);
    return false;
  }
  return true;
}

BOOL CZarnDoc::RenameSite(int i, const char* name)
{
  CSingleLock lock(&m_siteLock, TRUE);
  CSiteItem* site = GetSite(i);
  if (site == nullptr || name == nullptr || m_deletingSlot.load() == i)
    return FALSE;
  if (strcmp(site->m_name, name) == 0)
    return TRUE;
  if (strlen(name) >= sizeof site->m_name || !NewSiteNameAllowed(i, name, lock))
    return FALSE;
  DeleteSiteKey(i);
  CopySiteText(site->m_name, name);
  SaveSiteToRegistry(i);
  site->m_cacheFolder[0] = '\0';
  MakeSiteCacheFolder(site);
  lock.Unlock();
  NotifySitesChanged();
  return TRUE;
}

// ---- connecting ----

BOOL CZarnDoc::StartKeeper(CSiteItem* site)
{
  CWinThread* thread = AfxBeginThread(ConnectKeeperProc, site, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  if (thread == nullptr)
    return FALSE;
  thread->m_bAutoDelete = FALSE;
  site->m_keeperRunning = 0;
  site->m_pKeeperThread = thread;
  thread->ResumeThread();
  // The keeper raises its running flag as it starts; a stop before that would
  // be overwritten and lost. Wait (briefly) until it is up, so a Disconnect
  // right after this always reaches it.
  for (int spent = 0; site->m_keeperRunning.load() == 0 && spent < kKeeperStartWaitMs; spent += 5) {
    if (::WaitForSingleObject(thread->m_hThread, 5) == WAIT_OBJECT_0)
      return TRUE;  // ended already (it told the log why)
  }
  if (site->m_keeperRunning.load() == 0 && ThreadRunning(thread))
    site->m_keeperRunning = 1;
  return TRUE;
}

BOOL CZarnDoc::ConnectSite(int i)
{
  // One keeper per site: queue workers connect from their own threads.
  CSingleLock lock(&m_siteLock, TRUE);
  CSiteItem* site = GetSite(i);
  if (site == nullptr || m_deletingSlot.load() == i)
    return FALSE;
  // Decide the keeper's state before looking at or touching the event: a
  // keeper told to stop may still hold the event reset, and sets it for the
  // last time as it ends.
  if (CWinThread* keeper = site->m_pKeeperThread) {
    if (ThreadRunning(keeper)) {
      if (site->m_keeperRunning.load() != 0)
        return TRUE;
      // Told to stop and still ending: it sets the event for the last time.
      if (!WaitThreadPumping(keeper->m_hThread, kEndingKeeperWaitMs))
        return site->m_keeperRunning.load() != 0 ? TRUE : FALSE;
    }
    if (site->m_pKeeperThread == keeper) {
      site->m_pKeeperThread = nullptr;
      delete keeper;
    }
  }

  // No keeper. The GUI thread may come back here from inside the connect
  // prompt (its box pumps messages): that connect is the one in progress.
  if (m_promptingSlot == i)
    return TRUE;
  if (site->m_hIdleEvent != nullptr)
    ::ResetEvent(site->m_hIdleEvent);
  if (IsOptionSet(OPTBIT_CONFIRM_CONNECT) && ::GetCurrentThreadId() == m_guiThreadId) {
    m_promptingSlot = i;
    const int answer = ShowDocBox(IDS_CONFIRM_CONNECT, nullptr, 1 << OPTBIT_CONFIRM_CONNECT, TRUE);
    m_promptingSlot = -1;
    if (answer != IDOK) {
      if (site->m_hIdleEvent != nullptr)
        ::SetEvent(site->m_hIdleEvent);
      return FALSE;
    }
  }
  if (!StartKeeper(site)) {
    if (site->m_hIdleEvent != nullptr)
      ::SetEvent(site->m_hIdleEvent);
    return FALSE;
  }
  return TRUE;
}

void CZarnDoc::DisconnectSite(int i, BOOL noPrompt)
{
  if (!noPrompt && IsOptionSet(OPTBIT_CONFIRM_DISCONNECT) &&
      ShowDocBox(IDS_CONFIRM_DISCONNECT, nullptr, 1 << OPTBIT_CONFIRM_DISCONNECT, TRUE) != IDOK)
    return;
  CSingleLock lock(&m_siteLock, TRUE);
  CSiteItem* site = GetSite(i);
  if (site == nullptr)
    return;
  if (site->m_pKeeperThread != nullptr) {
    site->m_keeperRunning = 0;
    site->m_pKeeperThread->ResumeThread();
  }
  HWND trees[2] = {SlotWindow(g_pSerTrView), SlotWindow(g_pSerTrView1)};
  HTREEITEM nodes[2] = {site->m_hTreeNode, site->m_hTreeNode1};
  lock.Unlock();
  for (int t = 0; t < 2; ++t)
    if (trees[t] != nullptr)
      ::PostMessage(trees[t], UWM_SITE_STATE, (WPARAM)nodes[t], 0);
  if (noPrompt)
    return;
  for (int t = 0; t < 2; ++t)
    if (CSiteTreeLink* tree = SiteTreeLink(t == 0 ? 1 : 0))
      if (nodes[t] != nullptr)
        tree->LeaveSiteNode(nodes[t]);
}

void CZarnDoc::OnCloseAll()
{
  for (int pane : {1, 0})
    if (CSiteTreeLink* tree = SiteTreeLink(pane))
      tree->SelectRoot();
  if (IsOptionSet(OPTBIT_CONFIRM_DISCONNECT) &&
      ShowDocBox(IDS_CONFIRM_DISCONNECT, nullptr, 1 << OPTBIT_CONFIRM_DISCONNECT, TRUE) != IDOK)
    return;
  for (int i = 0; i < MAX_SITES; ++i)
    if (m_sites[i] != nullptr)
      DisconnectSite(i, TRUE);
}

// ---- task threads ----

void CZarnDoc::AddTaskThread(CWinThread* thread) { m_taskThreads.AddTaskThread(thread); }
CWinThread* CZarnDoc::GetTaskThread(int i) { return m_taskThreads.GetTaskThread(i); }
int CZarnDoc::GetTaskThreadCount() { return m_taskThreads.GetTaskThreadCount(); }
BOOL CZarnDoc::RemoveTaskThread(int i) { return m_taskThreads.RemoveTaskThread(i); }
BOOL CZarnDoc::StartThreadReaper() { return m_taskThreads.StartThreadReaper(); }

// ---- queue workers ----

BOOL CZarnDoc::StartQueueWorker(int n)
{
  CWinThread*& slot = m_queueThreads[n];
  if (slot != nullptr) {
    slot->ResumeThread();
    if (ThreadRunning(slot)) {
      // A worker still looking for items looks once more; one past its last
      // look is let end first (it only reports), then replaced.
      if (QueueSlotAskAgain(n) || !WaitForWorkerEnd(slot))
        return TRUE;
    }
    delete slot;
    slot = nullptr;
  }
  QueueWorkerFactory factory = g_queueWorkerFactory.load();
  if (factory == nullptr)
    return FALSE;
  CWinThread* worker = factory(n);
  if (worker == nullptr)
    return FALSE;
  // Not waited for: the workers start side by side instead of one after the
  // other. Its WM_QUIT is posted again until its queue takes it.
  if (!worker->CreateSuspendedUnqueued()) {
    delete worker;
    return FALSE;
  }
  worker->SetThreadPriority(THREAD_PRIORITY_NORMAL);
  worker->m_bAutoDelete = FALSE;
  slot = worker;
  QueueSlotArm(n);
  worker->ResumeThread();
  return TRUE;
}

bool CZarnDoc::StopQueueWorkers()
{
  // Every worker is told first, so they wind down side by side. A worker may be
  // inside a SendMessage to this thread's windows, where it cannot see its
  // WM_QUIT: such sent messages are answered while waiting. Posted ones stay
  // queued, so nothing else of the program runs inside the destructor.
  bool told[kQueueThreadSlots] = {};
  for (int n = 0; n < kQueueThreadSlots; ++n) {
    CWinThread* worker = m_queueThreads[n];
    if (worker == nullptr)
      continue;
    worker->ResumeThread();
    told[n] = worker->PostThreadMessage(WM_QUIT, 0, 0) != FALSE;
  }
  const DWORD start = ::GetTickCount();
  for (;;) {
    HANDLE running[kQueueThreadSlots];
    DWORD count = 0;
    for (int n = 0; n < kQueueThreadSlots; ++n) {
      CWinThread* worker = m_queueThreads[n];
      if (!ThreadRunning(worker))
        continue;
      // A thread that had no message queue yet could not take the first post.
      if (!told[n])
        told[n] = worker->PostThreadMessage(WM_QUIT, 0, 0) != FALSE;
      running[count++] = worker->m_hThread;
    }
    const DWORD spent = ::GetTickCount() - start;
    if (count == 0 || spent >= kQueueWorkerEndWaitMs)
      break;
    // Answered before every wait: a send that someone already noticed on this
    // thread no longer counts as new input and would not wake the wait.
    AnswerSentMessages();
    const DWORD slice = std::min<DWORD>(kQueueWorkerEndSliceMs, kQueueWorkerEndWaitMs - spent);
    ::MsgWaitForMultipleObjectsEx(count, running, slice, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
  }
  bool allEnded = true;
  for (CWinThread*& worker : m_queueThreads) {
    if (worker == nullptr)
      continue;
    if (ThreadRunning(worker)) {
      allEnded = false;  // still holds its object: left, not freed under it
      continue;
    }
    delete worker;
    worker = nullptr;
  }
  return allEnded;
}

void CZarnDoc::StartQueueThreads()
{
  int count = g_queueThreadCount;
  if (count < 0)
    count = 0;
  if (count > kQueueThreadSlots)
    count = kQueueThreadSlots;
  for (int n = 0; n < count; ++n) {
    StartQueueWorker(n);
    // A started worker's first request for an item is answered now, not once
    // every worker stands: making a thread takes milliseconds, and the first
    // one would otherwise wait for all the others before it may connect.
    if (n + 1 < count)
      AnswerSentMessages();
  }
}

BOOL CZarnDoc::StartQueueThread(int n)
{
  if (n < 0 || n >= kQueueThreadSlots)
    return FALSE;
  return StartQueueWorker(n);
}

// ---- commands ----

void CZarnDoc::OnStartQueue()
{
  for (CSiteItem* site : m_sites)
    if (site != nullptr)
      site->m_queueRun = 1;
  StartQueueThreads();
}

void CZarnDoc::OnUpdateStartQueue(CCmdUI* pCmdUI)
{
  pCmdUI->Enable(s_pfnQueueHasItems != nullptr && s_pfnQueueHasItems());
}

BOOL CZarnDoc::ImportSitesFrom(const char* path)
{
  CDocSiteTarget target(*this);
  const SiteImportResult r = ImportSitesFromFile(path, target);
  return r.bOpened && !r.bDamaged;
}

BOOL CZarnDoc::ExportSitesTo(const char* path) { return ExportSitesToFile(path, m_sites); }

void CZarnDoc::OnImportSites()
{
  CFileDialog dlg(TRUE, kSiteFileExtension, kSiteFileDefaultName, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                  kSiteFileFilter, AfxGetMainWnd());
  if (dlg.DoModal() != IDOK)
    return;
  ImportSitesFrom(dlg.GetPathName());
}

void CZarnDoc::OnExportSites()
{
  CFileDialog dlg(FALSE, kSiteFileExtension, kSiteFileDefaultName, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                  kSiteFileFilter, AfxGetMainWnd());
  if (dlg.DoModal() != IDOK)
    return;
  ExportSitesTo(dlg.GetPathName());
}

void CZarnDoc::OnRemoveAllSites()
{
  // Asks without a count-down: nobody there must not clear the store.
  if (ShowDocBox(IDS_CONFIRM_REMOVE_ALL_SITES, nullptr, kConfirmModeQuestion, FALSE) != IDOK)
    return;
  CSingleLock lock(&m_siteLock, TRUE);
  RemoveAllSitesFromRegistry(m_hAppKey, m_hSitesKey);
}

// Finished by the issues that build their dialogs and libraries.
void CZarnDoc::OnQuickAddSite()
{
  SiteLoginValues values;
  values.anonymous = '1';
  CTaskDialogs* dialogs = TaskDialogs();
  if (dialogs == nullptr || !dialogs->QuickAddSite(AfxGetMainWnd(), values)) {
    NotifySitesChanged();
    return;
  }
  values.host.Trim(" ");
  values.name.Trim(" ");
  if (values.host.IsEmpty() || values.name.IsEmpty()) {
    NotifySitesChanged();
    return;
  }
  SiteRecord record;
  memset(&record, 0, sizeof record);
  LoginFieldValues login = {values.host, values.port, values.name, values.user, values.password,
                            values.limitKind, values.anonymous, values.passive, values.connLimit};
  FillLoginFields(record, login);
  bool full = false;
  UINT refusal = 0;
  {
    CSingleLock lock(&m_siteLock, TRUE);
    full = FindFreeSiteSlot(m_sites) < 0;
    // The name becomes a subkey and a folder: another site's name in any
    // case, or one no folder can bear, is refused before anything is made.
    if (!full && (FindSiteNodeByName(record.m_name) || IsSiteNameTaken(m_sites, record.m_name)))
      refusal = 1;
    else if (!full && !IsValidSiteName(record.m_name))
      refusal = 2;
  }
  if (refusal != 0) {
    ShowDocBox(0, refusal == 1 ? kSiteNameExistsText : kInvalidSiteNameText, kConfirmModeError, TRUE);
    NotifySitesChanged();
    return;
  }
  // A full table: AddSite says so, once.
  if (AddSite(&record) == nullptr)
    NotifySitesChanged();
}
void CZarnDoc::OnFindSite()
{
  if (CSiteTreeLink* tree = SiteTreeLink(1))
    tree->FindSiteByDialog();
}
void CZarnDoc::OnSiteManager()
{
  // The library sends its work-site changes to the main window while it runs.
  if (SiteManagerFn open = SiteManagerFunc())
    open(m_sites, AfxGetMainWnd());
}
void CZarnDoc::OnManualGet()
{
  CTaskDialogs* dialogs = TaskDialogs();
  if (dialogs == nullptr)
    return;
  RecordDirValues values;
  values.mode = 0;
  if (!dialogs->RecordDir(AfxGetMainWnd(), values))
    return;
  QueueManualGet(values.siteIndex, values.remoteText, values.saveTarget);
}

BOOL CZarnDoc::QueueManualGet(int slot, const char* remotePath, const char* localFolder)
{
  CSiteItem* site = GetSite(slot);
  CWnd* func = g_pFuncView.load();
  std::string folder, name;
  if (site == nullptr || func == nullptr || func->m_hWnd == nullptr || localFolder == nullptr ||
      std::strlen(localFolder) >= kPlanPathLen || !SplitRemoteFilePath(remotePath, folder, name))
    return FALSE;
  CPlanItem* item = new CPlanItem();
  snprintf(item->m_localPath, sizeof item->m_localPath, "%s", localFolder);
  snprintf(item->m_remotePath, sizeof item->m_remotePath, "%s", folder.c_str());
  snprintf(item->m_fileName, sizeof item->m_fileName, "%s", name.c_str());
  snprintf(item->m_direction, sizeof item->m_direction, "%s", "<-");
  SetPlanItemSite(*item, *site);
  item->m_kind = kEntryFile;
  item->m_bytesDone = 0;
  site->m_queueRun = 1;
  if (!func->PostMessage(UWM_QUEUE_ADD, 0, (LPARAM)item)) {
    delete item;  // never reached the queue
    return FALSE;
  }
  func->PostMessage(UWM_SHOW_FUNC_TAB, 0, 3);
  return TRUE;
}
void CZarnDoc::OnPing()
{
  if (PingFn open = PingFunc())
    open(m_sites);
}
