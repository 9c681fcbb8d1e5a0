// A work site's persistent fields, read and written in place. Only the class
// layout of CSiteItem is used (ZARN_SITE_FIELD_AT in its header holds the
// offsets); none of its code is linked into the library.
#include <cstring>

#include "engine/siteitem.h"
#include "sitemanager/siterules.h"

const SiteFields& WorkSiteFields(const CSiteItem* site)
{
  return *static_cast<const SiteFields*>(site);
}

SiteFields& WorkSiteFields(CSiteItem* site)
{
  return *static_cast<SiteFields*>(site);
}

std::unique_ptr<SiteRecord> RecordFromWorkSite(const CSiteItem* site)
{
  std::unique_ptr<SiteRecord> record = NewSiteRecord();
  memcpy(static_cast<SiteFields*>(record.get()), &WorkSiteFields(site), kSiteFieldsEnd);
  return record;
}

void StoreRecordInWorkSite(const SiteFields& record, CSiteItem* site)
{
  // Up to the end of the fields: the padding of SiteFields lies over the work
  // site's run-time state.
  memcpy(&WorkSiteFields(site), &record, kSiteFieldsEnd);
}
