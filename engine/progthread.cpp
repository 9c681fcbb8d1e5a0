#include "engine/progthread.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/connlog.h"
#include "engine/exitrequest.h"
#include "engine/ftpsocketwnd.h"
#include "engine/keeper.h"
#include "engine/listingcache.h"
#include "engine/netfunc.h"
#include "engine/netsession.h"
#include "engine/siteitem.h"
#include "engine/taskthreads.h"
#include "engine/viewmessages.h"
#include "engine/viewslots.h"
#include "shell/settings/settings.h"

ViewSlot g_pMainFrame;
ViewSlot g_pLocTrView;
std::atomic<uint32_t> g_taskConnectWaitMs{60000};

namespace {

const DWORD kRunSliceMs = 2000;
const DWORD kAbortSliceMs = 3000;

DWORD Since(DWORD start)
{
  return ::GetTickCount() - start;
}

// How often a connect wait looks at the exit flag.
const DWORD kExitPollMs = 200;
// A setting's wait beyond this is nonsense; a day is plenty.
const uint64_t kLongestWaitMs = 24ull * 3600 * 1000;

// Waits for the handle up to waitMs, in slices so that an exit ends the wait
// (WAIT_TIMEOUT then).
DWORD WaitUnlessExit(HANDLE handle, uint64_t waitMs)
{
  const DWORD start = ::GetTickCount();
  while (g_exitRequested.load() == 0) {
    const DWORD spent = Since(start);
    if (spent >= waitMs)
      break;
    const uint64_t left = waitMs - spent;
    const DWORD r = ::WaitForSingleObject(handle, left < kExitPollMs ? (DWORD)left : kExitPollMs);
    if (r != WAIT_TIMEOUT)
      return r;
  }
  return WAIT_TIMEOUT;
}

// The keeper's whole connect (every attempt's wait and the delays between, as
// the keeper reads them): a task waits no longer for the site to be ready.
uint64_t SiteReadyWaitMs(const CSiteItem* site)
{
  const int64_t connectS = site->m_connectTimeout < 11 ? g_connectTimeout : site->m_connectTimeout;
  const int64_t retries = site->m_retryCount != 0 ? site->m_retryCount : g_defRetryCount;
  const int64_t delayS = site->m_retryDelay != 0 ? site->m_retryDelay : g_retryDelay;
  const int64_t attemptMs = (connectS > 0 ? connectS : 0) * 1000 + 3000 + (delayS > 0 ? delayS : 0) * 1000 +
                            2000;  // the keeper sleeps out its delay in 2 s slices
  const int64_t total = (retries > 1 ? retries : 1) * attemptMs;
  return total > (int64_t)kLongestWaitMs ? kLongestWaitMs : (uint64_t)total;
}

void FreeListingText(NetSession* session)
{
  if (session->m_pRecord != nullptr) {
    free(session->m_pRecord);
    session->m_pRecord = nullptr;
  }
}

}  // namespace

IMPLEMENT_DYNCREATE(CProgThread, CWinThread)

BEGIN_MESSAGE_MAP(CProgThread, CWinThread)
END_MESSAGE_MAP()

CProgThread::CProgThread()
{
  InitCommon();
}

void CProgThread::InitCommon()
{
  m_borrowed1 = m_borrowed2 = 0;
  m_pSession1 = m_pSession2 = nullptr;
  m_pNetFunc1 = m_pNetFunc2 = nullptr;
}

static void CopyPath(char* to, const char* from)
{
  std::snprintf(to, kTaskPathLen, "%s", from != nullptr ? from : "");
}

CProgThread::CProgThread(int paneFlag, TaskCode task, CSiteItem* site, HTREEITEM node, const char* path, int value,
                         EntryRecord* entries)
{
  InitCommon();
  m_paneFlag = paneFlag;
  m_task = task;
  m_pSite = site;
  m_hNode = node;
  CopyPath(m_firstPath, path);
  m_value = value;
  m_pEntries = entries;
  m_hResultTree = ServerTreeSlot(paneFlag).Window();
  if (task == TASK_DOWNLOAD)
    m_hLocalTree = g_pLocTrView.Window();
  // Taken here, on the GUI thread in request order: a request whose connect is
  // slow must not overtake a later one and make the later one stale.
  if (task == TASK_LIST)
    m_generation = NextListingGeneration(paneFlag);
  else if (task == TASK_SEARCH_LIST)
    m_generation = NextListingGeneration(1);
}

