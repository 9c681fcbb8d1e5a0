#include "shell/settings/osplatform.h"

#ifdef _WIN32
#include <windows.h>
#endif

int32_t g_osPlatformId = 2;

void InitOsPlatformId() {
#ifdef _WIN32
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (GetVersionExA(&info)) g_osPlatformId = static_cast<int32_t>(info.dwPlatformId);
#endif
}
