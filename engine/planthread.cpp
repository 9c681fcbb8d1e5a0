#include "engine/planthread.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "engine/confirmdlg.h"
#include "engine/connlog.h"
#include "engine/engineutil.h"
#include "engine/exitrequest.h"
#include "engine/ftpsocketwnd.h"
#include "engine/keeper.h"
#include "engine/listing.h"
#include "engine/netfunc.h"
#include "engine/netsession.h"
#include "engine/planitem.h"
#include "engine/progthread.h"
#include "engine/queuerules.h"
#include "engine/queueseam.h"
#include "engine/siteitem.h"
#include "engine/viewslots.h"
#include "engine/xfertask.h"
#include "framework/file.h"
#include "shell/doc/threadstatus.h"
#include "shell/settings/meteredsection.h"
#include "shell/settings/settings.h"

std::atomic<uint32_t> g_planLoginWaitMs{kPlanLoginWaitMs};
std::atomic<uint32_t> g_planTidyWaitMs{kPlanTidyWaitMs};
std::atomic<uint32_t> g_planFinishLockWaitMs{kPlanFinishLockWaitMs};

namespace {

std::atomic<CSiteItem* (*)(int)> g_docSite{nullptr};
std::atomic<BOOL (*)(int)> g_docConnect{nullptr};
std::atomic<int (*)()> g_docQueueCount{nullptr};
// Set when a worker takes an item, taken by the end of the queue: workers that
// a late Run Queue starts after the end, and that find nothing, end quietly
// instead of running the end action a second time.
std::atomic<int32_t> g_queueTookItem{0};

// How often a wait that has no slice of its own looks at the stop flags.
const DWORD kPollMs = 200;

int32_t StatusOf(const CPlanItem* item)
{
  return __atomic_load_n(&item->m_status, __ATOMIC_ACQUIRE);
}

// The last write of a worker to an item: the queue page may move or free a
// finished or failed item as soon as it sees the status.
void SetStatus(CPlanItem* item, int32_t status)
{
  __atomic_store_n(&item->m_status, status, __ATOMIC_RELEASE);
}

int64_t BytesDoneOf(const CPlanItem* item)
{
  return __atomic_load_n(&item->m_bytesDone, __ATOMIC_RELAXED);
}

HWND SessionHwnd(NetSession* session)
{
  return session != nullptr && session->m_pWnd != nullptr ? session->m_pWnd->GetSafeHwnd() : nullptr;
}

std::string LocalJoin(const char* folder, const char* name)
{
  std::string s = folder != nullptr ? folder : "";
  if (!s.empty() && s.back() != '\\')
    s += '\\';
  return s + name;
}

std::string RemoteJoin(const char* folder, const char* name)
{
  std::string s = folder != nullptr ? folder : "";
  if (!s.empty() && s.back() != '/')
    s += '/';
  return s + name;
}

template <size_t N>
bool CopyText(char (&to)[N], const std::string& from)
{
  if (from.size() >= N) {
    to[0] = '\0';
    return false;
  }
  std::memcpy(to, from.c_str(), from.size() + 1);
  return true;
}

template <size_t N>
void CopyText(char (&to)[N], const char* from)
{
  std::snprintf(to, N, "%s", from != nullptr ? from : "");
}

struct tm LocalNow()
{
  time_t now = time(nullptr);
  struct tm t;
  std::memset(&t, 0, sizeof(t));
#ifdef _WIN32
  localtime_s(&t, &now);
#else
  localtime_r(&now, &t);
#endif
  return t;
}

// The local file's size, or kNoDestination when there is none.
int64_t LocalFileSize(const std::string& path)
{
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return kNoDestination;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

uint32_t SecondsToMs(int32_t siteSeconds, int32_t globalSeconds)
{
  int32_t seconds = siteSeconds > 10 ? siteSeconds : globalSeconds;
  if (seconds < 1)
    seconds = 1;
  return static_cast<uint32_t>(seconds) * 1000u;
}

// Whether the queue's file-exists answer depends on the destination's size.
bool DestinationLookupNeeded(FileRuleDirection direction, int64_t sourceSize, int32_t failedAttempts)
{
  FileExistsCase probe;
  probe.direction = direction;
  probe.sourceSize = sourceSize;
  probe.destSize = kNoDestination;
  probe.failedAttempts = failedAttempts;
  probe.useRules = IsOptionSet(OPTBIT_FILE_EXISTS_RULES);
  probe.rules = static_cast<uint32_t>(g_queueFileExistsRules.load());
  return FileExistsNeedsLookup(probe);
}

}  // namespace

void SetPlanDocAccess(const PlanDocAccess* access)
{
  g_docSite = access != nullptr ? access->site : nullptr;
  g_docConnect = access != nullptr ? access->connect : nullptr;
  g_docQueueCount = access != nullptr ? access->queueCount : nullptr;
}

CWinThread* MakePlanThread(int n)
{
  return new CPlanThread(n);
}

IMPLEMENT_DYNAMIC(CPlanThread, CWinThread)

CPlanThread::CPlanThread(int index) : m_index(index)
{
  m_bAutoDelete = FALSE;
  PrimeQueueFileExistsRules();
  // Counted here, on the thread that starts the workers, before any of them
  // runs: a quick first worker must not find itself the last while the others
  // have yet to start.
  PlanThreadEnter();
  m_counted = true;
}

CPlanThread::~CPlanThread()
{
  Disconnect();
  if (m_counted)
    PlanThreadLeave();  // never ran (its thread could not be made)
}

// ---- small routines ----

LRESULT CPlanThread::SendTo(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  HWND hWnd = wnd != nullptr ? wnd->GetSafeHwnd() : nullptr;
  if (hWnd == nullptr || g_exitRequested.load() != 0)
    return 0;
  return ::SendMessageA(hWnd, message, wParam, lParam);
}

BOOL CPlanThread::PostTo(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  HWND hWnd = wnd != nullptr ? wnd->GetSafeHwnd() : nullptr;
  if (hWnd == nullptr || g_exitRequested.load() != 0)
    return FALSE;
  return ::PostMessageA(hWnd, message, wParam, lParam);
}

bool CPlanThread::Stopping()
{
  if (g_exitRequested.load() != 0)
    return true;
  // The document stops its workers with WM_QUIT; a worker never pumps, so the
  // message stays in the queue for it to see here.
  // Every look is a round trip to the window system, and the transfer steps
  // ask many times a file: look at most every kQuitPeekMs.
  if (!m_quitSeen) {
    const DWORD now = ::GetTickCount();
    if (!m_quitPeeked || now - m_quitPeekTick >= kQuitPeekMs) {
      m_quitPeeked = true;
      m_quitPeekTick = now;
      MSG msg;
      if (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE))
        m_quitSeen = true;
    }
  }
  return m_quitSeen;
}

