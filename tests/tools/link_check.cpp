// The 32-bit build runs no test: this program links the port monitor, the
// traffic page and the notifier with their resources so that the build proves
// they link.
#include "framework/afxwin.h"
#include "shell/tools/nettrafficpage.h"
#include "shell/tools/portinfodlg.h"
#include "shell/tools/taskbarnotifier.h"

CWinApp theApp("tools_link_check");

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
  // Never true when started: keeps every call linked without running one.
  if (commandLine == nullptr || commandLine[0] != '\x01')
    return 0;
  RunPortMonitor(nullptr);
  CWnd* page = CreateNetTrafficPage(nullptr);
  if (page != nullptr)
    page->DestroyWindow();
  CTaskbarNotifier notifier;
  if (CreateMainNotifier(notifier, nullptr))
    notifier.Popup("link", 500, 3000, 500);
  return 0;
}
