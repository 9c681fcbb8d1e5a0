#include <windows.h>
#include "sitemanager/zarnsite.h"

HINSTANCE g_hSiteModule = nullptr;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_hSiteModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

ZARNSITE_API int __stdcall OpenMySiteCommand(CSiteItem** sites, CWnd* parent)
{
    (void)sites;
    (void)parent;
    return 0;
}
