// The framework for Windows programs: the portable core plus windows, message
// maps, threads with message loops, the application object, drawing, menus,
// controls, dialogs, OLE drag and drop, frames, documents, views and splitters.
#pragma once

#include "framework/afx.h"

#include <commctrl.h>

#include "framework/fwres.h"
#include "framework/wintypes.h"
#include "framework/cmdtarget.h"
#include "framework/wnd.h"
#include "framework/winthread.h"
#include "framework/gdi.h"
#include "framework/menu.h"
#include "framework/controls.h"
#include "framework/commctrls.h"
#include "framework/dialog.h"
#include "framework/ole.h"
#include "framework/commdlgs.h"
#include "framework/docview.h"
#include "framework/bars.h"
#include "framework/splitter.h"
