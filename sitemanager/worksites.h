// The work sites as the site manager sees them: their names checked against
// the caller's 200 slots, and every change asked of the main window by
// UWM_SITE_MANAGER_EDIT (the library never adds, renames or frees one itself).
#pragma once

#include <cstddef>

#include "engine/siterecord.h"
#include "framework/fwtypes.h"

class CSiteItem;

constexpr int kWorkSiteSlots = 200;

extern const char kWorkSiteNameClashText[];

// Null when name may be given to a work site: the form rules of a registry key
// and cache folder, and no other slot's site (self excepted) with a name equal
// ignoring case. Else the text to show.
const char* CheckWorkSiteName(CSiteItem* const* sites, const CSiteItem* self, const char* name);

// The slot holding site, or -1.
int FindWorkSiteSlot(CSiteItem* const* sites, const CSiteItem* site);

#ifdef _WIN32
// Asks for a new work site made from record. m_pNewSite is cleared before the
// send, so a record sent before never passes for a new site; the new site, or
// null when refused (the main window said why).
CSiteItem* SendAddWorkSite(HWND mainWnd, SiteRecord& record);
// Asks to rename site; false for a name of more than 49 bytes (nothing sent)
// or when refused. The site's own name field is never written here.
bool SendRenameWorkSite(HWND mainWnd, CSiteItem* site, const char* newName);
// Asks to delete site: true only when the answer is 1 and no slot of sites
// holds it any longer, so a refused delete never hides a live site.
bool SendDeleteWorkSite(HWND mainWnd, CSiteItem* site, CSiteItem* const* sites);
// Reports fields rewritten in place.
void SendWorkSiteChanged(HWND mainWnd, CSiteItem* site);
#endif
