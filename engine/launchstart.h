// The steps the launchers share (engine/launchers.cpp and launchers_paste.cpp):
// a slot's site through the registered document, connected, and the start of
// a built task with its failure box.
#pragma once

class CSiteItem;
class CProgThread;

namespace launch {

// The site of the slot, or null (empty slot, no document bound).
CSiteItem* SiteOf(int index);
// An error box (mode -1, auto-close) with the host put into format.
void ErrorBox(const char* format, const char* host);
// The site of the slot, its keeper asked to connect when it is not connected
// (failure: failText's box and null), its queue-run flag set.
CSiteItem* ConnectedSite(int index, const char* failText);
// Starts the task in the document's list; on failure string 41052's box and
// the object is deleted (with the entries it holds). 1 when started.
int Start(CProgThread* thread);

}  // namespace launch