bool CPlanThread::SiteRuns() const
{
  return m_pSite != nullptr && m_pSite->m_queueRun.load() == 1;
}

bool CPlanThread::ItemWorking() const
{
  return m_pItem != nullptr && StatusOf(m_pItem) == PLAN_WORKING;
}

ThreadStatusRecord* CPlanThread::Record() const
{
  return ThreadStatusAt(m_index);
}

uint32_t CPlanThread::DownloadIdleMs() const
{
  return SecondsToMs(m_pSite->m_downloadTimeout, g_recvTimeout);
}

uint32_t CPlanThread::UploadIdleMs() const
{
  return SecondsToMs(m_pSite->m_uploadTimeout, g_sendTimeout);
}

void CPlanThread::ReportLine(const char* text)
{
  if (g_exitRequested.load() != 0)
    return;
  if (IsOptionSet(OPTBIT_NOTIFIER))
    SendTo(g_pMainFrame.load(), UWM_NOTIFY_POPUP, 0, reinterpret_cast<LPARAM>(text));
  ConnLogWrite(text);
}

void CPlanThread::PostQueueEnded()
{
  if (Stopping())
    return;
  if (ClaimQueueEndedNotice() && !PostTo(g_pFuncView.load(), UWM_QUEUE_ENDED, 0, 0))
    ReleaseQueueEndedNotice();  // nobody will clear it
}

void CPlanThread::RefuseUnsafeName(const char* name)
{
  char line[kPlanPathLen + kPlanHostLen + 64];
  FormatUnsafeNameLine(line, sizeof(line), m_pSite->m_host, name);
  ReportLine(line);
}

bool CPlanThread::WaitForTidy()
{
  if (g_queueRunning.load() == 0)
    return false;
  const DWORD start = ::GetTickCount();
  while (g_queueRunning.load() != 0) {
    if (Stopping() || ::GetTickCount() - start >= g_planTidyWaitMs.load())
      return false;
    ::Sleep(kPlanTidyPollMs);
  }
  return true;
}

CPlanItem* CPlanThread::Ask(CSiteItem* site)
{
  if (Stopping())
    return nullptr;
  CWnd* view = g_pFuncView.load();
  if (site != nullptr)
    return reinterpret_cast<CPlanItem*>(SendTo(view, UWM_NEXT_QUEUE_ITEM, reinterpret_cast<WPARAM>(site), 0));
  int index = -1;
  CPlanItem* item =
      reinterpret_cast<CPlanItem*>(SendTo(view, UWM_NEXT_QUEUE_ITEM, 0, reinterpret_cast<LPARAM>(&index)));
  m_siteIndex = item != nullptr ? index : -1;
  if (item != nullptr)
    g_queueTookItem.store(1);
  return item;
}

// ---- the worker ----

BOOL CPlanThread::InitInstance()
{
  m_msgCur.wParam = 0;
  {
    // A message queue, so the document's WM_QUIT reaches this thread.
    MSG msg;
    ::PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  }
  if (int (*count)() = g_docQueueCount.load()) {
    if (count() == 0) {
      m_counted = false;
      PlanThreadLeave();
      return FALSE;
    }
  }
  CPlanItem* taken = nullptr;  // an item the last worker took back on its way out
  bool last = false;
  for (;;) {
    m_pItem = taken != nullptr ? taken : Ask(nullptr);
    taken = nullptr;
    if (m_pItem == nullptr) {
      // A notice still unanswered may put failed items back in the queue:
      // the end of the queue is only reached once the queue page has tidied.
      if (WaitForTidy())
        continue;
      // The worker that leaves last ends the queue; an item put back while it
      // was leaving is still to run, and running it comes first.
      m_counted = false;
      last = PlanThreadLeave();
      if (!last || Stopping() || (taken = Ask(nullptr)) == nullptr)
        break;
      PlanThreadEnter();
      m_counted = true;
      last = false;
      continue;
    }
    if (Prepare())
      RunItems();
    if (m_pItem != nullptr) {
      // Handed out but never run (the site or the program stopped first).
      SetStatus(m_pItem, PLAN_STOPPED);
      m_pItem = nullptr;
    }
    Disconnect();
  }

  if (m_worked != 0) {
    char line[160];
    FormatWorkerEndLine(line, sizeof(line), LocalNow(), m_index);
    if (g_exitRequested.load() == 0) {
      if (IsOptionSet(OPTBIT_NOTIFIER))
        SendTo(g_pMainFrame.load(), UWM_NOTIFY_POPUP, 0, reinterpret_cast<LPARAM>(line));
      ConnLogWrite(line);
    }
  }
  if (last) {
    g_queueFileExistsRules.store(-1);
    SetTransfersActive(0);
    ReleaseQueueEndedNotice();
    if (g_queueTookItem.exchange(0) != 0)
      RunQueueEndActions(g_optionFlags);
  }
  return FALSE;
}

