// The search results list, window-free: each found entry kept whole with the
// login its site slot held when it arrived, and the queue items that Download
// makes of them. A slot emptied or refilled by another site since then no
// longer names the entry's server: such an entry shows no host and is not
// queued, so no download goes to a server that never listed the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/listing.h"
#include "engine/planitem.h"
#include "shell/funcview/core/queuecore.h"

struct SearchHit {
  EntryRecord entry;                // m_tag: site slot, m_second: folder
  char host[kPlanHostLen];          // the slot's site on arrival ("" none)
  char user[kPlanUserLen];
  int32_t port;
};

// A copy of the record with its slot's site as it is now (null: none).
SearchHit MakeSearchHit(const EntryRecord& entry, CSiteItem* site);
// The site of the hit while its slot still holds one with the same host
// (ignoring case), port and user; null otherwise.
CSiteItem* SearchHitSite(const SearchHit& hit, const QueueSiteAt& siteAt);

struct SearchQueueResult {
  std::vector<CPlanItem*> items;  // new items, the caller owns them
  int skipped = 0;                // entries whose site is gone
};
// Download of the given hits into localFolder: one download item each (kind
// 5, the site's login); each site used gets its queue-run flag set.
SearchQueueResult BuildSearchDownloads(const std::vector<const SearchHit*>& hits, const char* localFolder,
                                       const QueueSiteAt& siteAt);

// Header sort: 0 name, 1 host, 2 folder, 3 size (numeric), 4 date, 5
// attributes; texts compared as texts; stable.
void SortSearchHits(std::vector<SearchHit*>& hits, int column, bool ascending);

// Type-ahead: the next row after `current` (wrapping, current last) whose name
// begins with ch, ignoring case; -1 when none.
int FindSearchHitByChar(const std::vector<SearchHit*>& hits, int current, char ch);
