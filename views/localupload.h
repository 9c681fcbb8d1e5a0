// Uploads queued from the local pane (its tree and its list): the first server
// pane's selected folder receives them, one "->" queue item per entry.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/fwstring.h"

class CPlanItem;
class CSiteItem;

// The site and server path of the first server tree's selected node; null when
// that tree is not there or shows its root (the site list).
CSiteItem* FirstPaneFolder(CString* remotePath);

// A "->" item of one local entry (name in localFolder) for remotePath on site.
CPlanItem* NewUploadItem(const CSiteItem& site, const char* localFolder, const char* remotePath, const char* name,
                         int kind, int64_t size);

// Posts each item to the function view (UWM_QUEUE_ADD; the queue owns it from
// then on), then starts the queue when option bit 4 is set and shows the Queue
// tab. An item that could not be posted is deleted. The number posted.
int PostUploads(const std::vector<CPlanItem*>& items);
