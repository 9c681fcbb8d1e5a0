#include "tests/queue/queuefix.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "engine/connlog.h"
#include "engine/exitrequest.h"
#include "engine/netsession.h"
#include "engine/planthread.h"
#include "engine/progthread.h"
#include "engine/queuerules.h"
#include "engine/queueseam.h"
#include "engine/viewslots.h"
#include "engine/xfertask.h"
#include "shell/funcview/core/queuecore.h"
#include "shell/settings/meteredsection.h"
#include "shell/settings/settings.h"
#include "tests/support/tempfolder.h"

namespace queuetest {

EndCounts g_end;

void EndCounts::Reset()
{
  confirmShutdown = 0;
  confirmQuit = 0;
  hangUps = 0;
  powerOffs = 0;
  closes = 0;
  answer = IDCANCEL;
}

namespace {

int CountConfirm(UINT stringId)
{
  if (stringId == 41055)
    ++g_end.confirmShutdown;
  else
    ++g_end.confirmQuit;
  return g_end.answer.load();
}
int CountHangUp()
{
  ++g_end.hangUps;
  return 0;
}
void CountPowerOff() { ++g_end.powerOffs; }
void CountClose() { ++g_end.closes; }
const QueueEndActions kCounting = {&CountConfirm, &CountHangUp, &CountPowerOff, &CountClose};

int AnswerBoxes(const DocBoxRequest&, BOOL* dontShow)
{
  *dontShow = FALSE;
  return IDOK;
}

bool Running(CWinThread* thread)
{
  if (thread == nullptr || thread->m_hThread == nullptr)
    return false;
  DWORD code = 0;
  return ::GetExitCodeThread(thread->m_hThread, &code) && code == STILL_ACTIVE;
}

}  // namespace

// ---- function view ----

FakeFuncView::FakeFuncView()
{
  CreateEx(0, AfxRegisterWndClass(0), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
}

FakeFuncView::~FakeFuncView()
{
  Clear();
  if (GetSafeHwnd() != nullptr)
    DestroyWindow();
}

void FakeFuncView::Clear()
{
  for (CPlanItem* item : m_items)
    delete item;
  for (CPlanItem* item : m_removed)
    delete item;
  m_items.clear();
  m_removed.clear();
  m_seen.clear();
}

CPlanItem* FakeFuncView::Add(const char* direction, const char* host, int port, const char* user,
                             const char* password, const char* localPath, const char* remotePath, const char* name,
                             int64_t size, int kind)
{
  CPlanItem* item = new CPlanItem;
  std::snprintf(item->m_direction, sizeof(item->m_direction), "%s", direction);
  std::snprintf(item->m_host, sizeof(item->m_host), "%s", host);
  std::snprintf(item->m_user, sizeof(item->m_user), "%s", user);
  std::snprintf(item->m_password, sizeof(item->m_password), "%s", password);
  std::snprintf(item->m_localPath, sizeof(item->m_localPath), "%s", localPath);
  std::snprintf(item->m_remotePath, sizeof(item->m_remotePath), "%s", remotePath);
  std::snprintf(item->m_fileName, sizeof(item->m_fileName), "%s", name);
  item->m_port = port;
  item->m_anonymous = 0;
  item->m_passive = 1;
  item->m_fileSize = size;
  item->m_kind = kind;
  item->m_status = PLAN_QUEUED;
  item->m_failAction = PLAN_FAIL_RETRY_LAST;
  m_items.push_back(item);
  return item;
}

std::vector<CPlanItem*> FakeFuncView::All() const
{
  std::vector<CPlanItem*> all = m_items;
  all.insert(all.end(), m_removed.begin(), m_removed.end());
  return all;
}

int FakeFuncView::Count(UINT message) const
{
  int n = 0;
  for (const Seen& s : m_seen)
    if (s.message == message)
      ++n;
  return n;
}

int FakeFuncView::Pending() const
{
  int n = 0;
  for (const CPlanItem* item : m_items) {
    const int32_t s = __atomic_load_n(&item->m_status, __ATOMIC_ACQUIRE);
    if (s == PLAN_WORKING || s == PLAN_QUEUED)
      ++n;
  }
  return n;
}

namespace {

// The queue as the core's rules take it, and back.
void ToArray(const std::vector<CPlanItem*>& from, CObArray& to)
{
  to.RemoveAll();
  for (CPlanItem* item : from)
    to.Add(item);
}
void FromArray(const CObArray& from, std::vector<CPlanItem*>& to)
{
  to.clear();
  for (INT_PTR i = 0; i < from.GetSize(); ++i)
    to.push_back(QueueItemAt(from, i));
}
CSiteItem* DocSite(int i)
{
  return g_pDoc != nullptr ? g_pDoc->GetSite(i) : nullptr;
}
bool TakeUnit(CSiteItem* site)
{
  HANDLE sem = site->ConnectionSemaphore();
  return sem != nullptr && ::WaitForSingleObject(sem, 0) == WAIT_OBJECT_0;
}

}  // namespace

LRESULT FakeFuncView::NextItem(WPARAM wParam, LPARAM lParam)
{
  CObArray items;
  ToArray(m_items, items);
  if (wParam == 0)
    return reinterpret_cast<LRESULT>(
        QueueNextItem(items, &DocSite, g_exitRequested, &TakeUnit, reinterpret_cast<int*>(lParam)));
  return reinterpret_cast<LRESULT>(
      QueueNextItemForSite(items, *reinterpret_cast<const CSiteItem*>(wParam), g_exitRequested));
}

void FakeFuncView::Tidy()
{
  CObArray items;
  ToArray(m_items, items);
  const QueueTidyResult r = QueueTidy(items, IsOptionSet(OPTBIT_QUEUE_AUTODELETE), g_queueRetries, &m_removed);
  FromArray(items, m_items);
  if (r.runQueue) {
    CWnd* frame = g_pMainFrame.load();
    if (frame != nullptr)
      ::PostMessageA(frame->GetSafeHwnd(), UWM_RUN_QUEUE, 0, 0);
  }
  ReleaseQueueEndedNotice();
}

LRESULT FakeFuncView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message == WM_TIMER && wParam == kLateTidyTimer) {
    KillTimer(kLateTidyTimer);
    Tidy();
    return 0;
  }
  if (message < WM_USER)
    return CWnd::WindowProc(message, wParam, lParam);
  m_seen.push_back(Seen{message, wParam, lParam});
  switch (message) {
    case UWM_NEXT_QUEUE_ITEM: {
      LRESULT r = NextItem(wParam, lParam);
      int working = 0;
      CSiteItem* site1 = g_pDoc != nullptr ? g_pDoc->GetSite(1) : nullptr;
      for (CPlanItem* item : m_items)
        if (site1 != nullptr && item->m_status == PLAN_WORKING && item->m_port == site1->m_port &&
            std::strcmp(item->m_host, site1->m_host) == 0)
          ++working;
      if (working > m_maxWorkingPerSite1)
        m_maxWorkingPerSite1 = working;
      return r;
    }
    case UWM_QUEUE_ADD: {
      CPlanItem* item = reinterpret_cast<CPlanItem*>(lParam);
      item->m_status = PLAN_QUEUED;
      item->m_failAction = PLAN_FAIL_RETRY_LAST;
      m_items.push_back(item);
      return 0;
    }
    case UWM_QUEUE_ENDED:
      if (m_tidyLateMs != 0) {
        SetTimer(kLateTidyTimer, m_tidyLateMs, nullptr);
        return 0;
      }
      if (m_tidy)
        Tidy();
      else
        ReleaseQueueEndedNotice();
      return 0;
    default:
      return 0;
  }
}