bool CPlanThread::Prepare()
{
  CPlanItem* item = m_pItem;
  m_connectionLost = false;
  if (m_siteIndex < 0) {
    CSiteItem* temp = new CSiteItem;
    CopySiteText(temp->m_host, item->m_host);
    CopySiteText(temp->m_user, item->m_user);
    CopySiteText(temp->m_password, item->m_password);
    temp->m_port = item->m_port;
    temp->SiteOptionDigits[1] = static_cast<char>('0' + (item->m_anonymous != 0 ? 1 : 0));
    temp->SiteOptionDigits[4] = static_cast<char>('0' + (item->m_passive != 0 ? 1 : 0));
    temp->m_mainBusy = 1;  // no keeper connection to borrow
    m_pSite = temp;
    m_tempSite = true;
  } else {
    CSiteItem* (*lookUp)(int) = g_docSite.load();
    m_pSite = lookUp != nullptr ? lookUp(m_siteIndex) : nullptr;
    if (m_pSite == nullptr) {
      SetStatus(item, PLAN_STOPPED);
      m_pItem = nullptr;
      return false;
    }
    m_semHeld = true;  // the function view took it with the item
    m_countRaised = true;  // raised by the look-up
    if (m_pSite->m_queueRun.load() == 0) {
      SetStatus(item, PLAN_STOPPED);
      m_pItem = nullptr;
      PostQueueEnded();
      return false;
    }
    if (m_pSite->m_connected.load() == 0) {
      if (BOOL (*connect)(int) = g_docConnect.load())
        connect(m_siteIndex);
      const DWORD limit = SecondsToMs(m_pSite->m_connectTimeout, g_connectTimeout);
      const DWORD start = ::GetTickCount();
      while (m_pSite->m_connected.load() == 0 && !Stopping() && ::GetTickCount() - start < limit) {
        if (m_pSite->m_hIdleEvent == nullptr) {
          ::Sleep(kPollMs);
          continue;
        }
        // Set again once the keeper is done connecting, logged in or not.
        if (::WaitForSingleObject(m_pSite->m_hIdleEvent, kPollMs) == WAIT_OBJECT_0)
          break;
      }
      if (m_pSite->m_connected.load() == 0) {
        if (m_pSite->m_queueRun.load() != 0) {
          ++item->m_retryCount;
          SetStatus(item, PLAN_ERROR);
        } else {
          SetStatus(item, PLAN_STOPPED);
        }
        m_pItem = nullptr;
        return false;
      }
    }
  }

  // The keeper's idle connection when it can be had. A site limited to one
  // connection has the keeper's as its one: wait for it rather than open a
  // second one while the keeper sends a keep-alive.
  if (!m_tempSite) {
    NetSession* main = ClaimMainConnection(m_pSite);
    if (main == nullptr && m_pSite->ConnectionLimit() == 1) {
      const DWORD start = ::GetTickCount();
      while (main == nullptr && !Stopping() && m_pSite->m_connected.load() != 0 &&
             ::GetTickCount() - start < g_planLoginWaitMs.load()) {
        ::Sleep(50);
        main = ClaimMainConnection(m_pSite);
      }
    }
    if (main != nullptr) {
      m_pSession = main;
      m_borrowed = 1;
    }
  }
  if (m_pSession == nullptr) {
    NetSession* own = new NetSession;
    own->m_pSite = m_pSite;
    own->m_keeper = 0;
    m_pSession = own;
    CNetFunc* func = new CNetFunc(own);
    bool started = false;
    if (own->m_hDoneEvent != nullptr) {
      ::ResetEvent(own->m_hDoneEvent);
      if (func->CreateThread(CREATE_SUSPENDED)) {
        func->m_bAutoDelete = FALSE;
        m_pNetFunc = func;
        func->ResumeThread();
        started = true;
      }
    }
    if (!started)
      delete func;
    bool loggedIn = false;
    if (started) {
      const DWORD start = ::GetTickCount();
      while (!Stopping() && ::GetTickCount() - start < g_planLoginWaitMs.load()) {
        if (::WaitForSingleObject(own->m_hDoneEvent, kPollMs) == WAIT_OBJECT_0)
          break;
      }
      loggedIn = own->m_loggedIn.load() != 0 && own->m_alive.load() != 0;
    }
    if (!loggedIn) {
      char line[kPlanHostLen + 80];
      std::snprintf(line, sizeof(line), "%s::This server response timeout, the task stopped!\r\n", m_pSite->m_host);
      ReportLine(line);
      ++item->m_retryCount;
      SetStatus(item, PLAN_ERROR);
      m_pItem = nullptr;
      PostQueueEnded();
      return false;
    }
  }
  if (m_pSite->m_queueRun.load() == 1 && !Stopping())
    return true;
  SetStatus(item, PLAN_STOPPED);
  m_pItem = nullptr;
  PostQueueEnded();
  return false;
}

void CPlanThread::RunItems()
{
  while (m_pItem != nullptr && SiteRuns() && !Stopping()) {
    CPlanItem* item = m_pItem;
    item->m_workerIndex = m_index;
    ThreadStatusRecord* rec = Record();
    rec->m_uploadDone = 0;
    rec->m_downloadDone = 0;
    const bool upload = std::strcmp(item->m_direction, "->") == 0;
    rec->m_direction = upload ? 0 : 1;
    ItemResult r;
    if (item->m_kind == kEntryFolder)
      r = upload ? UploadFolder() : DownloadFolder();
    else
      r = upload ? UploadFile() : DownloadFile();
    if (r == ITEM_DONE) {
      FinishStep();
      SetStatus(item, PLAN_FINISHED);
    }
    m_pItem = nullptr;
    if (Stopping())
      return;
    CPlanItem* next = nullptr;
    if (!m_connectionLost && SiteRuns() && IsOptionSet(OPTBIT_REUSE_CONNECTION))
      next = Ask(m_pSite);
    PostQueueEnded();
    m_pItem = next;
  }
}

