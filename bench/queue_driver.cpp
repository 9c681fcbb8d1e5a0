// queue_driver: downloads one server folder through the queue, as Start Queue
// runs it: a document with one work site for the server, a folder item in the
// queue, the queue workers expanding it and moving its files over the site's
// connections (option bit 8 on). Timed from Start Queue to the end of the last
// worker; the login is in.
//
//   queue_driver.exe <host> <port> <user> <password> <remote parent> <folder>
//                    <local folder> <workers> [page]
//
// With "page" the queue is the real function view's queue page (its window on
// the screen), else the workers' stand-in of the tests.
//
// Prints "queue <files> <seconds> <bytes>" and exits 0 when every item
// finished.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/planitem.h"
#include "engine/planthread.h"
#include "shell/settings/settings.h"
#include "shell/funcview/funcviewres.h"
#include "tests/funcview/funcviewfix.h"
#include "tests/queue/queuefix.h"

namespace {

int Pending(funcviewtest::Host* host, queuetest::Harness& h)
{
  if (host == nullptr)
    return h.view.Pending();
  int n = 0;
  for (int i = 0; i < host->List().GetCount(); ++i) {
    const int32_t s = StatusOf(host->List().GetPlanItem(i));
    if (s == PLAN_WORKING || s == PLAN_QUEUED)
      ++n;
  }
  return n;
}

}  // namespace

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

  const bool page = argc > 9 && std::string(argv[9]) == "page";
  std::unique_ptr<queuetest::Harness> own;
  std::unique_ptr<funcviewtest::Host> fv;
  if (page)
    fv.reset(new funcviewtest::Host(workers));
  else
    own.reset(new queuetest::Harness);
  queuetest::Harness& h = page ? fv->harness : *own;
  g_recvTimeout = 60;
  g_sendTimeout = 60;
  g_optionFlags |= 1u << OPTBIT_REUSE_CONNECTION;
  g_queueThreadCount = workers;
  CSiteItem* site = h.AddSite(port, user, password);
  CopySiteText(site->m_host, host);
  if (page) {
    CPlanItem* folder = new CPlanItem;
    CopySiteText(folder->m_direction, "<-");
    CopySiteText(folder->m_host, host);
    CopySiteText(folder->m_user, user);
    CopySiteText(folder->m_password, password);
    CopySiteText(folder->m_localPath, argv[7]);
    CopySiteText(folder->m_remotePath, argv[5]);
    CopySiteText(folder->m_fileName, argv[6]);
    folder->m_port = port;
    folder->m_anonymous = 0;
    folder->m_passive = 1;
    folder->m_kind = 7;
    fv->view->SendMessage(UWM_QUEUE_ADD, 0, reinterpret_cast<LPARAM>(folder));
  } else {
    h.view.Add("<-", host, port, user, password, argv[7], argv[5], argv[6], 0, 7);
  }

  const DWORD start = ::GetTickCount();
  if (page)
    fv->Page().SendMessage(WM_COMMAND, ID_QUEUE_RUN, 0);
  else
    h.doc->OnStartQueue();
  // The window thread waits in GetMessage, as the program's message loop does;
  // a thread timer looks for the end every 20 ms (each look asks Wine about
  // every worker, a cost the program itself does not have).
  DWORD ended = 0;
  ::SetTimer(nullptr, 0, 20, nullptr);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd != nullptr || msg.message != WM_TIMER) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
      continue;
    }
    const bool busy = h.WorkersRunning() || Pending(fv.get(), h) > 0;
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
  std::vector<CPlanItem*> all;
  if (page) {
    // The tidy took the finished folder item out; its files stay, moved down.
    for (int i = 0; i < fv->List().GetCount(); ++i)
      all.push_back(fv->List().GetPlanItem(i));
  } else {
    all = h.view.All();
  }
  for (CPlanItem* item : all) {
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
