// What the upload, download, open and edit tasks share with the views and the
// site-to-site list: their messages and the name rules of a transferred file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/afxwin.h"

constexpr UINT UWM_TASK_FINISHED = 0x7EA;       // WM_USER+1002 to the function view: wParam the job
constexpr UINT UWM_ENTRY_ADDED = 0x7EB;         // WM_USER+1003: wParam node, lParam the entry record
constexpr UINT UWM_BATCH_ADD = 0x7EC;           // WM_USER+1004 to the function view: lParam the job
constexpr UINT UWM_DROP_LISTING_CACHE = 0x7ED;  // WM_USER+1005: lParam the node

// The site's name conversion digit: '1' upper case, '2' lower case, '3' the
// first character upper case when it is 'a'..'z'; any other leaves the name.
// Double-byte characters are kept whole.
void ConvertNameByDigit(char* name, size_t size, char digit);

// Whether a name from a server's listing may be created in a local folder:
// no path separators or drive colon, not "." or ".." (also after Windows drops
// trailing dots and blanks), no control characters, no device name.
bool IsSafeLocalName(const char* name);

// The job's average speed: whole bytes per millisecond and two true decimals,
// "12.05KB"; 55 ms or less counts as 27.
void FormatJobSpeed(char* out, size_t size, uint64_t bytes, uint32_t elapsedMs);
