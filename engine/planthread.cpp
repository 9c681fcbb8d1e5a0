// The queue worker: its making, its small routines and the loop that takes
// items from the queue one after another.
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
#include "engine/queuehandover.h"
#include "engine/queuerules.h"
#include "engine/queueseam.h"
#include "engine/siteitem.h"
#include "engine/viewslots.h"
#include "engine/xfertask.h"
#include "framework/file.h"
#include "shell/doc/threadstatus.h"
#include "shell/settings/meteredsection.h"
#include "shell/settings/settings.h"
#include "engine/planthread_local.h"

using namespace plan_detail;

std::atomic<uint32_t> g_planLoginWaitMs{kPlanLoginWaitMs};
std::atomic<uint32_t> g_planTidyWaitMs{kPlanTidyWaitMs};
std::atomic<uint32_t> g_planFinishLockWaitMs{kPlanFinishLockWaitMs};

namespace plan_detail {

std::atomic<CSiteItem* (*)(int)> g_docSite{nullptr};
std::atomic<BOOL (*)(int)> g_docConnect{nullptr};
std::atomic<int (*)()> g_docQueueCount{nullptr};
std::atomic<int32_t> g_queueTookItem{0};

}  // namespace plan_detail

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

void CPlanThread::DropItem()
{
  CPlanItem* item = m_pItem;
  m_pItem = nullptr;
  if (item != nullptr)
    ReleaseHeld(item);
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
  SettleFinish();  // the last file's finish shows before this file's news
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

bool CPlanThread::PostQueueAdd(CPlanItem* child)
{
  QueueAddsOnTheWay().fetch_add(1);
  if (PostTo(g_pFuncView.load(), UWM_QUEUE_ADD, kQueueAddCounted, reinterpret_cast<LPARAM>(child)))
    return true;
  QueueAddsOnTheWay().fetch_sub(1);
  return false;
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
  if (site != nullptr) {
    // The page's pick made ahead, when it has one: no wait for its thread.
    while (CPlanItem* ready = QueueHandOver().Take(site))
      if (ClaimHandedOver(ready))
        return ready;
    return reinterpret_cast<CPlanItem*>(SendTo(view, UWM_NEXT_QUEUE_ITEM, reinterpret_cast<WPARAM>(site), 0));
  }
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
    if (count() == 0 && QueueSlotLeave(m_index)) {
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
      const bool again = last && !Stopping() && (taken = Ask(nullptr)) != nullptr;
      // A Start Queue that met this worker alive asked it to look once more.
      if (!again && (Stopping() || QueueSlotLeave(m_index)))
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
      DropItem();
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

void CPlanThread::RunItems()
{
  while (m_pItem != nullptr && SiteRuns() && !Stopping()) {
    CPlanItem* item = m_pItem;
    item->m_workerIndex = m_index;
    m_beginOwed = false;
    const bool upload = std::strcmp(item->m_direction, "->") == 0;
    const bool folder = item->m_kind == kEntryFolder;
    if (folder)
      SettleFinish();
    if (m_finishOwed != nullptr) {
      m_recordOwed = true;  // the last file's finish still reads the record
      m_recordUpload = upload;
    } else {
      StartRecord(upload);
    }
    ItemResult r;
    if (folder)
      r = upload ? UploadFolder() : DownloadFolder();
    else
      r = upload ? UploadFile() : DownloadFile();
    SettleFinish();  // every path has settled it by now; this keeps none held
    if (r == ITEM_DONE && !folder && !Stopping()) {
      // Finished now; its finish step goes once the next file's commands are
      // posted, and it stays held for that step until then.
      SetStatus(item, PLAN_FINISHED);
      m_finishOwed = item;
      m_pItem = nullptr;
    } else {
      if (r == ITEM_DONE) {
        FinishStep();
        SetStatus(item, PLAN_FINISHED);
      }
      DropItem();
    }
    if (Stopping())
      break;
    CPlanItem* next = nullptr;
    if (!m_connectionLost && SiteRuns() && IsOptionSet(OPTBIT_REUSE_CONNECTION))
      next = Ask(m_pSite);
    if (next == nullptr)
      SettleFinish();  // the tidy the notice asks for finds it finished
    PostQueueEnded();
    m_pItem = next;
  }
  SettleFinish();
}
