#include <windows.h>
#include "sitemanager/zarnsite.h"

#include "framework/wnd.h"
#include "sitemanager/sitemanagerdlg.h"

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
    // The caller's CWnd belongs to its own framework copy: only its handle is used.
    CSiteManagerDlg dlg(sites, parent != nullptr ? parent->m_hWnd : nullptr);
    return dlg.DoModal() == IDOK ? 1 : 0;
}
