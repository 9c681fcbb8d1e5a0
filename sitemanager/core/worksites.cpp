#include "sitemanager/worksites.h"

#include "engine/siteitem.h"
#include "shell/sitestore/sitename.h"
#include "sitemanager/siterules.h"

const char kWorkSiteNameClashText[] = "Same site name already exists,please rename it.";

const char* CheckWorkSiteName(CSiteItem* const* sites, const CSiteItem* self, const char* name)
{
  if (!IsValidSiteName(name))
    return kInvalidSiteNameText;
  for (int i = 0; i < kWorkSiteSlots; ++i)
    if (sites[i] != nullptr && sites[i] != self && SiteNamesEqual(WorkSiteFields(sites[i]).m_name, name))
      return kWorkSiteNameClashText;
  return nullptr;
}

int FindWorkSiteSlot(CSiteItem* const* sites, const CSiteItem* site)
{
  for (int i = 0; i < kWorkSiteSlots; ++i)
    if (site != nullptr && sites[i] == site)
      return i;
  return -1;
}
