#include "shell/doc/sitetreelink.h"

namespace {
// Written and read on the GUI thread only.
CSiteTreeLink* g_siteTrees[2] = {};
}  // namespace

CSiteTreeLink* SiteTreeLink(int paneFlag) { return g_siteTrees[paneFlag != 0 ? 1 : 0]; }

void SetSiteTreeLink(int paneFlag, CSiteTreeLink* tree) { g_siteTrees[paneFlag != 0 ? 1 : 0] = tree; }

void ClearSiteTreeLink(int paneFlag, CSiteTreeLink* tree)
{
  CSiteTreeLink*& slot = g_siteTrees[paneFlag != 0 ? 1 : 0];
  if (slot == tree)
    slot = nullptr;
}