// ---- main frame ----

FakeMainFrame::FakeMainFrame()
{
  CreateEx(0, AfxRegisterWndClass(0), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
}

FakeMainFrame::~FakeMainFrame()
{
  if (GetSafeHwnd() != nullptr)
    DestroyWindow();
}

int FakeMainFrame::Count(UINT message) const
{
  int n = 0;
  for (const Seen& s : m_seen)
    if (s.message == message)
      ++n;
  return n;
}

LRESULT FakeMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message < WM_USER)
    return CWnd::WindowProc(message, wParam, lParam);
  m_seen.push_back(Seen{message, wParam, lParam});
  const int n = static_cast<int>(wParam);
  switch (message) {
    case UWM_UPLOAD_BEGIN:
    case UWM_DOWNLOAD_BEGIN:
      // The display itself is the window's: a begin that would start it only marks the timer.
      if (StatusOnBegin(m_status, m_records, m_active, n, static_cast<uint32_t>(lParam), ::GetTickCount()) ==
          StatusBegin::StartDisplay)
        m_status.timerRunning = true;
      return m_handRows ? HandRowNoticeToView(UWM_THREAD_RESET, n) : 0;
    case UWM_TASK_FINISHED: {
      const LRESULT taken = m_handRows ? HandRowNoticeToView(UWM_TASK_FINISHED, n) : 0;
      StatusOnFinish(m_status, m_records, n);
      return taken;
    }
    case UWM_RUN_QUEUE:
      if (m_runQueue && g_pDoc != nullptr)
        g_pDoc->StartQueueThreads();
      return 0;
    case UWM_NOTIFY_POPUP:
      if (lParam != 0)
        m_popups.push_back(reinterpret_cast<const char*>(lParam));
      return 0;
    default:
      return 0;
  }
}