void CPlanThread::Disconnect()
{
  if (m_pNetFunc != nullptr) {
    // A thread that would not end still uses both objects: they are left.
    if (m_pNetFunc->Stop()) {
      delete m_pNetFunc;
      delete m_pSession;
    }
    m_pNetFunc = nullptr;
  } else if (m_borrowed != 0) {
    // Nothing of this worker may stay in the keeper's record.
    m_pSession->m_pFile = nullptr;
    m_pSession->m_pItem = nullptr;
    ReleaseMainConnection(m_pSite);
  } else {
    delete m_pSession;  // an own record whose thread could not be made
  }
  m_pSession = nullptr;
  m_borrowed = 0;
  if (m_pSite != nullptr) {
    if (m_semHeld) {
      HANDLE sem = m_pSite->ConnectionSemaphore();
      if (sem != nullptr)
        ::ReleaseSemaphore(sem, 1, nullptr);
    }
    if (m_countRaised)
      --m_pSite->m_taskCount;
    if (m_tempSite)
      delete m_pSite;
  }
  m_semHeld = false;
  m_countRaised = false;
  m_tempSite = false;
  m_pSite = nullptr;
  m_siteIndex = -1;
}

// ---- failure and finish ----

void CPlanThread::FinishStep()
{
  if (Stopping() || m_pItem == nullptr)
    return;
  ThreadStatusRecord* rec = Record();
  const int64_t done = BytesDoneOf(m_pItem);
  rec->m_runningTotal += static_cast<uint32_t>(done);
  rec->m_bytesPresent += static_cast<uint32_t>(done);
  rec->m_bytesMoved = static_cast<uint32_t>(done);
  const uint32_t elapsed = QueueElapsedMs(rec->m_startTick, ::GetTickCount());
  FormatQueueElapsed(rec->m_elapsed, sizeof(rec->m_elapsed), elapsed);
  FormatQueueSpeed(rec->m_speed, sizeof(rec->m_speed), static_cast<uint64_t>(done), elapsed);
  m_worked = static_cast<int32_t>(done);
  const bool locked = EnterMeteredSection();
  SendTo(g_pFuncView.load(), UWM_TASK_FINISHED, static_cast<WPARAM>(m_index), 1);
  SendTo(g_pMainFrame.load(), UWM_TASK_FINISHED, static_cast<WPARAM>(m_index), 0);
  if (locked)
    CMeteredSection::Leave(g_meteredSection, 1);
}

bool CPlanThread::EnterMeteredSection()
{
  if (g_meteredSection == nullptr)
    return false;
  // In slices, so an exit wakes it; a holder that never leaves costs this
  // worker kPlanFinishLockWaitMs, then it reports without the lock.
  const DWORD start = ::GetTickCount();
  while (g_exitRequested.load() == 0) {
    const DWORD spent = ::GetTickCount() - start;
    if (spent >= g_planFinishLockWaitMs.load())
      break;
    const DWORD left = g_planFinishLockWaitMs.load() - spent;
    if (CMeteredSection::Enter(g_meteredSection, left < kPollMs ? left : kPollMs) == WAIT_OBJECT_0)
      return true;
  }
  return false;
}

void CPlanThread::FailItem(bool finishStep)
{
  CPlanItem* item = m_pItem;
  if (finishStep)
    FinishStep();
  if (!Stopping() && SiteRuns() && StatusOf(item) == PLAN_WORKING) {
    ++item->m_retryCount;
    SetStatus(item, PLAN_ERROR);
  } else {
    SetStatus(item, PLAN_STOPPED);
  }
}

bool CPlanThread::Detach(CFile& file)
{
  HWND hWnd = SessionHwnd(m_pSession);
  LRESULT up = 0;
  if (hWnd != nullptr)
    up = ::SendMessageA(hWnd, UWM_NET_DETACH, 0, 0);
  m_pSession->m_pFile = nullptr;
  m_pSession->m_pItem = nullptr;
  file.Abort();  // closed once: the window's close left the object empty
  return up != 0;
}

// ---- commands ----

bool CPlanThread::ChangeFolder(const char* path, uint32_t idleMs)
{
  NetSession* session = m_pSession;
  session->m_queue.Clear();
  session->m_alive = 1;
  session->m_progress = 0;
  ::ResetEvent(session->m_hDoneEvent);
  session->PushCommand(VERB_CWD, path);
  HWND hWnd = SessionHwnd(session);
  if (hWnd != nullptr)
    ::PostMessageA(hWnd, UWM_NET_COMMAND, 0, 0);
  const DWORD start = ::GetTickCount();
  bool signalled = false;
  bool timedOut = false;
  while (session->m_alive.load() != 0 && SiteRuns() && ItemWorking() && !Stopping()) {
    if (::WaitForSingleObject(session->m_hDoneEvent, kPlanProgressSliceMs) != WAIT_TIMEOUT) {
      signalled = true;
      break;
    }
    if (::GetTickCount() - start >= idleMs) {
      timedOut = true;
      break;
    }
  }
  if (signalled && session->m_alive.load() != 0 && SiteRuns() && ItemWorking() && !Stopping())
    return true;
  if (timedOut) {
    // A server that does not answer CWD is given up: its late reply would be
    // taken for the next command's.
    session->m_queue.Clear();
    session->m_alive = 0;
    if (hWnd != nullptr)
      ::PostMessageA(hWnd, UWM_NET_SEND, VERB_QUIT, 0);
    m_connectionLost = true;
  } else if (hWnd == nullptr || ::SendMessageA(hWnd, UWM_NET_DETACH, 0, 0) == 0) {
    m_connectionLost = true;
  }
  FailItem(true);
  return false;
}

