#include "tests/funcview/funcviewfix.h"

#include <cstdio>

#include "engine/planthread.h"
#include "shell/funcview/funcviewres.h"
#include "shell/settings/settings.h"

namespace funcviewtest {

Host::Host(int workers, const std::string& queueFile, int tab)
{
  g_queueThreadCount = workers;  // after the harness's defaults
  std::snprintf(g_queueFilePath, sizeof(g_queueFilePath), "%s", queueFile.c_str());
  g_funcViewTab = tab;
  frame.CreateEx(WS_EX_TOPMOST, AfxRegisterWndClass(0, ::LoadCursor(nullptr, IDC_ARROW),
                                                    reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)),
                 "zarn function view", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 20, 20, 1000, 560, nullptr, nullptr);
  view.reset(new CTestFuncView);
  view->Create(IDD_FUNC_VIEW, &frame);
  view->MoveWindow(0, 0, 1000, 560);
  view->ShowWindow(SW_SHOW);
  frame.UpdateWindow();
  harness.Pump(100);
}

Host::~Host()
{
  Close();
}

void Host::Close()
{
  if (!view)
    return;
  harness.WaitWorkersEnded(20000);
  view->DestroyWindow();
  view.reset();
  if (frame.GetSafeHwnd() != nullptr)
    frame.DestroyWindow();
  g_queueFilePath[0] = '\0';
}

CPlanItem* Host::Queue(const char* direction, int port, const char* user, const char* password,
                       const char* localPath, const char* remotePath, const char* name, int64_t size)
{
  CPlanItem* item = new CPlanItem;
  std::snprintf(item->m_direction, sizeof(item->m_direction), "%s", direction);
  std::snprintf(item->m_host, sizeof(item->m_host), "127.0.0.1");
  std::snprintf(item->m_user, sizeof(item->m_user), "%s", user);
  std::snprintf(item->m_password, sizeof(item->m_password), "%s", password);
  std::snprintf(item->m_localPath, sizeof(item->m_localPath), "%s", localPath);
  std::snprintf(item->m_remotePath, sizeof(item->m_remotePath), "%s", remotePath);
  std::snprintf(item->m_fileName, sizeof(item->m_fileName), "%s", name);
  item->m_port = port;
  item->m_anonymous = 0;
  item->m_passive = 1;
  item->m_fileSize = size;
  item->m_kind = 5;
  view->SendMessage(UWM_QUEUE_ADD, 0, reinterpret_cast<LPARAM>(item));
  return item;
}

std::string TempFile(const std::string& name)
{
  return queuetest::FreshTemp("fv-" + name) + "\\" + name;
}

}  // namespace funcviewtest
