// The framework for Windows programs: the portable core plus windows, message
// maps, threads with message loops and the application object.
#pragma once

#include "framework/afx.h"

#include <commctrl.h>

#include "framework/wintypes.h"
#include "framework/cmdtarget.h"
#include "framework/wnd.h"
#include "framework/winthread.h"
