// CSiteItem in the native test build: no Win32 handles, no keeper thread and no
// listing cache exist there, so there is nothing to make or to tear down.
#include "engine/siteitem.h"

void CSiteItem::CreateHandles() {}

void CSiteItem::CloseHandles() {}

HANDLE CSiteItem::ConnectionSemaphore() { return nullptr; }

void CSiteItem::DeleteCacheFolder() {}
