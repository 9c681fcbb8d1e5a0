// transfer_driver: one download or upload through the engine, timed from the
// start of the connection thread to the end of the transfer (the program's own
// start-up is left out). Passive mode, binary type, the default settings.
//
//   transfer_driver.exe get|put <host> <port> <user> <password> <remote> <local>
//
// Prints "seconds=<s> bytes=<n> login=<s>" (the last: the share of the
// connection and login) and exits 0 when the transfer went through.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/driver_common.h"
#include "engine/connlog.h"
#include "engine/ftpsocketwnd.h"
#include "engine/netfunc.h"
#include "engine/netsession.h"
#include "engine/siteitem.h"
#include "framework/file.h"

using bench::DumpLog;
using bench::Seconds;

int main(int argc, char** argv)
{
  if (argc != 8 || (strcmp(argv[1], "get") != 0 && strcmp(argv[1], "put") != 0)) {
    fprintf(stderr, "usage: transfer_driver get|put host port user password remote local\n");
    return 2;
  }
  const bool download = strcmp(argv[1], "get") == 0;
  WSADATA wsa;
  if (::WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
    return 3;
  InitFtpVerbNames();

  CSiteItem site;
  bench::LoginSite(site, argv + 2);

  CFile file;
  const UINT flags = download ? CFile::modeCreate | CFile::modeWrite : CFile::modeRead | CFile::shareDenyWrite;
  if (!file.Open(argv[7], flags)) {
    fprintf(stderr, "cannot open %s\n", argv[7]);
    return 4;
  }

  LARGE_INTEGER freq, start, end;
  ::QueryPerformanceFrequency(&freq);
  ::QueryPerformanceCounter(&start);

  NetSession* session = new NetSession;
  session->m_pSite = &site;
  CNetFunc* thread = new CNetFunc(session);
  bool ok = thread->Start() && session->WaitForLogin(60000, 60000, nullptr);
  LARGE_INTEGER loggedIn;
  ::QueryPerformanceCounter(&loggedIn);
  int64_t bytes = 0;
  if (ok) {
    session->BeginOperation();
    session->m_pFile = &file;
    session->PushCommand(VERB_TYPE, "I");
    session->PushCommand(VERB_PASV, "PASV");
    session->PushCommand(download ? VERB_RETR : VERB_STOR, argv[6]);
    session->PostCommands();
    ok = session->WaitForEnd(3600000, 3600000, nullptr) == NetSession::WAIT_DONE && session->m_alive != 0;
    bytes = download ? (int64_t)site.m_bytesReceived : (int64_t)site.m_bytesSent;
  }
  ::QueryPerformanceCounter(&end);

  if (thread->m_hThread != nullptr)
    thread->Stop();
  delete thread;
  session->m_pFile = nullptr;
  delete session;
  file.Abort();
  if (!ok) {
    DumpLog();
    return 1;
  }
  printf("seconds=%.3f bytes=%lld login=%.3f\n", Seconds(start, end, freq), (long long)bytes,
         Seconds(start, loggedIn, freq));
  return 0;
}
