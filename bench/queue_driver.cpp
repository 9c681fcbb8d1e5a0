// queue_driver: downloads one server folder through the queue, as Start Queue
// runs it: a document with one work site for the server, a folder item in the
// queue, the queue workers expanding it and moving its files over the site's
// connections (option bit 8 on). Timed from Start Queue to the end of the last
// worker; the login is in.
//
//   queue_driver.exe <host> <port> <user> <password> <remote parent> <folder>
//                    <local folder> <workers>
//
// Prints "queue <files> <seconds> <bytes>" and exits 0 when every item
// finished.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/planitem.h"
#include "engine/planthread.h"
#include "shell/settings/settings.h"
#include "tests/queue/queuefix.h"

int main(int argc, char** argv)
{
  if (argc < 9) {
    std::fprintf(stderr,
                 "usage: queue_driver host port user password remote-parent folder local-folder workers\n");
    return 2;
  }
  const char* host = argv[1];
  const int port = std::atoi(argv[2]);
  const char* user = argv[3];
  const char* password = argv[4];
  const int workers = std::atoi(argv[8]);

  queuetest::Harness h;
  g_recvTimeout = 60;
  g_sendTimeout = 60;
  g_optionFlags |= 1u << OPTBIT_REUSE_CONNECTION;
  g_queueThreadCount = workers;
  CSiteItem* site = h.AddSite(port, user, password);
  CopySiteText(site->m_host, host);
  h.view.Add("<-", host, port, user, password, argv[7], argv[5], argv[6], 0, 7);

  const DWORD start = ::GetTickCount();
  h.doc->OnStartQueue();
  DWORD ended = 0;
  for (;;) {
    h.Pump(5);
    const bool busy = h.WorkersRunning() || h.view.Pending() > 0;
    if (!busy && ended == 0)
      ended = ::GetTickCount();
    if (busy)
      ended = 0;
    if (ended != 0 && ::GetTickCount() - ended > 300)
      break;
    if (::GetTickCount() - start > 30u * 60u * 1000u) {
      std::fprintf(stderr, "queue_driver: the queue did not end\n");
      return 1;
    }
  }
  int files = 0;
  int failed = 0;
  int64_t bytes = 0;
  for (CPlanItem* item : h.view.All()) {
    if (item->m_status != PLAN_FINISHED)
      ++failed;
    else if (item->m_kind != 7) {
      ++files;
      bytes += item->m_fileSize;
    }
  }
  std::printf("queue %d %.3f %lld\n", files, (ended - start) / 1000.0, static_cast<long long>(bytes));
  std::fflush(stdout);
  if (failed != 0)
    std::fprintf(stderr, "queue_driver: %d items did not finish\n", failed);
  return failed == 0 ? 0 : 1;
}
