// The launchers the file views start remote operations through: each makes sure
// the site is connected, builds one task and starts it; the paste launcher also
// turns a paste between a server pane and the local side into queue items.
#pragma once

#include <cstddef>

#include "framework/afxwin.h"

// What the launchers read of a server tree; each tree registers itself for its
// pane flag when it is made and clears the registration when it goes (engine/
// does not link the views).
class CServerTreeAccess {
public:
  // The node's server path and the index of its site; false for a node that
  // is not in the tree or is its root.
  virtual bool NodePath(HTREEITEM node, CString* path, int* siteIndex) = 0;

protected:
  ~CServerTreeAccess() = default;
};

// paneFlag 1: the first server tree, 0: the second.
CServerTreeAccess* ServerTreeAccess(int paneFlag);
void SetServerTreeAccess(int paneFlag, CServerTreeAccess* tree);
void ClearServerTreeAccess(int paneFlag, CServerTreeAccess* tree);

// The paste of a drag or clipboard block (a DragPayload of `size` bytes, read
// only through the payload validator) onto `node` of the pane (1 the first
// server tree receives the results, 0 the second). 1 when work was handed over.
int PasteBetweenServerPanes(int paneFlag, HTREEITEM node, const void* block, size_t size);

// Tests record pastes instead of running them: a hook, when set, takes the call.
using PasteHook = int (*)(int paneFlag, HTREEITEM node, const void* block, size_t size);
void SetPasteHook(PasteHook hook);
