// The 32-bit build runs no test: this program links the launchers, the seams
// and the console's import (by ordinal) so that the build proves they link.
#include "engine/launchers.h"
#include "engine/taskdialogs.h"
#include "framework/afxwin.h"

CWinApp theApp("launch_link_check");

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
  // Never true when started: keeps every call linked without running one.
  if (commandLine == nullptr || commandLine[0] != '\x01')
    return 0;
  BindCommandCtrlImport();
  OpenCommandCtrl(nullptr, nullptr);
  PasteBetweenServerPanes(1, nullptr, nullptr, 0);
  LaunchChangePasswordTask(0, "", "");
  return 0;
}