int64_t CPlanThread::RemoteSize(const char* name)
{
  NetSession* session = m_pSession;
  session->m_queue.Clear();
  session->m_alive = 1;
  session->m_progress = 0;
  ::ResetEvent(session->m_hDoneEvent);
  // Servers answer SIZE in binary mode only.
  session->PushCommand(VERB_TYPE, "I");
  session->PushCommand(VERB_SIZE, name);
  HWND hWnd = SessionHwnd(session);
  if (hWnd != nullptr)
    ::PostMessageA(hWnd, UWM_NET_COMMAND, 0, 0);
  const uint32_t limit = DownloadIdleMs();
  const DWORD start = ::GetTickCount();
  while (session->m_alive.load() != 0 && SiteRuns() && !Stopping() && ::GetTickCount() - start < limit) {
    if (::WaitForSingleObject(session->m_hDoneEvent, kPlanProgressSliceMs) != WAIT_TIMEOUT)
      return session->m_alive.load() != 0 ? static_cast<int64_t>(session->m_progress.load()) : kNoDestination;
  }
  return kNoDestination;
}

int CPlanThread::Decide(bool upload, int64_t sourceSize, int64_t destSize, char* newName, size_t newNameSize,
                        int64_t* offset)
{
  CPlanItem* item = m_pItem;
  *offset = 0;
  newName[0] = '\0';
  FileExistsCase c;
  c.direction = upload ? FILERULE_UPLOAD : FILERULE_DOWNLOAD;
  c.sourceSize = sourceSize;
  c.destSize = destSize;
  c.failedAttempts = item->m_retryCount;
  c.useRules = IsOptionSet(OPTBIT_FILE_EXISTS_RULES);
  CSingleLock lock(&g_queueFileExistsSection, TRUE);
  PrimeQueueFileExistsRules();
  c.rules = static_cast<uint32_t>(g_queueFileExistsRules.load());
  FileExistsDecision d = DecideFileExists(c);
  if (d.answer == QANSWER_ASK) {
    int32_t result = REPLACE_SKIP;
    CString boxName;
    if (!Stopping()) {
      CConfirmReplaceDlg box(&g_queueFileExistsRules, upload ? 1 : 0, g_pMainFrame.load());
      box.m_resumeEnabled = d.resumeAllowed ? TRUE : FALSE;
      box.m_existingSize = destSize;
      box.m_pItem = item;
      box.m_fileName = item->m_fileName;
      result = static_cast<int32_t>(box.DoModal());
      boxName = box.m_newName;
    }
    PrimeQueueFileExistsRules();
    d = MapReplaceResult(d, result, static_cast<uint32_t>(g_queueFileExistsRules.load()));
    if (d.answer == QANSWER_RENAME)
      std::snprintf(newName, newNameSize, "%s", static_cast<const char*>(boxName));
  } else if (d.answer == QANSWER_RENAME) {
    if (!QueueRenamedName(newName, newNameSize, item->m_fileName, LocalNow()))
      newName[0] = '\0';
  }
  g_queueFileExistsRules.store(static_cast<int32_t>(d.rules));
  *offset = d.answer == QANSWER_RESUME ? d.offset : 0;
  return d.answer;
}

// ---- files ----

CPlanThread::ItemResult CPlanThread::Transfer(CFile& file, bool upload, int verb, int64_t offset,
                                              const char* remoteName, uint32_t idleMs)
{
  CPlanItem* item = m_pItem;
  NetSession* session = m_pSession;
  ThreadStatusRecord* rec = Record();
  rec->m_bytesPresent = static_cast<uint32_t>(offset);
  __atomic_store_n(&item->m_bytesDone, 0, __ATOMIC_RELAXED);
  session->m_queue.Clear();
  session->m_pFile = &file;
  session->m_pItem = item;
  session->m_alive = 1;
  session->m_progress = 0;
  ::ResetEvent(session->m_hDoneEvent);
  session->PushCommand(VERB_TYPE, GetTransferTypeText(remoteName));
  if (m_pSite->UsesPassiveMode())
    session->PushCommand(VERB_PASV, "PASV");
  else
    session->PushCommand(VERB_PORT, "");
  char restArg[32];
  std::snprintf(restArg, sizeof(restArg), "%lld", static_cast<long long>(offset));
  if (upload ? (verb == VERB_APPE && m_pSite->SiteOptionDigits[8] == '1') : verb == VERB_RETW && offset > 0)
    session->PushCommand(VERB_REST, restArg);
  session->PushCommand(verb, remoteName);
  HWND hWnd = SessionHwnd(session);
  if (hWnd != nullptr)
    ::PostMessageA(hWnd, UWM_NET_COMMAND, 0, 0);

  bool signalled = false;
  bool timedOut = false;
  DWORD start = ::GetTickCount();
  for (;;) {
    if (::WaitForSingleObject(session->m_hDoneEvent, kPlanProgressSliceMs) != WAIT_TIMEOUT) {
      signalled = true;
      break;
    }
    if (session->m_alive.load() == 0 || StatusOf(item) == PLAN_STOPPED || !SiteRuns() || Stopping())
      break;
    const int64_t moved = session->m_progress.exchange(0);
    if (moved != 0) {
      if (!Stopping() && g_meteredSection != nullptr && CMeteredSection::Enter(g_meteredSection, 0) == 0) {
        rec->m_bytesMoved = static_cast<uint32_t>(BytesDoneOf(item));
        SendTo(g_pFuncView.load(), UWM_THREAD_PROGRESS, static_cast<WPARAM>(m_index), static_cast<LPARAM>(moved));
        CMeteredSection::Leave(g_meteredSection, 1);
      }
      start = ::GetTickCount();
    } else if (::GetTickCount() - start >= idleMs) {
      timedOut = true;
      break;
    }
  }
  if (signalled && session->m_alive.load() != 0 && SiteRuns() && StatusOf(item) == PLAN_WORKING && !Stopping()) {
    if (!Detach(file))
      m_connectionLost = true;
    if (upload)
      rec->m_uploadDone = 1;
    else
      rec->m_downloadDone = 1;
    return ITEM_DONE;
  }

  // Failure: the finish report, then ABOR where the transfer may still run.
  FinishStep();
  const bool stopped = !SiteRuns() || StatusOf(item) == PLAN_STOPPED || Stopping();
  const bool abort = timedOut || stopped;
  if (abort && hWnd != nullptr) {
    ::ResetEvent(session->m_hDoneEvent);
    if (Stopping())
      ::SendMessageA(hWnd, UWM_NET_SEND, VERB_ABOR, 0);
    else
      ::PostMessageA(hWnd, UWM_NET_SEND, VERB_ABOR, 0);
  }
  if (abort && hWnd != nullptr && !Stopping() && SiteRuns()) {
    if (::WaitForSingleObject(session->m_hDoneEvent, kPlanAbortWaitMs) == WAIT_TIMEOUT) {
      // No answer to ABOR either: the connection is given up.
      session->m_queue.Clear();
      session->m_alive = 0;
      ::PostMessageA(hWnd, UWM_NET_SEND, VERB_QUIT, 0);
      m_connectionLost = true;
    }
  }
  // Taken back on the connection's thread before the file is closed, so no
  // late byte lands in a reused handle or a freed item.
  if (!Detach(file))
    m_connectionLost = true;
  if (stopped) {
    SetStatus(item, PLAN_STOPPED);
  } else {
    ++item->m_retryCount;
    SetStatus(item, PLAN_ERROR);
  }
  return ITEM_FAILED;
}

