// The queue worker's file items: one upload or download with its folder,
// type, size look-up, failure report and the file taken back.
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
#include "shell/doc/workerrow.h"
#include "shell/settings/meteredsection.h"
#include "shell/settings/settings.h"
#include "engine/planthread_local.h"

using namespace plan_detail;

// ---- failure and finish ----

void CPlanThread::NoticeFrameAndRow(UINT frameMessage, LPARAM frameLParam, UINT rowMessage, LPARAM rowLParam)
{
  // The page's row shows what the worker leaves on the board. The main frame
  // hands the notice to the view while it takes the begin or finish; without
  // a frame that did, a post tells the view to look, so the worker does not
  // wait for the window twice.
  const ThreadStatusRecord* rec = Record();
  if (rowMessage == UWM_THREAD_RESET)
    WorkerRows().PutReset(m_index, *rec, static_cast<uint32_t>(frameLParam), reinterpret_cast<const void*>(rowLParam));
  else
    WorkerRows().PutFinish(m_index, *rec);
  if (SendTo(g_pMainFrame.load(), frameMessage, static_cast<WPARAM>(m_index), frameLParam) == kRowNoticeTaken)
    return;
  if (!PostTo(g_pFuncView.load(), rowMessage, static_cast<WPARAM>(m_index), rowLParam))
    WorkerRows().Unposted(m_index);
}

LRESULT HandRowNoticeToView(UINT message, int worker)
{
  CWnd* view = g_pFuncView.load();
  const HWND hWnd = view != nullptr ? view->GetSafeHwnd() : nullptr;
  if (hWnd == nullptr)
    return 0;
  const LPARAM lParam =
      message == UWM_THREAD_RESET ? reinterpret_cast<LPARAM>(WorkerRows().PendingItem(worker)) : 1;
  ::SendMessageA(hWnd, message, static_cast<WPARAM>(worker), lParam);
  return kRowNoticeTaken;
}

void CPlanThread::StartRecord(bool upload)
{
  ThreadStatusRecord* rec = Record();
  rec->m_uploadDone = 0;
  rec->m_downloadDone = 0;
  rec->m_direction = upload ? 0 : 1;
}

void CPlanThread::SettleFinish()
{
  CPlanItem* item = m_finishOwed;
  if (item == nullptr)
    return;
  m_finishOwed = nullptr;
  FinishStepOf(item);
  ReleaseHeld(item);
  if (m_recordOwed) {
    m_recordOwed = false;
    StartRecord(m_recordUpload);
  }
}

void CPlanThread::AnnounceBegin(bool upload)
{
  SettleFinish();
  m_beginOwed = false;
  if (Stopping())
    return;
  CPlanItem* item = m_pItem;
  ThreadStatusRecord* rec = Record();
  CopyText(rec->m_fileName, item->m_fileName);
  if (!upload)
    rec->m_fileSize = static_cast<uint32_t>(item->m_fileSize);
  NoticeFrameAndRow(upload ? UWM_UPLOAD_BEGIN : UWM_DOWNLOAD_BEGIN, static_cast<LPARAM>(item->m_fileSize),
                    UWM_THREAD_RESET, reinterpret_cast<LPARAM>(item));
}

void CPlanThread::AnnounceOwedBegin()
{
  if (m_beginOwed)
    AnnounceBegin(m_beginUpload);
}