CProgThread::CProgThread(TaskCode task, CSiteItem* site, const char* firstPath, const char* secondPath,
                         HTREEITEM node, int value)
{
  InitCommon();
  m_task = task;
  m_pSite = site;
  CopyPath(m_firstPath, firstPath);
  CopyPath(m_secondPath, secondPath);
  m_matchCase = TakeMatchCaseMark(task, m_firstPath);
  m_hNode = node;
  m_value = value;
}

CProgThread::CProgThread(int paneFlag, TaskCode task, CSiteItem* site, CSiteItem* site2, HTREEITEM node,
                         const char* firstPath, const char* secondPath, int value, EntryRecord* entries)
{
  InitCommon();
  m_paneFlag = paneFlag;
  m_task = task;
  m_pSite = site;
  m_pSite2 = site2;
  m_hNode = node;
  CopyPath(m_firstPath, firstPath);
  CopyPath(m_secondPath, secondPath);
  m_value = value;
  m_pEntries = entries;
  m_hResultTree = ServerTreeSlot(paneFlag).Window();
  if (task == TASK_DOWNLOAD)
    m_hLocalTree = g_pLocTrView.Window();
}

CProgThread::CProgThread(int paneFlag, TaskCode task, CSiteItem* site, HTREEITEM node, const char* firstPath,
                         const char* secondPath, int value, EntryRecord* entries)
    : CProgThread(paneFlag, task, site, nullptr, node, firstPath, secondPath, value, entries)
{
}

CProgThread::~CProgThread()
{
  delete[] m_pEntries;
  m_pEntries = nullptr;
  if (m_pSite != nullptr) {
    ReleaseConnection(m_pSite, &m_pSession1, &m_pNetFunc1, &m_borrowed1);
    if (m_semTaken1) {
      HANDLE sem = m_pSite->ConnectionSemaphore();
      if (sem != nullptr)
        ::ReleaseSemaphore(sem, 1, nullptr);
    }
  }
  if (m_pSite2 != nullptr) {
    ReleaseConnection(m_pSite2, &m_pSession2, &m_pNetFunc2, &m_borrowed2);
    if (m_semTaken2) {
      HANDLE sem = m_pSite2->ConnectionSemaphore();
      if (sem != nullptr)
        ::ReleaseSemaphore(sem, 1, nullptr);
    }
  }
  if (m_pSpaceRun != nullptr) {
    m_pSpaceRun->Release();
    m_pSpaceRun = nullptr;
  }
  // Last: from here the document may free the sites (both may be one site).
  if (m_countRaised1)
    --m_pSite->m_taskCount;
  if (m_countRaised2)
    --m_pSite2->m_taskCount;
}

SpaceUsedRun* SpaceUsedRun::Create()
{
  return new SpaceUsedRun();
}

void CProgThread::SetSpaceRun(SpaceUsedRun* run, int32_t runId)
{
  if (run != nullptr)
    run->AddRef();
  if (m_pSpaceRun != nullptr)
    m_pSpaceRun->Release();
  m_pSpaceRun = run;
  m_runId = runId;
}

void CProgThread::RaiseTaskCounts()
{
  if (m_pSite != nullptr && !m_countRaised1) {
    ++m_pSite->m_taskCount;
    m_countRaised1 = true;
  }
  if (m_pSite != nullptr && m_pSite2 != nullptr && !m_countRaised2) {
    ++m_pSite2->m_taskCount;
    m_countRaised2 = true;
  }
}

void CProgThread::ReleaseConnection(CSiteItem* site, NetSession** session, CNetFunc** thread, int32_t* borrowed)
{
  if (*thread != nullptr) {
    // A thread that would not end still uses both objects: they are left.
    if ((*thread)->Stop()) {
      delete *thread;
      delete *session;  // closes its event
    }
    *thread = nullptr;
    *session = nullptr;
  } else if (*borrowed != 0) {
    // The keeper was never suspended: giving back the claim is all it needs.
    if (*session != nullptr) {
      (*session)->m_pRecord = nullptr;
      (*session)->m_pJob = nullptr;
      (*session)->m_pItem = nullptr;
    }
    *session = nullptr;
    *borrowed = 0;
    ReleaseMainConnection(site);
  } else if (*session != nullptr) {
    // An own connection whose thread could not be made.
    delete *session;
    *session = nullptr;
  }
}