CPlanThread::ItemResult CPlanThread::UploadFile()
{
  CPlanItem* item = m_pItem;
  const uint32_t idleMs = UploadIdleMs();
  const std::string localPath = LocalJoin(item->m_localPath, item->m_fileName);
  char remoteName[kPlanPathLen];
  CopyText(remoteName, item->m_fileName);
  ConvertNameByDigit(remoteName, sizeof(remoteName), m_pSite->SiteOptionDigits[5]);

  if (!ChangeFolder(item->m_remotePath, idleMs))
    return ITEM_FAILED;
  ThreadStatusRecord* rec = Record();
  if (!Stopping()) {
    CopyText(rec->m_fileName, item->m_fileName);
    SendTo(g_pMainFrame.load(), UWM_UPLOAD_BEGIN, static_cast<WPARAM>(m_index),
           static_cast<LPARAM>(item->m_fileSize));
    SendTo(g_pFuncView.load(), UWM_THREAD_RESET, static_cast<WPARAM>(m_index), reinterpret_cast<LPARAM>(item));
  }
  CFile file;
  if (!file.Open(localPath.c_str(), CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary)) {
    char line[kPlanPathLen + kPlanHostLen + 64];
    std::snprintf(line, sizeof(line), "%s::%s can't be opened.\r\n", m_pSite->m_host, localPath.c_str());
    ReportLine(line);
    FailItem(true);
    return ITEM_FAILED;
  }
  const int64_t sourceSize = static_cast<int64_t>(file.GetLength());
  int answer = QANSWER_OVERWRITE;
  int64_t offset = 0;
  char newName[kPlanPathLen] = {};
  if (DestinationLookupNeeded(FILERULE_UPLOAD, sourceSize, item->m_retryCount)) {
    const int64_t remote = RemoteSize(remoteName);
    answer = Decide(true, sourceSize, remote, newName, sizeof(newName), &offset);
  }
  m_answer = answer == QANSWER_RENAME ? QANSWER_OVERWRITE : answer;
  if (answer == QANSWER_SKIP) {
    file.Abort();
    return ITEM_DONE;
  }
  if (answer == QANSWER_RENAME) {
    if (newName[0] == '\0') {
      file.Abort();
      FailItem(true);
      return ITEM_FAILED;
    }
    CopyText(remoteName, newName);
  }
  int verb = VERB_STOW;
  if (answer == QANSWER_RESUME && offset > 0) {
    file.Seek(offset, CFile::begin);
    verb = VERB_APPE;
  } else {
    offset = 0;
  }
  return Transfer(file, true, verb, offset, remoteName, idleMs);
}

CPlanThread::ItemResult CPlanThread::DownloadFile()
{
  CPlanItem* item = m_pItem;
  const uint32_t idleMs = DownloadIdleMs();
  char localName[kPlanPathLen];
  CopyText(localName, item->m_fileName);
  ConvertNameByDigit(localName, sizeof(localName), m_pSite->SiteOptionDigits[6]);
  if (!IsSafeLocalName(localName)) {
    RefuseUnsafeName(item->m_fileName);
    FailItem(false);
    return ITEM_FAILED;
  }
  if (!ChangeFolder(item->m_remotePath, idleMs))
    return ITEM_FAILED;
  ThreadStatusRecord* rec = Record();
  if (!Stopping()) {
    CopyText(rec->m_fileName, item->m_fileName);
    rec->m_fileSize = static_cast<uint32_t>(item->m_fileSize);
    SendTo(g_pMainFrame.load(), UWM_DOWNLOAD_BEGIN, static_cast<WPARAM>(m_index),
           static_cast<LPARAM>(item->m_fileSize));
    SendTo(g_pFuncView.load(), UWM_THREAD_RESET, static_cast<WPARAM>(m_index), reinterpret_cast<LPARAM>(item));
  }
  std::string localPath = LocalJoin(item->m_localPath, localName);
  int answer = QANSWER_OVERWRITE;
  int64_t offset = 0;
  char newName[kPlanPathLen] = {};
  if (DestinationLookupNeeded(FILERULE_DOWNLOAD, item->m_fileSize, item->m_retryCount)) {
    const int64_t local = LocalFileSize(localPath);
    if (local != kNoDestination)
      answer = Decide(false, item->m_fileSize, local, newName, sizeof(newName), &offset);
  }
  m_answer = answer == QANSWER_RENAME ? QANSWER_OVERWRITE : answer;
  if (answer == QANSWER_SKIP)
    return ITEM_DONE;
  if (answer == QANSWER_RENAME) {
    // A renamed local file passes the same check as a listed name.
    if (!IsSafeLocalName(newName)) {
      RefuseUnsafeName(newName[0] != '\0' ? newName : item->m_fileName);
      FailItem(true);
      return ITEM_FAILED;
    }
    localPath = LocalJoin(item->m_localPath, newName);
  }
  CFile file;
  BOOL opened;
  if (answer == QANSWER_RESUME) {
    opened = file.Open(localPath.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite |
                                              CFile::shareDenyNone | CFile::typeBinary);
    if (opened)
      offset = static_cast<int64_t>(file.SeekToEnd());
  } else {
    offset = 0;
    opened = file.Open(localPath.c_str(),
                       CFile::modeCreate | CFile::modeWrite | CFile::shareDenyNone | CFile::typeBinary);
  }
  if (!opened) {
    char line[kPlanPathLen + kPlanHostLen + 64];
    std::snprintf(line, sizeof(line), "%s::%s can't be opened.\r\n", m_pSite->m_host, localPath.c_str());
    ReportLine(line);
    FailItem(true);
    return ITEM_FAILED;
  }
  return Transfer(file, false, VERB_RETW, offset, item->m_fileName, idleMs);
}

