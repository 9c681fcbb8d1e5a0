// The transfer tasks of the one-task worker: upload, download, open and edit.
// Each file is one BatchJobRecord handed to the function view; the task writes
// it until it clears running, which it does last, and only passes the pointer
// on after that.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/batchjob.h"
#include "engine/confirmdlg.h"
#include "engine/connlog.h"
#include "engine/engineutil.h"
#include "engine/exitrequest.h"
#include "engine/ftpsocketwnd.h"
#include "engine/netsession.h"
#include "engine/progthread.h"
#include "engine/shellseam.h"
#include "engine/siteitem.h"
#include "engine/viewslots.h"
#include "engine/xfertask.h"
#include "framework/file.h"
#include "shell/settings/settings.h"

namespace {

const DWORD kXferSliceMs = 3000;
const DWORD kRunSliceMs = 2000;
// How long letting go of a transfer waits for its connection window.
const DWORD kDetachWaitMs = 15000;

// "<host>::Can't create local file <path>: <the system's reason>" for the log.
std::string LocalCreateFailedLine(const char* host, const std::string& path, LONG osError)
{
  char reason[256] = {};
  if (osError <= 0 || ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                       (DWORD)osError, 0, reason, sizeof(reason), nullptr) == 0)
    std::snprintf(reason, sizeof(reason), "error %ld", (long)osError);
  std::string text = reason;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
    text.pop_back();
  return std::string(host) + "::Can't create local file " + path + ": " + text + "\r\n";
}

bool CanHandOver()
{
  return g_exitRequested.load() == 0 && g_pFuncView.Window() != nullptr;
}

void Copy(char* out, size_t size, const std::string& text)
{
  std::snprintf(out, size, "%s", text.c_str());
}

std::string WithEnd(const char* path, char sep)
{
  std::string s = path;
  if (s.empty() || s.back() != sep)
    s += sep;
  return s;
}

bool JobGoesOn(const BatchJobRecord* job)
{
  return job->m_running.load() != 0 && job->m_stopRequested.load() == 0;
}

}  // namespace

// ---- one file ----

void CProgThread::FinishJob(BatchJobRecord* job)
{
  // The loops must not reach the job (nor the file) any more once its owner
  // may free it: the window lets both go on its own thread, so no receive or
  // send step is half way through them when this returns.
  NetSession* session = m_pSession1;
  if (session != nullptr && session->m_pJob == job && job->m_state == JOB_FINISHED && session->m_pFile == nullptr) {
    // Ended in order: the window closed the data connection and the file
    // before it said so, so nothing there reaches the job any more.
    session->m_pJob = nullptr;
  } else if (session != nullptr && session->m_pJob == job) {
    HWND hWnd = session->m_pWnd != nullptr ? session->m_pWnd->GetSafeHwnd() : nullptr;
    DWORD_PTR up = 0;
    if (hWnd == nullptr || ::SendMessageTimeoutA(hWnd, UWM_NET_DETACH, 0, 0, SMTO_NORMAL, kDetachWaitMs, &up) == 0) {
      // No window to ask (or it does not answer): nothing runs there to race.
      session->m_pFile = nullptr;
      session->m_pJob = nullptr;
    }
  }
  FormatJobSpeed(job->m_speed, sizeof(job->m_speed), job->m_bytesDone.load(), ::GetTickCount() - job->m_startTick);
  job->m_running = 0;
}

int CProgThread::TransferOneFile(BatchJobRecord* job, const char* name, int verb, int32_t siteTimeout,
                                 int32_t globalTimeout)
{
  NetSession* session = m_pSession1;
  CSiteItem* site = m_pSite;
  int32_t seconds = siteTimeout > 10 ? siteTimeout : globalTimeout;
  if (seconds < 1)
    seconds = 1;
  const uint32_t idleMs = static_cast<uint32_t>(seconds) * 1000u;
  session->BeginOperation();
  bool queued = session->PushCommand(VERB_TYPE, GetTransferTypeText(name)) != 0;
  queued = queued && session->PushDataConnection(site) != 0;
  queued = queued && session->PushCommand(verb, name) != 0;
  job->m_startTick = ::GetTickCount();
  if (!queued) {
    // Without its transfer verb the rest would end "finished" having moved nothing.
    session->m_queue.Clear();
    job->m_state = JOB_ERROR;
    FinishJob(job);
    return 0;
  }
  const HWND hWnd = session->PostCommands();

  const bool timedOut =
      session->WaitForEnd(
          kXferSliceMs, idleMs,
          [&] { return site->m_queueRun.load() == 1 && JobGoesOn(job) && session->m_alive.load() != 0; },
          [&] { return session->m_progress.exchange(0) != 0; }) == NetSession::WAIT_IDLE;
  const bool siteRuns = site->m_queueRun.load() == 1;
  const bool jobRuns = JobGoesOn(job);
  if (siteRuns && jobRuns && session->m_alive.load() != 0 && !timedOut) {
    job->m_state = JOB_FINISHED;
    FinishJob(job);
    return 1;
  }
  bool abort = false;
  if (siteRuns && jobRuns) {
    abort = timedOut;  // a lost connection needs no ABOR
    job->m_state = JOB_ERROR;
  } else {
    abort = true;
    job->m_state = (jobRuns && site->m_connected.load() == 0) ? JOB_ERROR : JOB_INTERRUPTED;
  }
  if (abort && hWnd != nullptr) {
    // Given up: the data connection is reset rather than closed in order, so
    // the server never takes a cut upload for a whole file. Bounded: a server
    // that never answers must not hold the task.
    session->m_alive = 0;
    session->AbortAndWait(
        true, kXferSliceMs, idleMs, [&] { return site->m_queueRun.load() == 1 && g_exitRequested.load() == 0; },
        timedOut);
  }
  FinishJob(job);
  return 0;
}