// ---- reporting ----

void CProgThread::ReportLine(const char* text)
{
  if (g_exitRequested.load() != 0)
    return;
  if (IsOptionSet(OPTBIT_NOTIFIER))
    SendToView(g_pMainFrame, UWM_NOTIFY_POPUP, 0, reinterpret_cast<LPARAM>(text));
  ConnLogWrite(text);
}

void CProgThread::LogOnly(const char* text)
{
  ConnLogWrite(text);
}

// ---- connecting ----

bool CProgThread::WaitSiteReady(CSiteItem* site, const char* format)
{
  DWORD r = site->m_hIdleEvent != nullptr ? WaitUnlessExit(site->m_hIdleEvent, SiteReadyWaitMs(site)) : WAIT_FAILED;
  if (r != WAIT_OBJECT_0 || site->m_connected.load() == 0) {
    char line[320];
    std::snprintf(line, sizeof(line), format, site->m_host);
    ReportLine(line);
    return false;
  }
  return true;
}

bool CProgThread::TakeSemaphore(CSiteItem* site, bool lineEnd, bool* taken)
{
  HANDLE sem = site->ConnectionSemaphore();
  if (sem != nullptr && WaitUnlessExit(sem, g_taskConnectWaitMs.load()) == WAIT_OBJECT_0) {
    *taken = true;
    return true;
  }
  char line[320];
  std::snprintf(line, sizeof(line), "%s::This server has connection number limit, please try again later.%s",
                site->m_host, lineEnd ? "\r\n" : "");
  ReportLine(line);
  return false;
}

bool CProgThread::OpenConnection(CSiteItem* site, NetSession** session, CNetFunc** thread, int32_t* borrowed)
{
  NetSession* main = ClaimMainConnection(site);
  if (main != nullptr) {
    *borrowed = 1;
    *session = main;
    return true;
  }
  NetSession* own = new NetSession;
  own->m_pSite = site;
  own->m_keeper = 0;
  *session = own;
  CNetFunc* func = new CNetFunc(own);
  if (own->m_hDoneEvent == nullptr || !func->Start()) {
    delete func;
    return false;
  }
  *thread = func;
  return own->WaitForLogin(kExitPollMs, g_taskConnectWaitMs.load(), [] { return g_exitRequested.load() == 0; });
}

bool CProgThread::ConnectOneSite()
{
  CSiteItem* site = m_pSite;
  if (!WaitSiteReady(site, "%s::Can't connect, terminated. \r\n"))
    return false;
  if (!TakeSemaphore(site, false, &m_semTaken1))
    return false;
  int32_t expected = 0;
  if (site->m_workerFlag.compare_exchange_strong(expected, 1))
    FixOneSitePaths(m_task, m_firstPath, m_secondPath, kTaskPathLen, site->m_remoteFolder);
  if (OpenConnection(site, &m_pSession1, &m_pNetFunc1, &m_borrowed1))
    return true;
  char line[320];
  std::snprintf(line, sizeof(line), "%s::This server response timeout, the task stopped!\r\n", site->m_host);
  ReportLine(line);
  return false;
}

bool CProgThread::ConnectTwoSites()
{
  const char* cant = "%s::Can't connect, terminated\r\n";
  if (!WaitSiteReady(m_pSite, cant) || !WaitSiteReady(m_pSite2, cant))
    return false;
  if (!TakeSemaphore(m_pSite, false, &m_semTaken1) || !TakeSemaphore(m_pSite2, false, &m_semTaken2))
    return false;
  char line[320];
  if (!OpenConnection(m_pSite, &m_pSession1, &m_pNetFunc1, &m_borrowed1)) {
    std::snprintf(line, sizeof(line), "%s::This server has connection number limit, please try again later.\r\n",
                  m_pSite->m_host);
    ReportLine(line);
    return false;
  }
  if (!OpenConnection(m_pSite2, &m_pSession2, &m_pNetFunc2, &m_borrowed2)) {
    std::snprintf(line, sizeof(line), "%s::This server has connection number limit, please try again later.\r\n",
                  m_pSite2->m_host);
    ReportLine(line);
    return false;
  }
  int32_t expected = 0;
  bool fixFirst = m_pSite->m_workerFlag.compare_exchange_strong(expected, 1);
  if (fixFirst && m_firstPath[0] != '\0' && std::strchr(m_firstPath, '/') != nullptr)
    ApplyRemoteFolder(m_firstPath, kTaskPathLen, m_pSite->m_remoteFolder, false);
  // On one site both paths are its remote paths and get its folder together.
  expected = 0;
  bool fixSecond = m_pSite2 == m_pSite ? fixFirst : m_pSite2->m_workerFlag.compare_exchange_strong(expected, 1);
  if (fixSecond && m_secondPath[0] != '\0' && std::strchr(m_secondPath, '/') != nullptr)
    ApplyRemoteFolder(m_secondPath, kTaskPathLen, m_pSite2->m_remoteFolder, false);
  return true;
}

