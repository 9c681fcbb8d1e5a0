#include "shell/sitestore/sitetable.h"

#include <cstring>

#include "shell/sitestore/sitename.h"

const char kSitesLimitText[] = "Exceeds 200 sites number limit";

int FindFreeSiteSlot(const SiteTable& sites)
{
    for (int i = 0; i < MAX_SITES; ++i) {
        if (sites[i] == nullptr)
            return i;
    }
    return -1;
}

UINT CountSites(const SiteTable& sites)
{
    UINT n = 0;
    for (CSiteItem* site : sites) {
        if (site != nullptr)
            ++n;
    }
    return n;
}

bool IsSiteNameTaken(const SiteTable& sites, const char* name, int skipSlot)
{
    for (int i = 0; i < MAX_SITES; ++i) {
        if (i != skipSlot && sites[i] != nullptr && SiteNamesEqual(sites[i]->m_name, name))
            return true;
    }
    return false;
}

bool IsSiteNameAcceptable(const SiteTable& sites, const char* name, int skipSlot)
{
    return IsValidSiteName(name) && !IsSiteNameTaken(sites, name, skipSlot);
}

int AddSiteToTable(SiteTable& sites, UINT& nSites, const SiteFields& fields)
{
    const int slot = FindFreeSiteSlot(sites);
    if (slot < 0)
        return ADDSITE_TABLE_FULL;
    // An unterminated name would be cut to something else than what was checked.
    if (memchr(fields.m_name, '\0', sizeof(fields.m_name)) == nullptr ||
        !IsSiteNameAcceptable(sites, fields.m_name))
        return ADDSITE_BAD_NAME;
    CSiteItem* site = new CSiteItem;
    static_cast<SiteFields&>(*site) = fields;
    // Every text field terminated, whatever the source held.
    site->SiteOptionDigits[kSiteDigitsLen - 1] = '\0';
    site->m_host[kSiteHostLen - 1] = '\0';
    site->m_name[kSiteNameLen - 1] = '\0';
    site->m_user[kSiteUserLen - 1] = '\0';
    site->m_password[kSitePasswordLen - 1] = '\0';
    site->m_localFolder[kSitePathLen - 1] = '\0';
    site->m_proxyHost[kSiteHostLen - 1] = '\0';
    site->m_proxyUser[kSiteUserLen - 1] = '\0';
    site->m_proxyPassword[kSitePasswordLen - 1] = '\0';
    site->m_note[kSitePathLen - 1] = '\0';
    site->m_remoteFolder[kSitePathLen - 1] = '\0';
    sites[slot] = site;
    ++nSites;
    return slot;
}
