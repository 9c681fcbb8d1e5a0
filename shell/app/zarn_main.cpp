#include <windows.h>
#include "sitemanager/zarnsite.h"
#include "console/zarncontrol.h"

// Both libraries are bound at load time; keep their imports referenced.
void* volatile g_boundImports[] = {
    reinterpret_cast<void*>(&OpenMySiteCommand),
    reinterpret_cast<void*>(&OpenMyCommandCtrl),
    reinterpret_cast<void*>(&OpenMyPingFunc),
};

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return g_boundImports[0] ? 0 : 1;
}