BOOL CProgThread::InitInstance()
{
  bool connected = false;
  // Normally raised already by StartTaskThread; a thread started otherwise
  // raises here.
  RaiseTaskCounts();
  if (m_pSite != nullptr && m_pSite2 != nullptr)
    connected = ConnectTwoSites();
  else if (m_pSite != nullptr)
    connected = ConnectOneSite();
  if (connected) {
    RunTask();
  } else if (m_task == TASK_SPACE_USED && m_pSpaceRun != nullptr) {
    // Only this run's flag: a newer run may be going already.
    if (m_pSpaceRun->m_runId.load() == m_runId)
      m_pSpaceRun->m_running = 0;
  }
  m_msgCur.wParam = 0;
  return FALSE;  // exit code 0, no message loop
}

void CProgThread::RunTask()
{
  switch (m_task) {
    case TASK_LIST:
      TaskList();
      break;
    case TASK_SEARCH_LIST:
      TaskSearchList();
      break;
    case TASK_SEARCH: {
      TaskSearch();
      char line[320];
      std::snprintf(line, sizeof(line), "%s::Search is Finished\r\n", m_pSite->m_host);
      ReportLine(line);
      break;
    }
    case TASK_SPACE_USED:
      TaskSpaceUsed();
      if (g_exitRequested.load() == 0 && m_pSpaceRun != nullptr && m_pSpaceRun->m_runId.load() == m_runId)
        m_pSpaceRun->m_running = 0;
      break;
    case TASK_MAKE_DIR:
      TaskMakeDir();
      break;
    case TASK_MOVE:
      TaskMove();
      break;
    case TASK_RENAME:
      TaskRename();
      break;
    case TASK_DELETE:
      TaskDelete();
      break;
    case TASK_SET_ATTRIBUTES:
      TaskSetAttributes();
      break;
    case TASK_CHANGE_PASSWORD:
      TaskChangePassword();
      break;
    case TASK_UPLOAD:
      TaskUpload();
      break;
    case TASK_DOWNLOAD:
      TaskDownload(false);
      break;
    case TASK_OPEN:
      TaskOpenOrEdit(false);
      break;
    case TASK_EDIT:
      TaskOpenOrEdit(true);
      break;
    case TASK_RECORD_STRUCTURE:
      TaskRecordStructure();
      break;
    case TASK_SITE_RELAY:
      TaskSiteRelay();
      break;
    case TASK_SITE_FXP:
      TaskSiteFxp();
      break;
    default:
      break;  // 14 and unknown codes
  }
}

namespace {

LRESULT SendIfStill(const ViewSlot& slot, HWND built, UINT message, WPARAM wParam, LPARAM lParam)
{
  if (built == nullptr || g_exitRequested.load() != 0 || slot.Window() != built)
    return 0;
  return SendToView(slot, message, wParam, lParam);
}

}  // namespace

LRESULT CProgThread::SendResult(UINT message, WPARAM wParam, LPARAM lParam) const
{
  return SendIfStill(ServerTreeSlot(m_paneFlag), m_hResultTree, message, wParam, lParam);
}

void CProgThread::SendEntryAdded(HTREEITEM node, const EntryRecord& entry, const char* folder) const
{
  EntryRecord added = entry;
  std::snprintf(added.m_second, sizeof(added.m_second), "%s", folder != nullptr ? folder : "");
  if (folder != nullptr && std::strlen(folder) >= sizeof(added.m_second))
    added.m_second[0] = '\0';  // a folder cut would name another: said as none
  SendResult(UWM_ENTRY_ADDED, reinterpret_cast<WPARAM>(node), reinterpret_cast<LPARAM>(&added));
}

