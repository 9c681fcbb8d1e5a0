#include "engine/launchers.h"

static PasteHook s_pasteHook = nullptr;

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
