// The program's start-up in-process, as zarn.exe runs it, for the tests of what
// the main window is sent: one start per test program.
#pragma once

#include <functional>

#include "shell/mainframe/mainframe.h"

namespace framefix {

// An embedded start (no splash, no tip) with the real sockets; true when the
// main window is up.
bool StartApp();
CMainFrame* Frame();
// Pumps the thread's messages (as the program's loop does) until done() or ms.
bool Pump(DWORD ms, const std::function<bool()>& done);
// Exit, waiting until the window is gone.
bool ExitApp();

}  // namespace framefix