// ---- folders ----

CPlanThread::ItemResult CPlanThread::DownloadFolder()
{
  CPlanItem* item = m_pItem;
  CSiteItem* site = m_pSite;
  NetSession* session = m_pSession;
  const uint32_t idleMs = DownloadIdleMs();
  if (!IsSafeLocalName(item->m_fileName)) {
    RefuseUnsafeName(item->m_fileName);
    FailItem(false);
    return ITEM_FAILED;
  }
  const std::string localFolder = LocalJoin(item->m_localPath, item->m_fileName);
  const std::string remoteFolder = RemoteJoin(item->m_remotePath, item->m_fileName);
  // The children carry these as their folders: a cut path would name another one.
  if (localFolder.size() >= kPlanPathLen || remoteFolder.size() >= kPlanPathLen) {
    FailItem(true);
    return ITEM_FAILED;
  }
  if (!::CreateDirectoryA(localFolder.c_str(), nullptr)) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS || Stopping()) {
      FailItem(true);
      return ITEM_FAILED;
    }
    if (IsOptionSet(OPTBIT_FILE_EXISTS_RULES) &&
        FileRuleAll(static_cast<uint32_t>(g_queueFileExistsRules.load()), FILERULE_DOWNLOAD, FILERULE_ASK)) {
      CSingleLock lock(&g_queueFileExistsSection, TRUE);
      if (ShowConfirmDlgText(g_pMainFrame.load(), " The directory already exists. Overwrite or not? ",
                             kConfirmModeQuestion, TRUE) != IDOK)
        return ITEM_DONE;
    }
  }

  session->m_queue.Clear();
  session->m_pFile = nullptr;
  session->m_pItem = nullptr;
  session->m_entryCount = 0;
  session->m_progress = 0;
  session->m_alive = 1;
  ::ResetEvent(session->m_hDoneEvent);
  session->PushCommand(VERB_CWD, remoteFolder.c_str());
  session->PushCommand(VERB_TYPE, "A");
  if (site->UsesPassiveMode())
    session->PushCommand(VERB_PASV, "PASV");
  else
    session->PushCommand(VERB_PORT, "");
  session->PushCommand(VERB_LIST, IsOptionSet(OPTBIT_SHOW_HIDDEN) ? "-al" : "");
  HWND hWnd = SessionHwnd(session);
  if (hWnd != nullptr)
    ::PostMessageA(hWnd, UWM_NET_COMMAND, 0, 0);

  bool signalled = false;
  bool timedOut = false;
  DWORD start = ::GetTickCount();
  while (SiteRuns() && session->m_alive.load() != 0 && ItemWorking() && !Stopping()) {
    if (::WaitForSingleObject(session->m_hDoneEvent, kPlanListSliceMs) != WAIT_TIMEOUT) {
      signalled = true;
      break;
    }
    if (session->m_progress.exchange(0) != 0) {
      start = ::GetTickCount();
    } else if (::GetTickCount() - start >= idleMs) {
      timedOut = true;
      break;
    }
  }
  if (!signalled || session->m_alive.load() == 0 || !SiteRuns() || !ItemWorking() || Stopping()) {
    if (timedOut && hWnd != nullptr) {
      ::SendMessageA(hWnd, UWM_NET_SEND, VERB_ABOR, 0);
      ::ResetEvent(session->m_hDoneEvent);
      if (::WaitForSingleObject(session->m_hDoneEvent, kPlanAbortWaitMs) == WAIT_TIMEOUT) {
        session->m_queue.Clear();
        session->m_alive = 0;
        ::PostMessageA(hWnd, UWM_NET_SEND, VERB_QUIT, 0);
        m_connectionLost = true;
      }
    }
    // The data connection closed on the window's thread before the block goes.
    if (hWnd == nullptr || ::SendMessageA(hWnd, UWM_NET_DETACH, 0, 1) == 0)
      m_connectionLost = true;
    if (session->m_pRecord != nullptr) {
      free(session->m_pRecord);
      session->m_pRecord = nullptr;
    }
    if (!timedOut && session->m_alive.load() != 0) {
      SetStatus(item, PLAN_STOPPED);
      return ITEM_FAILED;
    }
    char line[kPlanPathLen + kPlanHostLen + 64];
    std::snprintf(line, sizeof(line), "%s::%s search failed. Back! ", site->m_host, remoteFolder.c_str());
    ReportLine(line);
    FailItem(true);
    return ITEM_FAILED;
  }

  char* text = static_cast<char*>(session->m_pRecord);
  session->m_pRecord = nullptr;
  int count = 0;
  EntryRecord* entries = text != nullptr ? ParseListing(text, &count) : nullptr;
  free(text);
  for (int i = 0; entries != nullptr && entries[i].m_name[0] != '\0' && ItemWorking(); ++i) {
    const EntryRecord& e = entries[i];
    if (e.m_kind != kEntryFile && e.m_kind != kEntryFolder)
      continue;
    CPlanItem* child = new CPlanItem;
    CopyText(child->m_fileName, e.m_name);
    CopyText(child->m_localPath, localFolder);
    CopyText(child->m_remotePath, remoteFolder);
    CopyText(child->m_host, site->m_host);
    child->m_anonymous = site->SiteOptionDigits[1] - '0';
    child->m_port = site->m_port;
    child->m_passive = site->SiteOptionDigits[4] - '0';
    child->m_kind = e.m_kind;
    child->m_fileSize = e.m_size;
    CopyText(child->m_direction, "<-");
    CopyText(child->m_user, site->m_user);
    CopyText(child->m_password, site->m_password);
    if (!PostTo(g_pFuncView.load(), UWM_QUEUE_ADD, 0, reinterpret_cast<LPARAM>(child)))
      delete child;
  }
  delete[] entries;
  PostTo(g_pMainFrame.load(), UWM_RUN_QUEUE, 0, 0);
  return ITEM_DONE;
}

