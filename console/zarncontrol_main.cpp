#include <windows.h>
#include "console/pingdlg.h"
#include "console/zarncontrol.h"

HINSTANCE g_hControlModule = nullptr;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_hControlModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

ZARNCONTROL_API int __stdcall OpenMyCommandCtrl(const char* host, int port, const char* user,
                                                const char* password, const char* localFolder,
                                                int passive, int anonymous, CWnd* parent)
{
    (void)host; (void)port; (void)user; (void)password; (void)localFolder;
    (void)passive; (void)anonymous; (void)parent;
    return 0;
}

ZARNCONTROL_API int __stdcall OpenMyPingFunc(CSiteItem** sites)
{
    CPingDlg dlg(sites);
    dlg.DoModal();
    return 1;
}
