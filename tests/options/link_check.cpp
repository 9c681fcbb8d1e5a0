// The 32-bit build runs no test: this program links the settings dialog, File
// Exists Options and Quick Add Site so that the build proves they link.
#include "framework/afxwin.h"
#include "shell/doc/zarndoc.h"
#include "shell/mainframe/quickaddsite.h"
#include "shell/options/settingsdlg.h"

CWinApp theApp("options_link_check");

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
  // Never true when started: keeps every call linked without running one.
  if (commandLine == nullptr || commandLine[0] != '\x01')
    return 0;
  InstallOptionDialogs();
  CSettingsDlg settings(nullptr, nullptr);
  settings.DoModal();
  SiteLoginValues values;
  RunQuickAddSiteDialog(nullptr, values);
  RunModifyInfoDialog(nullptr, 0, values);
  return 0;
}
