// Shutting the computer down when the queue ends and the user asked for it:
// the shut-down privilege (NT platforms), then a forced shut-down. The system
// calls go through a replaceable table: a real call under Wine ends every
// process of the prefix, so tests put a recording table in.
#pragma once

#include <windows.h>

struct PowerOffCalls {
  BOOL(WINAPI* openProcessToken)(HANDLE process, DWORD access, PHANDLE token);
  BOOL(WINAPI* adjustTokenPrivileges)(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES state, DWORD length,
                                      PTOKEN_PRIVILEGES previous, PDWORD returnLength);
  BOOL(WINAPI* exitWindowsEx)(UINT flags, DWORD reason);
};
// Null puts the system's calls back; the table is copied.
void SetPowerOffCalls(const PowerOffCalls* calls);

// The steps' names, shown in the box of the step that failed.
extern const char kPowerOffOpenTokenStep[];   // "OpenProcessToken"
extern const char kPowerOffAdjustStep[];      // "AdjustTokenPrivileges"
extern const char kPowerOffExitStep[];        // "ExitWindowsEx"

// The privilege step when platformId is 2 (NT), then the shut-down with
// force. A failing step shows its name in an error box (the document's box)
// and false comes back; nothing else happens then.
bool PowerOffComputer(int platformId);
