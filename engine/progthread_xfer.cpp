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

LRESULT SendToWnd(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  HWND hWnd = wnd != nullptr ? wnd->GetSafeHwnd() : nullptr;
  if (hWnd == nullptr || g_exitRequested.load() != 0)
    return 0;
  return ::SendMessageA(hWnd, message, wParam, lParam);
}

bool CanHandOver()
{
  CWnd* view = g_pFuncView.load();
  return g_exitRequested.load() == 0 && view != nullptr && view->GetSafeHwnd() != nullptr;
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

// ---- name rules ----

void ConvertNameByDigit(char* name, size_t size, char digit)
{
  if (digit == '1' || digit == '2') {
    CString s(name);
    if (digit == '1')
      s.MakeUpper();
    else
      s.MakeLower();
    std::snprintf(name, size, "%s", static_cast<const char*>(s));
  } else if (digit == '3' && name[0] >= 'a' && name[0] <= 'z') {
    name[0] = static_cast<char>(name[0] - 'a' + 'A');
  }
}

bool IsSafeLocalName(const char* name)
{
  if (name == nullptr || name[0] == '\0')
    return false;
  const size_t len = std::strlen(name);
  for (size_t i = 0; i < len; ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (::IsDBCSLeadByte(c) && i + 1 < len) {
      ++i;  // a trail byte may be 0x5C and is no separator
      continue;
    }
    if (c < 0x20 || c == '\\' || c == '/' || c == ':')
      return false;
  }
  // Windows drops trailing dots and blanks: ". ." names the parent too.
  std::string s(name, len);
  while (!s.empty() && (s.back() == '.' || s.back() == ' '))
    s.pop_back();
  if (s.empty())
    return false;
  // Device names, with any extension, open the device instead of a file.
  std::string base = s.substr(0, s.find('.'));
  while (!base.empty() && base.back() == ' ')
    base.pop_back();
  for (char& c : base)
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* d : kDevices)
    if (base == d)
      return false;
  if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) && base[3] >= '1' &&
      base[3] <= '9')
    return false;
  return true;
}

void FormatJobSpeed(char* out, size_t size, uint64_t bytes, uint32_t elapsedMs)
{
  const uint64_t ms = elapsedMs <= 55 ? 27 : elapsedMs;
  const uint64_t whole = bytes / ms;
  const uint64_t hundredths = (bytes % ms) * 100 / ms;
  std::snprintf(out, size, "%" PRIu64 ".%02" PRIu64 "KB", whole, hundredths);
}

// ---- one file ----

void CProgThread::FinishJob(BatchJobRecord* job)
{
  FormatJobSpeed(job->m_speed, sizeof(job->m_speed), job->m_bytesDone.load(), ::GetTickCount() - job->m_startTick);
  // The loops must not reach the job any more once its owner may free it.
  if (m_pSession1 != nullptr && m_pSession1->m_pRecord == job)
    m_pSession1->m_pRecord = nullptr;
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
  session->m_progress = 0;
  session->m_alive = 1;

  session->PushCommand(VERB_TYPE, GetTransferTypeText(name));
  if (site->SiteOptionDigits[4] != '0')
    session->PushCommand(VERB_PASV, "PASV");
  else
    session->PushCommand(VERB_PORT, "");
  session->PushCommand(verb, name);
  ::ResetEvent(session->m_hDoneEvent);
  HWND hWnd = session->m_pWnd != nullptr ? session->m_pWnd->GetSafeHwnd() : nullptr;
  job->m_startTick = ::GetTickCount();
  if (hWnd != nullptr)
    ::PostMessageA(hWnd, UWM_NET_COMMAND, 0, 0);

  bool timedOut = false;
  DWORD start = ::GetTickCount();
  while (site->m_queueRun.load() == 1 && JobGoesOn(job) && session->m_alive.load() != 0 && !timedOut) {
    if (::WaitForSingleObject(session->m_hDoneEvent, kXferSliceMs) != WAIT_TIMEOUT)
      break;
    if (session->m_progress.exchange(0) != 0)
      start = ::GetTickCount();
    else if (::GetTickCount() - start >= idleMs)
      timedOut = true;
  }
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
    ::SendMessageA(hWnd, UWM_NET_SEND, VERB_ABOR, 0);
    // Bounded: a server that never answers must not hold the task.
    DWORD abortStart = ::GetTickCount();
    while (site->m_queueRun.load() == 1 && g_exitRequested.load() == 0) {
      if (::WaitForSingleObject(session->m_hDoneEvent, kXferSliceMs) != WAIT_TIMEOUT)
        break;
      if (::GetTickCount() - abortStart >= idleMs) {
        DropSilentConnection(session);
        break;
      }
    }
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
  session->m_queue.Clear();
  session->m_alive = 1;
  ::ResetEvent(session->m_hDoneEvent);
  session->PushCommand(VERB_CWD, path);
  HWND hWnd = session->m_pWnd != nullptr ? session->m_pWnd->GetSafeHwnd() : nullptr;
  if (hWnd != nullptr)
    ::PostMessageA(hWnd, UWM_NET_COMMAND, 0, 0);
  WaitWhileRunning(session, m_pSite, true);
  return session->m_alive.load() != 0 && m_pSite->m_queueRun.load() != 0;
}

