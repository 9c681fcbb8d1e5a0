// The end of the queue: what the last queue worker does once every worker has
// ended. The asking, the hang-up and the two posts to the main window go
// through one replaceable seam, so tests count them and never shut the machine
// down, close the program or hang up a line.
#pragma once

#include <cstdint>

#include "framework/afxwin.h"

constexpr UINT UWM_POWER_OFF = 0x7F3;  // WM_USER+1011 to the main window: shut the computer down

// The seam. Every member is called on the last worker's thread.
struct QueueEndActions {
  // The count-down question (ShowConfirmDlg with mode -2 over the main window):
  // IDOK to go ahead. stringId: IDS_COUNTDOWN_SHUTDOWN or IDS_COUNTDOWN_QUIT.
  int (*confirm)(UINT stringId);
  // Hangs up every dial-up connection; the number hung up.
  int (*hangUpAll)();
  // Posts UWM_POWER_OFF to the main window.
  void (*postPowerOff)();
  // Posts WM_SYSCOMMAND SC_CLOSE to the main window.
  void (*postClose)();
};

// Null puts the real actions back (ShowConfirmDlg, HangUpAllConnections of the
// dial-up seam, PostMessage to g_pMainFrame). The table is copied; a null
// member does nothing (a null confirm answers no).
void SetQueueEndActions(const QueueEndActions* actions);

// The last worker's end-of-queue step, after it reset the rules copy, the
// transfers-active flag and g_queueRunning. Nothing while the program is
// closing. Option bit 7: ask, and on OK set g_exitRequested and post power-off.
// Otherwise: bit 29 hangs up; then bit 6: ask, and on OK set g_exitRequested
// and post the close. optionFlags: g_optionFlags as read by the worker.
void RunQueueEndActions(uint32_t optionFlags);