CPlanThread::ItemResult CPlanThread::UploadFolder()
{
  CPlanItem* item = m_pItem;
  CSiteItem* site = m_pSite;
  NetSession* session = m_pSession;
  const uint32_t idleMs = DownloadIdleMs();
  const std::string localFolder = LocalJoin(item->m_localPath, item->m_fileName);
  const std::string remoteFolder = RemoteJoin(item->m_remotePath, item->m_fileName);
  if (localFolder.size() >= kPlanPathLen || remoteFolder.size() >= kPlanPathLen) {
    FailItem(true);
    return ITEM_FAILED;
  }
  session->m_queue.Clear();
  session->m_alive = 1;
  session->m_progress = 0;
  ::ResetEvent(session->m_hDoneEvent);
  session->PushCommand(VERB_MKD, remoteFolder.c_str());
  HWND hWnd = SessionHwnd(session);
  if (hWnd != nullptr)
    ::PostMessageA(hWnd, UWM_NET_COMMAND, 0, 0);
  const DWORD start = ::GetTickCount();
  bool signalled = false;
  while (session->m_alive.load() != 0 && SiteRuns() && ItemWorking() && !Stopping() &&
         ::GetTickCount() - start < idleMs) {
    if (::WaitForSingleObject(session->m_hDoneEvent, kPlanProgressSliceMs) != WAIT_TIMEOUT) {
      signalled = true;
      break;
    }
  }
  if (!signalled && session->m_alive.load() != 0 && SiteRuns() && ItemWorking() && !Stopping()) {
    // No answer to MKD: the connection is given up.
    session->m_queue.Clear();
    session->m_alive = 0;
    if (hWnd != nullptr)
      ::PostMessageA(hWnd, UWM_NET_SEND, VERB_QUIT, 0);
    m_connectionLost = true;
    FailItem(true);
    return ITEM_FAILED;
  }
  if (!SiteRuns() || !ItemWorking() || Stopping()) {
    SetStatus(item, PLAN_STOPPED);
    return ITEM_FAILED;
  }
  if (session->m_alive.load() == 0) {
    // Refused: it exists, or the connection went.
    if (hWnd == nullptr || ::SendMessageA(hWnd, UWM_NET_DETACH, 0, 0) == 0) {
      m_connectionLost = true;
      FailItem(true);
      return ITEM_FAILED;
    }
    if (IsOptionSet(OPTBIT_FILE_EXISTS_RULES) &&
        FileRuleAll(static_cast<uint32_t>(g_queueFileExistsRules.load()), FILERULE_UPLOAD, FILERULE_ASK)) {
      char text[kPlanPathLen + kPlanHostLen + 64];
      std::snprintf(text, sizeof(text), "%s::%s already exists. Overwrite or not? ", site->m_host,
                    remoteFolder.c_str());
      CSingleLock lock(&g_queueFileExistsSection, TRUE);
      if (ShowConfirmDlgText(g_pMainFrame.load(), text, kConfirmModeQuestion, TRUE) != IDOK)
        return ITEM_DONE;
    }
  }

  WIN32_FIND_DATAA found;
  const std::string pattern = localFolder + "\\*.*";
  HANDLE find = ::FindFirstFileA(pattern.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) {
    FailItem(true);
    return ITEM_FAILED;
  }
  do {
    if (!SiteRuns() || !ItemWorking())
      break;
    if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0)
      continue;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0 && !IsOptionSet(OPTBIT_SHOW_HIDDEN))
      continue;
    CPlanItem* child = new CPlanItem;
    CopyText(child->m_fileName, found.cFileName);
    CopyText(child->m_localPath, localFolder);
    CopyText(child->m_remotePath, remoteFolder);
    CopyText(child->m_host, item->m_host);
    CopyText(child->m_user, item->m_user);
    CopyText(child->m_password, item->m_password);
    child->m_port = item->m_port;
    child->m_anonymous = item->m_anonymous;
    child->m_passive = item->m_passive;
    const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    child->m_kind = folder ? kEntryFolder : kEntryFile;
    child->m_fileSize = folder ? 0 : ((static_cast<int64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow);
    CopyText(child->m_direction, "->");
    if (!PostTo(g_pFuncView.load(), UWM_QUEUE_ADD, 0, reinterpret_cast<LPARAM>(child)))
      delete child;
  } while (::FindNextFileA(find, &found));
  ::FindClose(find);
  PostTo(g_pMainFrame.load(), UWM_RUN_QUEUE, 0, 0);
  return ITEM_DONE;
}