void CProgThread::UploadEntries(EntryRecord* entries, int maxCount, const char* localFolder,
                                const char* remoteFolder, bool convert)
{
  NetSession* session = m_pSession1;
  CSiteItem* site = m_pSite;
  CWnd* result = ResultWnd();
  const WPARAM node = reinterpret_cast<WPARAM>(m_hNode);
  if (!ChangeRemoteFolder(remoteFolder)) {
    session->m_pRecord = nullptr;
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
      SendToWnd(g_pFuncView.load(), UWM_BATCH_ADD, 0, reinterpret_cast<LPARAM>(job));

    CFile file;
    if (!file.Open(localPath.c_str(), CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary)) {
      job->m_state = JOB_ERROR;
      job->m_startTick = ::GetTickCount();
      FinishJob(job);
      if (handed)
        SendToWnd(g_pFuncView.load(), UWM_TASK_FINISHED, reinterpret_cast<WPARAM>(job), 0);
      else
        delete job;
      break;
    }
    session->m_pFile = &file;
    session->m_pRecord = job;
    const int ok = UploadOneFile(job, name);
    session->m_pFile = nullptr;
    file.Abort();
    if (handed)
      SendToWnd(g_pFuncView.load(), UWM_TASK_FINISHED, reinterpret_cast<WPARAM>(job), 0);
    else
      delete job;
    if (!ok) {
      if (g_exitRequested.load() != 0) {
        session->m_pRecord = nullptr;
        return;
      }
      break;
    }
    // The server got the converted name: report that one.
    EntryRecord added = rec;
    std::snprintf(added.m_name, sizeof(added.m_name), "%s", name);
    SendToWnd(result, UWM_ENTRY_ADDED, node, reinterpret_cast<LPARAM>(&added));
  }
  SendToWnd(result, UWM_LISTING_STATUS, node, 0);
  if (m_paneFlag == 1)
    SendToWnd(result, UWM_DROP_LISTING_CACHE, 0, reinterpret_cast<LPARAM>(m_hNode));
  session->m_pRecord = nullptr;
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
    session->m_pRecord = nullptr;
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
      SendToWnd(g_pFuncView.load(), UWM_BATCH_ADD, 0, reinterpret_cast<LPARAM>(job));

    int ok = 0;
    bool stop = false;
    CFile file;
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
                          CFile::modeCreate | CFile::modeWrite | CFile::shareDenyNone | CFile::typeBinary)) {
      job->m_state = JOB_ERROR;
      job->m_startTick = ::GetTickCount();
      FinishJob(job);
      stop = true;
    } else {
      session->m_pFile = &file;
      session->m_pRecord = job;
      ok = DownloadOneFile(job, listed);
      session->m_pFile = nullptr;
      file.Abort();
    }
    if (!handed)
      delete job;
    if (openMode) {
      result = ok;
      break;
    }
    if (stop)
      break;
  }
  if (!openMode && g_exitRequested.load() == 0) {
    SendToWnd(g_pLocTrView.load(), UWM_LISTING_STATUS, reinterpret_cast<WPARAM>(m_hNode), 0);
    char line[320];
    std::snprintf(line, sizeof(line), "%s::Downloading is complete. \r\n", site->m_host);
    ReportLine(line);
  }
  session->m_pRecord = nullptr;
  return result;
}

void CProgThread::TaskOpenOrEdit(bool edit)
{
  if (TaskDownload(true) != 1 || m_pEntries == nullptr) {
    m_pSession1->m_pRecord = nullptr;
    return;
  }
  const std::string path = WithEnd(m_secondPath, '\\') + m_pEntries[0].m_name;
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
  UploadEntries(m_pEntries, 1, m_secondPath, m_firstPath, false);
}
