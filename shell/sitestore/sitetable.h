// The document's table of work sites as the store sees it: 200 slots of owned
// CSiteItem pointers, null for a free slot. Slots are never compacted, so every
// walk covers all of them.
#pragma once

#include "engine/siteitem.h"
#include "engine/siterecord.h"
#include "framework/fwtypes.h"

constexpr int MAX_SITES = 200;
typedef CSiteItem* SiteTable[MAX_SITES];

// Shown when a site is added to a full table.
extern const char kSitesLimitText[];  // "Exceeds 200 sites number limit"

// The first free slot, or -1 when all 200 are taken.
int FindFreeSiteSlot(const SiteTable& sites);
// Occupied slots.
UINT CountSites(const SiteTable& sites);

// Whether a site other than the one in skipSlot (-1: none) bears the name,
// case folded.
bool IsSiteNameTaken(const SiteTable& sites, const char* name, int skipSlot = -1);
// The form rules and no other site of that name: the one check for adding a
// site and for renaming the site in skipSlot.
bool IsSiteNameAcceptable(const SiteTable& sites, const char* name, int skipSlot = -1);

// What AddSiteToTable refuses.
enum : int {
    ADDSITE_TABLE_FULL = -1,
    ADDSITE_BAD_NAME = -2,
};
// The table half of adding a site: checks the limit and the name, puts a new
// CSiteItem with the given persistent fields into the first free slot and
// counts it. Returns the slot, or ADDSITE_TABLE_FULL / ADDSITE_BAD_NAME with the
// table unchanged.
int AddSiteToTable(SiteTable& sites, UINT& nSites, const SiteFields& fields);