LRESULT CProgThread::SendLocalResult(UINT message, WPARAM wParam, LPARAM lParam) const
{
  return SendIfStill(g_pLocTrView, m_hLocalTree, message, wParam, lParam);
}

// ---- waits ----

bool CProgThread::SpaceRunStale() const
{
  return m_task == TASK_SPACE_USED && m_pSpaceRun != nullptr && m_pSpaceRun->m_runId.load() != m_runId;
}

bool CProgThread::WaitWhileRunning(NetSession* session, CSiteItem* site, bool needAlive)
{
  return session->WaitForEnd(kRunSliceMs, 0, [&] {
    return site->m_queueRun.load() != 0 && (!needAlive || session->m_alive.load() != 0);
  }) == NetSession::WAIT_DONE;
}

int CProgThread::WaitWithIdle(NetSession* session, CSiteItem* site, uint32_t idleMs, uint32_t sliceMs)
{
  const NetSession::WaitEnd end = session->WaitForEnd(
      sliceMs, idleMs,
      [&] { return site->m_queueRun.load() != 0 && session->m_alive.load() != 0 && !SpaceRunStale(); },
      [&] { return session->m_progress.exchange(0) != 0; });
  return end == NetSession::WAIT_DONE ? 1 : (end == NetSession::WAIT_IDLE ? -1 : 0);
}

uint32_t CProgThread::ListingIdleMs(CSiteItem* site)
{
  int32_t seconds = site->m_downloadTimeout > 10 ? site->m_downloadTimeout : g_recvTimeout;
  if (seconds < 1)
    seconds = 1;
  return static_cast<uint32_t>(seconds) * 1000u;
}

// ---- listing ----

int CProgThread::ListRemoteFolder(const char* path, bool recursive)
{
  NetSession* session = m_pSession1;
  CSiteItem* site = m_pSite;
  const uint32_t idleMs = ListingIdleMs(site);
  m_timedOut = false;

  FreeListingText(session);
  session->m_pFile = nullptr;
  session->m_entryCount = 0;
  session->BeginOperation();
  session->PushCommand(VERB_CWD, path);
  session->PushCommand(VERB_TYPE, "A");
  session->PushDataConnection(site);
  const char* listArg = recursive ? "-alR" : (IsOptionSet(OPTBIT_SHOW_HIDDEN) ? "-al" : "");
  session->PushCommand(VERB_LIST, listArg);
  session->PostCommands();

  const int r = WaitWithIdle(session, site, idleMs, kRunSliceMs);
  const bool running = site->m_queueRun.load() != 0;
  const bool alive = session->m_alive.load() != 0;
  if (r == 1 && running && alive && !SpaceRunStale())
    return 1;
  m_timedOut = r == -1;
  // The connection already lost needs no ABOR; a time-out or a stop does.
  const bool onlyLost = running && !alive && !m_timedOut && !SpaceRunStale();
  // The answer to ABOR, bounded too: a silent server would hold the task and
  // a borrowed keeper connection until the user stopped the site.
  if (!onlyLost && session->AbortAndWait(
                       true, kAbortSliceMs, idleMs,
                       [&] { return g_exitRequested.load() == 0 && site->m_queueRun.load() != 0; },
                       m_timedOut) == NetSession::WAIT_IDLE)
    m_timedOut = true;
  FreeListingText(session);
  return 0;
}

int CProgThread::WriteListingCache(const EntryRecord* entries, int count)
{
  std::string path = ListingCacheFileName(m_pSite->m_cacheFolder, reinterpret_cast<intptr_t>(m_hNode));
  std::string error;
  int r = WriteListingCacheFile(path, entries, count, &error);
  if (!error.empty() && g_exitRequested.load() == 0)
    ::MessageBoxA(nullptr, error.c_str(), m_pSite->m_host, MB_OK | MB_ICONWARNING);
  return r;
}

EntryRecord* CProgThread::ReadListingCache(int* count)
{
  std::string path = ListingCacheFileName(m_pSite->m_cacheFolder, reinterpret_cast<intptr_t>(m_hNode));
  std::string error;
  EntryRecord* entries = ReadListingCacheFile(path, count, &error);
  if (!error.empty() && g_exitRequested.load() == 0)
    ::MessageBoxA(nullptr, error.c_str(), m_pSite->m_host, MB_OK | MB_ICONWARNING);
  return entries;
}