int CProgThread::UploadOneFile(BatchJobRecord* job, const char* name)
{
  return TransferOneFile(job, name, VERB_STOR, m_pSite->m_uploadTimeout, g_sendTimeout);
}

int CProgThread::DownloadOneFile(BatchJobRecord* job, const char* name)
{
  return TransferOneFile(job, name, VERB_RETR, m_pSite->m_downloadTimeout, g_recvTimeout);
}

// ---- tasks ----

bool CProgThread::ChangeRemoteFolder(const char* path)
{
  NetSession* session = m_pSession1;
  session->BeginOperation(false);
  session->PushCommand(VERB_CWD, path);
  session->PostCommands();
  // Bounded like a listing: a server that never answers must not hold the
  // task (and a borrowed keeper connection) until the user stops the site.
  if (WaitWithIdle(session, m_pSite, ListingIdleMs(m_pSite), kRunSliceMs) == -1) {
    char line[320];
    std::snprintf(line, sizeof(line), "%s::This server response timeout, the task stopped!\r\n", m_pSite->m_host);
    ReportLine(line);
    session->GiveUp();
    return false;
  }
  return session->m_alive.load() != 0 && m_pSite->m_queueRun.load() != 0;
}

void CProgThread::UploadEntries(EntryRecord* entries, int maxCount, const char* localFolder,
                                const char* remoteFolder, bool convert)
{
  NetSession* session = m_pSession1;
  CSiteItem* site = m_pSite;
  const WPARAM node = reinterpret_cast<WPARAM>(m_hNode);
  if (!ChangeRemoteFolder(remoteFolder)) {
    session->m_pJob = nullptr;
    return;
  }
  for (int i = 0; entries != nullptr && entries[i].m_name[0] != '\0' && (maxCount < 0 || i < maxCount); ++i) {
    if (site->m_queueRun.load() != 1)
      break;
    EntryRecord& rec = entries[i];
    if (rec.m_kind == 7)
      continue;
    const std::string localPath = WithEnd(localFolder, '\\') + rec.m_name;
    char name[sizeof(rec.m_name)];
    std::snprintf(name, sizeof(name), "%s", rec.m_name);
    if (convert)
      ConvertNameByDigit(name, sizeof(name), site->SiteOptionDigits[5]);
    const std::string remotePath = WithEnd(remoteFolder, '/') + name;

    BatchJobRecord* job = new BatchJobRecord;
    job->m_running = 1;
    Copy(job->m_source, sizeof(job->m_source), localPath);
    Copy(job->m_target, sizeof(job->m_target), std::string(site->m_host) + remotePath);
    job->m_state = JOB_SENDING;
    job->m_size = static_cast<uint64_t>(rec.m_size);
    const bool handed = CanHandOver();
    if (handed)
      SendToView(g_pFuncView, UWM_BATCH_ADD, 0, reinterpret_cast<LPARAM>(job));

    CFile file;
    if (!file.Open(localPath.c_str(), CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary)) {
      job->m_state = JOB_ERROR;
      job->m_startTick = ::GetTickCount();
      FinishJob(job);
      if (handed)
        SendToView(g_pFuncView, UWM_TASK_FINISHED, reinterpret_cast<WPARAM>(job), 0);
      else
        delete job;
      break;
    }
    session->m_pFile = &file;
    session->m_pJob = job;
    const int ok = UploadOneFile(job, name);
    session->m_pFile = nullptr;
    file.Abort();
    if (handed)
      SendToView(g_pFuncView, UWM_TASK_FINISHED, reinterpret_cast<WPARAM>(job), 0);
    else
      delete job;
    if (!ok) {
      if (g_exitRequested.load() != 0) {
        session->m_pJob = nullptr;
        return;
      }
      break;
    }
    // The server got the converted name: report that one.
    EntryRecord added = rec;
    std::snprintf(added.m_name, sizeof(added.m_name), "%s", name);
    SendEntryAdded(m_hNode, added, remoteFolder);
  }
  SendResult(UWM_LISTING_STATUS, node, 0);
  if (m_paneFlag == 1)
    SendResult(UWM_DROP_LISTING_CACHE, 0, reinterpret_cast<LPARAM>(m_hNode));
  session->m_pJob = nullptr;
}