// ---- harness ----

Harness::Harness()
{
  ResetSettingsDefaults();
  g_idleTimeout = 1;
  g_connectTimeout = 5;
  g_retryDelay = 1;
  g_recvTimeout = 5;
  g_sendTimeout = 5;
  g_optionFlags |= 1u << OPTBIT_LAN_USER;
  g_optionFlags &= ~((1u << OPTBIT_NOTIFIER) | (1u << OPTBIT_FILE_EXISTS_RULES) | (1u << OPTBIT_QUEUE_POWEROFF) |
                     (1u << OPTBIT_QUEUE_QUIT) | (1u << OPTBIT_QUEUE_HANGUP) | (1u << OPTBIT_QUEUE_AUTODELETE) |
                     (1u << OPTBIT_CONFIRM_CONNECT));
  g_exitRequested = 0;
  g_planLoginWaitMs = 15000;
  static bool socketsUp = false;
  if (!socketsUp) {
    WSADATA data;
    socketsUp = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  InitFtpVerbNames();
  ConnLogClear();
  g_end.Reset();
  SetQueueEndActions(&kCounting);
  SetDocBoxHook(&AnswerBoxes);
  SetQueueWorkerFactory(&MakePlanThread);
  ReleaseQueueEndedNotice();
  g_queueFileExistsRules = -1;
  if (g_meteredSection == nullptr)
    g_meteredSection = CreateMeteredSection(1, 1, nullptr);
  BindThreadStatus(ThreadStatusBinding{frame.m_records, &frame.m_active});
  g_pFuncView = &view;
  g_pMainFrame = &frame;
  doc.reset(new CZarnDoc);
  g_pDoc = doc.get();
  // Slot 0 holds the document's default site; nothing here uses it.
  doc->m_sites[0]->m_queueRun = 0;
}

Harness::~Harness()
{
  // Workers end by themselves; a stuck one is stopped the document's way.
  WaitWorkersEnded(20000);
  StopSites();
  doc.reset();
  g_pDoc = nullptr;
  g_pFuncView = nullptr;
  g_pMainFrame = nullptr;
  BindThreadStatus(ThreadStatusBinding{nullptr, nullptr});
  SetQueueEndActions(nullptr);
  g_exitRequested = 0;
}

CSiteItem* Harness::AddSite(int port, const char* user, const char* password, char limitDigit, int limit)
{
  CSiteItem* site = new CSiteItem;
  CopySiteText(site->m_host, "127.0.0.1");
  CopySiteText(site->m_name, "queue test");
  CopySiteText(site->m_user, user);
  CopySiteText(site->m_password, password);
  site->m_port = port;
  site->SiteOptionDigits[0] = limitDigit;
  site->SiteOptionDigits[1] = '0';
  site->SiteOptionDigits[4] = '1';
  site->SiteOptionDigits[7] = '1';
  site->m_connLimit = limit;
  site->m_connectTimeout = 0;
  site->m_retryCount = 2;
  site->m_retryDelay = 1;
  doc->m_sites[1] = site;
  return site;
}

void Harness::Pump(DWORD ms)
{
  const DWORD start = ::GetTickCount();
  do {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (::GetTickCount() - start < ms);
}

bool Harness::WorkersRunning() const
{
  if (!doc)
    return false;  // destroyed by the test
  for (CWinThread* t : doc->m_queueThreads)
    if (Running(t))
      return true;
  return false;
}

bool Harness::WaitWorkersEnded(DWORD waitMs)
{
  const DWORD start = ::GetTickCount();
  while (WorkersRunning() && ::GetTickCount() - start < waitMs)
    Pump(20);
  return !WorkersRunning();
}

bool Harness::Run(DWORD waitMs, DWORD quietMs)
{
  doc->OnStartQueue();
  if (CSiteItem* first = doc->m_sites[0])  // a test may have emptied the default slot
    first->m_queueRun = 0;
  const DWORD start = ::GetTickCount();
  DWORD quietSince = 0;
  while (::GetTickCount() - start < waitMs) {
    Pump(20);
    const bool busy = WorkersRunning() || view.Pending() > 0;
    if (busy) {
      quietSince = 0;
    } else if (quietSince == 0) {
      quietSince = ::GetTickCount();
    } else if (::GetTickCount() - quietSince >= quietMs) {
      return true;
    }
  }
  return false;
}

void Harness::StopSites()
{
  if (!doc)
    return;
  for (int i = 0; i < MAX_SITES; ++i) {
    CSiteItem* site = doc->GetSite(i);
    if (site == nullptr || site->m_pKeeperThread == nullptr)
      continue;
    site->m_keeperRunning = 0;
    ::WaitForSingleObject(site->m_pKeeperThread->m_hThread, 15000);
  }
}

// ---- files ----

std::string QueueServedData(size_t size)
{
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i)
    s[i] = static_cast<char>((i * 7 + 3) & 0xFF);
  return s;
}

std::string QueueLogText()
{
  std::string all;
  for (int i = 0; i < ConnLogCount(); ++i)
    all += static_cast<const char*>(ConnLogRowText(i));
  return all;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& prefix)
{
  for (const std::string& l : lines)
    if (l.compare(0, prefix.size(), prefix) == 0)
      return true;
  return false;
}

int64_t FileSizeOf(const std::string& path)
{
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d))
    return -1;
  return (static_cast<int64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
}

std::vector<std::string> EntriesIn(const std::string& folder, bool filesOnly)
{
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE h = ::FindFirstFileA((folder + "\\*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE)
    return names;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == ".." || (filesOnly && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0))
      continue;
    names.push_back(name);
  } while (::FindNextFileA(h, &found));
  ::FindClose(h);
  return names;
}

void MakeDirs(const std::string& path)
{
  for (size_t i = 3; i <= path.size(); ++i)
    if (i == path.size() || path[i] == '\\')
      ::CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

std::string FreshTemp(const std::string& name)
{
  char temp[MAX_PATH];
  ::GetTempPathA(sizeof(temp), temp);
  // One folder per process: test programs may run side by side.
  std::string path = std::string(temp) + "zarn-queue-" + std::to_string(::GetCurrentProcessId()) + "-" + name;
  testsupport::RemoveFolderTree(path);
  MakeDirs(path);
  testsupport::RemoveAtExit(path);
  return path;
}

}  // namespace queuetest
