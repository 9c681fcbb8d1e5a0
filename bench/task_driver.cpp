// task_driver: downloads one file and uploads it back through the upload and
// download tasks of the one-task worker, as the views start them: a site keeper
// logs in first, then each task is started by StartTaskThread, borrows the
// keeper's connection and runs its one file. Each direction is timed from the
// task's start to the moment its job is let go (running 0), so Wine's start-up
// and the keeper's login are left out; the CWD, TYPE, PASV and the transfer
// verb's replies are in.
//
//   task_driver.exe <host> <port> <user> <password> <remote folder> <name>
//                   <local folder> <upload folder> [runs]
//
// Downloads <remote folder>/<name> into <local folder>\<name>, then uploads that
// file into <upload folder>; runs times each (1 by default). Prints one line per
// transfer, "download <i> <seconds> <bytes>" or "upload <i> <seconds> <bytes>",
// and exits 0 when every job finished with all its bytes.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/driver_common.h"
#include "engine/batchjob.h"
#include "engine/connlog.h"
#include "engine/keeper.h"
#include "engine/listing.h"
#include "engine/netsession.h"
#include "engine/progthread.h"
#include "engine/siteitem.h"
#include "engine/taskthreads.h"
#include "engine/viewslots.h"
#include "engine/xfertask.h"
#include "shell/settings/settings.h"

namespace {

// The function view's stand-in: keeps the jobs the tasks hand over (it owns
// them from then on, as the site-to-site list does).
class JobSink : public CWnd {
public:
  JobSink() { CreateEx(0, AfxRegisterWndClass(0), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr); }
  ~JobSink() override
  {
    if (GetSafeHwnd() != nullptr)
      DestroyWindow();
  }
  BatchJobRecord* m_job = nullptr;

protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
  {
    if (message == UWM_BATCH_ADD && lParam != 0)
      m_job = reinterpret_cast<BatchJobRecord*>(lParam);
    if (message >= WM_USER)
      return 0;
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

void Pump(DWORD waitMs)
{
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  ::MsgWaitForMultipleObjects(0, nullptr, FALSE, waitMs, QS_ALLINPUT);
}

using bench::DumpLog;
using bench::Seconds;

EntryRecord* OneEntry(const char* name, int64_t size)
{
  EntryRecord* e = new EntryRecord[2]();
  snprintf(e[0].m_name, sizeof(e[0].m_name), "%s", name);
  e[0].m_size = size;
  e[0].m_kind = 5;
  return e;
}

int64_t LocalSize(const std::string& path)
{
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
    return -1;
  return ((int64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

// Runs one task to the end of its job: the seconds until the job was let go
// (negative when it never was), its bytes done and final state.
double RunOne(CTaskThreadList& list, CProgThread* thread, JobSink& sink, int64_t* bytes, int* state)
{
  LARGE_INTEGER freq, start, end;
  ::QueryPerformanceFrequency(&freq);
  sink.m_job = nullptr;
  *bytes = 0;
  *state = -1;
  ::QueryPerformanceCounter(&start);
  if (!StartTaskThread(list, thread)) {
    delete thread;
    return -1;
  }
  const DWORD limit = ::GetTickCount();
  bool done = false;
  while (::GetTickCount() - limit < 600000) {
    Pump(1);
    if (sink.m_job != nullptr && sink.m_job->m_running.load() == 0) {
      ::QueryPerformanceCounter(&end);
      done = true;
      break;
    }
    if (list.GetTaskThreadCount() == 0 && sink.m_job == nullptr)
      break;
  }
  // The worker gives the keeper its connection back before the next run.
  while (list.GetTaskThreadCount() != 0 && ::GetTickCount() - limit < 600000)
    Pump(5);
  BatchJobRecord* job = sink.m_job;
  sink.m_job = nullptr;
  if (job == nullptr)
    return -1;
  *bytes = (int64_t)job->m_bytesDone.load();
  *state = job->m_state.load();
  delete job;
  return done ? Seconds(start, end, freq) : -1;
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc != 9 && argc != 10) {
    fprintf(stderr,
            "usage: task_driver host port user password remote-folder name local-folder upload-folder [runs]\n");
    return 2;
  }
  const char* remoteFolder = argv[5];
  const char* name = argv[6];
  const char* localFolder = argv[7];
  const char* uploadFolder = argv[8];
  const int runs = argc == 10 ? atoi(argv[9]) : 1;

  WSADATA wsa;
  if (::WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
    return 3;
  ResetSettingsDefaults();
  g_optionFlags |= 1u << OPTBIT_LAN_USER;
  g_optionFlags &= ~(1u << OPTBIT_NOTIFIER);
  InitFtpVerbNames();

  CSiteItem site;
  bench::LoginSite(site, argv + 1);
  site.m_queueRun = 1;
  site.m_workerFlag = 1;

  JobSink sink;
  g_pFuncView = &sink;

  CWinThread* keeper = AfxBeginThread(ConnectKeeperProc, &site, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  if (keeper == nullptr)
    return 3;
  keeper->m_bAutoDelete = FALSE;
  site.m_pKeeperThread = keeper;
  keeper->ResumeThread();
  const DWORD connectStart = ::GetTickCount();
  while (site.m_connected.load() == 0 && ::GetTickCount() - connectStart < 20000)
    Pump(20);

  int rc = 0;
  if (site.m_connected.load() == 0) {
    fprintf(stderr, "task_driver: the keeper did not log in\n");
    rc = 1;
  }
  CTaskThreadList list;
  list.m_reapIntervalMs = 5;
  const std::string localPath = std::string(localFolder) + "\\" + name;
  for (int i = 1; rc == 0 && i <= runs; ++i) {
    ::DeleteFileA(localPath.c_str());
    int64_t bytes = 0;
    int state = -1;
    // The listed size is only shown; the server's file decides.
    const HTREEITEM node = reinterpret_cast<HTREEITEM>(intptr_t(1));
    double secs = RunOne(list,
                         new CProgThread(1, TASK_DOWNLOAD, &site, node, remoteFolder, localFolder, 0,
                                         OneEntry(name, 0)),
                         sink, &bytes, &state);
    const int64_t size = LocalSize(localPath);
    if (secs < 0 || state != JOB_FINISHED || size <= 0 || bytes != size) {
      fprintf(stderr, "task_driver: download %d failed (state %d, %lld bytes, file %lld)\n", i, state,
              (long long)bytes, (long long)size);
      rc = 1;
      break;
    }
    printf("download %d %.3f %lld\n", i, secs, (long long)bytes);
    fflush(stdout);

    secs = RunOne(list,
                  new CProgThread(1, TASK_UPLOAD, &site, node, localFolder, uploadFolder, 0, OneEntry(name, size)),
                  sink, &bytes, &state);
    if (secs < 0 || state != JOB_FINISHED || bytes != size) {
      fprintf(stderr, "task_driver: upload %d failed (state %d, %lld of %lld bytes)\n", i, state, (long long)bytes,
              (long long)size);
      rc = 1;
      break;
    }
    printf("upload %d %.3f %lld\n", i, secs, (long long)bytes);
    fflush(stdout);
  }
  if (rc != 0)
    DumpLog();

  // The site's destructor waits for its keeper and deletes it.
  site.m_keeperRunning = 0;
  g_pFuncView = nullptr;
  return rc;
}
