#include <winsock2.h>
#include <windows.h>
#include <shlobj.h>

#include "console/commandctrldlg.h"
#include "console/pingdlg.h"
#include "console/zarncontrol.h"
#include "shell/settings/regkey.h"
#include "shell/settings/settings.h"

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
    CWnd* owner = parent != nullptr ? CWnd::FromHandle(parent->GetSafeHwnd()) : nullptr;
    CCommandCtrlDlg dlg(owner);
    if (host == nullptr) {
        dlg.m_port = 21;
        dlg.m_passive = TRUE;
    } else {
        dlg.m_host = host;
        dlg.m_port = port;
        dlg.m_passive = passive != 0;
    }
    dlg.m_user = user != nullptr ? user : "";
    dlg.m_password = password != nullptr ? password : "";
    dlg.m_anonymous = anonymous != 0;
    dlg.m_folder = localFolder != nullptr ? localFolder : "";
    if (dlg.m_folder.IsEmpty()) {
        CRegKeyWrap key;
        if (key.OpenKey(HKEY_CURRENT_USER, kSettingsKeyPath)) {
            CString path;
            if (key.GetStringValue("APPPATH", path))
                dlg.m_folder = path;
        } else {
            ::MessageBoxA(owner != nullptr ? owner->GetSafeHwnd() : nullptr, "Operating registry failed.",
                          "ZARN-Manual Control Center", MB_OK | MB_ICONEXCLAMATION);
            dlg.m_folder = "c:\\";
        }
    }
    if (dlg.m_folder.IsEmpty()) {
        char documents[MAX_PATH] = "";
        if (SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents)))
            dlg.m_folder = documents;
    }
    return dlg.DoModal() == IDOK ? 1 : 0;
}

ZARNCONTROL_API int __stdcall OpenMyPingFunc(CSiteItem** sites)
{
    CPingDlg dlg(sites);
    dlg.DoModal();
    return 1;
}
