// The 32-bit build runs no test: this program links every routine of the boxes
// and seams (and the engine's resources) so that the build proves they link.
#include <winsock2.h>
#include <windows.h>

#include "engine/confirmdlg.h"
#include "engine/dialup.h"
#include "engine/localaddr.h"
#include "engine/shellseam.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
  // Never true when started: keeps every call linked without running one.
  if (commandLine == nullptr || commandLine[0] != '\x01')
    return 0;
  char text[kRegistryDefaultLen];
  int icon = 0;
  ShowConfirmDlg(nullptr, IDS_CONFIRM_CONNECT, 0);
  ShowConfirmDlgText(nullptr, "", kConfirmModeError, TRUE);
  CConfirmReplaceDlg replace(nullptr, 0, nullptr);
  replace.DoModal();
  HangUpAllConnections();
  AutoDial();
  TestLocalAddress(nullptr, nullptr);
  ReadRegistryDefault(HKEY_CLASSES_ROOT, ".htm", text);
  OpenWithShell("", SW_SHOWNORMAL);
  GetShellIconIndex(text, "", &icon, &icon);
  GetShellIconIndexByName("", &icon, &icon, 7);
  return 0;
}