void CProgThread::TaskUpload()
{
  UploadEntries(m_pEntries, -1, m_firstPath, m_secondPath, true);
}

int CProgThread::TaskDownload(bool openMode)
{
  NetSession* session = m_pSession1;
  CSiteItem* site = m_pSite;
  if (!ChangeRemoteFolder(m_firstPath)) {
    session->m_pJob = nullptr;
    return 0;
  }
  int result = 0;
  for (int i = 0; m_pEntries != nullptr && m_pEntries[i].m_name[0] != '\0'; ++i) {
    if (site->m_queueRun.load() != 1)
      break;
    EntryRecord& rec = m_pEntries[i];
    if (rec.m_kind == 7)
      continue;
    // RETR asks for the name as listed; the record gets the converted one.
    char listed[sizeof(rec.m_name)];
    std::snprintf(listed, sizeof(listed), "%s", rec.m_name);
    const std::string remotePath = WithEnd(m_firstPath, '/') + listed;
    char name[sizeof(rec.m_name)];
    std::snprintf(name, sizeof(name), "%s", listed);
    if (!openMode)
      ConvertNameByDigit(name, sizeof(name), site->SiteOptionDigits[6]);
    const std::string localPath = WithEnd(m_secondPath, '\\') + name;
    std::snprintf(rec.m_name, sizeof(rec.m_name), "%s", name);
    std::snprintf(rec.m_second, sizeof(rec.m_second), "%s", localPath.c_str());

    BatchJobRecord* job = new BatchJobRecord;
    job->m_running = 1;
    Copy(job->m_target, sizeof(job->m_target), localPath);
    Copy(job->m_source, sizeof(job->m_source), std::string(site->m_host) + remotePath);
    job->m_bytesDone = 0;
    job->m_state = JOB_DOWNLOADING;
    job->m_size = static_cast<uint64_t>(rec.m_size);
    const bool handed = CanHandOver();
    if (handed)
      SendToView(g_pFuncView, UWM_BATCH_ADD, 0, reinterpret_cast<LPARAM>(job));

    int ok = 0;
    bool stop = false;
    CFile file;
    CFileException openError;
    if (!IsSafeLocalName(name)) {
      // A listed name must never reach outside the chosen folder or a device.
      char line[600];
      std::snprintf(line, sizeof(line), "%s::Unsafe file name refused: %s\r\n", site->m_host, name);
      ReportLine(line);
      job->m_state = JOB_ERROR;
      job->m_startTick = ::GetTickCount();
      FinishJob(job);
      stop = openMode;
    } else if (!file.Open(localPath.c_str(),
                          CFile::modeCreate | CFile::modeWrite | CFile::shareDenyNone | CFile::typeBinary,
                          &openError)) {
      ReportLine(LocalCreateFailedLine(site->m_host, localPath, openError.m_lOsError).c_str());
      job->m_state = JOB_ERROR;
      job->m_startTick = ::GetTickCount();
      FinishJob(job);
      stop = true;
    } else {
      session->m_pFile = &file;
      session->m_pJob = job;
      ok = DownloadOneFile(job, listed);
      session->m_pFile = nullptr;
      file.Abort();
    }
    // Every handed job is reported once it is let go (refused and unopened
    // files too): the list counts its running jobs and drops finished ones.
    if (handed)
      SendToView(g_pFuncView, UWM_TASK_FINISHED, reinterpret_cast<WPARAM>(job), 0);
    else
      delete job;
    if (openMode) {
      result = ok;
      break;
    }
    if (stop)
      break;
  }
  if (!openMode && g_exitRequested.load() == 0) {
    SendLocalResult(UWM_LISTING_STATUS, reinterpret_cast<WPARAM>(m_hNode), 0);
    char line[320];
    std::snprintf(line, sizeof(line), "%s::Downloading is complete. \r\n", site->m_host);
    ReportLine(line);
  }
  session->m_pJob = nullptr;
  return result;
}

void CProgThread::TaskOpenOrEdit(bool edit)
{
  if (TaskDownload(true) != 1 || m_pEntries == nullptr) {
    m_pSession1->m_pJob = nullptr;
    return;
  }
  // The file fetched is the first entry that is no folder.
  EntryRecord* rec = m_pEntries;
  while (rec->m_name[0] != '\0' && rec->m_kind == 7)
    ++rec;
  if (rec->m_name[0] == '\0')
    return;
  const std::string path = WithEnd(m_secondPath, '\\') + rec->m_name;
  if (g_exitRequested.load() != 0)
    return;
  OpenWithShell(path.c_str(), SW_SHOWNORMAL);
  if (!edit || g_exitRequested.load() != 0)
    return;
  char text[800];
  std::snprintf(text, sizeof(text),
                "Plesas choose a suitable tool to edit [%s]. After editing, please press [OK],otherwise press "
                "[Cancel].",
                path.c_str());
  if (ShowConfirmDlgText(g_pMainFrame.load(), text, -2, FALSE) != IDOK)
    return;
  // Back under the name as listed: a converted name would leave the original unedited.
  UploadEntries(rec, 1, m_secondPath, m_firstPath, false);
}
