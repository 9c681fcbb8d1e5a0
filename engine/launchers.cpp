#include "engine/launchers.h"

static PasteHook s_pasteHook = nullptr;
// GUI thread only, as the trees that register.
static CServerTreeAccess* s_trees[2] = {};

CServerTreeAccess* ServerTreeAccess(int paneFlag)
{
  return s_trees[paneFlag != 0 ? 1 : 0];
}

void SetServerTreeAccess(int paneFlag, CServerTreeAccess* tree)
{
  s_trees[paneFlag != 0 ? 1 : 0] = tree;
}

void ClearServerTreeAccess(int paneFlag, CServerTreeAccess* tree)
{
  CServerTreeAccess*& slot = s_trees[paneFlag != 0 ? 1 : 0];
  if (slot == tree)
    slot = nullptr;
}

void SetPasteHook(PasteHook hook)
{
  s_pasteHook = hook;
}

int PasteBetweenServerPanes(int paneFlag, HTREEITEM node, const void* block, size_t size)
{
  if (s_pasteHook != nullptr)
    return s_pasteHook(paneFlag, node, block, size);
  return 0;
}
