#include <windows.h>
#include "sitemanager/zarnsite.h"
#include "console/zarncontrol.h"
#include "shell/doc/pinglink.h"

// Both libraries are bound at load time; keep their imports referenced.
struct BoundImports {
    int(__stdcall* site)(CSiteItem**, CWnd*);
    int(__stdcall* control)(const char*, int, const char*, const char*, const char*, int, int, CWnd*);
    int(__stdcall* ping)(CSiteItem**);
};
volatile BoundImports g_boundImports = {&OpenMySiteCommand, &OpenMyCommandCtrl, &OpenMyPingFunc};

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // The document's Ping command reaches the library through this entry.
    BindPingImport();
    return g_boundImports.site ? 0 : 1;
}
