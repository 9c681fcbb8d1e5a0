#include "shell/mainframe/poweroff.h"

#include "engine/confirmdlg.h"
#include "shell/doc/zarndoc.h"

const char kPowerOffOpenTokenStep[] = "OpenProcessToken";
const char kPowerOffAdjustStep[] = "AdjustTokenPrivileges";
const char kPowerOffExitStep[] = "ExitWindowsEx";

namespace {

const PowerOffCalls kSystemCalls = {&::OpenProcessToken, &::AdjustTokenPrivileges, &::ExitWindowsEx};
PowerOffCalls g_calls = kSystemCalls;

bool Failed(const char* step)
{
  ShowDocBox(0, step, kConfirmModeError, TRUE);
  return false;
}

}  // namespace

void SetPowerOffCalls(const PowerOffCalls* calls) { g_calls = calls != nullptr ? *calls : kSystemCalls; }

bool PowerOffComputer(int platformId)
{
  const PowerOffCalls calls = g_calls;
  if (platformId == VER_PLATFORM_WIN32_NT) {
    HANDLE token = nullptr;
    if (!calls.openProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
      return Failed(kPowerOffOpenTokenStep);
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    ::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    ::SetLastError(ERROR_SUCCESS);
    // It answers TRUE also when the privilege was not granted: the last error tells.
    const BOOL adjusted = calls.adjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    const DWORD error = ::GetLastError();
    if (token != nullptr)
      ::CloseHandle(token);
    if (!adjusted || error != ERROR_SUCCESS)
      return Failed(kPowerOffAdjustStep);
  }
  if (!calls.exitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0))
    return Failed(kPowerOffExitStep);
  return true;
}
