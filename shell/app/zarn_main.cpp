#include <windows.h>

#include "console/zarncontrol.h"
#include "shell/app/clientapp.h"
#include "shell/doc/pinglink.h"
#include "sitemanager/zarnsite.h"

// Both libraries are bound at load time; keep their imports referenced.
struct BoundImports {
    int(__stdcall* site)(CSiteItem**, CWnd*);
    int(__stdcall* control)(const char*, int, const char*, const char*, const char*, int, int, CWnd*);
    int(__stdcall* ping)(CSiteItem**);
};
volatile BoundImports g_boundImports = {&OpenMySiteCommand, &OpenMyCommandCtrl, &OpenMyPingFunc};

// The one application object.
CClientApp theApp;

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
