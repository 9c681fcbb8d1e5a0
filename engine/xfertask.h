// What the upload, download, open and edit tasks share with the views and the
// site-to-site list: their messages and the name rules of a transferred file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/xfernames.h"  // ConvertNameByDigit, IsSafeLocalName, FormatJobSpeed
#include "framework/afxwin.h"
#include "engine/viewmessages.h"  // UWM_ENTRY_ADDED, UWM_DROP_LISTING_CACHE

constexpr UINT UWM_TASK_FINISHED = 0x7EA;       // WM_USER+1002 to the function view: wParam the job
constexpr UINT UWM_BATCH_ADD = 0x7EC;           // WM_USER+1004 to the function view: lParam the job