void CPlanThread::FinishStepOf(CPlanItem* item)
{
  if (Stopping() || item == nullptr)
    return;
  ThreadStatusRecord* rec = Record();
  const int64_t done = BytesDoneOf(item);
  rec->m_runningTotal += static_cast<uint32_t>(done);
  rec->m_bytesPresent += static_cast<uint32_t>(done);
  rec->m_bytesMoved = static_cast<uint32_t>(done);
  const uint32_t elapsed = QueueElapsedMs(rec->m_startTick, ::GetTickCount());
  FormatQueueElapsed(rec->m_elapsed, sizeof(rec->m_elapsed), elapsed);
  FormatQueueSpeed(rec->m_speed, sizeof(rec->m_speed), static_cast<uint64_t>(done), elapsed);
  m_worked = static_cast<int32_t>(done);
  const bool locked = EnterMeteredSection();
  NoticeFrameAndRow(UWM_TASK_FINISHED, 0, UWM_TASK_FINISHED, 1);
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
  SettleFinish();
  AnnounceOwedBegin();
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
  // The folder the last item left the connection in: no command, no trip to
  // the window (which would skip the CWD anyway).
  if (session->StandsIn(path) && session->m_alive.load() != 0 && SiteRuns() && ItemWorking() && !Stopping())
    return true;
  session->BeginOperation();
  session->PushCommand(VERB_CWD, path);
  const HWND hWnd = session->PostCommands();
  const NetSession::WaitEnd end = session->WaitForEnd(kPlanProgressSliceMs, idleMs, [&] {
    return session->m_alive.load() != 0 && SiteRuns() && ItemWorking() && !Stopping();
  });
  if (end == NetSession::WAIT_DONE && session->m_alive.load() != 0 && SiteRuns() && ItemWorking() && !Stopping())
    return true;
  if (end == NetSession::WAIT_IDLE) {
    // A server that does not answer CWD is given up.
    session->GiveUp();
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
  session->BeginOperation();
  // Servers answer SIZE in binary mode only.
  session->PushCommand(VERB_TYPE, "I");
  session->PushCommand(VERB_SIZE, name);
  session->PostCommands();
  if (session->WaitForEnd(kPlanProgressSliceMs, DownloadIdleMs(), [&] {
        return session->m_alive.load() != 0 && SiteRuns() && !Stopping();
      }) == NetSession::WAIT_DONE)
    return session->m_alive.load() != 0 ? static_cast<int64_t>(session->m_progress.load()) : kNoDestination;
  return kNoDestination;
}

// ---- files ----

CPlanThread::ItemResult CPlanThread::Transfer(CFile& file, bool upload, int verb, int64_t offset,
                                              const char* remoteName, uint32_t idleMs)
{
  CPlanItem* item = m_pItem;
  NetSession* session = m_pSession;
  ThreadStatusRecord* rec = Record();
  __atomic_store_n(&item->m_bytesDone, 0, __ATOMIC_RELAXED);
  session->BeginOperation();
  session->m_pFile = &file;
  session->m_pItem = item;
  session->PushCommand(VERB_TYPE, GetTransferTypeText(remoteName));
  session->PushDataConnection(m_pSite);
  char restArg[32];
  std::snprintf(restArg, sizeof(restArg), "%lld", static_cast<long long>(offset));
  if (upload ? (verb == VERB_APPE && m_pSite->SiteOptionDigits[8] == '1') : verb == VERB_RETW && offset > 0)
    session->PushCommand(VERB_REST, restArg);
  session->PushCommand(verb, remoteName);
  const HWND hWnd = session->PostCommands();
  // The last file's finish and this one's begin go to the windows while the
  // connection's thread already talks to the server.
  SettleFinish();
  // The begin clears the record's counts: what this transfer found present
  // is written after it.
  AnnounceOwedBegin();
  rec->m_bytesPresent = static_cast<uint32_t>(offset);

  const NetSession::WaitEnd end = session->WaitForEnd(
      kPlanProgressSliceMs, idleMs,
      [&] { return session->m_alive.load() != 0 && StatusOf(item) != PLAN_STOPPED && SiteRuns() && !Stopping(); },
      [&] {
        const int64_t moved = session->m_progress.exchange(0);
        if (moved == 0)
          return false;
        if (!Stopping() && g_meteredSection != nullptr && CMeteredSection::Enter(g_meteredSection, 0) == 0) {
          rec->m_bytesMoved = static_cast<uint32_t>(BytesDoneOf(item));
          SendTo(g_pFuncView.load(), UWM_THREAD_PROGRESS, static_cast<WPARAM>(m_index), static_cast<LPARAM>(moved));
          CMeteredSection::Leave(g_meteredSection, 1);
        }
        return true;
      });
  const bool signalled = end == NetSession::WAIT_DONE;
  const bool timedOut = end == NetSession::WAIT_IDLE;
  if (signalled && session->m_alive.load() != 0 && SiteRuns() && StatusOf(item) == PLAN_WORKING && !Stopping()) {
    if (session->m_pFile == nullptr) {
      // Ended in order: the window closed the data connection and the file
      // before it said so, and nothing there reaches the item any more.
      session->m_pItem = nullptr;
      file.Abort();
    } else if (!Detach(file)) {
      m_connectionLost = true;
    }
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
    // Sent while the program closes (nothing waits then), else posted and
    // awaited; no answer to ABOR either gives the connection up.
    if (Stopping() || !SiteRuns())
      session->Abort(Stopping());
    else if (session->AbortAndWait(false, kPlanAbortWaitMs, kPlanAbortWaitMs, nullptr, timedOut) ==
             NetSession::WAIT_IDLE)
      m_connectionLost = true;
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
  m_beginUpload = true;
  m_beginOwed = true;
  CFile file;
  if (!file.Open(localPath.c_str(), CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary)) {
    char line[kPlanPathLen + kPlanHostLen + 64];
    std::snprintf(line, sizeof(line), "%s::%s can't be opened.\r\n", m_pSite->m_host, localPath.c_str());
    AnnounceOwedBegin();
    ReportLine(line);
    FailItem(true);
    return ITEM_FAILED;
  }
  const int64_t sourceSize = static_cast<int64_t>(file.GetLength());
  int answer = QANSWER_OVERWRITE;
  int64_t offset = 0;
  char newName[kPlanPathLen] = {};
  if (DestinationLookupNeeded(FILERULE_UPLOAD, sourceSize, item->m_retryCount)) {
    AnnounceOwedBegin();  // before any box asks
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
  m_beginUpload = false;
  m_beginOwed = true;
  std::string localPath = LocalJoin(item->m_localPath, localName);
  int answer = QANSWER_OVERWRITE;
  int64_t offset = 0;
  char newName[kPlanPathLen] = {};
  if (DestinationLookupNeeded(FILERULE_DOWNLOAD, item->m_fileSize, item->m_retryCount)) {
    AnnounceOwedBegin();  // before any box asks
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
    AnnounceOwedBegin();
    ReportLine(line);
    FailItem(true);
    return ITEM_FAILED;
  }
  return Transfer(file, false, VERB_RETW, offset, item->m_fileName, idleMs);
}