void CProgThread::TaskList()
{
  NetSession* session = m_pSession1;
  CSiteItem* site = m_pSite;
  std::string message = std::string(site->m_host) + "::" + m_firstPath;
  const WPARAM node = reinterpret_cast<WPARAM>(m_hNode);

  if (ListRemoteFolder(m_firstPath, false) == 1) {
    EntryRecord* entries = nullptr;
    int count = 0;
    if (session->m_pRecord != nullptr) {
      entries = ParseListing(static_cast<const char*>(session->m_pRecord), &count);
      FreeListingText(session);
    }
    session->m_entryCount = entries != nullptr ? count : 0;
    if (entries != nullptr) {
      if (IsListingGenerationCurrent(m_paneFlag, m_generation) && site->m_queueRun.load() != 0 &&
          g_exitRequested.load() == 0)
        SendResult(UWM_LISTING_READY, node, reinterpret_cast<LPARAM>(entries));
      message += " search is complete\r\n";
    } else {
      message += " is empty, search is complete\r\n";
    }
    if (site->m_queueRun.load() != 0 && g_exitRequested.load() == 0) {
      SendResult(UWM_LISTING_STATUS, node, static_cast<LPARAM>(session->m_entryCount));
      // Only the newest request's listing is kept: a node deleted meanwhile
      // (its handle may go to a new node) moves the generation, and a file
      // written while it moved is taken back.
      if (m_paneFlag == 1 && ListingCacheWanted(site->SiteOptionDigits[2], site->m_cacheFolder) &&
          IsListingGenerationCurrent(m_paneFlag, m_generation)) {
        WriteListingCache(entries, session->m_entryCount);
        if (!IsListingGenerationCurrent(m_paneFlag, m_generation))
          ::DeleteFileA(ListingCacheFileName(site->m_cacheFolder, reinterpret_cast<intptr_t>(m_hNode)).c_str());
      }
    }
    delete[] entries;
  } else if (session->m_alive.load() == 0 && !m_timedOut) {
    message += " listing error,search is complete\r\n";
  } else if (site->m_queueRun.load() != 0) {
    message += " listing timeout,search is complete\r\n";
  } else {
    message += " listing directory is interrupted,search is complete\r\n";
  }
  ReportLine(message.c_str());
}

void CProgThread::TaskSearchList()
{
  NetSession* session = m_pSession1;
  CSiteItem* site = m_pSite;
  std::string message = std::string(site->m_host) + "::" + m_firstPath;
  const WPARAM node = reinterpret_cast<WPARAM>(m_hNode);

  session->BeginOperation(false);
  session->PushCommand(VERB_CWD, m_firstPath);
  session->PushCommand(VERB_PWD, "");
  session->PostCommands();
  // Bounded like a listing: a silent server must not hold the connection.
  if (WaitWithIdle(session, site, ListingIdleMs(site), kRunSliceMs) == -1) {
    session->GiveUp();
    message += " listing timeout,search is complete\r\n";
    ReportLine(message.c_str());
    return;
  }
  if (site->m_queueRun.load() == 0 || session->m_alive.load() == 0)
    return;

  int count = -1;
  EntryRecord* entries = ReadListingCache(&count);
  if (entries != nullptr) {
    if (IsListingGenerationCurrent(1, m_generation) && site->m_queueRun.load() != 0 &&
        g_exitRequested.load() == 0)
      SendResult(UWM_CACHED_LISTING, node, reinterpret_cast<LPARAM>(entries));
    delete[] entries;
    message += " search is complete\r\n";
  } else if (count == 0) {
    message += " is empty, search is complete\r\n";
  } else if (IsListingGenerationCurrent(1, m_generation)) {
    // No readable file: list from the server, keeping this task's generation.
    m_task = TASK_LIST;
    m_paneFlag = 1;
    TaskList();
    return;
  }
  if (g_exitRequested.load() != 0)
    return;
  if (site->m_queueRun.load() != 0)
    SendResult(UWM_LISTING_STATUS, node, 0);
  ReportLine(message.c_str());
}

// ---- start ----

BOOL StartTaskThread(CTaskThreadList& list, CProgThread* thread)
{
  if (thread == nullptr)
    return FALSE;
  if (!thread->CreateThread(CREATE_SUSPENDED))
    return FALSE;
  thread->m_bAutoDelete = FALSE;
  thread->RaiseTaskCounts();
  thread->ResumeThread();
  list.AddTaskThread(thread);
  list.StartThreadReaper();
  return TRUE;
}
